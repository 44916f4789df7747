// X windows behind the table's top-level and pop-up windows. Child windows
// stay table entries drawn by their root's surface. Every operation is a
// no-op when there is no display or the window has no X window, so the
// user32 calls above can call them unconditionally.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include <deque>

#include "win32/types.h"

namespace win32::display {

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
  // Placements we asked the server for and whose ConfigureNotify has not
  // come back yet: their echoes must not undo a later placement.
  std::deque<RECT> ownConfigures;
  bool parentIsRoot = true;  // false once a window manager reparents it
  cairo_surface_t* xsurface = nullptr;
  cairo_surface_t* layeredImage = nullptr;  // the last UpdateLayeredWindow content
};

// Call with displayMutex() held.
Native* nativeLocked(HWND hwnd);
HWND hwndOfXLocked(::Window xid);
::Window xidOf(HWND hwnd);  // 0 when none

void nativeMoveResize(HWND hwnd, const RECT& screenRect);
void nativeMap(HWND hwnd);
void nativeUnmap(HWND hwnd);
void nativeIconify(HWND hwnd);
void nativeRaise(HWND hwnd);
void nativeLower(HWND hwnd);
void nativeRestackBelow(HWND hwnd, HWND above);
void nativeSetTopmost(HWND hwnd, bool topmost);
void nativeMaximizedHint(HWND hwnd, bool maximized);
void nativeFocus(HWND hwnd);
void nativeActivateRequest(HWND hwnd);
void nativePublishStyle(HWND hwnd, LONG style);
void nativeSetOpacity(HWND hwnd, BYTE alpha, bool set);
// True when a ConfigureNotify with this placement is the echo of our own
// request (it is then dropped with the requests before it).
bool takeOwnConfigure(HWND hwnd, const RECT& rect);
// Copies `clientRect` of the window's backing surface to the screen.
void presentRect(HWND hwnd, const RECT& clientRect);
// Shows an ARGB32 premultiplied image as the whole window's content.
void presentLayered(HWND hwnd, cairo_surface_t* image);

}  // namespace win32::display

namespace win32::display {
// Keyboard grab for pop-ups that take keys without being activated (menus).
bool nativeGrabKeyboard(HWND hwnd);
void nativeUngrabKeyboard();
}  // namespace win32::display
