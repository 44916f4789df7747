// Pictures for the picture-window tests: a small solid BMP whose bytes all
// stay below 0x80, so the test server can send it back from a query
// parameter unchanged, and the query text that carries it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace image_test {

// A size x size 24-bit BMP of one colour; each channel must be below 0x80,
// and so must the bytes of the sizes (4 and 16 qualify, 6 does not).
inline std::string SolidBmp(int size, uint8_t r, uint8_t g, uint8_t b) {
  const int row = (size * 3 + 3) / 4 * 4;
  const int pixels = row * size;
  std::string out;
  auto u16 = [&](int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  auto u32 = [&](int v) {
    u16(v & 0xFFFF);
    u16((v >> 16) & 0xFFFF);
  };
  out += "BM";
  u32(54 + pixels);
  u32(0);
  u32(54);
  u32(40);
  u32(size);
  u32(size);
  u16(1);
  u16(24);
  u32(0);
  u32(pixels);
  u32(0);
  u32(0);
  u32(0);
  u32(0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      out += static_cast<char>(b);
      out += static_cast<char>(g);
      out += static_cast<char>(r);
    }
    out.append(row - size * 3, '\0');
  }
  return out;
}

// Every byte as %XX.
inline std::string PercentEncoded(const std::string& bytes) {
  std::string out;
  char hex[4];
  for (unsigned char c : bytes) {
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    out += hex;
  }
  return out;
}

}  // namespace image_test
