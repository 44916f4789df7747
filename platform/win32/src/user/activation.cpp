// Activation, focus, capture and mouse-leave tracking, with the Windows
// order: the old window's deactivation before the new one's activation,
// WM_ACTIVATEAPP when the application as a whole changes, and the old
// focus's WM_KILLFOCUS before the new one's WM_SETFOCUS.
#include <mutex>
#include <vector>

#include "../display/foreign.h"
#include "../display/native.h"
#include "../window_table.h"
#include "geometry.h"
#include "input_state.h"
#include "placement.h"
#include "win32/kernel32.h"
#include "win32/backend.h"
#include "win32/messaging.h"

using namespace win32::detail;
namespace display = win32::display;

namespace {

std::recursive_mutex g_mutex;
HWND g_active = nullptr;
HWND g_focus = nullptr;
HWND g_capture = nullptr;
HWND g_leaveTracked = nullptr;
bool g_appActive = false;

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> out;
  std::lock_guard<std::mutex> lock(windowLock());
  for (auto& [value, window] : windowsLocked()) {
    if (!(window->style & WS_CHILD) && !window->messageOnly && !window->destroying)
      out.push_back(window->hwnd);
  }
  return out;
}

bool minimized(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) != 0; }

}  // namespace

namespace win32::detail {

void activate(HWND hwnd, WORD how, bool takeDisplayFocus) {
  if (hwnd) hwnd = rootOf(hwnd);
  HWND old;
  bool appChanges;
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    old = g_active;
    if (old == hwnd) return;
    g_active = hwnd;
    appChanges = (old == nullptr) != (hwnd == nullptr);
    if (appChanges) g_appActive = hwnd != nullptr;
  }
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimized(old)),
                 reinterpret_cast<LPARAM>(hwnd));
  }
  if (appChanges) {
    for (HWND top : topLevelWindows())
      SendMessageW(top, WM_ACTIVATEAPP, hwnd ? TRUE : FALSE, 0);
  }
  if (!hwnd) {
    HWND focus;
    {
      std::lock_guard<std::recursive_mutex> lock(g_mutex);
      focus = g_focus;
      g_focus = nullptr;
    }
    if (focus && IsWindow(focus)) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
    return;
  }
  SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
  // DefWindowProcW's WM_ACTIVATE gives the window the focus.
  SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(how, minimized(hwnd)), reinterpret_cast<LPARAM>(old));
  if (takeDisplayFocus) display::nativeFocus(hwnd);
}

HWND activationSuccessor(HWND hwnd) {
  HWND owner = GetWindow(hwnd, GW_OWNER);
  if (!owner || !IsWindow(owner)) return nullptr;
  const LONG style = GetWindowLongW(owner, GWL_STYLE);
  if (!(style & WS_VISIBLE) || (style & (WS_DISABLED | WS_MINIMIZE))) return nullptr;
  return owner;
}

void forgetInputState(HWND hwnd, bool notify) {
  bool hadCapture = false;
  HWND successor = nullptr;
  bool wasActive = false;
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (g_active == hwnd) {
      wasActive = true;
      g_active = nullptr;
      if (!notify) g_appActive = false;
    }
    if (g_focus == hwnd) g_focus = nullptr;
    if (g_leaveTracked == hwnd) g_leaveTracked = nullptr;
    if (g_capture == hwnd) {
      g_capture = nullptr;
      hadCapture = true;
    }
  }
  if (hadCapture) display::nativeUngrabPointer();
  if (!wasActive || !notify) return;
  // The owner of a destroyed active window (a dialog's) becomes active, as
  // on Windows; with none the application loses the activation.
  successor = activationSuccessor(hwnd);
  if (successor) {
    {
      std::lock_guard<std::recursive_mutex> lock(g_mutex);
      g_active = successor;
    }
    SendMessageW(successor, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(successor, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, FALSE), reinterpret_cast<LPARAM>(hwnd));
    display::nativeFocus(successor);
    return;
  }
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_appActive = false;
  }
  for (HWND top : topLevelWindows()) {
    if (top != hwnd) SendMessageW(top, WM_ACTIVATEAPP, FALSE, 0);
  }
}

HWND leaveTrackedWindow() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  return g_leaveTracked;
}

void clearLeaveTracking() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  g_leaveTracked = nullptr;
}

bool applicationActive() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  return g_appActive;
}

}  // namespace win32::detail

HWND SetActiveWindow(HWND hWnd) {
  if (display::isForeignHandle(hWnd)) {
    display::foreignOperation(hWnd, display::kForeignActivate, 0, 0, 0);
    return GetActiveWindow();
  }
  if (hWnd && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND old = GetActiveWindow();
  activate(hWnd, WA_ACTIVE, true);
  return old;
}

HWND GetActiveWindow() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  return g_active;
}

BOOL SetForegroundWindow(HWND hWnd) {
  if (display::isForeignHandle(hWnd)) {
    return display::foreignOperation(hWnd, display::kForeignForeground, 0, 0, 0) ? TRUE : FALSE;
  }
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  HWND root = rootOf(hWnd);
  activate(root, WA_ACTIVE, true);
  display::nativeRaise(root);
  display::nativeActivateRequest(root);
  return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetFocus(HWND hWnd) {
  if (hWnd && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (hWnd && !windowEnabled(rootOf(hWnd))) return nullptr;
  if (hWnd && GetActiveWindow() != rootOf(hWnd)) activate(rootOf(hWnd), WA_ACTIVE, true);
  HWND old;
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    old = g_focus;
    if (old == hWnd) return old;
    g_focus = hWnd;
  }
  if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  if (hWnd) SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  return g_focus;
}

HWND SetCapture(HWND hWnd) {
  if (!IsWindow(hWnd)) return nullptr;
  HWND old;
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    old = g_capture;
    g_capture = hWnd;
  }
  if (old != hWnd) {
    display::nativeGrabPointer(hWnd);
    if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  }
  return old;
}

BOOL ReleaseCapture() {
  HWND old;
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    old = g_capture;
    g_capture = nullptr;
  }
  if (old) {
    display::nativeUngrabPointer();
    if (IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  }
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  return g_capture;
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack) {
  if (!lpEventTrack || lpEventTrack->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  if (lpEventTrack->dwFlags & TME_CANCEL) {
    if (g_leaveTracked == lpEventTrack->hwndTrack) g_leaveTracked = nullptr;
    return TRUE;
  }
  if (!IsWindow(lpEventTrack->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (lpEventTrack->dwFlags & TME_LEAVE) {
    // Asked while the pointer is already outside: the leave comes at once.
    POINT pt{};
    GetCursorPos(&pt);
    RECT rect{};
    GetWindowRect(lpEventTrack->hwndTrack, &rect);
    const bool inside = pt.x >= rect.left && pt.x < rect.right && pt.y >= rect.top && pt.y < rect.bottom;
    if (!inside && Win32HasDisplay()) {
      PostMessageW(lpEventTrack->hwndTrack, WM_MOUSELEAVE, 0, 0);
      return TRUE;
    }
    g_leaveTracked = lpEventTrack->hwndTrack;
  }
  return TRUE;
}
