#include "core/SMemoryDC.h"

namespace ORIEL {

SMemoryDC::SMemoryDC(HDC dc, HBITMAP bitmap) : dc_(CreateCompatibleDC(dc)) {
  if (dc_ && bitmap) SwapBitmap(bitmap);
}

SMemoryDC::~SMemoryDC() {
  if (!dc_) return;
  HBITMAP taken = selected_ ? static_cast<HBITMAP>(SelectObject(dc_, previous_)) : nullptr;
  if (taken && owned_) DeleteObject(taken);
  DeleteDC(dc_);
}

bool SMemoryDC::CreateForRect(HDC dc, const RECT& rc) {
  if (dc_) return false;
  dc_ = CreateCompatibleDC(dc);
  if (!dc_) return false;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, rc.right - rc.left, rc.bottom - rc.top);
  if (!bitmap) {
    DeleteDC(dc_);
    dc_ = nullptr;
    return false;
  }
  previous_ = static_cast<HBITMAP>(SelectObject(dc_, bitmap));
  owned_ = true;
  selected_ = true;
  SetViewportOrgEx(dc_, -rc.left, -rc.top, nullptr);
  return true;
}

HBITMAP SMemoryDC::SwapBitmap(HBITMAP bitmap) {
  if (!dc_) return nullptr;
  if (bitmap) {
    HBITMAP replaced = static_cast<HBITMAP>(SelectObject(dc_, bitmap));
    // Only the DC's first bitmap is remembered; an own bitmap swapped out
    // goes to the caller.
    if (!selected_) previous_ = replaced;
    owned_ = false;
    selected_ = true;
    SetViewportOrgEx(dc_, 0, 0, nullptr);
    return replaced;
  }
  if (!selected_) return nullptr;
  HBITMAP taken = static_cast<HBITMAP>(SelectObject(dc_, previous_));
  previous_ = nullptr;
  owned_ = false;
  selected_ = false;
  return taken;
}

}  // namespace ORIEL
