#include "crt/utf8.h"

#include <cstdint>

namespace crt {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(uint32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }

void Encode(uint32_t cp, std::string& out) {
  if (!IsScalarValue(cp)) cp = kReplacement;
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

// The well-formed sequence at the start of `in`: its length, or 0 when the
// first byte begins none.
size_t DecodeOne(std::string_view in, char32_t& cp) {
  const auto b0 = static_cast<uint8_t>(in[0]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t extra;
  uint32_t value;
  uint32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, value = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, value = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, value = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (extra >= in.size()) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(in[k]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < min || !IsScalarValue(value)) return 0;
  cp = value;
  return extra + 1;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) Encode(static_cast<uint32_t>(wc), out);
  return out;
}

std::string WideToUtf8(const wchar_t* text) {
  return text ? WideToUtf8(std::wstring_view(text)) : std::string();
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t cp = kReplacement;
    size_t used = DecodeOne(bytes, cp);
    if (used == 0) used = 1;  // cp stays U+FFFD; the next byte starts afresh
    out.push_back(static_cast<wchar_t>(cp));
    bytes.remove_prefix(used);
  }
  return out;
}

bool Utf8ToWideStrict(std::string_view bytes, std::wstring& out) {
  out.clear();
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t cp = 0;
    const size_t used = DecodeOne(bytes, cp);
    if (used == 0) {
      out.clear();
      return false;
    }
    out.push_back(static_cast<wchar_t>(cp));
    bytes.remove_prefix(used);
  }
  return true;
}

}  // namespace crt
