#include "text_codec.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace registry::detail {
namespace {

void PutUnit(std::string& out, unsigned unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>((unit >> 8) & 0xFF);
}

locale_t FoldLocale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  }();
  return loc;
}

}  // namespace

std::string ToUtf16Le(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (wchar_t ch : text) {
    char32_t c = static_cast<char32_t>(ch);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      PutUnit(out, 0xD800 + (c >> 10));
      PutUnit(out, 0xDC00 + (c & 0x3FF));
    } else {
      PutUnit(out, c);
    }
  }
  return out;
}

std::wstring FromUtf16Le(const std::string& bytes) {
  std::wstring out;
  size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i])) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
  };
  for (size_t i = 0; i < units; ++i) {
    unsigned u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += static_cast<wchar_t>(0xFFFD);
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  if (bytes.size() % 2) out += static_cast<wchar_t>(0xFFFD);
  return out;
}

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  for (wchar_t ch : text) {
    char32_t c = static_cast<char32_t>(ch);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size()) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char n = static_cast<unsigned char>(text[i + k]);
      if ((n & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (n & 0x3F);
    }
    out += ok ? static_cast<wchar_t>(c) : static_cast<wchar_t>(0xFFFD);
    i += ok ? extra + 1 : 1;
  }
  return out;
}

std::wstring FoldCase(const std::wstring& text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), FoldLocale()));
  return out;
}

}  // namespace registry::detail
