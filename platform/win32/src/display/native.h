// X windows behind the table's top-level and pop-up windows. Child windows
// stay table entries drawn by their root's surface, except the few made
// real with Win32SetNativeChild: those get an X subwindow of their root's
// X window and a backing surface of their own. Every operation is a
// no-op when there is no display or the window has no X window, so the
// user32 calls above can call them unconditionally.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "win32/types.h"

namespace win32::display {

// How a layered window's image is shown: opaque pixels of the colour key
// (0xRRGGBB) are cut away, and `alpha` makes the whole window that much
// more transparent on top of each pixel's own alpha.
struct LayeredLook {
  bool useKey = false;
  uint32_t keyRgb = 0;
  BYTE alpha = 255;
  bool operator==(const LayeredLook&) const = default;
};

struct Native {
  HWND hwnd = nullptr;
  ::Window xid = 0;
  DWORD thread = 0;
  bool overrideRedirect = false;
  bool argb = false;         // 32-bit visual: a compositor does the alpha
  bool layered = false;
  XIC ic = nullptr;
  int width = 0, height = 0;
  bool mapped = false;
  int ownUnmaps = 0;         // unmaps we asked for, so the echo is not an iconify
  // Placements we asked the server for, with the serial of each request,
  // whose ConfigureNotify has not come back yet: neither their echoes nor
  // any configure the server made before the latest of them may undo it.
  struct OwnConfigure {
    RECT rect;
    unsigned long serial;
  };
  std::deque<OwnConfigure> ownConfigures;
  bool parentIsRoot = true;  // false once a window manager reparents it
  cairo_surface_t* xsurface = nullptr;
  cairo_surface_t* layeredImage = nullptr;  // the image last shown, with its look
  LayeredLook look;
  // What the screen showed beneath a window faded by a constant alpha, for
  // blending it there when no compositor runs; null until needed.
  cairo_surface_t* backdrop = nullptr;
  // The image size last shown whole (and shaped for); 0 until one is.
  int shapedWidth = 0, shapedHeight = 0;
  bool animating = false;  // AnimateWindow has cut the window's shape
  bool child = false;      // a real child: a subwindow of its root's X window
  bool skipTaskbar = false;  // taken off the task bar and pager (ITaskbarList::DeleteTab)
};

// Call with displayMutex() held.
Native* nativeLocked(HWND hwnd);
HWND hwndOfXLocked(::Window xid);
::Window xidOf(HWND hwnd);  // 0 when none

void nativeMoveResize(HWND hwnd, const RECT& screenRect);
// Real child windows (Win32SetNativeChild): whether `hwnd` is one, and,
// after `moved` (a child window) was moved or sized, every real child at or
// below it follows to its new place in its root.
bool isNativeChild(HWND hwnd);
// Call with displayMutex() held.
std::vector<HWND> nativeChildrenLocked();
// The top-level and pop-up windows with an X window, with their threads.
// Call with displayMutex() held.
std::vector<std::pair<HWND, DWORD>> nativeTopLevelsLocked();
// Records a native window made outside nativeWindowCreated; its thread
// then reads events too.
void nativeAdd(HWND hwnd, const Native& native);
void nativeChildrenFollow(HWND moved);
void nativeMap(HWND hwnd);
void nativeUnmap(HWND hwnd);
void nativeIconify(HWND hwnd);
void nativeRaise(HWND hwnd);
void nativeLower(HWND hwnd);
void nativeRestackBelow(HWND hwnd, HWND above);
void nativeSetTopmost(HWND hwnd, bool topmost);
void nativeMaximizedHint(HWND hwnd, bool maximized);
void nativeFocus(HWND hwnd);
// True for a FocusIn or FocusOut (made after the server had handled request
// `serial`) that predates our latest activation.
bool focusEventIsStale(unsigned long serial);
void nativeActivateRequest(HWND hwnd);
void nativePublishStyle(HWND hwnd, LONG style);
void nativeSetOpacity(HWND hwnd, BYTE alpha, bool set);
// One frame of AnimateWindow: only `visible` (client coordinates) shows,
// holding the backing's picture from `source` on. The end restores the
// whole window and its picture.
void nativeAnimationFrame(HWND hwnd, const RECT& visible, POINT source);
void nativeAnimationEnd(HWND hwnd);
// The minimum size in the window manager's size hints (PMinSize).
void nativeMinimumSize(HWND hwnd, int width, int height);
// The window's icons as _NET_WM_ICON: ARGB pixels, big icon first.
void nativeSetIcons(HWND hwnd, HICON big, HICON small);
// The Cairo image surface an icon holds (through the installed reader), or null.
void* iconSurfaceOf(HICON icon);
// True when a ConfigureNotify (non-synthetic, made after the server had
// handled request `serial`) must not move the window: the echo of our own
// latest placement, or a configure made before that placement was handled,
// which it outdates. Requests the event has seen handled are dropped.
bool takeOwnConfigure(HWND hwnd, const RECT& rect, unsigned long serial);
// Copies `clientRect` of the window's backing surface to the screen.
void presentRect(HWND hwnd, const RECT& clientRect);
// Shows the `dirty` part of an ARGB32 premultiplied image of the whole
// window (per-pixel alpha only; the look adds the rest). The image is kept
// for re-exposure.
void presentLayered(HWND hwnd, cairo_surface_t* image, const LayeredLook& look, const RECT& dirty);
// Shows the `area` part of the last image again (after an Expose).
void representLayered(HWND hwnd, const RECT& area);

}  // namespace win32::display

namespace win32::display {
// Keyboard grab for pop-ups that take keys without being activated (menus).
bool nativeGrabKeyboard(HWND hwnd);
void nativeUngrabKeyboard();
}  // namespace win32::display
