// The 128-bit identifier of interfaces, classes and image formats.
#pragma once

#include <cstdint>

typedef struct _GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;
