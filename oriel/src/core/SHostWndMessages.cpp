// The host's Win32 message map: input to the tree's router, sizing, the
// non-client area (none: the whole window is client, with resize borders
// taken from the layout's margin), timers and the framework's own host
// messages. Derived windows put their handlers in front of this map, so
// its order and its "handled" answers matter.
#include "core/IToolTip.h"
#include "core/SHostWnd.h"
#include "core/SMessageLoop.h"

namespace ORIEL {

namespace {

POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

// The root's frame timer runs while animations need frames.
constexpr UINT kCaretTimer = 1;
constexpr UINT kFrameTimer = 2;
constexpr UINT kFramePeriod = 10;
constexpr UINT kLeaveMessage = 0x2A3;  // WM_MOUSELEAVE, as stored after a leave

bool IsButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ||
         msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK;
}

}  // namespace

BOOL SHostWnd::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                   DWORD mapId) {
  if (mapId != 0) return FALSE;
  const BOOL saved = msgHandled_;
  const BOOL handled = ProcessHostMessage(hwnd, msg, wParam, lParam, result);
  msgHandled_ = saved;
  return handled;
}

BOOL SHostWnd::ProcessHostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  msgHandled_ = TRUE;
  result = 0;
  switch (msg) {
    case WM_SIZE: HandleHostSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_PRINT: RenderAndPresent(reinterpret_cast<HDC>(wParam), static_cast<DWORD>(lParam)); return TRUE;
    case WM_PAINT: OnHostPaint(); return TRUE;
    case WM_CREATE: result = OnHostCreate(); return TRUE;
    case WM_DESTROY: OnHostDestroy(); return TRUE;
    case WM_ERASEBKGND: result = 1; return TRUE;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      result = OnMouseMessage(WM_MOUSELEAVE, 0, 0);
      return TRUE;
    case WM_MOUSEMOVE:
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      result = OnMouseMessage(msg, wParam, lParam);
      return TRUE;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      // Both wheels reach the tree in client coordinates.
      POINT p = PointOf(lParam);
      ScreenToClient(hwnd, &p);
      const LPARAM client = MAKELPARAM(p.x, p.y);
      DispatchFrameMessage(msg, wParam, client);
      result = WasHandled() ? 1 : 0;
      if (msg == WM_MOUSEHWHEEL) RefreshToolTip();
      return TRUE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        ::SetFocus(hwnd);
      } else {
        ::SetFocus(nullptr);
        SynthesizeButtonUp();
      }
      return TRUE;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: DispatchFrameMessage(msg, 0, 0); return TRUE;
    default: break;
  }
  if (msg >= WM_LBUTTONDOWN && msg <= 0x20E) {
    result = OnMouseMessage(msg, wParam, lParam);
    return TRUE;
  }
  if ((msg >= WM_KEYDOWN && msg <= WM_SYSDEADCHAR) ||
      (msg >= WM_IME_STARTCOMPOSITION && msg <= WM_IME_COMPOSITION) || msg == WM_IME_CHAR) {
    result = OnKeyMessage(msg, wParam, lParam);
    return msgHandled_;
  }
  switch (msg) {
    case WM_ACTIVATEAPP: result = DispatchFrameMessage(msg, wParam, lParam); return TRUE;
    case WM_SETCURSOR: result = OnSetCursor(reinterpret_cast<HWND>(wParam), lParam); return TRUE;
    case WM_TIMER:
      if (!IsSwndTimerId(wParam)) return FALSE;  // a derived window's own timer
      OnHostTimer(wParam);
      return TRUE;
    case WM_NCACTIVATE: result = 1; return TRUE;
    case WM_NCCALCSIZE: result = OnNcCalcSize(static_cast<BOOL>(wParam), lParam); return TRUE;
    case WM_NCHITTEST: result = OnNcHitTest(PointOf(lParam)); return TRUE;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return TRUE;
    case WM_CAPTURECHANGED: {
      HWND taker = reinterpret_cast<HWND>(lParam);
      if (taker == hwnd) return TRUE;
      wchar_t cls[31] = {0};
      if (taker) GetClassNameW(taker, cls, 31);
      if (!taker || wcscmp(cls, L"CLIPBRDWNDCLASS") != 0) SynthesizeButtonUp();
      return TRUE;
    }
    case UM_HOST_QUEUE_UPDATE: result = OnQueueWindowUpdate(static_cast<SWND>(wParam)); return TRUE;
    case UM_HOST_SCRIPT_TIMER:
      // No script engine exists in this program, so there is nobody to
      // hand "on_timer" to; the timer is answered and dropped.
      return TRUE;
    case UM_HOST_FORWARD_EVENT: result = OnHostEvent(reinterpret_cast<EventArgs*>(lParam)); return TRUE;
    case WM_WINDOWPOSCHANGING: return TRUE;
    case WM_GETOBJECT: return FALSE;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        BOOL reflected = FALSE;
        result = ReflectChildNotify(msg, wParam, lParam, reflected);
        return reflected;
      }
      return FALSE;
    default: break;
  }
  // No development spy tool exists here: its requests are answered with 0.
  if (msg >= UM_HOST_SPY_FIRST && msg <= UM_HOST_SPY_LAST) return TRUE;
  return FALSE;
}

