#include "core/SWnd.h"

#include <algorithm>

#include "core/IScriptModule.h"
#include "core/SApplication.h"
#include "core/SStringConvert.h"
#include "core/STimer2.h"
#include "core/SWndTextMeasure.h"
#include "core/SwndContainer.h"
#include "res.mgr/SSkinPool.h"
#include "layout/OrielLayout.h"

namespace ORIEL {

void SLocalizedText::SetText(const SStringW& source) {
  source_ = source;
  Translate();
}

void SLocalizedText::Translate() { translated_ = owner_->TranslateInContext(source_); }

namespace {
void DeliverTimer2(SWindow* window, UINT message, WPARAM wParam, LPARAM lParam) {
  window->SendSwndMessage(message, wParam, lParam);
}
}  // namespace

SWindow::SWindow() {
  static const bool deliverInstalled = (STimer2::SetDeliver(&DeliverTimer2), true);
  (void)deliverInstalled;
  handle_ = SWindowMgr::getSingleton().NewWindow(this);
  style_.Attach(new SwndStyle);
  layout_.Attach(new OrielLayout);
  param_.Attach(layout_->CreateLayoutParam());
  param_->SetMatchParent(Both);
  AddWindowEvents(&events_);
}

SWindow::~SWindow() {
  if (SWindowMgr* windows = SWindowMgr::getSingletonPtr()) windows->DestroyWindow(handle_);
}

void SWindow::SetTimer(UINT id, UINT elapse) {
  HWND host = container_ ? container_->GetHostHwnd() : nullptr;
  if (host) ::SetTimer(host, SwndTimerId(id, handle_), elapse, nullptr);
}

void SWindow::KillTimer(UINT id) {
  HWND host = container_ ? container_->GetHostHwnd() : nullptr;
  if (host) ::KillTimer(host, SwndTimerId(id, handle_));
}

bool SWindow::SetTimer2(UINT id, UINT elapse) {
  STimer2* timers = STimer2::getSingletonPtr();
  return timers && timers->SetTimer(handle_, id, elapse);
}

void SWindow::KillTimer2(UINT id) {
  if (STimer2* timers = STimer2::getSingletonPtr()) timers->KillTimer2(handle_, id);
}

SStringW SWindow::TranslateInContext(const SStringW& text) const {
  SApplication* app = SApplication::getSingletonPtr();
  return app ? app->Translate(text, trCtx_) : text;
}

void SWindow::SetText(const SStringW& text) {
  text_.SetText(text);
  NotifyContentChange();
}

RECT SWindow::ClientRect() const {
  RECT rc = rect_;
  const RECT m = style_->GetScaledMargin();
  rc.left += m.left;
  rc.top += m.top;
  rc.right -= m.right;
  rc.bottom -= m.bottom;
  return rc;
}

RECT SWindow::TextRectangle() const {
  RECT rc = ClientRect();
  const RECT p = style_->GetScaledPadding();
  rc.left += p.left;
  rc.top += p.top;
  rc.right -= p.right;
  rc.bottom -= p.bottom;
  return rc;
}

void SWindow::GetLayoutArea(RECT* rc) { *rc = TextRectangle(); }

// --- tree ---------------------------------------------------------------

void SWindow::AttachChild(SWindow* child, SWindow* after) {
  if (!child || child->parent_ == this) return;
  child->prevSibling_ = child->nextSibling_ = nullptr;
  child->parent_ = this;
  if (after == ICWND_FIRST) {
    child->nextSibling_ = firstChild_;
    if (firstChild_) firstChild_->prevSibling_ = child;
    else lastChild_ = child;
    firstChild_ = child;
  } else if (!after || after == lastChild_ || after->parent_ != this) {
    child->prevSibling_ = lastChild_;
    if (lastChild_) lastChild_->nextSibling_ = child;
    else firstChild_ = child;
    lastChild_ = child;
  } else {
    child->prevSibling_ = after;
    child->nextSibling_ = after->nextSibling_;
    after->nextSibling_->prevSibling_ = child;
    after->nextSibling_ = child;
  }
  child->SetContainer(container_);
  ++childCount_;
  layoutDirty_ = 1;
  if (!layout_->IsParamAcceptable(child->param_)) child->param_.Attach(layout_->CreateLayoutParam());
  child->SendSwndMessage(SWM_ENABLE, !(state_ & WndState_Disable), 1);
  if (container_) container_->MarkZOrderDirty();
}

void SWindow::SetContainer(ISwndContainer* container) {
  container_ = container;
  for (SWindow* c = firstChild_; c; c = c->nextSibling_) c->SetContainer(container);
}

int SWindow::GetScale() const { return container_ ? container_->GetScale() : 100; }

bool SWindow::DetachChild(SWindow* child) {
  if (!child || child->parent_ != this) return false;
  if (child->prevSibling_) child->prevSibling_->nextSibling_ = child->nextSibling_;
  else firstChild_ = child->nextSibling_;
  if (child->nextSibling_) child->nextSibling_->prevSibling_ = child->prevSibling_;
  else lastChild_ = child->prevSibling_;
  child->parent_ = child->prevSibling_ = child->nextSibling_ = nullptr;
  --childCount_;
  return true;
}

bool SWindow::DeleteChild(SWindow* child) {
  if (!child || child->parent_ != this) return false;
  child->Invalidate();
  child->SendSwndMessage(SWM_DESTROY);
  DetachChild(child);
  child->Release();
  return true;
}

bool SWindow::Destroy() {
  if (parent_) return parent_->DeleteChild(this);
  SendSwndMessage(SWM_DESTROY);
  Release();
  return true;
}

void SWindow::BringToFront() {
  SWindow* parent = parent_;
  if (!parent) return;
  parent->DetachChild(this);
  parent->AttachChild(this);
}

SWindow* SWindow::GetRelative(int code) const {
  switch (code) {
    case GSW_FIRSTCHILD: return firstChild_;
    case GSW_LASTCHILD: return lastChild_;
    case GSW_PREVSIBLING: return prevSibling_;
    case GSW_NEXTSIBLING: return nextSibling_;
    case GSW_PARENT: return parent_;
    case GSW_OWNER: return owner_;
    default: return nullptr;
  }
}

bool SWindow::SetLayoutParam(ILayoutParam* param) {
  if (!parent_ || !param || !parent_->layout_->IsParamAcceptable(param)) return false;
  param_ = param;
  return true;
}

SWindow* SWindow::GetRoot() {
  SWindow* w = this;
  while (w->parent_) w = w->parent_;
  return w;
}

// --- state --------------------------------------------------------------

void SWindow::SetVisible(BOOL visible, BOOL redraw) {
  if (redraw) Invalidate();
  SendSwndMessage(SWM_SHOWWINDOW, visible, 0);
  if (redraw) Invalidate();
}

void SWindow::SetEnabled(BOOL enabled, BOOL redraw) {
  SendSwndMessage(SWM_ENABLE, enabled, 0);
  if (redraw) Invalidate();
}

// --- messages -----------------------------------------------------------

LRESULT SWindow::SendSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL* handled) {
  AddRef();  // a handler may delete the window; it lives until the message is done
  LRESULT result = 0;
  const BOOL done = HandleSwndMessage(msg, wParam, lParam, result);
  if (handled) *handled = done;
  Release();
  return result;
}

