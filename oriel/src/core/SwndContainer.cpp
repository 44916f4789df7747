#include "core/SwndContainer.h"

#include <algorithm>

namespace ORIEL {

namespace {

POINT PointOfLParam(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

// Non-client mouse messages sit 0x160 below their client forms.
constexpr UINT kNonClientOffset = WM_LBUTTONDOWN - WM_NCLBUTTONDOWN;

}  // namespace

SwndContainerImpl::SwndContainerImpl() : focus_(this), dropTarget_(this) { SetContainer(this); }

SwndContainerImpl::~SwndContainerImpl() {
  timelines_.clear();
  tracked_.clear();
}

SWindow* SwndContainerImpl::Target(SWND handle) const {
  return handle ? SWindowMgr::getSingleton().LookupWindow(handle) : nullptr;
}

// --- bookkeeping --------------------------------------------------------

void SwndContainerImpl::AdvanceFrame() {
  if (!IsVisible(TRUE)) return;
  const std::vector<ITimelineHandler*> copy = timelines_;  // a handler may remove itself
  for (ITimelineHandler* h : copy) h->AdvanceFrame();
}

BOOL SwndContainerImpl::AddTimelineHandler(ITimelineHandler* handler) {
  if (std::find(timelines_.begin(), timelines_.end(), handler) != timelines_.end()) return FALSE;
  timelines_.push_back(handler);
  return TRUE;
}

BOOL SwndContainerImpl::RemoveTimelineHandler(ITimelineHandler* handler) {
  auto it = std::find(timelines_.begin(), timelines_.end(), handler);
  if (it == timelines_.end()) return FALSE;
  timelines_.erase(it);
  return TRUE;
}

BOOL SwndContainerImpl::AddTrackedWindow(SWND window) {
  if (std::find(tracked_.begin(), tracked_.end(), window) != tracked_.end()) return FALSE;
  tracked_.push_back(window);
  return TRUE;
}

BOOL SwndContainerImpl::RemoveTrackedWindow(SWND window) {
  auto it = std::find(tracked_.begin(), tracked_.end(), window);
  if (it == tracked_.end()) return FALSE;
  tracked_.erase(it);
  return TRUE;
}

BOOL SwndContainerImpl::ReleaseMouseCapture() {
  capture_ = 0;
  return TRUE;
}

SWND SwndContainerImpl::SetSwndCapture(SWND window) {
  SWindow* w = Target(window);
  if (!w || w->IsDisabled(TRUE)) return 0;
  const SWND previous = capture_;
  capture_ = window;
  return previous;
}

void SwndContainerImpl::SetFocusWindow(SWND window) {
  HWND host = GetHostHwnd();
  if (window && host && ::GetFocus() != host && !(GetWindowLongW(host, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
    ::SetFocus(host);
  focus_.SetFocusedHwnd(window);
}

void SwndContainerImpl::BuildZOrder() {
  if (!zorderDirty_) return;
  int next = 0;
  // Pre-order: each window before its children, children in sibling order.
  struct Numberer {
    static void Run(SWindow* w, int& n) {
      w->SetZOrder(n++);
      for (SWindow* c = w->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) Run(c, n);
    }
  };
  Numberer::Run(this, next);
  zorderDirty_ = false;
}

// --- tool tip -----------------------------------------------------------

void SwndContainerImpl::RecordMouse(UINT msg, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
      lastButton_ = msg;
      lastPoint_ = lParam;
      break;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: lastButton_ = 0; break;
    case WM_MOUSEMOVE:
      lastButton_ = 0;
      lastPoint_ = lParam;
      break;
    case WM_MOUSELEAVE:
      lastButton_ = WM_MOUSELEAVE;
      lastPoint_ = 0;
      break;
    default: break;
  }
}

void SwndContainerImpl::RefreshToolTip() {
  if (!toolTip_) return;
  SWindow* hover = Target(hover_);
  if (lastButton_ != 0 || !hover) {
    toolTip_->ClearTip();
    return;
  }
  SwndToolTipInfo info;
  hover->AddRef();  // a tip subscriber may destroy the window
  const BOOL has = hover->QueryToolTipInfo(PointOfLParam(lastPoint_), &info);
  hover->Release();
  if (has) toolTip_->UpdateTip(TipId{info.swnd, info.cookie}, info.rcTarget, info.strTip.c_str(), GetScale());
  else toolTip_->ClearTip();
}

// --- routing ------------------------------------------------------------

LRESULT SwndContainerImpl::DispatchFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  AddRef();  // a handler may drop the last other reference to the container
  RecordMouse(msg, lParam);
  handled_ = TRUE;
  LRESULT result = 0;
  if (msg == WM_ACTIVATE) {
    if (LOWORD(wParam) == WA_INACTIVE) focus_.StoreFocusedView();
    else if (LOWORD(wParam) == WA_ACTIVE) focus_.RestoreSavedFocus();
  } else if (msg == WM_SETFOCUS) {
    focus_.RestoreSavedFocus();
  } else if (msg == WM_KILLFOCUS) {
    focus_.StoreFocusedView();
  } else if (msg == WM_SETCURSOR) {
    result = OnSetCursor(lParam);
  } else if (msg == WM_KEYDOWN) {
    OnKeyDown(msg, wParam, lParam);
  } else if ((msg >= WM_KEYUP && msg <= WM_SYSDEADCHAR) ||
             (msg >= WM_IME_STARTCOMPOSITION && msg <= WM_IME_COMPOSITION) || msg == WM_IME_CHAR) {
    OnChar(msg, wParam, lParam);
  } else if (msg == WM_MOUSEMOVE) {
    OnMouseMove(wParam, PointOfLParam(lParam));
  } else if (msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL) {
    OnWheel(msg, wParam, lParam);
  } else if (msg == WM_MOUSELEAVE) {
    OnMouseLeaveHost();
  } else if (msg == WM_MOUSEHOVER || (msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK)) {
    OnButton(msg, wParam, lParam);
  } else {
    handled_ = FALSE;
  }
  Release();
  return result;
}

LRESULT SwndContainerImpl::OnSetCursor(LPARAM lParam) {
  const POINT p = PointOfLParam(lParam);
  SWindow* w = Target(capture_);
  if (!w) {
    w = Target(hover_);
    if (w && w->IsDisabled(TRUE)) w = nullptr;
  }
  if (w && w->ApplyStyleCursor(p)) return TRUE;
  ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  return FALSE;
}

void SwndContainerImpl::OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (focus_.HandleKey(static_cast<UINT>(wParam))) return;
  SWindow* focused = Target(focus_.GetFocusedHwnd());
  if (!focused) {
    handled_ = FALSE;
    return;
  }
  BOOL done = FALSE;
  focused->SendSwndMessage(msg, wParam, MAKELPARAM(LOWORD(lParam), HIWORD(lParam)), &done);
  handled_ = done;
}

// With Alt down the focus manager is offered each key once: at its press,
// or at its character when the press went unclaimed. Offering the press,
// the character and the release alike fired an accelerator three times
// for one key, and the character of a claimed press still reached the
// focused window.
void SwndContainerImpl::OnChar(UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool press = msg == WM_SYSKEYDOWN;
  const bool release = msg == WM_KEYUP || msg == WM_SYSKEYUP;
  const bool character = !press && !release;
  if (press) claimedPress_ = false;
  if (GetKeyState(VK_MENU) & 0x8000) {
    if (character && claimedPress_) {
      claimedPress_ = false;
      return;
    }
    if (character && wParam >= 'a' && wParam <= 'z') wParam -= 0x20;
    if (!release && focus_.HandleKey(static_cast<UINT>(wParam))) {
      claimedPress_ = press;
      return;
    }
  }
  SWindow* focused = Target(focus_.GetFocusedHwnd());
  if (!focused) {
    handled_ = FALSE;
    return;
  }
  BOOL done = FALSE;
  focused->SendSwndMessage(msg, wParam, lParam, &done);
  handled_ = done;
}

void SwndContainerImpl::OnButton(UINT msg, WPARAM wParam, LPARAM lParam) {
  SWindow* target = Target(capture_);
  if (!target) {
    hover_ = HitTest(PointOfLParam(lParam));
    target = Target(hover_);
    if (!target || target->IsDisabled(TRUE)) {
      handled_ = FALSE;
      return;
    }
  }
  BOOL done = FALSE;
  target->SendSwndMessage(hoverNonClient_ ? msg - kNonClientOffset : msg, wParam, lParam, &done);
  handled_ = done;
}

// Both wheels arrive here with the point in client coordinates: the host
// converts the screen point of either message before it dispatches.
void SwndContainerImpl::OnWheel(UINT msg, WPARAM wParam, LPARAM lParam) {
  SWindow* target = Target(capture_);
  if (!target) {
    if (WheelGoesToHover()) {
      hover_ = HitTest(PointOfLParam(lParam));
      target = Target(hover_);
    } else {
      target = Target(focus_.GetFocusedHwnd());
    }
  }
  if (!target || target->IsDisabled(TRUE)) {
    handled_ = FALSE;
    return;
  }
  BOOL done = FALSE;
  target->SendSwndMessage(msg, wParam, lParam, &done);
  handled_ = done;
}

void SwndContainerImpl::OnMouseMove(WPARAM keys, POINT p) {
  const LPARAM lp = MAKELPARAM(p.x, p.y);
  if (SWindow* k = Target(capture_)) {
    const bool inside = k->ContainsPoint(p, FALSE) != 0;
    const SWND newHover = inside ? capture_ : 0;
    if (newHover != hover_) {
      if (SWindow* old = Target(hover_)) {
        if (hoverNonClient_) old->SendSwndMessage(WM_NCMOUSELEAVE);
        old->SendSwndMessage(WM_MOUSELEAVE);
      }
      hover_ = newHover;
      if (inside && !(k->GetState() & WndState_Hover)) {
        if (hoverNonClient_) k->SendSwndMessage(WM_NCMOUSEHOVER, keys, lp);
        k->SendSwndMessage(WM_MOUSEHOVER, keys, lp);
      }
    }
    if (SWindow* still = Target(capture_))
      still->SendSwndMessage(hoverNonClient_ ? WM_NCMOUSEMOVE : WM_MOUSEMOVE, keys, lp);
  } else {
    const SWND hit = HitTest(p);
    if (hit != hover_) {
      if (SWindow* old = Target(hover_)) {
        // A disabled window that never had the hover gets no leave either.
        const bool keeps = (old->GetStyle().IsTrackMouse() && old->ContainsPoint(p, FALSE)) ||
                           (old->IsDisabled(TRUE) && !(old->GetState() & WndState_Hover));
        if (!keeps) {
          old->AddRef();
          if (hoverNonClient_) old->SendSwndMessage(WM_NCMOUSELEAVE);
          old->SendSwndMessage(WM_MOUSELEAVE);
          old->Release();
        }
      }
      hover_ = hit;
      SWindow* w = Target(hit);
      if (w && !w->IsDisabled(TRUE) && !(w->GetState() & WndState_Hover)) {
        hoverNonClient_ = w->IsNonClientPoint(p) != 0;
        if (hoverNonClient_) w->SendSwndMessage(WM_NCMOUSEHOVER, keys, lp);
        w->SendSwndMessage(WM_MOUSEHOVER, keys, lp);
      }
    } else if (SWindow* w = Target(hit); w && !w->IsDisabled(TRUE)) {
      const bool nonClient = w->IsNonClientPoint(p) != 0;
      if (nonClient != hoverNonClient_) {
        hoverNonClient_ = nonClient;
        w->SendSwndMessage(nonClient ? WM_NCMOUSEHOVER : WM_NCMOUSELEAVE, keys, lp);
      }
    }
    if (SWindow* w = Target(hit); w && !w->IsDisabled(TRUE))
      w->SendSwndMessage(hoverNonClient_ ? WM_NCMOUSEMOVE : WM_MOUSEMOVE, keys, lp);
  }
  NotifyTracked(p, false);
}

void SwndContainerImpl::OnMouseLeaveHost() {
  if (SWindow* k = Target(capture_)) {
    k->SendSwndMessage(WM_MOUSELEAVE);
  } else if (SWindow* h = Target(hover_); h && !h->IsDisabled(TRUE)) {
    h->AddRef();
    h->SendSwndMessage(WM_MOUSELEAVE);
    if (hoverNonClient_) h->SendSwndMessage(WM_NCMOUSELEAVE);
    h->Release();
  }
  NotifyTracked(POINT{0, 0}, true);
  hover_ = 0;
}

void SwndContainerImpl::NotifyTracked(POINT p, bool hostLeft) {
  const std::vector<SWND> copy = tracked_;
  for (SWND handle : copy) {
    SWindow* t = Target(handle);
    if (!t) {
      RemoveTrackedWindow(handle);
      continue;
    }
    if (!t->IsVisible(TRUE)) continue;
    const bool hovered = (t->GetState() & WndState_Hover) != 0;
    const bool inside = !hostLeft && t->ContainsPoint(p, FALSE);
    if (inside && !hovered) t->SendSwndMessage(WM_MOUSEHOVER);
    else if (!inside && hovered) t->SendSwndMessage(WM_MOUSELEAVE);
  }
}

}  // namespace ORIEL