// --- input ----------------------------------------------------------------

LRESULT SHostWnd::OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsButtonDown(msg)) {
    lastButtonMsg_ = msg;
    lastButtonWParam_ = wParam;
    lastMousePos_ = lParam;
    if (GetWindowLongW(GetHwnd(), GWL_STYLE) & WS_CHILD) ::SetFocus(GetHwnd());
  } else if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
    lastButtonMsg_ = 0;
  } else if (msg == WM_MOUSEMOVE) {
    lastButtonMsg_ = 0;
    lastMousePos_ = lParam;
  } else if (msg == WM_MOUSELEAVE) {
    lastButtonMsg_ = kLeaveMessage;
    lastMousePos_ = 0;
  }
  DispatchFrameMessage(msg, wParam, lParam);
  RefreshToolTip();
  return 0;
}

void SHostWnd::SynthesizeButtonUp() {
  UINT up = 0;
  switch (lastButtonMsg_) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: up = WM_LBUTTONUP; break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: up = WM_RBUTTONUP; break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: up = WM_MBUTTONUP; break;
    default: return;
  }
  SendMessageW(GetHwnd(), up, lastButtonWParam_, lastMousePos_);
}

LRESULT SHostWnd::OnKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP) {
    // System keys (Alt+F4, Alt+Space) keep their default meaning unless the
    // focused window claims them.
    SWindow* focused = GetFocusWindow() ? SWindowMgr::getSingleton().LookupWindow(GetFocusWindow()) : nullptr;
    if (!focused || !(focused->GetDlgCode() & 0x80000000u)) {
      msgHandled_ = FALSE;
      return 0;
    }
  }
  const LRESULT result = DispatchFrameMessage(msg, wParam, lParam);
  msgHandled_ = WasHandled();
  return result;
}

LRESULT SHostWnd::OnSetCursor(HWND hwnd, LPARAM lParam) {
  if (hwnd != GetHwnd()) return 0;
  if (LOWORD(lParam) != HTCLIENT) return CallPreviousProc(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), lParam) ? 1 : 0;
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(GetHwnd(), &p);
  return DispatchFrameMessage(WM_SETCURSOR, 0, MAKELPARAM(p.x, p.y)) ? 1 : 0;
}

void SHostWnd::RefreshToolTip() {
  if (!tooltip_) return;
  SWindow* hover = GetHover() ? SWindowMgr::getSingleton().LookupWindow(GetHover()) : nullptr;
  if (lastButtonMsg_ != 0 || !hover) {
    tooltip_->ClearTip();
    return;
  }
  SWindow::SwndToolTipInfo info;
  if (hover->QueryToolTipInfo(PointOf(lastMousePos_), &info)) {
    tooltip_->UpdateTip(TipId{static_cast<DWORD>(info.swnd), info.cookie}, info.rcTarget, info.strTip.c_str(), scale_);
  } else {
    tooltip_->ClearTip();
  }
}

// --- capture and timers ------------------------------------------------------

SWND SHostWnd::SetSwndCapture(SWND window) {
  ::SetCapture(GetHwnd());
  return SwndContainerImpl::SetSwndCapture(window);
}