BOOL SWindow::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case SWM_CREATE: result = OnCreate(); return TRUE;
    case SWM_DESTROY: OnDestroy(); result = 0; return TRUE;
    case SWM_SHOWWINDOW: OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); result = 0; return TRUE;
    case SWM_ERASEBKGND: OnEraseBkgnd(reinterpret_cast<IRenderTarget*>(wParam)); result = 1; return TRUE;
    case SWM_PAINT:
      OnPaint(reinterpret_cast<IRenderTarget*>(wParam));
      // After the paint, so that controls painting their own way keep it.
      if (IsFocused()) PaintFocusIndicator(reinterpret_cast<IRenderTarget*>(wParam));
      result = 0;
      return TRUE;
    case SWM_NCPAINT: OnNcPaint(reinterpret_cast<IRenderTarget*>(wParam)); result = 0; return TRUE;
    case SWM_SIZE: {
      UpdateCacheMode();
      EventSwndSize e(this);
      e.szWnd = SIZE{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      RaiseEvent(&e);
      result = 0;
      return TRUE;
    }
    case SWM_UPDATESCALE: UpdateScale(static_cast<int>(wParam)); result = 0; return TRUE;
    case SWM_LANGUAGECHANGED:
      if (RefreshTranslation()) Invalidate();
      else MarkRelayout(handle_, true);
      result = 0;
      return TRUE;
    case SWM_COLORIZE: Colorize(static_cast<COLORREF>(wParam)); result = 0; return TRUE;
    case SWM_ENABLE: OnEnable(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); result = 0; return TRUE;
    case WM_SETFOCUS: {
      EventSetFocus e(this);
      RaiseEvent(&e);
      Invalidate();
      result = 0;
      return TRUE;
    }
    case WM_KILLFOCUS: {
      EventKillFocus e(this);
      RaiseEvent(&e);
      Invalidate();
      result = 0;
      return TRUE;
    }
    case WM_MOUSEMOVE:
    case WM_RBUTTONUP: result = 0; return TRUE;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam)); result = 0; return TRUE;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam)); result = 0; return TRUE;
    case WM_MOUSEHOVER: OnMouseHover(); result = 0; return TRUE;
    case WM_MOUSELEAVE: OnMouseLeave(); result = 0; return TRUE;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      // Unhandled wheels climb to the parent; the root drops them.
      result = parent_ ? parent_->SendSwndMessage(msg, wParam, lParam) : 0;
      return TRUE;
    default: return HandleDefaultMessage(msg, wParam, lParam, result);
  }
}

