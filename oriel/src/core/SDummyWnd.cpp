#include "core/SDummyWnd.h"

#include "core/SHostWnd.h"

namespace ORIEL {

HWND SDummyWnd::CreatePaintWindow() {
  HWND hwnd = Create(L"ORIEL_DUMMY_WND", WS_POPUP, WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, 0, 0, 10, 10, nullptr,
                     nullptr);
  if (!hwnd) return nullptr;
  // Fully transparent and click-through, so that showing it shows and
  // takes nothing; it must be shown for the system to send it WM_PAINT.
  SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TRANSPARENT);
  SetLayeredWindowAttributes(hwnd, 0, 0, LWA_ALPHA);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

BOOL SDummyWnd::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result, DWORD mapId) {
  if (mapId != 0) return FALSE;
  if (msg == WM_ERASEBKGND) {
    // Its pixels stay transparent: without a compositor they make its shape.
    result = 1;
    return TRUE;
  }
  if (msg != WM_PAINT) return FALSE;
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  host_->OnPaintWindowPaint();
  result = 0;
  return TRUE;
}

}  // namespace ORIEL
