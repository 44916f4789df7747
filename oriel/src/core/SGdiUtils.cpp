#include "core/SGdiUtils.h"

#include <algorithm>

#include "res.mgr/SkinBitmaps.h"

namespace ORIEL {
namespace {

int ScreenDpi(int index) {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, index);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

void HiMetricToPixel(const SIZE* himetric, SIZE* pixels) {
  pixels->cx = MulDivRound(ScreenDpi(LOGPIXELSX), himetric->cx, 2540);
  pixels->cy = MulDivRound(ScreenDpi(LOGPIXELSY), himetric->cy, 2540);
}

void PixelToHiMetric(const SIZE* pixels, SIZE* himetric) {
  himetric->cx = MulDivRound(2540, pixels->cx, ScreenDpi(LOGPIXELSX));
  himetric->cy = MulDivRound(2540, pixels->cy, ScreenDpi(LOGPIXELSY));
}

bool GdiAlphaSave(HDC hdc, const RECT* rc, GdiAlphaRecord* record) {
  record->alpha.clear();
  record->saved = false;
  HGDIOBJ bmp = GetCurrentObject(hdc, OBJ_BITMAP);
  if (!bmp || GetObjectW(bmp, sizeof record->bm, &record->bm) == 0 || record->bm.bmBitsPixel != 32) return false;
  POINT org{};
  GetViewportOrgEx(hdc, &org);
  RECT r{rc->left + org.x, rc->top + org.y, rc->right + 1 + org.x, rc->bottom + 1 + org.y};
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, record->bm.bmWidth);
  r.bottom = std::min<LONG>(r.bottom, record->bm.bmHeight);
  record->rc = r;
  if (r.right <= r.left || r.bottom <= r.top || !record->bm.bmBits) return true;
  const auto* bits = static_cast<const BYTE*>(record->bm.bmBits);
  const size_t rowBytes = static_cast<size_t>(record->bm.bmWidth) * 4;
  record->alpha.reserve(static_cast<size_t>(r.right - r.left) * (r.bottom - r.top));
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) record->alpha.push_back(bits[y * rowBytes + x * 4 + 3]);
  record->saved = true;
  return true;
}

void GdiAlphaRestore(GdiAlphaRecord* record) {
  if (!record || !record->saved) return;
  auto* bits = static_cast<BYTE*>(record->bm.bmBits);
  const size_t rowBytes = static_cast<size_t>(record->bm.bmWidth) * 4;
  const RECT& r = record->rc;
  size_t i = 0;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) bits[y * rowBytes + x * 4 + 3] = record->alpha[i++];
  record->alpha.clear();
  record->saved = false;
}

void IntPair_Set(POINT* pt, int a, int b) {
  pt->x = a;
  pt->y = b;
}

void IntPair_Set(SIZE* sz, int a, int b) {
  sz->cx = a;
  sz->cy = b;
}

}  // namespace ORIEL
