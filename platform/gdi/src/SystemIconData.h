// The system icons' PNG bytes, embedded at build time.
#pragma once

#include <cstddef>

struct SystemIconData {
  int id;                     // the IDI_* number
  const unsigned char* png;
  size_t size;
};

extern const SystemIconData kSystemIcons[];
extern const int kSystemIconCount;