BOOL SHostWnd::ReleaseMouseCapture() {
  SwndContainerImpl::ReleaseMouseCapture();
  if (::GetCapture() == GetHwnd()) ::ReleaseCapture();
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(GetHwnd(), &p);
  PostMessageW(GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  return TRUE;
}

BOOL SHostWnd::AddTimelineHandler(ITimelineHandler* handler) {
  if (!SwndContainerImpl::AddTimelineHandler(handler)) return FALSE;
  if (TimelineHandlerCount() == 1) SwndContainerImpl::SetTimer(kFrameTimer, kFramePeriod);
  return TRUE;
}

BOOL SHostWnd::RemoveTimelineHandler(ITimelineHandler* handler) {
  if (!SwndContainerImpl::RemoveTimelineHandler(handler)) return FALSE;
  if (TimelineHandlerCount() == 0) SwndContainerImpl::KillTimer(kFrameTimer);
  return TRUE;
}

void SHostWnd::OnHostTimer(UINT_PTR id) {
  const SWND handle = SwndTimerHandle(id);
  SWindow* target = SWindowMgr::getSingleton().LookupWindow(handle);
  if (!target) {
    ::KillTimer(GetHwnd(), id);
    return;
  }
  if (target == static_cast<SWindow*>(this)) {
    HandleRootTimer(SwndTimerWindowId(id));
    return;
  }
  target->SendSwndMessage(WM_TIMER, SwndTimerWindowId(id), 0);
}

void SHostWnd::HandleRootTimer(UINT id) {
  if (id == kCaretTimer) {
    ToggleCaretPixels();
    caretDrawn_ = !caretDrawn_;
  } else if (id == kFrameTimer) {
    if (!IsIconic(GetHwnd())) AdvanceFrame();
  }
}

// --- sizing and the non-client area ---------------------------------------

void SHostWnd::HandleHostSize(UINT, int cx, int cy) {
  if (IsIconic(GetHwnd()) || cx == 0 || cy == 0) return;
  inSize_ = true;
  if (rt_) rt_->Resize(SIZE{cx, cy});
  const RECT rc{0, 0, cx, cy};
  RelayoutTo(&rc);
  RedrawAll();
  inSize_ = false;
}

LRESULT SHostWnd::OnNcCalcSize(BOOL calcValid, LPARAM lParam) {
  if (!calcValid) {
    ::GetWindowRect(GetHwnd(), reinterpret_cast<RECT*>(lParam));
    return 0;
  }
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
  const WINDOWPOS* pos = params->lppos;
  if (!pos || (pos->flags & SWP_NOSIZE)) return 0;
  RECT rc{};
  ::GetWindowRect(GetHwnd(), &rc);
  if (GetWindowLongW(GetHwnd(), GWL_STYLE) & WS_CHILD)
    MapWindowPoints(nullptr, ::GetParent(GetHwnd()), reinterpret_cast<POINT*>(&rc), 2);
  if (!(pos->flags & SWP_NOMOVE)) {
    rc.left = pos->x;
    rc.top = pos->y;
  }
  rc.right = rc.left + pos->cx;
  rc.bottom = rc.top + pos->cy;
  params->rgrc[0] = rc;
  return 0;
}

LRESULT SHostWnd::OnNcHitTest(POINT screen) {
  if (!attr_.Resizable() || IsZoomed(GetHwnd())) return HTCLIENT;
  POINT p = screen;
  ScreenToClient(GetHwnd(), &p);
  const RECT m = attr_.MarginPixels(scale_);
  const RECT r = SwndContainerImpl::GetWindowRect();
  if (p.x > r.right - m.right) {
    if (p.y > r.bottom - m.bottom) return HTBOTTOMRIGHT;
    if (p.y < m.top) return HTTOPRIGHT;
    return HTRIGHT;
  }
  if (p.x < m.left) {
    if (p.y > r.bottom - m.bottom) return HTBOTTOMLEFT;
    if (p.y < m.top) return HTTOPLEFT;
    return HTLEFT;
  }
  if (p.y > r.bottom - m.bottom) return HTBOTTOM;
  if (p.y < m.top) return HTTOP;
  return HTCLIENT;
}

void SHostWnd::OnGetMinMaxInfo(MINMAXINFO* info) {
  HMONITOR monitor = MonitorFromWindow(GetHwnd(), MONITOR_DEFAULTTONULL);
  if (!monitor) return;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoW(monitor, &mi)) return;
  const RECT& w = mi.rcWork;
  const RECT& m = mi.rcMonitor;
  const RECT inset = attr_.MaxInsetPixels(scale_);
  info->ptMaxPosition = POINT{std::abs(w.left - m.left) - inset.left, std::abs(w.top - m.top) - inset.top};
  info->ptMaxSize = POINT{std::abs(w.right - w.left) + inset.right + inset.left,
                          std::abs(w.bottom - w.top) + inset.bottom + inset.top};
  info->ptMaxTrackSize = info->ptMaxSize;
  const SIZE min = attr_.MinSizePixels(scale_);
  info->ptMinTrackSize = POINT{min.cx, min.cy};
}

}  // namespace ORIEL
