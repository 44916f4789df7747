// The default window procedure: titles, closing, painting, placement
// reports, activation, cursors, the non-client buttons and system commands.
#include <cwchar>

#include <cairo.h>

#include "backend_hooks.h"
#include "display/native.h"
#include "user/placement.h"
#include "win32/messaging.h"
#include "window_table.h"

using namespace win32::detail;

namespace {

void storeText(HWND hwnd, LPCWSTR text) {
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    window->text = text ? text : L"";
  }
  if (const Win32DisplayBackend* backend = displayBackend();
      backend && backend->windowTextChanged)
    backend->windowTextChanged(hwnd, text ? text : L"", backend->context);
}

LRESULT eraseBackground(HWND hwnd, HDC hdc) {
  HBRUSH brush = nullptr;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window || !window->windowClass) return 0;
    brush = window->windowClass->background;
  }
  // System-colour brushes (COLOR_* + 1) are the only ones this layer can
  // read; the window colour is white.
  if (brush != reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_WINDOW + 1))) return 0;
  auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc));
  if (!surface) return 0;
  RECT update{};
  GetUpdateRect(hwnd, &update, FALSE);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  return 1;
}

void reportPlacement(HWND hwnd, const WINDOWPOS* pos) {
  if (!pos) return;
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if (!(pos->flags & SWP_NOSIZE) && !(style & WS_MINIMIZE)) {
    const WPARAM kind = (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(pos->cx, pos->cy));
  }
  if (!(pos->flags & SWP_NOMOVE)) {
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    if (style & WS_CHILD) ScreenToClient(GetParent(hwnd), &origin);
    SendMessageW(hwnd, WM_MOVE, 0,
                 MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(origin.x)),
                            static_cast<WORD>(static_cast<SHORT>(origin.y))));
  }
}

LRESULT setCursorFor(HWND hwnd, SHORT hit) {
  LPCWSTR id = nullptr;
  switch (hit) {
    case HTLEFT:
    case HTRIGHT: id = IDC_SIZEWE; break;
    case HTTOP:
    case HTBOTTOM: id = IDC_SIZENS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: id = IDC_SIZENWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: id = IDC_SIZENESW; break;
    case HTCLIENT: {
      HCURSOR cursor = nullptr;
      {
        std::lock_guard<std::mutex> lock(windowLock());
        auto window = lookupWindowLocked(hwnd);
        if (window && window->windowClass) cursor = window->windowClass->cursor;
      }
      if (cursor) SetCursor(cursor);
      return cursor ? TRUE : FALSE;
    }
    default: id = IDC_ARROW; break;
  }
  SetCursor(LoadCursorW(nullptr, id));
  return TRUE;
}

LRESULT nonClientButton(HWND hwnd, WPARAM hit, LPARAM lParam) {
  if (hit == HTCAPTION) {
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
  } else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE | (hit - HTLEFT + WMSZ_LEFT), lParam);
  }
  return 0;
}

// Stores the icon and shows both on the window; returns the previous one.
HICON setIcon(HWND hwnd, WPARAM which, HICON icon) {
  HICON previous = nullptr, big = nullptr, small = nullptr;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return nullptr;
    HICON& slot = which == ICON_BIG ? window->bigIcon : window->smallIcon;
    previous = slot;
    slot = icon;
    big = window->bigIcon;
    small = window->smallIcon;
  }
  win32::display::nativeSetIcons(hwnd, big, small);
  return previous;
}

LRESULT systemCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const UINT command = static_cast<UINT>(wParam & 0xFFF0);
  switch (command) {
    case SC_MOVE:
    case SC_SIZE:
      moveSizeLoop(hwnd, static_cast<UINT>(wParam),
                   POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
    case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
    case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); break;
    default: break;
  }
  return 0;
}

}  // namespace

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create && create->lpszName) storeText(hWnd, create->lpszName);
      return TRUE;
    }
    case WM_SETTEXT:
      storeText(hWnd, reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      if (!buffer || wParam == 0) return 0;
      std::lock_guard<std::mutex> lock(windowLock());
      auto window = lookupWindowLocked(hWnd);
      if (!window) return 0;
      const size_t n = std::min(window->text.size(), static_cast<size_t>(wParam - 1));
      std::wmemcpy(buffer, window->text.c_str(), n);
      buffer[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::mutex> lock(windowLock());
      auto window = lookupWindowLocked(hWnd);
      return window ? static_cast<LRESULT>(window->text.size()) : 0;
    }
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_PAINT: {
      // An unhandled paint counts as done, or WM_PAINT would come forever.
      PAINTSTRUCT ps;
      if (BeginPaint(hWnd, &ps)) EndPaint(hWnd, &ps);
      Win32SetNeedsPaint(hWnd, FALSE);
      return 0;
    }
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_ERASEBKGND:
      return eraseBackground(hWnd, reinterpret_cast<HDC>(wParam));
    case WM_WINDOWPOSCHANGED:
      reportPlacement(hWnd, reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_ACTIVATE:
      // The activated window takes the focus unless it is minimised.
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        HWND focus = GetFocus();
        if (!focus || (focus != hWnd && !IsChild(hWnd, focus))) SetFocus(hWnd);
      }
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_MOUSEACTIVATE:
      return (GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) ? MA_NOACTIVATE : MA_ACTIVATE;
    case WM_SETCURSOR:
      return setCursorFor(hWnd, static_cast<SHORT>(LOWORD(lParam)));
    case WM_NCLBUTTONDOWN:
      return nonClientButton(hWnd, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION && (GetWindowLongW(hWnd, GWL_STYLE) & WS_MAXIMIZEBOX))
        SendMessageW(hWnd, WM_SYSCOMMAND, IsZoomed(hWnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      return 0;
    case WM_SYSCOMMAND:
      return systemCommand(hWnd, wParam, lParam);
    case WM_SETICON:
      return reinterpret_cast<LRESULT>(setIcon(hWnd, wParam, reinterpret_cast<HICON>(lParam)));
    case WM_GETICON: {
      std::lock_guard<std::mutex> lock(windowLock());
      auto window = lookupWindowLocked(hWnd);
      if (!window) return 0;
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window->bigIcon : window->smallIcon);
    }
    case WM_IME_CHAR:
      PostMessageW(hWnd, WM_CHAR, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1L << 29))) PostMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    default:
      return 0;
  }
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!lpPrevWndFunc) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}
