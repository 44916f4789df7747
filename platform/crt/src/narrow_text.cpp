#include "narrow_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace crt::detail {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool DecodeUtf8(std::string_view in, std::wstring& out) {
  out.clear();
  size_t i = 0;
  while (i < in.size()) {
    const auto b0 = static_cast<uint8_t>(in[i]);
    if (b0 < 0x80) {
      out.push_back(static_cast<wchar_t>(b0));
      ++i;
      continue;
    }
    int extra;
    uint32_t cp;
    uint32_t min;
    if ((b0 & 0xE0) == 0xC0) {
      extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + static_cast<size_t>(extra) >= in.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<uint8_t>(in[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    out.push_back(static_cast<wchar_t>(cp));
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

bool DecodeGbk(std::string_view in, std::wstring& out) {
  out.clear();
  iconv_t cd = iconv_open("WCHAR_T", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::wstring buffer(in.size() + 1, L'\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = reinterpret_cast<char*>(buffer.data());
  size_t dstLeft = buffer.size() * sizeof(wchar_t);
  const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || srcLeft != 0) return false;
  buffer.resize(buffer.size() - dstLeft / sizeof(wchar_t));
  out = std::move(buffer);
  return true;
}

}  // namespace

std::wstring WidenNarrowArgument(std::string_view bytes) {
  std::wstring out;
  if (DecodeUtf8(bytes, out)) return out;
  if (DecodeGbk(bytes, out)) return out;
  // Neither reads the whole text: keep ASCII, mark every other byte.
  out.clear();
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    out.push_back(b < 0x80 ? static_cast<wchar_t>(b) : kReplacement);
  }
  return out;
}

std::string NarrowWideArgument(std::wstring_view text) {
  std::string out;
  for (wchar_t wc : text) {
    auto cp = static_cast<uint32_t>(wc);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace crt::detail
