// Invalid areas, WM_PAINT with BeginPaint/EndPaint, window DCs and
// presenting what was painted to the X window.
#include <algorithm>

#include "../display/native.h"
#include "../window_table.h"
#include "child_clip.h"
#include "geometry.h"
#include "paint_store.h"
#include "win32/backend.h"
#include "win32/kernel32.h"
#include "win32/messaging.h"
#include "win32/user32.h"

using namespace win32::detail;

namespace {

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT unite(const RECT& a, const RECT& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

RECT intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return isEmpty(r) ? RECT{} : r;
}

RECT clientBounds(const win32::detail::Window& window) {
  return RECT{0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

// A DC over the part of the root's backing surface that a window covers;
// a real child window (Win32SetNativeChild) draws into its own.
cairo_surface_t* surfaceForWindow(HWND hwnd) {
  if (win32::display::isNativeChild(hwnd)) {
    cairo_surface_t* own = backingSurface(hwnd);
    return own ? cairo_surface_reference(own) : nullptr;
  }
  HWND root = rootOf(hwnd);
  cairo_surface_t* backing = root ? backingSurface(root) : nullptr;
  if (!backing) return nullptr;
  if (root == hwnd) return cairo_surface_reference(backing);
  const POINT offset = offsetInRoot(hwnd);
  SIZE size{};
  clientSize(hwnd, &size);
  return cairo_surface_create_for_rectangle(backing, offset.x, offset.y, size.cx, size.cy);
}

void present(HWND hwnd, const RECT& clientRect) {
  if (win32::display::isNativeChild(hwnd)) {
    win32::display::presentRect(hwnd, clientRect);
    return;
  }
  HWND root = rootOf(hwnd);
  if (!root) return;
  const POINT offset = offsetInRoot(hwnd);
  RECT inRoot{clientRect.left + offset.x, clientRect.top + offset.y, clientRect.right + offset.x,
              clientRect.bottom + offset.y};
  win32::display::presentRect(root, inRoot);
}

struct OpenDC {
  HDC hdc;
  HWND hwnd;
  cairo_surface_t* surface;
  ChildPixels children;  // put back when the DC is released
};
std::mutex g_dcMutex;
std::vector<OpenDC> g_openDCs;

HDC openDC(HWND hwnd, cairo_surface_t* surface) {
  ChildPixels children = hwnd ? ChildPixels::save(hwnd) : ChildPixels{};
  HDC hdc = makeSurfaceDC(surface);
  std::lock_guard<std::mutex> lock(g_dcMutex);
  g_openDCs.push_back(OpenDC{hdc, hwnd, surface, std::move(children)});
  return hdc;
}

bool closeDC(HDC hdc, HWND* hwnd) {
  OpenDC found{};
  {
    std::lock_guard<std::mutex> lock(g_dcMutex);
    auto it = std::find_if(g_openDCs.begin(), g_openDCs.end(),
                           [hdc](const OpenDC& dc) { return dc.hdc == hdc; });
    if (it == g_openDCs.end()) return false;
    found = std::move(*it);
    g_openDCs.erase(it);
  }
  freeSurfaceDC(hdc);
  cairo_surface_flush(found.surface);
  cairo_surface_destroy(found.surface);
  // The parent is clipped to its visible children: whatever it drew over
  // them is undone.
  found.children.restore();
  if (hwnd) *hwnd = found.hwnd;
  return true;
}

// Adds `area` (client coordinates) to the window's invalid area and to the
// visible children it covers, collecting every window that now needs paint.
// Call with windowLock() held.
void invalidateLocked(win32::detail::Window& window, const RECT& area, bool erase, std::vector<HWND>* flagged) {
  const RECT clipped = intersect(area, clientBounds(window));
  if (isEmpty(clipped)) return;
  window.invalid = unite(window.invalid, clipped);
  if (erase) window.erasePending = true;
  flagged->push_back(window.hwnd);
  for (const auto& [child, r] : visibleChildrenLocked(window.hwnd)) {
    auto record = lookupWindowLocked(child);
    if (!record) continue;
    const RECT inChild{clipped.left - r.left, clipped.top - r.top, clipped.right - r.left,
                       clipped.bottom - r.top};
    invalidateLocked(*record, inChild, erase, flagged);
  }
}

// Windows' "all windows": each top-level window of the calling thread,
// with `screenRect` (when given) in screen coordinates.
BOOL invalidateThreadWindows(const RECT* screenRect, BOOL erase) {
  std::vector<HWND> tops;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    const DWORD self = GetCurrentThreadId();
    for (auto& [value, window] : windowsLocked()) {
      if (window->threadId != self || (window->style & WS_CHILD) || window->messageOnly ||
          window->destroying)
        continue;
      tops.push_back(window->hwnd);
    }
  }
  for (HWND top : tops) {
    POINT origin{};
    if (!screenRect) {
      InvalidateRect(top, nullptr, erase);
    } else if (clientOrigin(top, &origin)) {
      const RECT local{screenRect->left - origin.x, screenRect->top - origin.y,
                       screenRect->right - origin.x, screenRect->bottom - origin.y};
      InvalidateRect(top, &local, erase);
    }
  }
  return TRUE;
}

}  // namespace

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  if (!hWnd) return invalidateThreadWindows(lpRect, bErase);
  std::vector<HWND> flagged;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hWnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    invalidateLocked(*window, lpRect ? *lpRect : clientBounds(*window), bErase != FALSE, &flagged);
  }
  for (HWND hwnd : flagged) Win32SetNeedsPaint(hwnd, TRUE);
  return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
  bool nowEmpty = false;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hWnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    // Only a whole-area validation empties the box; a partial one cannot
    // shrink a bounding box safely, so the window still repaints it.
    if (!lpRect || (lpRect->left <= window->invalid.left && lpRect->top <= window->invalid.top &&
                    lpRect->right >= window->invalid.right &&
                    lpRect->bottom >= window->invalid.bottom)) {
      window->invalid = RECT{};
      window->erasePending = false;
      nowEmpty = true;
    }
  }
  if (nowEmpty) Win32SetNeedsPaint(hWnd, FALSE);
  return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) return FALSE;
  if (lpRect) *lpRect = window->invalid;
  return isEmpty(window->invalid) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (Win32NeedsPaint(hWnd)) SendMessageW(hWnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hWnd, lprcUpdate, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_UPDATENOW) UpdateWindow(hWnd);
  return TRUE;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  if (!lpPaint) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  *lpPaint = PAINTSTRUCT{};
  RECT area{};
  bool erase = false;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hWnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    area = window->invalid;
    erase = window->erasePending;
    window->invalid = RECT{};
    window->erasePending = false;
  }
  Win32SetNeedsPaint(hWnd, FALSE);
  cairo_surface_t* surface = surfaceForWindow(hWnd);
  if (!surface) return nullptr;
  HDC hdc = openDC(hWnd, surface);
  lpPaint->hdc = hdc;
  lpPaint->rcPaint = area;
  // fErase: an erase was due and WM_ERASEBKGND left it to the painter.
  lpPaint->fErase = FALSE;
  if (erase) lpPaint->fErase = SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return FALSE;
  closeDC(lpPaint->hdc, nullptr);
  if (!isEmpty(lpPaint->rcPaint)) present(hWnd, lpPaint->rcPaint);
  return TRUE;
}

HDC GetDC(HWND hWnd) {
  if (!hWnd || hWnd == GetDesktopWindow()) {
    // The screen DC: for measuring text and reading the DPI.
    cairo_surface_t* screen = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    return openDC(nullptr, screen);
  }
  cairo_surface_t* surface = surfaceForWindow(hWnd);
  if (!surface) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return openDC(hWnd, surface);
}

int ReleaseDC(HWND, HDC hDC) {
  HWND owner = nullptr;
  if (!closeDC(hDC, &owner)) return 0;
  // Drawing through GetDC shows at once, as on screen DCs.
  SIZE size{};
  if (owner && clientSize(owner, &size)) present(owner, RECT{0, 0, size.cx, size.cy});
  return 1;
}

HWND WindowFromDC(HDC hDC) {
  std::lock_guard<std::mutex> lock(g_dcMutex);
  for (const OpenDC& dc : g_openDCs) {
    if (dc.hdc == hDC) return dc.hwnd;
  }
  return nullptr;
}

