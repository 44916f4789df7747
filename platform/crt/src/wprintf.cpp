// The one formatter of the Windows runtime's printf dialect. Each
// conversion is parsed here and its argument read with the type the
// dialect gives it; glibc's snprintf is only asked to render one number at a
// time, in the C locale.
#include "crt/wprintf.h"

#include <clocale>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>
#include <locale.h>

#include "narrow_text.h"

namespace crt {
namespace {

constexpr int kMaxPadding = 1 << 24;

enum class Length { None, hh, h, l, ll, I32, I64, Ptr, L, w };

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = 0;
  int precision = -1;  // -1: none given
  Length length = Length::None;
  char conv = 0;
};

// Numbers are rendered in the C locale whatever the process's locale is,
// so a decimal point never becomes a comma.
class CLocaleScope {
 public:
  CLocaleScope() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    previous_ = c ? uselocale(c) : static_cast<locale_t>(0);
  }
  ~CLocaleScope() {
    if (previous_) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

// The narrow printf flags of a spec, for rendering one number.
std::string FlagText(const Spec& s) {
  std::string f = "%";
  if (s.left) f += '-';
  if (s.plus) f += '+';
  if (s.space) f += ' ';
  if (s.alt) f += '#';
  if (s.zero) f += '0';
  return f;
}

// The digits of one integer; nullopt when snprintf fails. "%.0d" of 0 is
// rightly empty.
std::optional<std::string> RenderInteger(const Spec& s, long long sv, unsigned long long uv, bool isSigned) {
  std::string f = FlagText(s) + "*.*ll" + s.conv;
  const int precision = s.precision;  // -1 means the default of 1 digit
  char small[128];
  const int n = isSigned ? snprintf(small, sizeof small, f.c_str(), s.width, precision, sv)
                         : snprintf(small, sizeof small, f.c_str(), s.width, precision, uv);
  if (n < 0) return std::nullopt;
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  if (isSigned) {
    snprintf(big.data(), big.size(), f.c_str(), s.width, precision, sv);
  } else {
    snprintf(big.data(), big.size(), f.c_str(), s.width, precision, uv);
  }
  big.resize(static_cast<size_t>(n));
  return big;
}

std::string RenderFloat(const Spec& s, long double value, bool isLong) {
  Spec spec = s;
  // The Windows runtime prints "%a" with all 13 hex digits of a double.
  if ((s.conv == 'a' || s.conv == 'A') && s.precision < 0 && !isLong) spec.precision = 13;
  std::string f = FlagText(spec) + "*.*" + (isLong ? "L" : "") + spec.conv;
  CLocaleScope cLocale;
  const int n = isLong ? snprintf(nullptr, 0, f.c_str(), spec.width, spec.precision, value)
                       : snprintf(nullptr, 0, f.c_str(), spec.width, spec.precision, static_cast<double>(value));
  if (n < 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  if (isLong) {
    snprintf(out.data(), out.size(), f.c_str(), spec.width, spec.precision, value);
  } else {
    snprintf(out.data(), out.size(), f.c_str(), spec.width, spec.precision, static_cast<double>(value));
  }
  out.resize(static_cast<size_t>(n));
  return out;
}

template <class C>
void AppendAscii(std::basic_string<C>& out, const std::string& text) {
  for (char c : text) out.push_back(static_cast<C>(static_cast<unsigned char>(c)));
}

// Pads a text to the width: spaces on the left, or on the right with '-';
// '0' pads with zeros on the left, as the Windows runtime does for text too.
template <class C>
void AppendPadded(std::basic_string<C>& out, const Spec& s, const C* text, size_t n) {
  const size_t width = s.width > 0 ? static_cast<size_t>(s.width) : 0;
  const size_t pad = width > n ? width - n : 0;
  if (!s.left) out.append(pad, static_cast<C>(s.zero ? '0' : ' '));
  out.append(text, n);
  if (s.left) out.append(pad, static_cast<C>(' '));
}

template <class C>
void AppendText(std::basic_string<C>& out, const Spec& s, std::basic_string_view<C> text) {
  if (s.precision >= 0 && text.size() > static_cast<size_t>(s.precision)) {
    text = text.substr(0, static_cast<size_t>(s.precision));
  }
  AppendPadded(out, s, text.data(), text.size());
}

// A wide argument's text in the output's character type.
void AppendWide(std::wstring& out, const Spec& s, std::wstring_view text) { AppendText<wchar_t>(out, s, text); }
void AppendWide(std::string& out, const Spec& s, std::wstring_view text) {
  // Precision counts characters of the argument, not bytes of the output.
  if (s.precision >= 0 && text.size() > static_cast<size_t>(s.precision)) {
    text = text.substr(0, static_cast<size_t>(s.precision));
  }
  const std::string utf8 = detail::NarrowWideArgument(text);
  AppendPadded(out, s, utf8.data(), utf8.size());
}
void AppendNarrow(std::wstring& out, const Spec& s, std::string_view text) {
  const std::wstring wide = detail::WidenNarrowArgument(text);
  AppendText<wchar_t>(out, s, wide);
}
void AppendNarrow(std::string& out, const Spec& s, std::string_view text) { AppendText<char>(out, s, text); }

// The bytes of a narrow argument shown in a wide format. With a precision
// the text need not be terminated: no more bytes are read than that many
// characters can take (4 each in UTF-8), and a character cut at that limit
// is dropped, since the precision keeps fewer characters anyway.
std::string_view NarrowArgumentBytes(const char* text, int precision) {
  if (precision < 0) return std::string_view(text);
  const size_t limit = static_cast<size_t>(precision) * 4 + 8;
  size_t n = strnlen(text, limit);
  if (n == limit) {
    size_t dropped = 0;
    while (n > 0 && dropped < 3 && (static_cast<unsigned char>(text[n - 1]) & 0xC0) == 0x80) --n, ++dropped;
    if (n > 0 && static_cast<unsigned char>(text[n - 1]) >= 0xC0) --n;
  }
  return std::string_view(text, n);
}

template <class C>
bool IsDigit(C c) {
  return c >= '0' && c <= '9';
}

// Reads a decimal number; false when it does not fit an int.
template <class C>
bool ReadNumber(const C*& p, int& value) {
  long long v = 0;
  while (IsDigit(*p)) {
    v = v * 10 + (*p - '0');
    if (v > INT_MAX) return false;
    ++p;
  }
  value = static_cast<int>(v);
  return true;
}

template <class C>
bool Matches(const C* p, const char* text) {
  for (; *text; ++p, ++text) {
    if (*p != static_cast<C>(*text)) return false;
  }
  return true;
}

template <class C>
Length ReadLength(const C*& p) {
  switch (*p) {
    case 'h':
      if (p[1] == 'h') {
        p += 2;
        return Length::hh;
      }
      ++p;
      return Length::h;
    case 'l':
      if (p[1] == 'l') {
        p += 2;
        return Length::ll;
      }
      ++p;
      return Length::l;
    case 'w':
      ++p;
      return Length::w;
    case 'L':
      ++p;
      return Length::L;
    case 'z':
    case 't':
    case 'j':
      ++p;
      return Length::Ptr;
    case 'I':
      if (Matches(p, "I64")) {
        p += 3;
        return Length::I64;
      }
      if (Matches(p, "I32")) {
        p += 3;
        return Length::I32;
      }
      ++p;
      return Length::Ptr;
    default:
      return Length::None;
  }
}

// The heart: formats into out, one conversion at a time. Returns false at
// the first conversion it refuses (out then holds the text before it).
template <class C>
bool FormatImpl(std::basic_string<C>& out, const C* format, va_list args) {
  out.clear();
  if (!format) return false;
  constexpr bool kWide = sizeof(C) == sizeof(wchar_t);
  va_list ap;
  va_copy(ap, args);
  bool ok = true;
  for (const C* p = format; *p;) {
    if (*p != '%') {
      const C* run = p;
      while (*p && *p != '%') ++p;
      out.append(run, static_cast<size_t>(p - run));
      continue;
    }
    ++p;
    Spec s;
    for (bool more = true; more;) {
      switch (*p) {
        case '-': s.left = true; ++p; break;
        case '+': s.plus = true; ++p; break;
        case ' ': s.space = true; ++p; break;
        case '#': s.alt = true; ++p; break;
        case '0': s.zero = true; ++p; break;
        default: more = false;
      }
    }
    if (*p == '*') {
      const int w = va_arg(ap, int);
      if (w < 0) {
        s.left = true;
        s.width = w == INT_MIN ? INT_MAX : -w;
      } else {
        s.width = w;
      }
      ++p;
    } else if (!ReadNumber(p, s.width)) {
      ok = false;
      break;
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        const int prec = va_arg(ap, int);
        s.precision = prec < 0 ? -1 : prec;
        ++p;
      } else if (!ReadNumber(p, s.precision)) {
        ok = false;
        break;
      }
    }
    s.length = ReadLength(p);
    const C conv = *p;
    if (conv == 0 || conv > 0x7F) {
      ok = false;
      break;
    }
    s.conv = static_cast<char>(conv);
    ++p;
    if (s.left) s.zero = false;
    // A width or a number's precision makes that many characters: refuse
    // the absurd ones (a stray int as '*') rather than fill gigabytes.
    const bool isText = s.conv == 's' || s.conv == 'S';
    if (s.width > kMaxPadding || (!isText && s.precision > kMaxPadding)) {
      ok = false;
      break;
    }
    switch (s.conv) {
      case '%':
        out.push_back(static_cast<C>('%'));
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        const bool isSigned = s.conv == 'd' || s.conv == 'i';
        long long sv = 0;
        unsigned long long uv = 0;
        switch (s.length) {
          case Length::None:
          case Length::l:  // long is 32 bits in this dialect
          case Length::I32:
            if (isSigned) sv = va_arg(ap, int);
            else uv = va_arg(ap, unsigned int);
            break;
          case Length::hh:
            if (isSigned) sv = static_cast<signed char>(va_arg(ap, int));
            else uv = static_cast<unsigned char>(va_arg(ap, unsigned int));
            break;
          case Length::h:
            if (isSigned) sv = static_cast<short>(va_arg(ap, int));
            else uv = static_cast<unsigned short>(va_arg(ap, unsigned int));
            break;
          case Length::ll:
          case Length::I64:
          case Length::Ptr:
            if (isSigned) sv = va_arg(ap, long long);
            else uv = va_arg(ap, unsigned long long);
            break;
          default:
            ok = false;
        }
        if (!ok) break;
        const auto text = RenderInteger(s, sv, uv, isSigned);
        if (!text) ok = false;
        else AppendAscii(out, *text);
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        if (s.length != Length::None && s.length != Length::l && s.length != Length::L) {
          ok = false;
          break;
        }
        const bool isLong = s.length == Length::L;
        const long double v = isLong ? va_arg(ap, long double) : va_arg(ap, double);
        const std::string text = RenderFloat(s, v, isLong);
        if (text.empty()) ok = false;
        else AppendAscii(out, text);
        break;
      }
      case 'p': {
        if (s.length != Length::None) {
          ok = false;
          break;
        }
        // 16 upper-case hex digits, no prefix, as a 64-bit pointer prints.
        const auto v = reinterpret_cast<uintptr_t>(va_arg(ap, void*));
        char digits[32];
        snprintf(digits, sizeof digits, "%016llX", static_cast<unsigned long long>(v));
        std::basic_string<C> text;
        AppendAscii(text, digits);
        Spec pad = s;
        pad.zero = false;
        AppendPadded(out, pad, text.data(), text.size());
        break;
      }
      case 'c':
      case 'C': {
        // Which characters are wide: in a wide format "%c" and in a narrow
        // one "%C"; 'h' makes either narrow, 'l'/'w' either wide.
        bool wideArg;
        if (s.length == Length::h) wideArg = false;
        else if (s.length == Length::l || s.length == Length::w) wideArg = true;
        else if (s.length == Length::None) wideArg = (s.conv == 'c') == kWide;
        else {
          ok = false;
          break;
        }
        Spec noPrecision = s;
        noPrecision.precision = -1;
        if (wideArg) {
          const auto wc = static_cast<wchar_t>(va_arg(ap, wint_t));
          AppendWide(out, noPrecision, std::wstring_view(&wc, 1));
        } else {
          const char ch = static_cast<char>(va_arg(ap, int));
          if constexpr (kWide) {
            // One byte on its own: ASCII as is, anything else unreadable.
            const auto b = static_cast<unsigned char>(ch);
            const wchar_t wc = b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0xFFFD);
            AppendPadded(out, noPrecision, &wc, 1);
          } else {
            AppendPadded(out, noPrecision, &ch, 1);
          }
        }
        break;
      }
      case 's':
      case 'S': {
        bool wideArg;
        if (s.length == Length::h) wideArg = false;
        else if (s.length == Length::l || s.length == Length::w) wideArg = true;
        else if (s.length == Length::None) wideArg = (s.conv == 's') == kWide;
        else {
          ok = false;
          break;
        }
        if (wideArg) {
          const wchar_t* text = va_arg(ap, const wchar_t*);
          if (!text) text = L"(null)";
          // Never read past the precision: the text need not be terminated.
          size_t n = 0;
          while ((s.precision < 0 || n < static_cast<size_t>(s.precision)) && text[n]) ++n;
          AppendWide(out, s, std::wstring_view(text, n));
        } else {
          const char* text = va_arg(ap, const char*);
          if (!text) text = "(null)";
          if constexpr (kWide) {
            AppendNarrow(out, s, NarrowArgumentBytes(text, s.precision));
          } else {
            size_t n = 0;
            while ((s.precision < 0 || n < static_cast<size_t>(s.precision)) && text[n]) ++n;
            AppendNarrow(out, s, std::string_view(text, n));
          }
        }
        break;
      }
      default:  // "%n" and anything unknown
        ok = false;
    }
    if (!ok) break;
  }
  va_end(ap);
  return ok;
}

}  // namespace

// Out of memory is a refused format too, never an exception out of printf.
bool FormatWideV(std::wstring& out, const wchar_t* format, va_list args) {
  try {
    return FormatImpl(out, format, args);
  } catch (const std::exception&) {
    out.clear();
    return false;
  }
}
bool FormatNarrowV(std::string& out, const char* format, va_list args) {
  try {
    return FormatImpl(out, format, args);
  } catch (const std::exception&) {
    out.clear();
    return false;
  }
}

std::optional<std::wstring> FormatV(const wchar_t* format, va_list args) {
  std::wstring out;
  if (!FormatWideV(out, format, args)) return std::nullopt;
  return out;
}
std::optional<std::wstring> Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  auto out = FormatV(format, args);
  va_end(args);
  return out;
}
std::optional<std::string> FormatNarrowV(const char* format, va_list args) {
  std::string out;
  if (!FormatNarrowV(out, format, args)) return std::nullopt;
  return out;
}
std::optional<std::string> FormatNarrow(const char* format, ...) {
  va_list args;
  va_start(args, format);
  auto out = FormatNarrowV(format, args);
  va_end(args);
  return out;
}

}  // namespace crt
