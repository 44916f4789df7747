// ShowWindow, SetWindowPos and the rectangle and coordinate queries.
#include "placement.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "../display/foreign.h"
#include "../display/native.h"
#include "../window_table.h"
#include "geometry.h"
#include "paint_store.h"
#include "win32/messaging.h"

using namespace win32::detail;
namespace display = win32::display;

namespace {

struct Snapshot {
  bool found = false;
  bool child = false;
  LONG style = 0, exStyle = 0;
  RECT rect{};
  bool everShown = false;
};

Snapshot snapshot(HWND hwnd) {
  Snapshot s;
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hwnd);
  if (!window) return s;
  s.found = true;
  s.child = (window->style & WS_CHILD) != 0;
  s.style = window->style;
  s.exStyle = window->exStyle;
  s.rect = window->rect;
  s.everShown = window->everShown;
  return s;
}

// Tells the window manager the smallest size the window accepts, so its
// own resizing stops there too.
void publishMinimumSize(HWND hwnd) {
  const MINMAXINFO info = win32::detail::trackLimits(hwnd);
  display::nativeMinimumSize(hwnd, info.ptMinTrackSize.x, info.ptMinTrackSize.y);
}

void setStyleBits(HWND hwnd, LONG set, LONG clear) {
  LONG style = 0;
  bool child = true;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    window->style = (window->style | set) & ~clear;
    style = window->style;
    child = (window->style & WS_CHILD) != 0;
  }
  if (!child) display::nativePublishStyle(hwnd, style);
}

void invalidateAll(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

bool activatesOnShow(const Snapshot& s) {
  return !s.child && !(s.exStyle & WS_EX_NOACTIVATE) && !(s.style & WS_DISABLED);
}

void hide(HWND hwnd, const Snapshot& s) {
  SendMessageW(hwnd, WM_SHOWWINDOW, FALSE, 0);
  setStyleBits(hwnd, 0, WS_VISIBLE);
  display::nativeUnmap(hwnd);  // top-level and real child windows
  positionWindow(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetActiveWindow() == hwnd) activate(activationSuccessor(hwnd), WA_ACTIVE, true);
  if (s.child) {
    if (HWND parent = GetParent(hwnd)) InvalidateRect(parent, &s.rect, TRUE);
  }
}

void show(HWND hwnd, const Snapshot& s, bool activateIt) {
  const bool firstShow = !s.everShown;
  if (!(s.style & WS_VISIBLE)) {
    SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
    setStyleBits(hwnd, WS_VISIBLE, 0);
  }
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (auto window = lookupWindowLocked(hwnd)) window->everShown = true;
  }
  if (!s.child) publishMinimumSize(hwnd);
  display::nativeMap(hwnd);  // top-level and real child windows
  // The first show reports the size and position the window was created
  // with (WM_SIZE and WM_MOVE through WM_WINDOWPOSCHANGED).
  UINT flags = SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE;
  if (!firstShow) flags |= SWP_NOMOVE | SWP_NOSIZE;
  if (activateIt && activatesOnShow(s)) {
    activate(hwnd, WA_ACTIVE, true);
  }
  positionWindow(hwnd, nullptr, s.rect.left, s.rect.top, s.rect.right - s.rect.left,
                 s.rect.bottom - s.rect.top, flags);
  invalidateAll(hwnd);
}

void minimize(HWND hwnd, const Snapshot& s) {
  if (s.style & WS_MINIMIZE) return;
  if (!(s.style & WS_VISIBLE)) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    if (!(window->style & WS_MAXIMIZE)) window->restoreRect = window->rect;
    window->everShown = true;
  }
  setStyleBits(hwnd, WS_MINIMIZE | WS_VISIBLE, 0);
  if (!s.child) {
    display::nativeMap(hwnd);
    display::nativeIconify(hwnd);
  }
  if (GetActiveWindow() == hwnd) activate(nullptr, WA_INACTIVE, false);
  SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
}

