#include "format/SizeScale.h"

namespace {
const wchar_t* const kUnits[] = {L"B", L"KB", L"MB", L"GB", L"TB"};
constexpr int kLastUnit = static_cast<int>(sizeof(kUnits) / sizeof(kUnits[0])) - 1;
}  // namespace

ScaledSize ScaleSize(uint64_t bytes) {
  double value = static_cast<double>(bytes);
  int index = 0;
  while (value >= 1024.0 && index < kLastUnit) {
    value *= 0.0009765625;
    ++index;
  }
  return {value, index, kUnits[index]};
}
