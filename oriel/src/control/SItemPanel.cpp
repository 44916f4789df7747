#include "control/SItemPanel.h"

#include "control/SControlPaint.h"
#include "core/SApplication.h"

namespace ORIEL {

SItemPanel::SItemPanel(SWindow* frameHost, IItemContainer* container)
    : frameHost_(frameHost), itemContainer_(container) {
  SEventSet* events = GetEventSet();
  events->AddEvent(EventItemPanelClick::EventID, EventItemPanelClick::EventName());
  events->AddEvent(EventItemPanelDbclick::EventID, EventItemPanelDbclick::EventName());
  events->AddEvent(EventItemPanelRclick::EventID, EventItemPanelRclick::EventName());
  events->AddEvent(EventItemPanelHover::EventID, EventItemPanelHover::EventName());
  events->AddEvent(EventItemPanelLeave::EventID, EventItemPanelLeave::EventName());
}

SItemPanel* SItemPanel::Create(SWindow* frameHost, pugi::xml_node xmlTemplate, IItemContainer* container) {
  auto* panel = new SItemPanel(frameHost, container);
  if (xmlTemplate) {
    panel->LoadXmlNode(xmlTemplate);
    panel->BuildZOrder();
  }
  if (SApplication* app = SApplication::getSingletonPtr()) app->ApplyDefaultAttributes(panel);
  return panel;
}

HRESULT SItemPanel::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  COLORREF* target = AttrNameIs(name, L"colorNormal")     ? &normal_
                     : AttrNameIs(name, L"colorSelected") ? &selected_
                     : AttrNameIs(name, L"colorHover")    ? &hover_
                                                          : nullptr;
  if (!target) return SwndContainerImpl::ApplyAttribute(name, value, loading);
  if (value.IsEmpty()) return E_FAIL;
  *target = SResProviderMgr::LookupNamedColor(value);
  return S_FALSE;
}

// --- geometry -----------------------------------------------------------

RECT SItemPanel::GetItemRect() const {
  RECT rc{0, 0, 0, 0};
  if (!itemContainer_->OnItemQueryRect(const_cast<SItemPanel*>(this), rc)) return RECT{0, 0, 0, 0};
  return rc;
}

POINT SItemPanel::Origin() const {
  const RECT rc = GetItemRect();
  return POINT{rc.left, rc.top};
}

// Only the item's child windows become hover, capture or click targets:
// a point on the item's own background hits nothing.
SWND SItemPanel::HitTestChild(POINT pt, BOOL flag) {
  const SWND hit = SwndContainerImpl::HitTestChild(pt, flag);
  return hit == GetHandle() ? 0 : hit;
}

void SItemPanel::MarkRelayout(SWND source, bool resizable) {
  SwndContainerImpl::MarkRelayout(source, resizable);
  itemContainer_->OnItemRequestRelayout(this);
}

// --- the host's part ----------------------------------------------------

BOOL SItemPanel::DeliverEvent(EventArgs* e) {
  EventOfPanel wrapped(frameHost_);
  wrapped.pPanel = this;
  wrapped.pOrgEvt = e;
  return frameHost_->RaiseEvent(&wrapped);
}

HWND SItemPanel::GetHostHwnd() { return HostContainer() ? HostContainer()->GetHostHwnd() : nullptr; }
SStringW SItemPanel::GetTrContext() const { return HostContainer() ? HostContainer()->GetTrContext() : SStringW(); }
BOOL SItemPanel::IsTranslucent() const { return HostContainer() && HostContainer()->IsTranslucent(); }
BOOL SItemPanel::WheelGoesToHover() const { return HostContainer() && HostContainer()->WheelGoesToHover(); }
int SItemPanel::GetScale() const { return HostContainer() ? HostContainer()->GetScale() : 100; }
BOOL SItemPanel::CreateCaret(SWND window, HBITMAP bitmap, int width, int height) {
  return HostContainer() && HostContainer()->CreateCaret(window, bitmap, width, height);
}
BOOL SItemPanel::ShowCaret(BOOL show) { return HostContainer() && HostContainer()->ShowCaret(show); }
BOOL SItemPanel::SetCaretPos(int x, int y) {
  const POINT o = Origin();
  return HostContainer() && HostContainer()->SetCaretPos(x + o.x, y + o.y);
}
BOOL SItemPanel::UpdateNow() { return HostContainer() && HostContainer()->UpdateNow(); }
void SItemPanel::RefreshToolTip() {
  if (HostContainer()) HostContainer()->RefreshToolTip();
}
SMessageLoop* SItemPanel::GetMessageLoop() { return HostContainer() ? HostContainer()->GetMessageLoop() : nullptr; }
void* SItemPanel::GetScriptModule() { return HostContainer() ? HostContainer()->GetScriptModule() : nullptr; }

