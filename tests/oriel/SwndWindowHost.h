// The test host on a real platform window: the headless host's target is
// blitted in WM_PAINT, invalidations become the window's update area, and
// mouse and key messages go into DispatchFrameMessage (both wheels with
// their screen point turned into a client point). It asks for the mouse's
// leave notice, and with a tool tip set (SetToolTip) feeds it the mouse
// messages and refreshes it after each, as a real host does. Only the
// window's update area reaches the screen.
#pragma once

#include "SwndTestHost.h"

namespace ORIEL {

class SwndWindowHost : public SwndTestHost {
 public:
  SwndWindowHost(int x, int y, int width, int height) : SwndTestHost(width, height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &SwndWindowHost::Proc;
    wc.lpszClassName = L"SwndWindowHostTest";
    wc.style = CS_DBLCLKS;
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"host", WS_POPUP, x, y, width, height, nullptr, nullptr,
                            nullptr, this);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~SwndWindowHost() override {
    if (hwnd_) {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }
  HWND Hwnd() const { return hwnd_; }
  HWND GetHostHwnd() override { return hwnd_; }
  void InvalidateHostRect(const RECT& rc) override {
    SwndTestHost::InvalidateHostRect(rc);
    if (hwnd_) ::InvalidateRect(hwnd_, &rc, FALSE);
  }
  // A borrowed target was drawn on: what changed is shown at the next paint.
  void ReleaseRenderTarget(IRenderTarget*, const RECT& rc, DWORD) override {
    if (hwnd_) ::InvalidateRect(hwnd_, &rc, FALSE);
  }
  int blits = 0;
  RECT lastBlit{0, 0, 0, 0};  // the area the last paint showed

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SwndWindowHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      self->Paint();
      IRenderTarget* rt = self->Target();
      HDC src = rt->GetDC(0);
      const SIZE size = rt->GetSize();
      BitBlt(dc, 0, 0, size.cx, size.cy, src, 0, 0, SRCCOPY);
      rt->ReleaseDC(src);
      EndPaint(hwnd, &ps);
      ++self->blits;
      self->lastBlit = ps.rcPaint;
      return 0;
    }
    if (msg == WM_TIMER && IsSwndTimerId(wParam)) {
      // A framework window's timer: hand it to that window with its own id.
      if (SWindowMgr* windows = SWindowMgr::getSingletonPtr()) {
        SWindow* target = windows->LookupWindow(SwndTimerHandle(wParam));
        if (target) target->SendSwndMessage(WM_TIMER, SwndTimerWindowId(wParam), 0);
      }
      return 0;
    }
    if (msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL) {
      POINT p{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      ScreenToClient(hwnd, &p);
      lParam = MAKELPARAM(p.x, p.y);
    }
    const bool mouse = (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || msg == WM_MOUSELEAVE;
    if (msg == WM_MOUSEMOVE && !self->trackingLeave_) {
      // Ask for the leave notice once the pointer is in.
      TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
      self->trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    if (msg == WM_MOUSELEAVE) self->trackingLeave_ = false;
    if (mouse && self->GetToolTip()) {
      // What the host loop's message filter would show the tool tip.
      MSG seen{hwnd, msg, wParam, lParam, 0, {0, 0}};
      self->GetToolTip()->FeedMouse(&seen);
    }
    if (mouse || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || msg == WM_ACTIVATE || msg == WM_SETFOCUS ||
        msg == WM_KILLFOCUS) {
      self->DispatchFrameMessage(msg, wParam, lParam);
      const BOOL handled = self->WasHandled();
      if (mouse && msg != WM_MOUSEWHEEL) self->RefreshToolTip();
      // Activation and focus still reach the default procedure, which
      // gives an activated window the keyboard focus.
      const bool focusMessage = msg == WM_ACTIVATE || msg == WM_SETFOCUS || msg == WM_KILLFOCUS;
      if (handled && !focusMessage) return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  HWND hwnd_ = nullptr;
  bool trackingLeave_ = false;
};

}  // namespace ORIEL
