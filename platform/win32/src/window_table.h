// The process's window table: every HWND maps to one Window record. All
// fields of every record are guarded by windowLock(). Lock order: a queue's
// mutex may be held while taking windowLock(), never the other way round.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win32/windowing.h"

namespace win32::detail {

struct Queue;

struct WindowClass {
  ATOM atom = 0;
  std::wstring name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  int windowCount = 0;
};

struct Window {
  HWND hwnd = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC proc = nullptr;
  std::wstring text;
  LONG style = 0;
  LONG exStyle = 0;
  HWND parent = nullptr;  // for WS_CHILD windows
  HWND owner = nullptr;   // for owned top-level windows
  bool messageOnly = false;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<unsigned char> extra;
  DWORD threadId = 0;
  std::shared_ptr<Queue> queue;
  bool destroying = false;
  bool needsPaint = false;
  // Placement: a top-level window's rectangle in screen coordinates, a
  // child's in its parent's client coordinates. Hosts have no non-client
  // area, so the client area is the whole window.
  RECT rect{};
  RECT restoreRect{};  // the normal placement while minimised or maximised
  bool everShown = false;
  // Painting: the bounding box of the invalid area (empty when none) and
  // whether WM_ERASEBKGND is due.
  RECT invalid{};
  bool erasePending = false;
  // Layered-window attributes.
  COLORREF layeredKey = 0;
  BYTE layeredAlpha = 255;
  DWORD layeredFlags = 0;
  bool layeredByUpdate = false;  // content comes from UpdateLayeredWindow
  // WM_SETICON's icons (the caller keeps them alive).
  HICON smallIcon = nullptr;
  HICON bigIcon = nullptr;
};

std::mutex& windowLock();
// Ordered by handle, which is creation order.
std::map<uintptr_t, std::shared_ptr<Window>>& windowsLocked();
// Null when the handle names no live window.
std::shared_ptr<Window> lookupWindow(HWND hwnd);
std::shared_ptr<Window> lookupWindowLocked(HWND hwnd);
HWND insertWindow(const std::shared_ptr<Window>& window);
void removeWindow(HWND hwnd);
// True when `descendant` is a child, grandchild... of `ancestor`.
bool isDescendantLocked(HWND ancestor, HWND descendant);
// The top-level window above a child (the window itself when it is one);
// null for an unknown handle.
HWND rootOfLocked(HWND hwnd);
HWND desktopHandle();

}  // namespace win32::detail
