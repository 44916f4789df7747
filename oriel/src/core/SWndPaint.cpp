// What a window paints, in z-order, and how its repaint requests reach
// the host.
#include <algorithm>

#include "core/SApplication.h"
#include "core/SwndContainer.h"
#include "win32/windows.h"

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
  if (!style_->IsBkgndBlend()) {
    // Opaque over its parent: the window repaints alone at the host's next
    // paint, without the windows below it.
    if (!invalidRgn_) {
      SApplication* app = SApplication::getSingletonPtr();
      IRegion* rgn = nullptr;
      if (!app || !app->GetRenderFactory()->CreateRegion(&rgn)) return;
      invalidRgn_.Attach(rgn);
    }
    invalidRgn_->CombineRect(&clipped, kCombineOr);
    if (HWND host = container_ ? container_->GetHostHwnd() : nullptr)
      SendMessageW(host, 0x2B74, static_cast<WPARAM>(handle_), 0);
    return;
  }
  // Windows repaint over their parent's background, so the request goes
  // up to the host as a rectangle.
  if (parent_) parent_->InvalidateRect(clipped, false);
  else if (container_) container_->InvalidateHostRect(clipped);
}

BOOL SWindow::IsCacheMode() const {
  return (flags_ & kFlagCache) || (!(flags_ & kFlagLayered) && style_->GetAlpha() < 255);
}

