// Painting helpers the scrolling controls share: the font and text colour
// of a window's style for its state, and a repaint of one rectangle at
// once, outside the host's paint cycle.
#pragma once

#include <utility>

#include "core/SwndContainer.h"

namespace ORIEL {

// What ApplyPaintState selected, to be restored.
struct SPaintState {
  IRenderObj* oldFont = nullptr;
  bool fontSelected = false;
  COLORREF oldColor = kRenderNoColor;
  bool colorSet = false;
};

// Selects the style's font and text colour for the window's state (or the
// given state index); a missing text colour becomes opaque black.
SPaintState ApplyPaintState(SWindow* window, IRenderTarget* rt, int state = -1);
void RestorePaintState(IRenderTarget* rt, const SPaintState& saved);

// Draws `draw(rt)` into the host's target clipped to `rc` (host
// coordinates), with the window's background first when `erase` is set.
// Nothing when the window is hidden or has no host.
template <class Draw>
void PaintAtOnce(SWindow* window, const RECT& rc, bool erase, Draw&& draw) {
  ISwndContainer* container = window->GetContainer();
  if (!container || !window->IsVisible(TRUE) || IsRectEmpty(&rc)) return;
  IRenderTarget* rt = container->AcquireRenderTarget(rc, 0);
  if (!rt) return;
  rt->PushClipRect(&rc, kCombineAnd);
  if (erase) window->SendSwndMessage(SWM_ERASEBKGND, reinterpret_cast<WPARAM>(rt));
  std::forward<Draw>(draw)(rt);
  rt->PopClip();
  container->ReleaseRenderTarget(rt, rc, 0);
}

}  // namespace ORIEL
