// Real child windows: an X subwindow of the root's X window for a child
// window that hosts something of its own (a window another toolkit paints,
// a video surface). The root's presents are clipped by it, so what the
// child shows survives the root's repaints, and the server sends the
// pointer events inside it to it.
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <vector>

#include "../user/geometry.h"
#include "../user/paint_store.h"
#include "../window_table.h"
#include "native.h"
#include "win32/backend.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {

bool isNativeChild(HWND hwnd) {
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  return native && native->child;
}

struct ChildPlace {
  POINT at{};
  int width = 1, height = 1;
  bool visible = false;
};

static ChildPlace placeOf(HWND hwnd) {
  ChildPlace place;
  place.at = detail::offsetInRoot(hwnd);
  SIZE size{};
  detail::clientSize(hwnd, &size);
  place.width = std::max<LONG>(1, size.cx);
  place.height = std::max<LONG>(1, size.cy);
  place.visible = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  return place;
}

static void moveTo(XDisplay* x, HWND hwnd, const ChildPlace& place) {
  bool sized = false;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    Native* native = nativeLocked(hwnd);
    if (!native || !native->child) return;
    sized = native->width != place.width || native->height != place.height;
    native->width = place.width;
    native->height = place.height;
    XMoveResizeWindow(x->dpy, native->xid, place.at.x, place.at.y, static_cast<unsigned>(place.width),
                      static_cast<unsigned>(place.height));
    if (native->xsurface) cairo_xlib_surface_set_size(native->xsurface, place.width, place.height);
    XFlush(x->dpy);
  }
  if (sized) detail::resizeBacking(hwnd, place.width, place.height);
}

void nativeChildrenFollow(HWND moved) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  std::vector<HWND> children;
  {
    std::lock_guard<std::recursive_mutex> lock(displayMutex());
    children = nativeChildrenLocked();
  }
  for (HWND child : children) {
    if (child == moved || IsChild(moved, child)) moveTo(x, child, placeOf(child));
  }
}

}  // namespace win32::display

BOOL Win32SetNativeChild(HWND hwnd) {
  using namespace win32::display;
  using namespace win32;
  if (!Win32HasDisplay()) return FALSE;
  XDisplay* x = activeDisplay();
  if (!x || !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return FALSE;
  const HWND root = detail::rootOf(hwnd);
  const ::Window parentX = root ? xidOf(root) : 0;
  if (!parentX) return FALSE;
  if (isNativeChild(hwnd)) return TRUE;
  const ChildPlace place = placeOf(hwnd);

  Native native;
  native.hwnd = hwnd;
  native.thread = GetWindowThreadProcessId(hwnd, nullptr);
  native.child = true;
  native.parentIsRoot = false;
  native.width = place.width;
  native.height = place.height;
  XSetWindowAttributes attributes{};
  // No StructureNotify: placements are ours alone, never echoed back as a
  // top-level window's configure would be.
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          EnterWindowMask | LeaveWindowMask;
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = DefaultColormap(x->dpy, x->screen);
  native.xid = XCreateWindow(x->dpy, parentX, place.at.x, place.at.y, static_cast<unsigned>(place.width),
                             static_cast<unsigned>(place.height), 0, DefaultDepth(x->dpy, x->screen), InputOutput,
                             DefaultVisual(x->dpy, x->screen), CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap,
                             &attributes);
  native.xsurface =
      cairo_xlib_surface_create(x->dpy, native.xid, DefaultVisual(x->dpy, x->screen), place.width, place.height);
  nativeAdd(hwnd, native);
  if (place.visible) nativeMap(hwnd);
  XFlush(x->dpy);
  // What it shows from now on is its own painting.
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}