POINT SWindow::PointOf(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

int SWindow::OnCreate() {
  if (container_) {
    if (style_->IsTrackMouse()) container_->AddTrackedWindow(handle_);
    else container_->RemoveTrackedWindow(handle_);
  }
  style_->SetScale(GetScale());
  EventSwndCreate e(this);
  RaiseEvent(&e);
  return 0;
}

void SWindow::OnDestroy() {
  EventSwndDestroy e(this);
  RaiseEvent(&e);
  SWindow* child = firstChild_;
  while (child) {
    SWindow* next = child->nextSibling_;
    child->SendSwndMessage(SWM_DESTROY);
    child->parent_ = child->prevSibling_ = child->nextSibling_ = nullptr;
    child->Release();
    child = next;
  }
  firstChild_ = lastChild_ = nullptr;
  childCount_ = 0;
}

void SWindow::OnShowWindow(BOOL show, UINT status) {
  if (status != 1) flags_ = show ? (flags_ | kFlagVisible) : (flags_ & ~kFlagVisible);
  bool shown = show != 0;
  if (status == 1 && show && !(flags_ & kFlagVisible)) shown = false;
  if (show && parent_ && (parent_->state_ & WndState_Invisible)) shown = false;
  if (shown) {
    ApplyLayout();
    state_ &= ~WndState_Invisible;
  } else {
    state_ |= WndState_Invisible;
  }
  for (SWindow* c = firstChild_; c;) {
    SWindow* next = c->nextSibling_;
    c->SendSwndMessage(SWM_SHOWWINDOW, shown, 1);
    c = next;
  }
  if (!shown && container_) {
    if (container_->GetFocusWindow() == handle_) container_->SetFocusWindow(0);
    if (container_->GetCapture() == handle_) container_->ReleaseMouseCapture();
  }
  if (!(flags_ & kFlagDisplay)) MarkRelayoutSelf();
  EventSwndVisibleChanged e(this);
  RaiseEvent(&e);
}

void SWindow::OnEnable(BOOL enable, UINT status) {
  bool enabled = enable != 0;
  if (status == 1) {
    if (flags_ & kFlagDisabled) enabled = false;
  } else {
    flags_ = enable ? (flags_ & ~kFlagDisabled) : (flags_ | kFlagDisabled);
  }
  if (enabled && parent_ && (parent_->state_ & WndState_Disable)) enabled = false;
  if (enabled) state_ &= ~WndState_Disable;
  else state_ = (state_ | WndState_Disable) & ~WndState_Hover;
  for (SWindow* c = firstChild_; c; c = c->nextSibling_) c->SendSwndMessage(SWM_ENABLE, enabled, 1);
  if (!enabled && container_ && container_->GetFocusWindow() == handle_) container_->SetFocusWindow(0);
}

// --- scale, language, colour, tool tips ---------------------------------

void SWindow::BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  AddRef();
  SendSwndMessage(msg, wParam, lParam);
  for (SWindow* c = firstChild_; c;) {
    SWindow* next = c->nextSibling_;
    c->BroadcastMessage(msg, wParam, lParam);
    c = next;
  }
  Release();
}