IRenderTarget* SItemPanel::AcquireRenderTarget(const RECT& rc, DWORD flags) {
  ISwndContainer* host = HostContainer();
  if (!host) return nullptr;
  const POINT o = Origin();
  RECT moved = rc;
  OffsetRect(&moved, o.x, o.y);
  IRenderTarget* rt = host->AcquireRenderTarget(moved, flags);
  if (!rt) return nullptr;
  if (flags == 2) frameHost_->SendSwndMessage(SWM_ERASEBKGND, reinterpret_cast<WPARAM>(rt));
  rt->OffsetViewportOrg(o.x, o.y, nullptr);
  return rt;
}

void SItemPanel::ReleaseRenderTarget(IRenderTarget* rt, const RECT& rc, DWORD flags) {
  const POINT o = Origin();
  rt->OffsetViewportOrg(-o.x, -o.y, nullptr);
  RECT moved = rc;
  OffsetRect(&moved, o.x, o.y);
  if (ISwndContainer* host = HostContainer()) host->ReleaseRenderTarget(rt, moved, flags);
}

// A redraw inside the item becomes an invalidation of the view, collected
// into the view's next paint; with immediate redraw the item paints now.
void SItemPanel::InvalidateHostRect(const RECT& rc) {
  if (frameHost_->IsUpdateLocked() || !frameHost_->IsVisible(TRUE)) return;
  const RECT item = GetItemRect();
  if (item.left == 0 && item.top == 0 && item.right == 0 && item.bottom == 0) return;
  RECT moved = rc;
  OffsetRect(&moved, item.left, item.top);
  if (itemContainer_->IsItemRedrawDelay()) {
    RECT box, client = frameHost_->ClientRect();
    if (!IntersectRect(&box, &moved, &item) || !IntersectRect(&box, &box, &client)) return;
    frameHost_->InvalidateRect(box, false);
    return;
  }
  PaintAtOnce(frameHost_, moved, true, [&](IRenderTarget* rt) {
    rt->OffsetViewportOrg(item.left, item.top, nullptr);
    PaintInRegion(rt, &rc);
    rt->OffsetViewportOrg(-item.left, -item.top, nullptr);
  });
}

BOOL SItemPanel::ReleaseMouseCapture() {
  const bool had = GetCapture() != 0;
  SwndContainerImpl::ReleaseMouseCapture();
  if (!had) return FALSE;
  itemContainer_->OnItemSetCapture(this, false);
  return TRUE;
}

SWND SItemPanel::SetSwndCapture(SWND window) {
  itemContainer_->OnItemSetCapture(this, true);
  return SwndContainerImpl::SetSwndCapture(window);
}

// --- input --------------------------------------------------------------

