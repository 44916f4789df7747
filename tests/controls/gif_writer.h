// Writes small animated GIFs for tests: solid-colour frames of one size,
// each with its delay in hundredths of a second (-1: no delay block).
// The picture data restarts its code table every two pixels, so every code
// stays three bits wide and no compressor is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gif_writer {

struct Frame {
  uint32_t rgb;  // 0xRRGGBB, one of at most four colours
  int delay;
};

inline std::string Write(int width, int height, const std::vector<Frame>& frames) {
  std::vector<uint32_t> palette;
  for (const Frame& f : frames) {
    bool known = false;
    for (uint32_t c : palette) known = known || c == f.rgb;
    if (!known) palette.push_back(f.rgb);
  }
  palette.resize(4, 0);
  std::string out = "GIF89a";
  auto u16 = [&](int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  u16(width);
  u16(height);
  out += static_cast<char>(0x81);  // global table of 4 colours
  out += '\0';
  out += '\0';
  for (uint32_t c : palette) {
    out += static_cast<char>(c >> 16);
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c);
  }
  for (const Frame& f : frames) {
    if (f.delay >= 0) {
      out += "\x21\xF9\x04";
      out += static_cast<char>(0x04);  // leave the frame in place
      u16(f.delay);
      out += '\0';
      out += '\0';
    }
    out += '\x2C';
    u16(0);
    u16(0);
    u16(width);
    u16(height);
    out += '\0';
    out += '\x02';  // minimum code size
    uint8_t index = 0;
    while (palette[index] != f.rgb) ++index;
    std::vector<uint8_t> bytes;
    uint32_t acc = 0;
    int bits = 0;
    auto code = [&](uint32_t c) {
      acc |= c << bits;
      bits += 3;
      while (bits >= 8) {
        bytes.push_back(static_cast<uint8_t>(acc));
        acc >>= 8;
        bits -= 8;
      }
    };
    const int pixels = width * height;
    for (int p = 0; p < pixels; ++p) {
      if (p % 2 == 0) code(4);  // clear
      code(index);
    }
    code(5);  // end of information
    if (bits) bytes.push_back(static_cast<uint8_t>(acc));
    for (size_t at = 0; at < bytes.size(); at += 255) {
      const size_t n = std::min<size_t>(255, bytes.size() - at);
      out += static_cast<char>(n);
      out.append(reinterpret_cast<const char*>(bytes.data() + at), n);
    }
    out += '\0';
  }
  out += '\x3B';
  return out;
}

}  // namespace gif_writer