void SWindow::UpdateScale(int scale) {
  style_->SetScale(scale);
  // Skins come again from the pools at the new scale when they have them.
  if (SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr()) {
    if (bkgndSkin_)
      if (ISkinObj* scaled = skins->GetSkin(bkgndSkinName_, scale)) bkgndSkin_ = scaled;
    if (ncSkin_)
      if (ISkinObj* scaled = skins->GetSkin(ncSkinName_, scale)) ncSkin_ = scaled;
  }
  layoutDirty_ = 1;
}

BOOL SWindow::RefreshTranslation() {
  text_.Translate();
  tip_.Translate();
  return !param_->IsWrapContent(Any);
}

void SWindow::Colorize(COLORREF color) {
  if (color == colorize_) return;
  colorize_ = color;
  if (ncSkin_) ncSkin_->ApplyColorize(color);
  if (bkgndSkin_) bkgndSkin_->ApplyColorize(color);
  Invalidate();
}

void SWindow::SetTipText(const SStringW& text) {
  tip_.SetText(text);
  if (container_ && container_->GetHover() == handle_) container_->RefreshToolTip();
}

BOOL SWindow::QueryToolTipInfo(POINT, SwndToolTipInfo* info) {
  info->swnd = handle_;
  info->cookie = 0;
  info->rcTarget = rect_;
  EventSwndUpdateTooltip e(this);
  RaiseEvent(&e);
  if (e.bUpdated) {
    info->strTip = e.strToolTip;
    return !info->strTip.IsEmpty();
  }
  info->strTip = tip_.GetText();
  return !info->strTip.IsEmpty();
}

// --- input --------------------------------------------------------------

void SWindow::SetFocus() {
  // A disabled window never takes the focus, focusable or not.
  if (!container_ || (state_ & (WndState_Invisible | WndState_Disable))) return;
  container_->SetFocusWindow(handle_);
}

void SWindow::ReleaseFocus() {
  if (IsFocused()) container_->SetFocusWindow(0);
}

BOOL SWindow::IsFocused() const { return container_ && container_->GetFocusWindow() == handle_; }

SWND SWindow::SetCapture() { return container_ ? container_->SetSwndCapture(handle_) : 0; }

BOOL SWindow::ReleaseCapture() { return container_ ? container_->ReleaseMouseCapture() : FALSE; }

BOOL SWindow::ContainsPoint(POINT pt, BOOL clientOnly) const {
  if (windowRgn_) return windowRgn_->PtInRegion(POINT{pt.x - rect_.left, pt.y - rect_.top});
  const RECT rc = clientOnly ? ClientRect() : rect_;
  return PtInRect(&rc, pt);
}

BOOL SWindow::ApplyStyleCursor(POINT) {
  SApplication* app = SApplication::getSingletonPtr();
  const SStringW& name = style_->GetCursor();
  HCURSOR cursor = app ? app->LoadCursorByName(name.IsEmpty() ? L"arrow" : name.c_str(), FALSE) : nullptr;
  if (!cursor) return FALSE;
  ::SetCursor(cursor);
  return TRUE;
}

BOOL SWindow::IsNonClientPoint(POINT pt) const {
  const RECT rc = ClientRect();
  return !PtInRect(&rc, pt);
}

SWND SWindow::HitTestChild(POINT pt, BOOL flag) {
  if (!ContainsPoint(pt, FALSE)) return 0;
  if (!ContainsPoint(pt, TRUE)) return handle_;
  for (SWindow* c = lastChild_; c; c = c->prevSibling_) {
    if ((c->state_ & WndState_Invisible) || (c->flags_ & kFlagMsgTransparent)) continue;
    if (SWND hit = c->HitTestChild(pt, flag)) return hit;
  }
  return handle_;
}

void SWindow::OnLButtonDown(UINT, POINT pt) {
  if (flags_ & kFlagFocusable) SetFocus();
  SetCapture();
  ChangeState(WndState_PushDown, 0, TRUE);
  EventLButtonDown e(this);
  e.pt = pt;
  RaiseEvent(&e);
}

void SWindow::OnLButtonUp(UINT, POINT pt) {
  ReleaseCapture();
  if (!(state_ & WndState_PushDown)) return;
  ChangeState(0, WndState_PushDown, TRUE);
  if (!PtInRect(&rect_, pt)) return;
  EventLButtonUp up(this);
  up.pt = pt;
  RaiseEvent(&up);
  EventCmd cmd(this);
  RaiseEvent(&cmd);
}

