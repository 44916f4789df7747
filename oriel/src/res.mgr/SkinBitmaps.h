// Bitmap work the image skins share: rounding like MulDiv, copying pixels
// between equal-sized bitmaps, and scaling a strip of cells so that
// neighbouring cells do not bleed into each other.
#pragma once

#include "gdi/gdi.h"
#include "render/IRender.h"

namespace ORIEL {

int MulDivRound(int value, int numerator, int denominator);
// Copies all pixels of `from` into `to` (same size); false otherwise.
bool CopyPixels(IBitmap* from, IBitmap* to);
// The image scaled to `newCell` per cell, each cell of `source` scaled on
// its own (filter level high); one reference, or null.
IBitmap* ScaleCells(IBitmap* image, IBitmap* source, int states, bool vertical, SIZE newCell);

}  // namespace ORIEL
