#include "res.mgr/SBitmapTint.h"

#include <algorithm>

#include "core/SMap.h"

namespace ORIEL {
namespace {

struct Hls {
  int h, l, s;
};

Hls RgbToHls(int r, int g, int b) {
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  Hls out{};
  out.l = ((mx + mn + 1) * 255) / 510;
  if (mx == mn) {
    out.s = 0;
    out.h = 170;
    return out;
  }
  const int d = mx - mn;
  if (out.l <= 127)
    out.s = (d * 255 + (mx + mn) / 2) / (mx + mn);
  else
    out.s = (d * 255 + (510 - mx - mn) / 2) / (510 - mx - mn);
  const int rd = ((mx - r) * 42 + d / 2) / d;
  const int gd = ((mx - g) * 42 + d / 2) / d;
  const int bd = ((mx - b) * 42 + d / 2) / d;
  int h;
  if (r == mx)
    h = bd - gd;
  else if (g == mx)
    h = 85 + rd - bd;
  else
    h = 170 + gd - rd;
  out.h = ((h % 256) + 256) % 256;
  return out;
}

double HueToChannel(double m1, double m2, double x) {
  if (x > 360)
    x -= 360;
  else if (x < 0)
    x += 360;
  if (x < 60) return m1 + (m2 - m1) * x / 60;
  if (x < 180) return m2;
  if (x < 240) return m1 + (m2 - m1) * (240 - x) / 60;
  return m1;
}

void HlsToRgb(int H, int L, int S, int& r, int& g, int& b) {
  const double l = L / 255.0, s = S / 255.0;
  const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  if (s == 0) {
    r = g = b = static_cast<int>(l * 255);
    return;
  }
  const double m1 = 2 * l - m2;
  const double h = H * 360.0 / 255.0;
  r = static_cast<int>(HueToChannel(m1, m2, h + 120) * 255);
  g = static_cast<int>(HueToChannel(m1, m2, h) * 255);
  b = static_cast<int>(HueToChannel(m1, m2, h - 120) * 255);
}

struct Tint {
  Hls hls;
  int weight;  // 0-256
  explicit Tint(COLORREF c) {
    hls = RgbToHls(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    const int alpha = static_cast<int>((c >> 24) & 0xFF);
    weight = alpha == 0 ? 204 : static_cast<int>(alpha / 255.0 * 256.0);
  }
  uint32_t Apply(uint32_t px) const {
    const int a = static_cast<int>(px >> 24);
    if (a == 0) return px;
    int b = static_cast<int>(px & 0xFF), g = static_cast<int>((px >> 8) & 0xFF), r = static_cast<int>((px >> 16) & 0xFF);
    if (a != 255) {
      // Channels above alpha are not valid premultiplied colour: clamp them
      // so un-premultiplying cannot overflow a byte.
      b = std::min(b, a) * 255 / a;
      g = std::min(g, a) * 255 / a;
      r = std::min(r, a) * 255 / a;
    }
    int nr, ng, nb;
    if (weight == 256) {
      const Hls own = RgbToHls(r, g, b);
      HlsToRgb(hls.h, own.l, hls.s, nr, ng, nb);
    } else {
      const int y = (b * 117 + g * 601 + r * 306) >> 10;
      HlsToRgb(hls.h, y, hls.s, nr, ng, nb);
      nr = (r * (256 - weight) + nr * weight) >> 8;
      ng = (g * (256 - weight) + ng * weight) >> 8;
      nb = (b * (256 - weight) + nb * weight) >> 8;
    }
    if (a != 255) {
      nr = nr * a / 255;
      ng = ng * a / 255;
      nb = nb * a / 255;
    }
    auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return (static_cast<uint32_t>(a) << 24) | (clamp(nr) << 16) | (clamp(ng) << 8) | clamp(nb);
  }
};

}  // namespace

uint32_t SBitmapTint::ColorizePixel(uint32_t pixel, COLORREF colorize) { return Tint(colorize).Apply(pixel); }

void SBitmapTint::ColorizeColor(COLORREF& color, COLORREF colorize) {
  // The colour word with red and blue exchanged is a BGRA pixel.
  const uint32_t px = (color & 0xFF00FF00u) | ((color & 0xFF) << 16) | ((color >> 16) & 0xFF);
  const uint32_t out = Tint(colorize).Apply(px);
  color = (out & 0xFF00FF00u) | ((out & 0xFF) << 16) | ((out >> 16) & 0xFF);
}

bool SBitmapTint::ColorizeBitmap(IBitmap* bitmap, COLORREF colorize) {
  if (!bitmap) return false;
  auto* px = static_cast<uint32_t*>(bitmap->LockPixelBits());
  if (!px) return false;
  const Tint tint(colorize);
  SMap<uint32_t, uint32_t> done(17, 0.75f, 0.25f, 2.25f, 10);
  const size_t n = static_cast<size_t>(bitmap->Width()) * bitmap->Height();
  for (size_t i = 0; i < n; ++i) {
    uint32_t result;
    if (!done.Lookup(px[i], result)) {
      result = tint.Apply(px[i]);
      done.SetAt(px[i], result);
    }
    px[i] = result;
  }
  bitmap->UnlockPixelBits(px);
  return true;
}

}  // namespace ORIEL
