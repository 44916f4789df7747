// Window origins and hit-testing of child windows.
#include "geometry.h"

#include <vector>

#include "../window_table.h"

namespace win32::detail {

HWND rootOf(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  return rootOfLocked(hwnd);
}

bool clientOrigin(HWND hwnd, POINT* origin) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hwnd);
  if (!window) return false;
  POINT at{0, 0};
  while (window) {
    at.x += window->rect.left;
    at.y += window->rect.top;
    if (!(window->style & WS_CHILD) || !window->parent) break;
    window = lookupWindowLocked(window->parent);
  }
  *origin = at;
  return true;
}

bool clientSize(HWND hwnd, SIZE* size) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hwnd);
  if (!window) return false;
  size->cx = window->rect.right - window->rect.left;
  size->cy = window->rect.bottom - window->rect.top;
  return true;
}

POINT offsetInRoot(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  POINT at{0, 0};
  auto window = lookupWindowLocked(hwnd);
  while (window && (window->style & WS_CHILD) && window->parent) {
    at.x += window->rect.left;
    at.y += window->rect.top;
    window = lookupWindowLocked(window->parent);
  }
  return at;
}

HWND childAt(HWND root, POINT screen) {
  POINT origin{};
  if (!clientOrigin(root, &origin)) return nullptr;
  HWND current = root;
  POINT local{screen.x - origin.x, screen.y - origin.y};
  for (;;) {
    HWND found = nullptr;
    RECT foundRect{};
    {
      std::lock_guard<std::mutex> lock(windowLock());
      // The last-created child wins, as it is drawn on top.
      for (auto& [value, window] : windowsLocked()) {
        if (!(window->style & WS_CHILD) || window->parent != current) continue;
        if (!(window->style & WS_VISIBLE) || window->destroying) continue;
        const RECT& r = window->rect;
        if (local.x >= r.left && local.x < r.right && local.y >= r.top && local.y < r.bottom) {
          found = window->hwnd;
          foundRect = r;
        }
      }
    }
    if (!found) return current;
    local.x -= foundRect.left;
    local.y -= foundRect.top;
    current = found;
  }
}

bool isTopLevelLocked(HWND hwnd) {
  auto window = lookupWindowLocked(hwnd);
  return window && !(window->style & WS_CHILD);
}

}  // namespace win32::detail
