#pragma once
// A byte count scaled by 1024 until it is below 1024 or the unit table
// ends: "B", "KB", "MB", "GB", "TB". Stopping at the last unit keeps huge
// sizes readable ("2048TB") instead of reading past the table.

#include <cstdint>

struct ScaledSize {
  double value;
  int unitIndex;
  const wchar_t* unit;
};

ScaledSize ScaleSize(uint64_t bytes);
