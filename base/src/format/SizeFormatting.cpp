#include <charconv>

#include "base/Formatting.h"
#include "files/StringBridge.h"
#include "format/SizeScale.h"

namespace {

// Two decimals with a '.' whatever the process locale says: these texts
// end up in settings and logs.
std::wstring TwoDecimals(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value,
                                    std::chars_format::fixed, 2);
  return std::wstring(buffer, result.ptr);
}

std::wstring SpacedSize(uint64_t bytes) {
  const ScaledSize s = ScaleSize(bytes);
  return TwoDecimals(s.value) + L" " + s.unit;
}

}  // namespace

std::wstring FormatFileSize(uint64_t bytes) {
  const ScaledSize s = ScaleSize(bytes);
  return TwoDecimals(s.value) + s.unit;
}

SStringW FormatFileSizeCString(uint64_t bytes) { return ToSString(FormatFileSize(bytes)); }

std::wstring FormatSizeText(int64_t bytes) {
  if (bytes < 0) return std::wstring();
  return SpacedSize(static_cast<uint64_t>(bytes));
}

bool FormatSizeCheck(SStringW& out, int64_t bytes) {
  if (bytes < 0) return false;
  const ScaledSize s = ScaleSize(static_cast<uint64_t>(bytes));
  out = ToSString(SpacedSize(static_cast<uint64_t>(bytes)));
  return s.unitIndex >= 3 || (s.unitIndex == 2 && s.value >= 2.0);
}
