// Wide text to UTF-8 for Pango and fontconfig (wchar_t holds code points).
#pragma once

#include <string>

inline std::string GdiWideToUtf8(const wchar_t* s, long n) {
  std::string out;
  if (!s) return out;
  if (n < 0) {
    n = 0;
    while (s[n]) ++n;
  }
  out.reserve(n);
  for (long i = 0; i < n; ++i) {
    unsigned c = static_cast<unsigned>(s[i]);
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
