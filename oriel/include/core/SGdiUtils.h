// Conversions between HIMETRIC units and screen pixels, and the saving of a
// 32-bit bitmap's alpha channel around GDI drawing that would clobber it.
#pragma once

#include <vector>

#include "gdi/gdi.h"

namespace ORIEL {

// Per axis, with the screen's pixels per inch read fresh each call.
void HiMetricToPixel(const SIZE* himetric, SIZE* pixels);
void PixelToHiMetric(const SIZE* pixels, SIZE* himetric);

// What GdiAlphaSave kept: the selected bitmap, the clipped rectangle and the
// alpha bytes, owned by the record itself (so any number of saves may be
// outstanding at once).
struct GdiAlphaRecord {
  BITMAP bm{};
  RECT rc{};
  std::vector<BYTE> alpha;
  bool saved = false;
};

// False unless the DC's bitmap has 32 bits per pixel. The rectangle's right
// and bottom edges are included, moved by the viewport origin and clipped
// to the bitmap; an empty clip saves nothing.
bool GdiAlphaSave(HDC hdc, const RECT* rc, GdiAlphaRecord* record);
void GdiAlphaRestore(GdiAlphaRecord* record);

void IntPair_Set(POINT* pt, int a, int b);
void IntPair_Set(SIZE* sz, int a, int b);

}  // namespace ORIEL
