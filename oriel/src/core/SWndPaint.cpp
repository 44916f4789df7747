// What a window paints, in z-order, and how its repaint requests reach
// the host.
#include <algorithm>

#include "core/SApplication.h"
#include "core/SwndContainer.h"

namespace ORIEL {

namespace {

bool Intersect(RECT& out, const RECT& a, const RECT& b) { return IntersectRect(&out, &a, &b) != 0; }

}  // namespace

DWORD SWindow::ChangeState(DWORD add, DWORD remove, BOOL redraw) {
  const DWORD old = state_;
  state_ = add | (old & ~remove);
  EventSwndStateChanged e(this);
  e.dwOldState = old;
  e.dwNewState = state_;
  RaiseEvent(&e);
  if (redraw && NeedRedrawOnStateChange()) Invalidate();
  return old;
}

BOOL SWindow::NeedRedrawOnStateChange() const {
  if (bkgndSkin_ && !bkgndSkin_->IgnoreState()) return TRUE;
  return style_->GetStateCount() > 1;
}

int SWindow::StateIndex() const {
  if (state_ & WndState_Disable) return 3;
  if (state_ & (WndState_PushDown | WndState_Check)) return 2;
  if (state_ & WndState_Hover) return 1;
  return 0;
}

void SWindow::InvalidateRect(const RECT& rc, bool markCache) {
  if (markCache) flags_ |= kFlagCacheDirty;
  if ((state_ & WndState_Invisible) || updateLock_ > 0) return;
  RECT clipped;
  if (!Intersect(clipped, rc, rect_)) return;
  ++invalidated_;
  // Windows repaint over their parent's background, so the request goes
  // up to the host as a rectangle.
  if (parent_) parent_->InvalidateRect(clipped, false);
  else if (container_) container_->InvalidateHostRect(clipped);
}

BOOL SWindow::IsCacheMode() const {
  return (flags_ & kFlagCache) || (!(flags_ & kFlagLayered) && style_->GetAlpha() < 255);
}

void SWindow::UpdateCacheMode() {
  if (!IsCacheMode()) {
    cache_.reset();
    return;
  }
  const int w = rect_.right - rect_.left, h = rect_.bottom - rect_.top;
  SApplication* app = SApplication::getSingletonPtr();
  if (!cache_) {
    IRenderTarget* rt = nullptr;
    if (!app || !app->GetRenderFactory()->CreateRenderTarget(&rt, std::max(w, 0), std::max(h, 0))) return;
    cache_.Attach(rt);
  } else {
    cache_->Resize(SIZE{std::max(w, 0), std::max(h, 0)});
  }
  // The cache is addressed in host coordinates, like the host's target.
  cache_->SetViewportOrg(POINT{-rect_.left, -rect_.top});
  flags_ |= kFlagCacheDirty;
}

// --- default painting ---------------------------------------------------

void SWindow::OnEraseBkgnd(IRenderTarget* rt) {
  const RECT client = ClientRect();
  if (bkgndSkin_) {
    const int index = StateIndex();
    bkgndSkin_->DrawByIndex(rt, &client, bkgndSkin_->StateCount() > index ? index : 0);
  } else if (style_->GetBkgndColor() != kRenderNoColor) {
    rt->FillSolidRect(&client, style_->GetBkgndColor());
  }
}

void SWindow::OnPaint(IRenderTarget* rt) {
  const SStringW text = text_.GetText();
  if (text.IsEmpty()) return;
  const int index = StateIndex();
  IRenderObj* oldFont = nullptr;
  IFont* font = style_->GetFontForState(index);
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF color = style_->GetTextColorForState(index);
  const COLORREF oldColor = color != kRenderNoColor ? rt->SetTextColor(color) : kRenderNoColor;
  RECT rc = TextRectangle();
  rt->DrawText(text.c_str(), text.GetLength(), &rc, style_->GetDrawTextFormat());
  if (color != kRenderNoColor) rt->SetTextColor(oldColor);
  if (font) rt->SelectObject(oldFont, nullptr);
}

void SWindow::OnNcPaint(IRenderTarget* rt) {
  const RECT client = ClientRect();
  if ((state_ & WndState_Invisible) || EqualRect(&client, &rect_)) return;
  rt->PushClipRect(&client, 4 /* outside the client area */);
  if (ncSkin_) {
    ncSkin_->DrawByIndex(rt, &rect_, (state_ & WndState_Hover) && ncSkin_->StateCount() >= 2 ? 1 : 0);
  } else if (style_->GetBorderColor() != kRenderNoColor) {
    rt->FillSolidRect(&rect_, style_->GetBorderColor());
  }
  rt->PopClip();
}

// --- painting the tree --------------------------------------------------

void SWindow::PaintClient(IRenderTarget* rt) {
  if (!IsCacheMode()) {
    ++painted_;
    SendSwndMessage(SWM_ERASEBKGND, reinterpret_cast<WPARAM>(rt));
    SendSwndMessage(SWM_PAINT, reinterpret_cast<WPARAM>(rt));
    return;
  }
  if (!cache_) UpdateCacheMode();
  if (!cache_) return;
  if (flags_ & kFlagCacheDirty) {
    ++painted_;
    cache_->ClearRect(&rect_, 0);
    cache_->SetTextColor(rt->GetTextColor());
    SendSwndMessage(SWM_ERASEBKGND, reinterpret_cast<WPARAM>(cache_.get()));
    SendSwndMessage(SWM_PAINT, reinterpret_cast<WPARAM>(cache_.get()));
    flags_ &= ~kFlagCacheDirty;
  }
  RECT clip, box;
  rt->GetClipBox(&clip);
  if (!Intersect(box, clip, rect_)) return;
  const BYTE alpha = (flags_ & kFlagLayered) ? 255 : style_->GetAlpha();
  RECT src = box;
  rt->AlphaBlend(&box, cache_, &src, alpha);
}

void SWindow::PaintNonClient(IRenderTarget* rt) {
  const RECT client = ClientRect();
  if (EqualRect(&client, &rect_)) return;
  SendSwndMessage(SWM_NCPAINT, reinterpret_cast<WPARAM>(rt));
}

void SWindow::PaintZRange(IRenderTarget* rt, const RECT* box, int low, int high) {
  if (state_ & WndState_Invisible) return;
  const RECT client = ClientRect();
  const RECT area = box ? *box : rect_;
  RECT scratch;
  const bool insideClient = Intersect(scratch, area, client) && EqualRect(&scratch, &area);
  const bool inRange = zorder_ >= low && zorder_ < high;
  if (flags_ & kFlagClipClient) rt->PushClipRect(&client, 1 /* and */);
  if (inRange && (!box || Intersect(scratch, *box, client))) PaintClient(rt);

  // Children inherit the font and colour this window selects.
  IRenderObj* oldFont = nullptr;
  IFont* font = style_->GetFontForState(StateIndex());
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF color = style_->GetTextColorForState(StateIndex());
  const COLORREF oldColor = color != kRenderNoColor ? rt->SetTextColor(color) : kRenderNoColor;
  for (SWindow* c = firstChild_; c; c = c->nextSibling_) {
    if (c->zorder_ >= high) break;
    if (c->zorder_ < low && c->nextSibling_ && c->nextSibling_->zorder_ <= low) continue;
    c->PaintZRange(rt, box, low, high);
  }
  if (color != kRenderNoColor) rt->SetTextColor(oldColor);
  if (font) rt->SelectObject(oldFont, nullptr);
  if (flags_ & kFlagClipClient) rt->PopClip();

  if (inRange && !insideClient && (!box || Intersect(scratch, *box, rect_))) PaintNonClient(rt);
}

}  // namespace ORIEL
