#include "text_codec.h"

#include "crt/utf8.h"

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

std::string ToUtf8(const std::wstring& text) { return crt::WideToUtf8(text); }

// Overlong forms, encoded surrogates and values past U+10FFFF become U+FFFD,
// so a hand-edited hive file can never smuggle in a character that is not one.
std::wstring FromUtf8(const std::string& text) { return crt::Utf8ToWide(text); }

std::wstring FoldCase(const std::wstring& text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), FoldLocale()));
  return out;
}

}  // namespace registry::detail
