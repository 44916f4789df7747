// A scoped memory DC, with a bitmap selected into it: the caller's (left
// to the caller) or its own, made for a rectangle and addressed in that
// rectangle's coordinates. The DC's first bitmap is selected back and the
// DC deleted when the object goes.
#pragma once

#include "gdi/gdi.h"

namespace ORIEL {

class SMemoryDC {
 public:
  SMemoryDC() = default;
  // A DC compatible with `dc`, holding `bitmap` when one is given.
  SMemoryDC(HDC dc, HBITMAP bitmap);
  ~SMemoryDC();
  SMemoryDC(const SMemoryDC&) = delete;
  SMemoryDC& operator=(const SMemoryDC&) = delete;

  // On an empty object: a DC and an own bitmap of the rectangle's size,
  // with the viewport moved so that drawing uses the rectangle's
  // coordinates. False when a DC exists already or either cannot be made.
  bool CreateForRect(HDC dc, const RECT& rc);
  // With a bitmap: selects it (not owned) and returns the one it replaced.
  // With none: puts the DC's first bitmap back and returns the one taken
  // out; null when nothing was selected.
  HBITMAP SwapBitmap(HBITMAP bitmap);

  HDC GetDC() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP previous_ = nullptr;  // the bitmap ours replaced
  bool owned_ = false;
  bool selected_ = false;
};

}  // namespace ORIEL