void SWindow::UpdateCacheMode() {
  const int w = rect_.right - rect_.left, h = rect_.bottom - rect_.top;
  SApplication* app = SApplication::getSingletonPtr();
  // The layered image follows the window's size, like the cache.
  if (flags_ & kFlagLayered) {
    if (GetLayeredRenderTarget()) {
      layered_->Resize(SIZE{std::max(w, 0), std::max(h, 0)});
      layered_->SetViewportOrg(POINT{-rect_.left, -rect_.top});
    }
  } else {
    layered_.reset();
  }
  if (!IsCacheMode()) {
    cache_.reset();
    return;
  }
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

IRenderTarget* SWindow::GetLayeredRenderTarget() {
  if (!layered_) {
    SApplication* app = SApplication::getSingletonPtr();
    IRenderTarget* rt = nullptr;
    if (!app || !app->GetRenderFactory()->CreateRenderTarget(&rt, 0, 0)) return nullptr;
    layered_.Attach(rt);
  }
  return layered_;
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

namespace {

// A new empty region (null when none can be made).
SRefPtr<IRegion> NewRegion() {
  SRefPtr<IRegion> out;
  SApplication* app = SApplication::getSingletonPtr();
  IRegion* rgn = nullptr;
  if (app && app->GetRenderFactory()->CreateRegion(&rgn)) out.Attach(rgn);
  return out;
}

// A region holding one rectangle (null when none can be made).
SRefPtr<IRegion> RegionOf(const RECT& rc) {
  SRefPtr<IRegion> out = NewRegion();
  if (out) out->CombineRect(&rc, kCombineCopy);
  return out;
}

constexpr int kNoLimit = 0x7FFFFFFF;

}  // namespace

void SWindow::PaintNonClient(IRenderTarget* rt) {
  const RECT client = ClientRect();
  if (EqualRect(&client, &rect_)) return;
  SRefPtr<IRegion> shape = PlacedWindowRgn();
  if (IsCacheMode() && cache_) {
    // The margin band goes through the cache too, so it takes the
    // window's alpha like the client area.
    SendSwndMessage(SWM_NCPAINT, reinterpret_cast<WPARAM>(cache_.get()));
    SRefPtr<IRegion> band = RegionOf(rect_);
    if (!band) return;
    band->CombineRect(&client, kCombineDiff);
    if (shape) band->CombineRegion(shape.get(), kCombineAnd);
    rt->PushClipRegion(band, kCombineAnd);
    RECT src = rect_;
    rt->AlphaBlend(&rect_, cache_, &src, (flags_ & kFlagLayered) ? 255 : style_->GetAlpha());
    rt->PopClip();
    return;
  }
  if (shape) rt->PushClipRegion(shape, kCombineAnd);
  SendSwndMessage(SWM_NCPAINT, reinterpret_cast<WPARAM>(rt));
  if (shape) rt->PopClip();
}

void SWindow::SetWindowRgn(IRegion* rgn, BOOL redraw) {
  if (redraw) Invalidate();  // the old shape
  windowRgn_ = rgn;
  if (redraw) Invalidate();
}

SRefPtr<IRegion> SWindow::PlacedWindowRgn() const {
  if (!windowRgn_) return SRefPtr<IRegion>();
  SRefPtr<IRegion> placed = NewRegion();
  if (!placed) return placed;
  placed->CombineRegion(windowRgn_.get(), kCombineCopy);
  placed->Offset(POINT{rect_.left, rect_.top});
  return placed;
}

void SWindow::PaintZRange(IRenderTarget* rt, const RECT* box, int low, int high) {
  if (!box) {
    PaintZRange(rt, static_cast<const IRegion*>(nullptr), low, high);
    return;
  }
  SRefPtr<IRegion> rgn = RegionOf(*box);
  if (rgn) PaintZRange(rt, rgn.get(), low, high);
}

void SWindow::PaintZRange(IRenderTarget* rt, const IRegion* rgn, int low, int high) {
  if (state_ & WndState_Invisible) return;
  const RECT client = ClientRect();
  const bool hasRgn = rgn && !rgn->IsEmpty();
  RECT box = rect_;
  if (hasRgn) rgn->GetRgnBox(&box);
  RECT scratch;
  const bool insideClient = Intersect(scratch, box, client) && EqualRect(&scratch, &box);

  // A layered window paints its subtree into its own image, then blends it.
  IRenderTarget* target = rt;
  const bool ownLayer = (flags_ & kFlagLayered) && GetLayeredRenderTarget() && rt != layered_.get();
  if (ownLayer) {
    target = layered_;
    target->SelectObject(rt->GetCurrentObject(OT_FONT), nullptr);
    target->SetTextColor(rt->GetTextColor());
    if (hasRgn) target->PushClipRegion(rgn, kCombineCopy);
    target->ClearRect(&rect_, 0);
  }
  SRefPtr<IRegion> shape = PlacedWindowRgn();
  if (shape) target->PushClipRegion(shape, kCombineAnd);
  if (flags_ & kFlagClipClient) target->PushClipRect(&client, kCombineAnd);
  const bool inRange = zorder_ >= low && zorder_ < high;
  if (inRange && (!hasRgn || rgn->RectInRegion(&client))) PaintClient(target);

  // Children inherit the font and colour this window selects.
  IRenderObj* oldFont = nullptr;
  IFont* font = style_->GetFontForState(StateIndex());
  if (font) target->SelectObject(font, &oldFont);
  const COLORREF color = style_->GetTextColorForState(StateIndex());
  const COLORREF oldColor = color != kRenderNoColor ? target->SetTextColor(color) : kRenderNoColor;
  // A window laid out to no area shows nothing of its subtree either: its
  // children's anchors would otherwise place them around an empty box,
  // drawn over its neighbours where no click can reach them.
  const bool collapsed = IsRectEmpty(&rect_) != FALSE;
  for (SWindow* c = collapsed ? nullptr : firstChild_; c; c = c->nextSibling_) {
    if (c->zorder_ >= high) break;
    if (c->zorder_ < low) {
      // A subtree wholly below `low` is skipped without a visit.
      if (c->nextSibling_ && c->nextSibling_->zorder_ <= low) continue;
      if (!c->nextSibling_) {
        const SWindow* deepest = c;
        while (deepest->lastChild_) deepest = deepest->lastChild_;
        if (deepest->zorder_ < low) break;
      }
    }
    c->PaintZRange(target, rgn, low, high);
  }
  if (color != kRenderNoColor) target->SetTextColor(oldColor);
  if (font) target->SelectObject(oldFont, nullptr);
  if (flags_ & kFlagClipClient) target->PopClip();
  if (shape) target->PopClip();

  if (inRange && !insideClient && (!hasRgn || rgn->RectInRegion(&rect_))) PaintNonClient(target);

  if (ownLayer) {
    if (hasRgn) target->PopClip();
    RECT src = rect_;
    rt->AlphaBlend(&rect_, target, &src, style_->GetAlpha());
  }
}

void SWindow::PrepareInheritedPaint(IRenderTarget* rt) {
  SWindow* chain[256];
  int n = 0;
  for (SWindow* w = this; w && n < 256; w = w->parent_) chain[n++] = w;
  while (n-- > 0) {
    SWindow* w = chain[n];
    const int index = w->StateIndex();
    if (IFont* font = w->style_->GetFontForState(index)) rt->SelectObject(font, nullptr);
    const COLORREF color = w->style_->GetTextColorForState(index);
    if (color != kRenderNoColor) rt->SetTextColor(color);
  }
}

// --- painting around a window -------------------------------------------------

void SWindow::PaintUnderlay(IRenderTarget* rt, const RECT& rc) {
  RECT r;
  if (!Intersect(r, rect_, rc)) return;
  rt->PushClipRect(&r, kCombineAnd);
  rt->ClearRect(&r, 0);
  if (container_) container_->BuildZOrder();
  SWindow* root = GetRoot();
  root->PrepareInheritedPaint(rt);
  root->PaintZRange(rt, &r, 0, zorder_);
  rt->PopClip();
}

void SWindow::PaintForeground(IRenderTarget* rt, const RECT& rc) {
  RECT r;
  if (!Intersect(r, rect_, rc)) return;
  rt->PushClipRect(&r, kCombineAnd);
  if (container_) container_->BuildZOrder();
  SWindow* root = GetRoot();
  root->PrepareInheritedPaint(rt);
  root->PaintZRange(rt, &r, zorder_ + 1, kNoLimit);
  rt->PopClip();
}

void SWindow::PaintOverlay(IRenderTarget* rt, const RECT& rc) {
  RECT r;
  if (!Intersect(r, rect_, rc)) return;
  rt->PushClipRect(&r, kCombineAnd);
  if (container_) container_->BuildZOrder();
  SWindow* from = parent_ ? parent_ : this;
  from->PrepareInheritedPaint(rt);
  from->PaintZRange(rt, &r, zorder_ + 1, kNoLimit);
  rt->PopClip();
}

SWindow* SWindow::LayeredAncestor() {
  for (SWindow* w = this; w; w = w->parent_)
    if (w->flags_ & kFlagLayered) return w;
  return nullptr;
}

IRenderTarget* SWindow::AcquireRenderTarget(const RECT* rc, DWORD mode, BOOL clientOnly) {
  RECT base = clientOnly ? ClientRect() : rect_;
  if (rc) Intersect(base, base, *rc);
  SRefPtr<IRegion> rgn = RegionOf(base);
  if (!rgn) return nullptr;
  return AcquireRegionTarget(rgn, mode);
}

IRenderTarget* SWindow::AcquireRegionTarget(IRegion* rgn, DWORD mode) {
  SApplication* app = SApplication::getSingletonPtr();
  paint_ = PaintRecord{};
  paint_.mode = mode;
  if (updateLock_ > 0 || !container_) {
    // Drawing on a locked window goes nowhere.
    paint_.locked = true;
    IRenderTarget* rt = nullptr;
    if (app) app->GetRenderFactory()->CreateRenderTarget(&rt, 0, 0);
    return rt;
  }
  RECT box;
  rgn->GetRgnBox(&box);
  for (SWindow* p = parent_; p; p = p->parent_) {
    const RECT c = p->ClientRect();
    if (!Intersect(box, box, c)) SetRectEmpty(&box);
  }
  rgn->CombineRect(&box, kCombineAnd);
  paint_.box = box;
  paint_.rgn = rgn;
  container_->BuildZOrder();
  SWindow* layer = LayeredAncestor();
  IRenderTarget* rt = nullptr;
  if (layer) {
    rt = layer->GetLayeredRenderTarget();
    if (rt) rt->AddRef();
  } else {
    rt = container_->AcquireRenderTarget(box, mode);
  }
  if (!rt) return nullptr;
  rt->PushClipRegion(rgn, kCombineCopy);
  if (mode == kAcquireUnderlay) {
    rt->ClearRect(&box, 0);
    SWindow* from = layer ? layer : GetRoot();
    from->PrepareInheritedPaint(rt);
    from->PaintZRange(rt, rgn, 0, zorder_);
  }
  PrepareInheritedPaint(rt);
  return rt;
}

void SWindow::ReleaseRenderTarget(IRenderTarget* rt) {
  if (!rt) return;
  if (paint_.locked || !container_) {
    rt->Release();
    paint_ = PaintRecord{};
    return;
  }
  SWindow* layer = LayeredAncestor();
  SWindow* from = layer ? layer : GetRoot();
  if (paint_.mode == kAcquireUnderlay) from->PaintZRange(rt, paint_.rgn.get(), zorder_ + 1, kNoLimit);
  rt->PopClip();
  if (!layer) {
    container_->ReleaseRenderTarget(rt, paint_.box, paint_.mode);
  } else {
    if (paint_.mode != kAcquireLayerOnly) {
      // Compose: the tree under the layer, the layer's image, then the
      // windows after the layer's subtree.
      int after = -1;
      for (SWindow* w = layer; w && after < 0; w = w->parent_)
        if (w->nextSibling_) after = w->nextSibling_->zorder_;
      SWindow* root = GetRoot();
      IRenderTarget* host = container_->AcquireRenderTarget(paint_.box, kAcquirePlain);
      if (host) {
        host->PushClipRegion(paint_.rgn, kCombineCopy);
        host->ClearRect(&paint_.box, 0);
        root->PrepareInheritedPaint(host);
        root->PaintZRange(host, paint_.rgn.get(), 0, layer->zorder_);
        RECT src = layer->rect_;
        host->AlphaBlend(&layer->rect_, rt, &src, layer->style_->GetAlpha());
        if (after >= 0) root->PaintZRange(host, paint_.rgn.get(), after, kNoLimit);
        host->PopClip();
        container_->ReleaseRenderTarget(host, paint_.box, kAcquirePlain);
      }
    }
    rt->Release();
  }
  paint_ = PaintRecord{};
}

void SWindow::RedrawNonClient() {
  const RECT client = ClientRect();
  if (EqualRect(&client, &rect_) || (state_ & WndState_Invisible)) return;
  SRefPtr<IRegion> rgn = RegionOf(rect_);
  if (!rgn) return;
  rgn->CombineRect(&client, kCombineDiff);
  if (SRefPtr<IRegion> shape = PlacedWindowRgn()) rgn->CombineRegion(shape.get(), kCombineAnd);
  IRenderTarget* rt = AcquireRegionTarget(rgn, kAcquirePlain);
  if (!rt) return;
  PaintUnderlay(rt, rect_);
  SendSwndMessage(SWM_NCPAINT, reinterpret_cast<WPARAM>(rt));
  PaintForeground(rt, rect_);
  ReleaseRenderTarget(rt);
}

void SWindow::UpdateHostNow() {
  if (container_) container_->UpdateNow();
}

void SWindow::PaintPendingRegion() {
  if (style_->IsBkgndBlend() || !invalidRgn_ || invalidRgn_->IsEmpty()) return;
  SRefPtr<IRegion> rgn = invalidRgn_;
  invalidRgn_.reset();
  if (state_ & WndState_Invisible) return;
  RECT box;
  rgn->GetRgnBox(&box);
  IRenderTarget* rt = AcquireRenderTarget(&box, kAcquirePlain, TRUE);
  if (!rt) return;
  rt->PushClipRegion(rgn, kCombineAnd);
  ++painted_;
  SendSwndMessage(SWM_ERASEBKGND, reinterpret_cast<WPARAM>(rt));
  SendSwndMessage(SWM_PAINT, reinterpret_cast<WPARAM>(rt));
  PaintForeground(rt, box);
  rt->PopClip();
  ReleaseRenderTarget(rt);
}

}  // namespace ORIEL
