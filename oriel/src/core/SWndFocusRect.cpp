// The focus rectangle of a focused window.
#include "core/SWnd.h"

namespace ORIEL {

namespace {
constexpr int kPenDot = 2;
constexpr COLORREF kFocusRectColor = 0xFF585858;
}  // namespace

void SWindow::PaintFocusIndicator(IRenderTarget* rt) {
  if (!rt || !(flags_ & kFlagFocusable) || !(flags_ & kFlagDrawFocusRect)) return;
  DrawDottedFocusRect(rt, TextRectangle());
}

void SWindow::DrawDottedFocusRect(IRenderTarget* rt, const RECT& rc) {
  IPen* pen = nullptr;
  if (FAILED(rt->CreatePen(kPenDot, kFocusRectColor, 1, &pen)) || !pen) return;
  // Held across the swap: the target may hold the only reference.
  IRenderObj* oldPen = rt->GetCurrentObject(OT_PEN);
  if (oldPen) oldPen->AddRef();
  rt->SelectObject(pen, nullptr);
  RECT inner = rc;
  InflateRect(&inner, -2, -2);
  rt->DrawRectangle(&inner);
  if (oldPen) {
    rt->SelectObject(oldPen, nullptr);
    oldPen->Release();
  }
  pen->Release();
}

}  // namespace ORIEL
