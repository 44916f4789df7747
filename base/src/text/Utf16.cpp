#include "base/Utf16.h"

#include <cstdint>
#include <type_traits>

namespace base {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void PutUnit(std::string& out, uint16_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>(unit >> 8));
}

char32_t Sanitised(wchar_t c) {
  const auto cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return kReplacement;
  return cp;
}

}  // namespace

bool HasUtf16LeBom(std::string_view bytes) { return bytes.substr(0, 2) == kUtf16LeBom; }

void AppendUtf16Le(std::string& out, std::wstring_view text) {
  out.reserve(out.size() + text.size() * 2);
  for (wchar_t c : text) {
    const char32_t cp = Sanitised(c);
    if (cp < 0x10000) {
      PutUnit(out, static_cast<uint16_t>(cp));
    } else {
      const char32_t v = cp - 0x10000;
      PutUnit(out, static_cast<uint16_t>(0xD800 + (v >> 10)));
      PutUnit(out, static_cast<uint16_t>(0xDC00 + (v & 0x3FF)));
    }
  }
}

std::string Utf16LeEncode(std::wstring_view text, bool withBom) {
  std::string out;
  if (withBom) out.append(kUtf16LeBom);
  AppendUtf16Le(out, text);
  return out;
}

std::wstring Utf16LeDecode(std::string_view bytes, bool skipBom) {
  if (skipBom && HasUtf16LeBom(bytes)) bytes.remove_prefix(2);
  std::wstring out;
  out.reserve(bytes.size() / 2 + 1);
  const size_t units = bytes.size() / 2;
  auto unitAt = [&](size_t i) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                 (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  };
  for (size_t i = 0; i < units; ++i) {
    const uint16_t u = unitAt(i);
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 < units) {
        const uint16_t low = unitAt(i + 1);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
          ++i;
          continue;
        }
      }
      out.push_back(static_cast<wchar_t>(kReplacement));
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(kReplacement));
    } else {
      out.push_back(static_cast<wchar_t>(u));
    }
  }
  if (bytes.size() % 2 != 0) out.push_back(static_cast<wchar_t>(kReplacement));
  return out;
}

size_t Utf16UnitCount(std::wstring_view text) {
  size_t units = 0;
  for (wchar_t c : text) units += Sanitised(c) >= 0x10000 ? 2 : 1;
  return units;
}

}  // namespace base