void SWindow::OnMouseHover() {
  if (container_ && container_->GetCapture() == handle_) ChangeState(WndState_PushDown, 0, FALSE);
  ChangeState(WndState_Hover, 0, TRUE);
  EventSwndMouseHover e(this);
  RaiseEvent(&e);
}

void SWindow::OnMouseLeave() {
  if (container_ && container_->GetCapture() == handle_) ChangeState(0, WndState_PushDown, FALSE);
  ChangeState(0, WndState_Hover, TRUE);
  EventSwndMouseLeave e(this);
  RaiseEvent(&e);
}

// --- events -------------------------------------------------------------

IScriptModule* SWindow::GetScriptModule() const {
  return container_ ? static_cast<IScriptModule*>(container_->GetScriptModule()) : nullptr;
}

BOOL SWindow::RaiseEvent(EventArgs* e) {
  if (events_.muted) return FALSE;
  events_.DispatchEvent(e);
  if (!e->bubbleUp) return e->handled != 0;
  if (IScriptModule* script = GetScriptModule()) {
    const SStringA handler = events_.GetEventScriptHandler(e->GetName());
    if (!handler.IsEmpty()) {
      script->ExecuteEvent(handler, e);
      if (!e->bubbleUp) return e->handled != 0;
    }
  }
  if (owner_) return owner_->RaiseEvent(e);
  if (container_) return container_->DeliverEvent(e);
  return e->handled != 0;
}

// An event name as an attribute names the script handler of that event;
// without a script module there is nothing to run it, so it is refused.
HRESULT SWindow::HandleUnknownAttribute(const SStringW& name, const SStringW& value, BOOL) {
  if (!GetScriptModule()) return E_FAIL;
  return events_.SetEventScriptHandler(name, ConvertW2A(value, CP_UTF8)) ? S_FALSE : E_FAIL;
}

// --- layout -------------------------------------------------------------

IWindow* SWindow::GetNextLayoutChild(const IWindow* previous) const {
  const SWindow* prev = static_cast<const SWindow*>(previous);
  SWindow* c = prev ? prev->nextSibling_ : firstChild_;
  for (; c; c = c->nextSibling_)
    if (!c->float_ && (c->flags_ & (kFlagVisible | kFlagDisplay))) return c;
  return nullptr;
}

void SWindow::MarkRelayout(SWND source, bool resizable) {
  const bool wraps = param_->IsWrapContent(Any) != 0;
  if (resizable) layoutDirty_ = 1;
  else if (layoutDirty_ != 1) layoutDirty_ = (source == handle_ || wraps) ? 1 : 2;
  if (parent_ && (parent_->flags_ & kFlagVisible))
    parent_->MarkRelayout(source, wraps || !(flags_ & kFlagDisplay));
}

void SWindow::ApplyLayout() {
  if (layoutDirty_ == 0) return;
  if (firstChild_) ArrangeChildren();
  layoutDirty_ = 0;
}

void SWindow::ArrangeChildren() {
  if (layoutDirty_ == 1) {
    layout_->PlaceAll(this);
    RECT area;
    GetLayoutArea(&area);
    for (SWindow* c = firstChild_; c; c = c->nextSibling_) {
      if (!c->float_) continue;
      c->OnUpdateFloatPosition(area);
      if (c->layoutDirty_ != 0) c->ArrangeChildren();
    }
  } else if (layoutDirty_ == 2) {
    for (IWindow* c = GetNextLayoutChild(nullptr); c; c = GetNextLayoutChild(c)) {
      SWindow* w = static_cast<SWindow*>(c);
      if (w->layoutDirty_ != 0) {
        w->ArrangeChildren();
        w->layoutDirty_ = 0;
      }
    }
  }
}