void maximize(HWND hwnd, const Snapshot& s, bool activateIt) {
  if (!(s.style & (WS_MINIMIZE | WS_MAXIMIZE))) {
    std::lock_guard<std::mutex> lock(windowLock());
    if (auto window = lookupWindowLocked(hwnd)) window->restoreRect = window->rect;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromRect(&s.rect, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  // The maximised position is relative to the monitor's origin, as the
  // window's WM_GETMINMAXINFO handler sees it.
  MINMAXINFO info = trackLimits(hwnd, work, monitor.rcMonitor);
  info.ptMaxPosition.x += monitor.rcMonitor.left;
  info.ptMaxPosition.y += monitor.rcMonitor.top;
  if (!(s.style & WS_VISIBLE)) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
  setStyleBits(hwnd, WS_MAXIMIZE | WS_VISIBLE, WS_MINIMIZE);
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (auto window = lookupWindowLocked(hwnd)) window->everShown = true;
  }
  if (!s.child) {
    display::nativeMap(hwnd);
    display::nativeMaximizedHint(hwnd, true);
  }
  if (activateIt && activatesOnShow(s)) activate(hwnd, WA_ACTIVE, true);
  positionWindow(hwnd, nullptr, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x,
                 info.ptMaxSize.y, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  invalidateAll(hwnd);
}

void restore(HWND hwnd, const Snapshot& s, bool activateIt) {
  RECT normal{};
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    normal = window->restoreRect;
    window->everShown = true;
  }
  if (!(s.style & WS_VISIBLE)) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
  setStyleBits(hwnd, WS_VISIBLE, WS_MINIMIZE | WS_MAXIMIZE);
  if (!s.child) {
    display::nativeMap(hwnd);
    if (s.style & WS_MAXIMIZE) display::nativeMaximizedHint(hwnd, false);
  }
  if (activateIt && activatesOnShow(s)) activate(hwnd, WA_ACTIVE, true);
  // WM_SIZE with SIZE_RESTORED follows even when the size did not change.
  positionWindow(hwnd, nullptr, normal.left, normal.top, normal.right - normal.left,
                 normal.bottom - normal.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  invalidateAll(hwnd);
}

}  // namespace

namespace win32::detail {

MINMAXINFO trackLimits(HWND hwnd, const RECT& work, const RECT& monitor) {
  MINMAXINFO info{};
  info.ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
  info.ptMaxPosition = POINT{work.left - monitor.left, work.top - monitor.top};
  info.ptMaxTrackSize = POINT{0x7FFF, 0x7FFF};
  info.ptMinTrackSize = POINT{1, 1};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  if (info.ptMinTrackSize.x < 1) info.ptMinTrackSize.x = 1;
  if (info.ptMinTrackSize.y < 1) info.ptMinTrackSize.y = 1;
  return info;
}

MINMAXINFO trackLimits(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
  return trackLimits(hwnd, monitor.rcWork, monitor.rcMonitor);
}

void positionWindow(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Snapshot s = snapshot(hwnd);
  if (!s.found) return;
  WINDOWPOS pos{};
  pos.hwnd = hwnd;
  pos.hwndInsertAfter = insertAfter;
  pos.x = (flags & SWP_NOMOVE) ? s.rect.left : x;
  pos.y = (flags & SWP_NOMOVE) ? s.rect.top : y;
  pos.cx = (flags & SWP_NOSIZE) ? s.rect.right - s.rect.left : std::max(0, cx);
  pos.cy = (flags & SWP_NOSIZE) ? s.rect.bottom - s.rect.top : std::max(0, cy);
  pos.flags = flags;
  if (!(flags & SWP_NOSENDCHANGING)) SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  const RECT rect{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  const bool moved = rect.left != s.rect.left || rect.top != s.rect.top;
  const bool sized = (rect.right - rect.left) != (s.rect.right - s.rect.left) ||
                     (rect.bottom - rect.top) != (s.rect.bottom - s.rect.top);
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    window->rect = rect;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->restoreRect = rect;
  }
  if (!s.child && (moved || sized)) display::nativeMoveResize(hwnd, rect);
  if (s.child && (moved || sized)) display::nativeChildrenFollow(hwnd);
  if (sized) {
    if (!s.child) resizeBacking(hwnd, pos.cx, pos.cy);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  if (!(pos.flags & SWP_NOZORDER) && !s.child) {
    // The extended style's topmost bit reaches the display through
    // SetWindowLongW's notice.
    if (insertAfter == HWND_TOPMOST) {
      SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_TOPMOST);
      display::nativeRaise(hwnd);
    } else if (insertAfter == HWND_NOTOPMOST) {
      SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) & ~WS_EX_TOPMOST);
      display::nativeRaise(hwnd);
    } else if (insertAfter == HWND_TOP) {
      display::nativeRaise(hwnd);
    } else if (insertAfter == HWND_BOTTOM) {
      display::nativeLower(hwnd);
    } else if (insertAfter) {
      display::nativeRestackBelow(hwnd, insertAfter);
    }
  }
  WINDOWPOS done = pos;
  if (!moved) done.flags |= SWP_NOMOVE;
  if (!sized) done.flags |= SWP_NOSIZE;
  // A show or a state change reports the placement even when it is unchanged.
  if (flags & SWP_SHOWWINDOW) done.flags &= ~(SWP_NOMOVE | SWP_NOSIZE) | (flags & (SWP_NOMOVE | SWP_NOSIZE));
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
}

