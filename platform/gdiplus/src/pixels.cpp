#include <algorithm>

#include "GpObjects.h"

using namespace Gdiplus;

uint32_t GdipToPremultiplied(uint32_t px, PixelFormat from) {
  uint32_t a = px >> 24;
  if (from == PixelFormat32bppRGB) return px | 0xFF000000u;
  if (from == PixelFormat32bppPARGB) {
    // Keep colour within alpha so the pixel stays a valid premultiplied one.
    uint32_t r = std::min((px >> 16) & 0xFF, a), g = std::min((px >> 8) & 0xFF, a), b = std::min(px & 0xFF, a);
    return (a << 24) | (r << 16) | (g << 8) | b;
  }
  // c * a / 255 rounded to the nearest integer, without a division.
  auto pm = [a](uint32_t c) { uint32_t t = c * a + 128; return (t + (t >> 8)) >> 8; };
  return (a << 24) | (pm((px >> 16) & 0xFF) << 16) | (pm((px >> 8) & 0xFF) << 8) | pm(px & 0xFF);
}

uint32_t GdipFromPremultiplied(uint32_t px, PixelFormat to) {
  if (to == PixelFormat32bppPARGB) return px;
  uint32_t a = px >> 24;
  if (a == 0) return to == PixelFormat32bppRGB ? 0xFF000000u : 0;
  auto un = [a](uint32_t c) { uint32_t v = (c * 255 + a / 2) / a; return v > 255 ? 255u : v; };
  uint32_t rgb = (un((px >> 16) & 0xFF) << 16) | (un((px >> 8) & 0xFF) << 8) | un(px & 0xFF);
  return (to == PixelFormat32bppRGB ? 0xFF000000u : (a << 24)) | rgb;
}
