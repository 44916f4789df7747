// CreateWindowExW and DestroyWindow with the messages Windows sends, in its
// order: WM_NCCREATE then WM_CREATE; on destruction owned windows go first,
// then WM_DESTROY to the window and down its children (parent first), then
// WM_NCDESTROY up from the deepest children (parent last).
#include <cstring>

#include "backend_hooks.h"
#include "message_queue.h"
#include "win32/kernel32.h"
#include "win32/messaging.h"
#include "win32/user32.h"
#include "window_class.h"

using namespace win32::detail;

namespace {

std::vector<HWND> childrenOf(HWND hwnd) {
  std::vector<HWND> children;
  std::lock_guard<std::mutex> lock(windowLock());
  for (auto& [value, window] : windowsLocked()) {
    if ((window->style & WS_CHILD) && window->parent == hwnd) children.push_back(window->hwnd);
  }
  return children;
}

std::vector<HWND> ownedBy(HWND hwnd) {
  std::vector<HWND> owned;
  std::lock_guard<std::mutex> lock(windowLock());
  for (auto& [value, window] : windowsLocked()) {
    if (!(window->style & WS_CHILD) && window->owner == hwnd && !window->destroying)
      owned.push_back(window->hwnd);
  }
  return owned;
}

void markDestroying(HWND hwnd) {
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (auto window = lookupWindowLocked(hwnd)) window->destroying = true;
  }
  for (HWND child : childrenOf(hwnd)) markDestroying(child);
}

void sendDestroy(HWND hwnd) {
  if (!IsWindow(hwnd)) return;
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  for (HWND child : childrenOf(hwnd)) sendDestroy(child);
}

void finishDestroy(HWND hwnd) {
  for (HWND child : childrenOf(hwnd)) finishDestroy(child);
  auto window = lookupWindow(hwnd);
  if (!window) return;
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  forgetWindowState(hwnd);
  purgeWindow(*window->queue, hwnd);
  removeWindow(hwnd);
}

// CW_USEDEFAULT places a top-level window at a cascade position with a
// default size, as Windows does; a child gets zero.
RECT initialRect(int x, int y, int width, int height, bool child) {
  if (x == CW_USEDEFAULT) {
    x = child ? 0 : 100;
    y = child ? 0 : 100;
  }
  if (width == CW_USEDEFAULT) {
    width = child ? 0 : 640;
    height = child ? 0 : 480;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  return RECT{x, y, x + width, y + height};
}

}  // namespace

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle,
                     int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, LPVOID lpParam) {
  auto cls = findClass(lpClassName);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto window = std::make_shared<Window>();
  window->windowClass = cls;
  window->proc = cls->proc;
  window->style = static_cast<LONG>(dwStyle);
  window->exStyle = static_cast<LONG>(dwExStyle);
  window->instance = hInstance;
  window->extra.assign(static_cast<size_t>(cls->windowExtra), 0);
  window->threadId = GetCurrentThreadId();
  window->queue = currentQueue();

  const bool child = (dwStyle & WS_CHILD) != 0;
  if (hWndParent == HWND_MESSAGE) {
    window->messageOnly = true;
  } else if (hWndParent && hWndParent != desktopHandle()) {
    std::lock_guard<std::mutex> lock(windowLock());
    if (!lookupWindowLocked(hWndParent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    // A top-level window's owner is always a top-level window.
    if (child) window->parent = hWndParent;
    else window->owner = rootOfLocked(hWndParent);
  } else if (child) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  if (child) window->id = reinterpret_cast<LONG_PTR>(hMenu);
  window->rect = initialRect(X, Y, nWidth, nHeight, child);
  window->restoreRect = window->rect;

  {
    std::lock_guard<std::mutex> lock(windowLock());
    ++cls->windowCount;
  }
  HWND hwnd = insertWindow(window);

  CREATESTRUCTW create{};
  create.lpCreateParams = lpParam;
  create.hInstance = hInstance;
  create.hMenu = hMenu;
  create.hwndParent = hWndParent;
  create.cx = nWidth;
  create.cy = nHeight;
  create.x = X;
  create.y = Y;
  create.style = static_cast<LONG>(dwStyle);
  create.lpszName = lpWindowName;
  create.lpszClass = lpClassName;
  create.dwExStyle = dwExStyle;

  if (!child && !window->messageOnly) openDisplayOnFirstUse();
  if (const Win32DisplayBackend* backend = displayBackend(); backend && backend->windowCreated)
    backend->windowCreated(hwnd, &create, backend->context);

  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    markDestroying(hwnd);
    finishDestroy(hwnd);
    return nullptr;
  }
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  // A top-level window created visible is shown once created, as Windows
  // does, with the show messages.
  if (!child && (dwStyle & WS_VISIBLE) && IsWindow(hwnd)) {
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) & ~WS_VISIBLE);
    ShowWindow(hwnd, SW_SHOW);
  }
  // The window may have destroyed itself while being created.
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
  auto window = lookupWindow(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (window->destroying) return FALSE;  // already on its way out
  }
  for (HWND owned : ownedBy(hWnd)) DestroyWindow(owned);
  markDestroying(hWnd);
  sendDestroy(hWnd);
  finishDestroy(hWnd);
  return TRUE;
}

BOOL IsWindow(HWND hWnd) {
  if (hWnd == desktopHandle()) return TRUE;
  if (hWnd && lookupWindow(hWnd)) return TRUE;
  return isForeignWindow(hWnd) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  auto window = lookupWindow(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (lpdwProcessId) *lpdwProcessId = GetCurrentProcessId();
  return window->threadId;
}

HWND GetDesktopWindow() { return desktopHandle(); }