void minimizedByDisplay(HWND hwnd) {
  Snapshot s = snapshot(hwnd);
  if (!s.found || s.child || (s.style & WS_MINIMIZE) || !(s.style & WS_VISIBLE)) return;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    if (!(window->style & WS_MAXIMIZE)) window->restoreRect = window->rect;
  }
  setStyleBits(hwnd, WS_MINIMIZE, 0);
  if (GetActiveWindow() == hwnd) activate(nullptr, WA_INACTIVE, false);
  SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
}

void placementFromDisplay(HWND hwnd, const RECT& rect) {
  Snapshot s = snapshot(hwnd);
  if (!s.found || s.child) return;
  if (rect.left == s.rect.left && rect.top == s.rect.top && rect.right == s.rect.right &&
      rect.bottom == s.rect.bottom)
    return;
  // Already on screen there: only the table and the window learn of it.
  WINDOWPOS pos{hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE};
  const bool sized = pos.cx != s.rect.right - s.rect.left || pos.cy != s.rect.bottom - s.rect.top;
  if (rect.left == s.rect.left && rect.top == s.rect.top) pos.flags |= SWP_NOMOVE;
  if (!sized) pos.flags |= SWP_NOSIZE;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    window->rect = rect;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->restoreRect = rect;
  }
  if (sized) {
    resizeBacking(hwnd, pos.cx, pos.cy);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

}  // namespace win32::detail

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  if (display::isForeignHandle(hWnd)) {
    LONG style = 0;
    display::foreignStyle(hWnd, &style);
    display::foreignOperation(hWnd, display::kForeignShow, nCmdShow, 0, 0);
    return (style & WS_VISIBLE) ? TRUE : FALSE;
  }
  Snapshot s = snapshot(hWnd);
  if (!s.found) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const BOOL wasVisible = (s.style & WS_VISIBLE) ? TRUE : FALSE;
  switch (nCmdShow) {
    case SW_HIDE:
      if (wasVisible) hide(hWnd, s);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      minimize(hWnd, s);
      break;
    case SW_MAXIMIZE:
      maximize(hWnd, s, true);
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      if (s.style & (WS_MINIMIZE | WS_MAXIMIZE)) restore(hWnd, s, true);
      else show(hWnd, s, true);
      break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
      if (s.style & WS_MINIMIZE) restore(hWnd, s, false);
      else if (!wasVisible) show(hWnd, s, false);
      break;
    default:  // SW_SHOW
      if (!wasVisible || !s.everShown) show(hWnd, s, true);
      // Already shown: it is activated; a minimised window stays minimised.
      else if (!(s.style & WS_MINIMIZE) && activatesOnShow(s)) activate(hWnd, WA_ACTIVE, true);
      break;
  }
  return wasVisible;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  if (display::isForeignHandle(hWnd)) {
    if (!(uFlags & SWP_NOZORDER))
      display::foreignOperation(hWnd, display::kForeignPosition,
                                static_cast<long>(reinterpret_cast<LONG_PTR>(hWndInsertAfter)),
                                static_cast<long>(uFlags), 0);
    return TRUE;
  }
  Snapshot s = snapshot(hWnd);
  if (!s.found) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if ((uFlags & SWP_SHOWWINDOW) && !(s.style & WS_VISIBLE)) {
    SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
    setStyleBits(hWnd, WS_VISIBLE, 0);
    {
      std::lock_guard<std::mutex> lock(windowLock());
      if (auto window = lookupWindowLocked(hWnd)) window->everShown = true;
    }
    if (!s.child) publishMinimumSize(hWnd);
    display::nativeMap(hWnd);  // top-level and real child windows
    InvalidateRect(hWnd, nullptr, TRUE);
  }
  if ((uFlags & SWP_HIDEWINDOW) && (s.style & WS_VISIBLE)) {
    SendMessageW(hWnd, WM_SHOWWINDOW, FALSE, 0);
    setStyleBits(hWnd, 0, WS_VISIBLE);
    display::nativeUnmap(hWnd);  // top-level and real child windows
    if (GetActiveWindow() == hWnd) activate(nullptr, WA_INACTIVE, false);
  }
  if (!(uFlags & SWP_NOACTIVATE) && activatesOnShow(s) && (IsWindowVisible(hWnd)))
    activate(hWnd, WA_ACTIVE, true);
  positionWindow(hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags);
  return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hWnd) {
  return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
  POINT origin{};
  SIZE size{};
  if (!lpRect || !clientOrigin(hWnd, &origin) || !clientSize(hWnd, &size)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *lpRect = RECT{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  SIZE size{};
  if (!lpRect || !clientSize(hWnd, &size)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *lpRect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  POINT origin{};
  if (!lpPoint || !clientOrigin(hWnd, &origin)) return FALSE;
  lpPoint->x += origin.x;
  lpPoint->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  POINT origin{};
  if (!lpPoint || !clientOrigin(hWnd, &origin)) return FALSE;
  lpPoint->x -= origin.x;
  lpPoint->y -= origin.y;
  return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  POINT from{}, to{};
  if (hWndFrom && hWndFrom != GetDesktopWindow() && !clientOrigin(hWndFrom, &from)) return 0;
  if (hWndTo && hWndTo != GetDesktopWindow() && !clientOrigin(hWndTo, &to)) return 0;
  const LONG dx = from.x - to.x, dy = from.y - to.y;
  for (UINT i = 0; i < cPoints; ++i) {
    lpPoints[i].x += dx;
    lpPoints[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL IsIconic(HWND hWnd) {
  LONG style = 0;
  if (display::isForeignHandle(hWnd)) return display::foreignStyle(hWnd, &style) && (style & WS_MINIMIZE);
  return (GetWindowLongW(hWnd, GWL_STYLE) & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hWnd) { return (GetWindowLongW(hWnd, GWL_STYLE) & WS_MAXIMIZE) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hWnd) {
  if (display::isForeignHandle(hWnd)) {
    LONG style = 0;
    return display::foreignStyle(hWnd, &style) && (style & WS_VISIBLE);
  }
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  // Visible only when every parent up the chain is visible too.
  while (window) {
    if (!(window->style & WS_VISIBLE)) return FALSE;
    if (!(window->style & WS_CHILD) || !window->parent) return TRUE;
    window = lookupWindowLocked(window->parent);
  }
  return FALSE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  const LONG style = GetWindowLongW(hWnd, GWL_STYLE);
  if (!IsWindow(hWnd)) return FALSE;
  const BOOL wasDisabled = (style & WS_DISABLED) ? TRUE : FALSE;
  if (bEnable && wasDisabled) {
    setStyleBits(hWnd, 0, WS_DISABLED);
    SendMessageW(hWnd, WM_ENABLE, TRUE, 0);
  } else if (!bEnable && !wasDisabled) {
    setStyleBits(hWnd, WS_DISABLED, 0);
    HWND focus = GetFocus();
    if (focus && (focus == hWnd || IsChild(hWnd, focus))) SetFocus(nullptr);
    if (GetCapture() == hWnd) ReleaseCapture();
    SendMessageW(hWnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  return (GetWindowLongW(hWnd, GWL_STYLE) & WS_DISABLED) ? FALSE : TRUE;
}

bool win32::detail::windowEnabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }

HWND WindowFromPoint(POINT point) {
  HWND best = nullptr;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    for (auto& [value, window] : windowsLocked()) {
      if ((window->style & WS_CHILD) || window->messageOnly || !(window->style & WS_VISIBLE) ||
          (window->style & WS_MINIMIZE) || window->destroying)
        continue;
      const RECT& r = window->rect;
      if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
        best = window->hwnd;
    }
  }
  return best ? childAt(best, point) : nullptr;
}

namespace {

constexpr int kAnimationStepMs = 10;

// The visible part of the window at a step and the picture's point shown
// at its top-left. Slides move one edge per axis (the content travels with
// it); the centre effect grows or shrinks around the middle.
struct AnimationFrame {
  RECT visible;
  POINT source;
};

AnimationFrame frameAt(DWORD flags, const RECT& q, int step, int steps) {
  const bool hide = (flags & AW_HIDE) != 0;
  // Fraction of the window shown at this step.
  const double shown = hide ? 1.0 - double(step) / steps : double(step) / steps;
  const LONG w = q.right - q.left, h = q.bottom - q.top;
  const LONG sw = static_cast<LONG>(w * shown + 0.5), sh = static_cast<LONG>(h * shown + 0.5);
  AnimationFrame f{q, POINT{0, 0}};
  if (flags & AW_CENTER) {
    const LONG cx = (q.left + q.right) / 2, cy = (q.top + q.bottom) / 2;
    f.visible = RECT{cx - sw / 2, cy - sh / 2, cx - sw / 2 + sw, cy - sh / 2 + sh};
    f.source = POINT{f.visible.left, f.visible.top};
    return f;
  }
  // Showing with HOR_POSITIVE the right edge runs from left to right and
  // the picture enters from the left; hiding with it the left edge runs to
  // the right and the picture leaves that way. NEGATIVE mirrors it.
  const bool horizontal = (flags & (AW_HOR_POSITIVE | AW_HOR_NEGATIVE)) != 0;
  const bool vertical = (flags & (AW_VER_POSITIVE | AW_VER_NEGATIVE)) != 0;
  if (horizontal) {
    const bool fromLeft = hide ? (flags & AW_HOR_NEGATIVE) != 0 : (flags & AW_HOR_POSITIVE) != 0;
    if (fromLeft) {
      f.visible.left = q.left;
      f.visible.right = q.left + sw;
      f.source.x = q.right - sw;
    } else {
      f.visible.left = q.right - sw;
      f.visible.right = q.right;
      f.source.x = 0;
    }
  } else {
    f.source.x = f.visible.left;
  }
  if (vertical) {
    const bool fromTop = hide ? (flags & AW_VER_NEGATIVE) != 0 : (flags & AW_VER_POSITIVE) != 0;
    if (fromTop) {
      f.visible.top = q.top;
      f.visible.bottom = q.top + sh;
      f.source.y = q.bottom - sh;
    } else {
      f.visible.top = q.bottom - sh;
      f.visible.bottom = q.bottom;
      f.source.y = 0;
    }
  } else {
    f.source.y = f.visible.top;
  }
  return f;
}

}  // namespace

// Steps the effect every 10 ms and blocks until it is done, with the
// messages of a plain show or hide. Slides and the centre effect cut the
// window's shape to the part shown; a blend steps the window's opacity
// (seen under a compositor). Layered windows and windows of another
// process get the plain show or hide.
BOOL AnimateWindow(HWND hWnd, DWORD dwTime, DWORD dwFlags) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const bool hide = (dwFlags & AW_HIDE) != 0;
  const bool visible = IsWindowVisible(hWnd) != FALSE;
  if (hide != visible) return FALSE;  // already in the state asked for
  const Snapshot s = snapshot(hWnd);
  const bool shaped = (dwFlags & (AW_SLIDE | AW_CENTER)) != 0 && !(dwFlags & AW_BLEND);
  const bool blend = (dwFlags & AW_BLEND) != 0;
  const bool stepped = !s.child && !(s.exStyle & WS_EX_LAYERED) && (shaped || blend);
  const int steps = std::max<int>(1, static_cast<int>(dwTime) / kAnimationStepMs);
  RECT q{};
  GetClientRect(hWnd, &q);
  auto step = [&](int i) {
    if (blend) {
      const int a = hide ? 255 - i * 255 / steps : i * 255 / steps;
      display::nativeSetOpacity(hWnd, static_cast<BYTE>(a), true);
    } else {
      const AnimationFrame f = frameAt(dwFlags, q, i, steps);
      display::nativeAnimationFrame(hWnd, f.visible, f.source);
    }
  };
  if (!hide) {
    if (stepped) {
      if (blend) display::nativeSetOpacity(hWnd, 0, true);
      else display::nativeAnimationFrame(hWnd, RECT{0, 0, 0, 0}, POINT{0, 0});
    }
    ShowWindow(hWnd, (dwFlags & AW_ACTIVATE) ? SW_SHOW : SW_SHOWNA);
    UpdateWindow(hWnd);
    if (stepped) {
      for (int i = 1; i <= steps; ++i) {
        step(i);
        std::this_thread::sleep_for(std::chrono::milliseconds(kAnimationStepMs));
      }
      if (blend) display::nativeSetOpacity(hWnd, 255, false);
      else display::nativeAnimationEnd(hWnd);
    }
    return TRUE;
  }
  if (stepped) {
    UpdateWindow(hWnd);
    for (int i = 1; i <= steps; ++i) {
      step(i);
      std::this_thread::sleep_for(std::chrono::milliseconds(kAnimationStepMs));
    }
  }
  ShowWindow(hWnd, SW_HIDE);
  if (stepped) {
    if (blend) display::nativeSetOpacity(hWnd, 255, false);
    else display::nativeAnimationEnd(hWnd);
  }
  return TRUE;
}
