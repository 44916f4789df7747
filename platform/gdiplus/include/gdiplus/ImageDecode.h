// Image decoding through gdk-pixbuf into premultiplied 32-bit BGRA frames
// (Cairo's ARGB32 layout), shared by GDI+ and the image-decoder plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedFrame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width x height, rows from the top
  int delay = 0;                 // 1/100 s, as the file gives it; 0 for stills
};

struct DecodedImage {
  std::string format;  // gdk-pixbuf's name: "png", "jpeg", "bmp", "gif", "ico", ...
  std::vector<DecodedFrame> frames;
};

// Decodes every frame (all frames of an animated GIF, composited as they
// show). False with a message in `error` for unreadable or damaged data; a
// false result leaves `out` without frames.
bool DecodeImageBytes(const void* data, size_t size, DecodedImage* out, std::string* error);
bool DecodeImageFile(const std::string& utf8Path, DecodedImage* out, std::string* error);

// Frame count and delays (1/100 s) straight from a GIF's blocks; empty when
// the bytes are not a well-formed GIF.
std::vector<int> GifFrameDelays(const unsigned char* data, size_t size);