LRESULT SItemPanel::DispatchFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  AddRef();  // a subscriber may drop the panel's last other reference
  if (!IsDisabled(FALSE)) {
    switch (msg) {
      case WM_LBUTTONDOWN: {
        pressed_ = true;
        EventItemPanelClick e(this);
        e.wParam = wParam;
        e.lParam = lParam;
        RaiseEvent(&e);
        break;
      }
      case WM_LBUTTONDBLCLK: {
        EventItemPanelDbclick e(this);
        e.wParam = wParam;
        e.lParam = lParam;
        RaiseEvent(&e);
        break;
      }
      case WM_RBUTTONDOWN: {
        EventItemPanelRclick e(this);
        e.wParam = wParam;
        e.lParam = lParam;
        RaiseEvent(&e);
        break;
      }
      case WM_MOUSEHOVER: {
        ChangeState(WndState_Hover, 0, TRUE);
        EventItemPanelHover e(this);
        e.wParam = wParam;
        e.lParam = lParam;
        RaiseEvent(&e);
        break;
      }
      case WM_MOUSELEAVE: {
        pressed_ = false;
        ChangeState(0, WndState_Hover, TRUE);
        EventItemPanelLeave e(this);
        RaiseEvent(&e);
        break;
      }
      default: break;
    }
  }
  // The release raises the item's command itself, after its children
  // saw it, and only for a press that began in this item.
  const bool release = msg == WM_LBUTTONUP && !GetEventSet()->muted;
  if (release) GetEventSet()->muted = 1;
  const LRESULT result = SwndContainerImpl::DispatchFrameMessage(msg, wParam, lParam);
  if (release) {
    GetEventSet()->muted = 0;
    if (pressed_) {
      EventCmd cmd(this);
      RaiseEvent(&cmd);
    }
    pressed_ = false;
  }
  Release();
  return result;
}

BOOL SItemPanel::QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) {
  const SWND hovered = GetHover();
  if (!hovered || hovered == GetHandle()) {
    info->swnd = GetHandle();
    info->rcTarget = GetItemRect();
    info->strTip = GetToolTipText();
    return !info->strTip.IsEmpty();
  }
  SWindow* w = SWindowMgr::getSingleton().LookupWindow(hovered);
  if (!w) {
    info->swnd = 0;
    return TRUE;
  }
  if (!w->QueryToolTipInfo(pt, info)) return FALSE;
  const POINT o = Origin();
  OffsetRect(&info->rcTarget, o.x, o.y);
  return TRUE;
}

// --- painting -----------------------------------------------------------

COLORREF SItemPanel::BackgroundColor() const {
  const DWORD state = GetState();
  if ((state & WndState_Check) && selected_ != kRenderNoColor) return selected_;
  if ((state & WndState_Hover) && hover_ != kRenderNoColor) return hover_;
  return normal_;
}

void SItemPanel::OnEraseBkgnd(IRenderTarget* rt) {
  const COLORREF color = BackgroundColor();
  if (color == kRenderNoColor) {
    SwndContainerImpl::OnEraseBkgnd(rt);
    return;
  }
  const RECT client = ClientRect();
  rt->FillSolidRect(&client, color);
  if (ISkinObj* skin = GetBkgndSkin()) skin->DrawByIndex(rt, &client, StateIndex() < skin->StateCount() ? StateIndex() : 0);
}

void SItemPanel::SetSkin(ISkinObj* skin) {
  if (skin) ApplyAttribute(SStringW(L"skin"), skin->GetName(), TRUE);
}

void SItemPanel::PaintItem(IRenderTarget* rt, const RECT& rc) {
  ApplyLayout();
  const SPaintState saved = ApplyPaintState(this, rt);
  rt->OffsetViewportOrg(rc.left, rc.top, nullptr);
  RECT local{0, 0, rc.right - rc.left, rc.bottom - rc.top};
  rt->PushClipRect(&local, kCombineAnd);
  RECT box;
  rt->GetClipBox(&box);
  BuildZOrder();
  PaintInRegion(rt, &box);
  rt->PopClip();
  rt->OffsetViewportOrg(-rc.left, -rc.top, nullptr);
  RestorePaintState(rt, saved);
}

// --- lifecycle ----------------------------------------------------------

void SItemPanel::OnShowWindow(BOOL show, UINT status) {
  SwndContainerImpl::OnShowWindow(show, status);
  // Animations inside visible items receive frames.
  if (ISwndContainer* host = HostContainer()) {
    if (IsVisible(TRUE)) host->AddTimelineHandler(this);
    else host->RemoveTimelineHandler(this);
  }
}

void SItemPanel::OnDestroy() {
  if (ISwndContainer* host = HostContainer()) host->RemoveTimelineHandler(this);
  SwndContainerImpl::OnDestroy();
}

}  // namespace ORIEL
