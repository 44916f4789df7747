#include "core/CDragWnd.h"

#include "core/SLog.h"
#include "core/SMemoryDC.h"

namespace ORIEL {

namespace {
CDragWnd* g_dragWnd = nullptr;
// WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST: off the task bar,
// transparent to the mouse, above everything.
constexpr DWORD kDragExStyle = 0xA8;
}  // namespace

bool CDragWnd::StartDragImage(HBITMAP bitmap, int hotX, int hotY, COLORREF colorKey, BYTE alpha,
                              DWORD layeredFlags) {
  if (g_dragWnd) return false;
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CDragWnd::StartDragImage", L"the drag image is not a bitmap");
    return false;
  }
  auto* wnd = new CDragWnd;
  HWND hwnd = wnd->Create(nullptr, WS_POPUP, kDragExStyle, 0, 0, info.bmWidth, info.bmHeight, nullptr, nullptr);
  if (!hwnd) {
    delete wnd;
    return false;
  }
  SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  if (info.bmBitsPixel == 32) {
    HDC screen = ::GetDC(nullptr);
    SMemoryDC source(screen, bitmap);
    POINT origin{0, 0};
    SIZE size{info.bmWidth, info.bmHeight};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    const BOOL pushed =
        UpdateLayeredWindow(hwnd, screen, &origin, &size, source, &origin, colorKey, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
    if (!pushed)
      SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CDragWnd::StartDragImage", L"UpdateLayeredWindow failed, error %d",
            static_cast<int>(GetLastError()));
  } else {
    SetLayeredWindowAttributes(hwnd, colorKey, alpha, layeredFlags);
    wnd->bitmap_ = bitmap;
    ::InvalidateRect(hwnd, nullptr, TRUE);
  }
  wnd->hotSpot_ = POINT{hotX, hotY};
  g_dragWnd = wnd;
  return true;
}

void CDragWnd::MoveDragImage(int x, int y) {
  if (!g_dragWnd) return;
  SetWindowPos(g_dragWnd->GetHwnd(), HWND_TOPMOST, x - g_dragWnd->hotSpot_.x, y - g_dragWnd->hotSpot_.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);

}

void CDragWnd::EndDragImage() {
  CDragWnd* wnd = g_dragWnd;
  if (!wnd) return;
  g_dragWnd = nullptr;
  DestroyWindow(wnd->GetHwnd());
  delete wnd;
}

HWND CDragWnd::GetDragImageHwnd() { return g_dragWnd ? g_dragWnd->GetHwnd() : nullptr; }

BOOL CDragWnd::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result, DWORD) {
  if (msg == WM_ERASEBKGND) {
    // Nothing to erase: the image covers the window, and a window fed by
    // UpdateLayeredWindow would lose its picture to the class brush.
    result = 1;
    return TRUE;
  }
  if (msg != WM_PAINT) return FALSE;
  OnPaint(hwnd);
  result = 0;
  return TRUE;
}

void CDragWnd::OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (bitmap_) {
    BITMAP info{};
    GetObjectW(bitmap_, sizeof info, &info);
    SMemoryDC source(dc, bitmap_);
    ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  }
  EndPaint(hwnd, &ps);
}

}  // namespace ORIEL
