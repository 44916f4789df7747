// The default window procedure: titles, closing and validation of WM_PAINT.
#include <cwchar>

#include "backend_hooks.h"
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
    case WM_PAINT:
      // An unhandled paint counts as done, or WM_PAINT would come forever.
      Win32SetNeedsPaint(hWnd, FALSE);
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;
    default:
      return 0;
  }
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!lpPrevWndFunc) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}
