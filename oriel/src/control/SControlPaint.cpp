#include "control/SControlPaint.h"

#include "res.mgr/SFontPool.h"

namespace ORIEL {

SPaintState ApplyPaintState(SWindow* window, IRenderTarget* rt, int state) {
  SPaintState saved;
  const int index = state >= 0 ? state : window->StateIndex();
  if (IFont* font = window->GetStyle().GetFontForState(index)) {
    rt->SelectObject(font, &saved.oldFont);
    saved.fontSelected = true;
  }
  COLORREF color = window->GetStyle().GetTextColorForState(index);
  if (color == kRenderNoColor) color = 0xFF000000;
  saved.oldColor = rt->SetTextColor(color);
  saved.colorSet = true;
  return saved;
}

void RestorePaintState(IRenderTarget* rt, const SPaintState& saved) {
  if (saved.colorSet) rt->SetTextColor(saved.oldColor);
  if (saved.fontSelected) rt->SelectObject(saved.oldFont, nullptr);
}

}  // namespace ORIEL
