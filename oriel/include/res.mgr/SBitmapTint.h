// Colourising: each pixel keeps its lightness and takes the hue and
// saturation of the colourise colour, fully (opaque colour) or blended
// (weight from the colour's alpha; 0 alpha weighs 0.8).
#pragma once

#include "render/IRender.h"

namespace ORIEL {

class SBitmapTint {
 public:
  // A colour word (red in the low byte) changed in place.
  static void ColorizeColor(COLORREF& color, COLORREF colorize);
  // Every premultiplied BGRA pixel of the bitmap; false without pixels.
  static bool ColorizeBitmap(IBitmap* bitmap, COLORREF colorize);
  // One premultiplied BGRA pixel.
  static uint32_t ColorizePixel(uint32_t pixel, COLORREF colorize);
};

}  // namespace ORIEL