BOOL SWindow::RelayoutTo(const RECT* rc) {
  const bool same = EqualRect(rc, &rect_);
  if (same && layoutDirty_ == 0) return FALSE;
  if (!same) {
    layoutDirty_ = 1;
    Invalidate();
    rect_ = *rc;
    rect_.right = std::max(rect_.right, rect_.left);
    rect_.bottom = std::max(rect_.bottom, rect_.top);
    Invalidate();
    SendSwndMessage(SWM_NCCALCSIZE);
  }
  if (flags_ & kFlagVisible) {
    if (layoutDirty_ != 0 && firstChild_) ArrangeChildren();
    layoutDirty_ = 0;
  }
  const RECT client = ClientRect();
  SendSwndMessage(SWM_SIZE, 0, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  return TRUE;
}

void SWindow::Move(const RECT* rc) {
  if (rc) {
    float_ = TRUE;
    RECT copy = *rc;
    RelayoutTo(&copy);
  } else if (parent_) {
    float_ = FALSE;
    MarkRelayoutSelf();
  }
}

SIZE SWindow::MeasureDesiredSize(int widthHint, int heightHint) {
  const int hints[2] = {widthHint, heightHint};
  bool switched[2] = {false, false};
  for (int axis = 0; axis < 2; ++axis) {
    const auto o = static_cast<ORIENTATION>(axis);
    if (hints[axis] < 0 && param_->IsMatchParent(o)) {
      param_->SetWrapContent(o);
      switched[axis] = true;
    }
  }
  RECT limit{0, 0, widthHint, heightHint};
  const SIZE size = MeasureContent(&limit);
  for (int axis = 0; axis < 2; ++axis)
    if (switched[axis]) param_->SetMatchParent(static_cast<ORIENTATION>(axis));
  return size;
}

SIZE SWindow::MeasureContent(const RECT* given) {
  constexpr int kUnknown = 0x7FFFFF;
  RECT limit = given ? RECT{0, 0, given->right - given->left, given->bottom - given->top}
                     : RECT{0, 0, kUnknown, kUnknown};
  const int extents[2] = {limit.right, limit.bottom};
  int size[2] = {kUnknown, kUnknown};
  for (int axis = 0; axis < 2; ++axis) {
    const auto o = static_cast<ORIENTATION>(axis);
    if (param_->HasFixedSize(o)) size[axis] = param_->GetSpecifiedSize(o).ToPixels(GetScale());
    else if (param_->IsMatchParent(o)) size[axis] = extents[axis];
  }
  if (size[0] != kUnknown && size[1] != kUnknown) return SIZE{size[0], size[1]};

  const RECT m = style_->GetScaledMargin();
  const RECT p = style_->GetScaledPadding();
  const int bandX = m.left + m.right + p.left + p.right;
  const int bandY = m.top + m.bottom + p.top + p.bottom;
  const SIZE text = MeasureText(size[0], size[1], p);
  int w = limit.right, h = limit.bottom;
  if (w > 0) w = std::max(0, w - bandX);
  if (h > 0) h = std::max(0, h - bandY);
  SIZE content{0, 0};
  if (firstChild_) content = layout_->MeasureAll(this, w, h);
  content.cx = std::max(content.cx, text.cx);
  content.cy = std::max(content.cy, text.cy);
  SIZE result;
  result.cx = param_->IsWrapContent(Horz) ? content.cx + bandX : size[0];
  result.cy = param_->IsWrapContent(Vert) ? content.cy + bandY : size[1];
  return result;
}

// The text's extent, measured as it would be drawn: wrapped to the width
// when the width is known or limited, on one line otherwise.
SIZE SWindow::MeasureText(int knownWidth, int knownHeight, const RECT& padding) const {
  constexpr int kUnknown = 0x7FFFFF;
  const SStringW text = text_.GetText();
  if (text.IsEmpty()) return SIZE{0, 0};
  UINT format = style_->GetDrawTextFormat() & ~0xFu;
  int width = kUnknown;
  const int maxWidth = maxWidth_.IsValid() ? maxWidth_.ToPixels(GetScale()) : -1;
  if (param_->IsWrapContent(Horz)) {
    if (maxWidth >= 0) {
      width = maxWidth - padding.left - padding.right;
      format |= DT_WORDBREAK;
    }
  } else {
    width = knownWidth - padding.left - padding.right;
    format |= DT_WORDBREAK;
  }
  // Measured in the font the window paints with, inherited where its own
  // style sets none.
  IRenderTarget* rt = CreateMeasuringTarget(const_cast<SWindow*>(this));
  if (!rt) return SIZE{0, 0};
  RECT rc{0, 0, std::max(width, 10), knownHeight};
  rt->DrawText(text.c_str(), text.GetLength(), &rc, format | DT_CALCRECT);
  rt->Release();
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void SWindow::NotifyContentChange() {
  if (IsVisible(TRUE)) Invalidate();
  if (param_->IsWrapContent(Any)) {
    MarkRelayoutSelf();
    if (IsVisible(TRUE)) Invalidate();
  } else if (param_->IsMatchParent(Any) && parent_) {
    parent_->NotifyContentChange();
  }
}

}  // namespace ORIEL
