#include "control/SCaption.h"

#include "core/SwndContainer.h"

namespace ORIEL {

namespace {
constexpr WPARAM kMoveByCaption = 0xF012;      // SC_MOVE with the caption hit code
constexpr WPARAM kMaximizeByCaption = 0xF032;  // SC_MAXIMIZE with the caption hit code
constexpr WPARAM kRestoreByCaption = 0xF122;   // SC_RESTORE with the caption hit code
}  // namespace

HWND SCaption::Host() const { return GetContainer() ? GetContainer()->GetHostHwnd() : nullptr; }

BOOL SCaption::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND host = Host();
  const LONG style = host ? GetWindowLongW(host, GWL_STYLE) : 0;
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (TakesFocus()) SetFocus();
      if (style & WS_MAXIMIZE) {
        // A maximised window stays where it is: dragging never moves it.
        dragPending_ = TRUE;
      } else if (host) {
        AddRef();  // the move loop runs other messages, which may close the host
        SendMessageW(host, WM_SYSCOMMAND, kMoveByCaption, 0);
        // The move loop took the release; the tree sees it from here.
        if (IsWindow(host)) SendMessageW(host, WM_LBUTTONUP, wParam, lParam);
        Release();
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (host && (style & WS_THICKFRAME) && (style & WS_MAXIMIZEBOX))
        SendMessageW(host, WM_SYSCOMMAND, (style & WS_MAXIMIZE) ? kRestoreByCaption : kMaximizeByCaption, 0);
      break;
    case WM_MOUSEMOVE: break;
    case WM_LBUTTONUP: dragPending_ = FALSE; break;
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  result = 0;
  return TRUE;
}

}  // namespace ORIEL
