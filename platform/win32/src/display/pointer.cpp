// Pointer grabs behind SetCapture and pop-up runs, the cursor position,
// and the move and size loops of WM_SYSCOMMAND (the window manager's when it offers
// _NET_WM_MOVERESIZE, else our own, following the pointer under capture).
#include <X11/Xatom.h>
#include <unistd.h>

#include <mutex>
#include <algorithm>

#include "../user/geometry.h"
#include "../user/input_state.h"
#include "../user/placement.h"
#include "keyboard.h"
#include "native.h"
#include "pointer_position.h"
#include "win32/messaging.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

bool windowManagerMovesWindows(XDisplay* x) {
  if (!windowManagerRunning(x)) return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool supported = false;
  if (XGetWindowProperty(x->dpy, x->root, x->atoms.netSupported, 0, 1024, False, XA_ATOM, &type,
                         &format, &count, &after, &data) == Success &&
      data && format == 32) {
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      if (atoms[i] == x->atoms.netWmMoveResize) supported = true;
    }
  }
  if (data) XFree(data);
  return supported;
}

// _NET_WM_MOVERESIZE directions for the WMSZ_* edges (index = WMSZ_*).
constexpr long kDirections[] = {8, 7, 3, 1, 0, 2, 5, 6, 4};

// Owner events off sends everything to the grabbing window (a capture);
// on, our own windows keep their input and only the rest comes to it.
bool grabPointer(HWND hwnd, bool ownerEvents) {
  XDisplay* x = activeDisplay();
  if (!x) return false;
  ::Window xid = xidOf(detail::rootOf(hwnd));
  if (!xid) return false;
  // A freshly mapped window may not be viewable yet: try for a moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int result = XGrabPointer(x->dpy, xid, ownerEvents ? True : False,
                                    ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                    GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    if (result == GrabSuccess) return true;
    if (result != GrabNotViewable) break;
    XSync(x->dpy, False);
    usleep(2000);
  }
  return false;
}

std::mutex g_popupGrabMutex;
HWND g_popupGrab = nullptr;

}  // namespace

bool nativeGrabPointer(HWND hwnd) { return grabPointer(hwnd, false); }

void nativeUngrabPointer() {
  XDisplay* x = activeDisplay();
  if (!x) return;
  XUngrabPointer(x->dpy, CurrentTime);
  XFlush(x->dpy);
}

}  // namespace win32::display

using namespace win32::display;

BOOL Win32BeginPopupGrab(HWND hWnd) {
  if (!IsWindow(hWnd) || !activeDisplay()) return FALSE;
  if (!grabPointer(hWnd, true)) return FALSE;
  // Keys go to the pop-up run as well, whichever window has the focus.
  nativeGrabKeyboard(hWnd);
  std::lock_guard<std::mutex> lock(g_popupGrabMutex);
  g_popupGrab = hWnd;
  return TRUE;
}

void Win32EndPopupGrab(HWND hWnd) {
  {
    std::lock_guard<std::mutex> lock(g_popupGrabMutex);
    if (!hWnd || g_popupGrab != hWnd) return;
    g_popupGrab = nullptr;
  }
  nativeUngrabKeyboard();
  // A capture taken meanwhile holds the server's grab now: leave it be.
  if (!GetCapture()) nativeUngrabPointer();
}

HWND Win32PopupGrabWindow() {
  std::lock_guard<std::mutex> lock(g_popupGrabMutex);
  if (g_popupGrab && !IsWindow(g_popupGrab)) g_popupGrab = nullptr;
  return g_popupGrab;
}

BOOL GetCursorPos(LPPOINT lpPoint) {
  if (!lpPoint) return FALSE;
  *lpPoint = POINT{0, 0};
  XDisplay* x = activeDisplay();
  if (!x) return TRUE;
  pointerPosition(x, lpPoint);
  return TRUE;
}

BOOL SetCursorPos(int X, int Y) {
  XDisplay* x = activeDisplay();
  if (!x) return FALSE;
  XWarpPointer(x->dpy, None, x->root, 0, 0, 0, 0, X, Y);
  XFlush(x->dpy);
  notePointerMoved();  // a warp makes no raw motion event
  return TRUE;
}

void win32::detail::moveSizeLoop(HWND hwnd, UINT command, POINT) {
  XDisplay* x = activeDisplay();
  if (!x || !(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)) return;
  const bool sizing = (command & 0xFFF0) == SC_SIZE;
  const UINT edge = sizing ? (command & 0x0F) : 0;
  if (sizing && (edge < WMSZ_LEFT || edge > WMSZ_BOTTOMRIGHT)) return;
  POINT start{};
  GetCursorPos(&start);
  if (windowManagerMovesWindows(x)) {
    ::Window xid = xidOf(hwnd);
    if (!xid) return;
    XUngrabPointer(x->dpy, CurrentTime);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = x->atoms.netWmMoveResize;
    event.xclient.format = 32;
    event.xclient.data.l[0] = start.x;
    event.xclient.data.l[1] = start.y;
    event.xclient.data.l[2] = kDirections[edge];
    event.xclient.data.l[3] = Button1;
    event.xclient.data.l[4] = 1;
    XSendEvent(x->dpy, x->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(x->dpy);
    managerTookButtonDrag();
    return;
  }
  // No window manager: follow the pointer ourselves until the button is up,
  // never below the window's minimum tracking size.
  RECT original{};
  GetWindowRect(hwnd, &original);
  const MINMAXINFO limits = detail::trackLimits(hwnd);
  SetCapture(hwnd);
  MSG msg{};
  while (GetCapture() == hwnd && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == hwnd && msg.message == WM_MOUSEMOVE) {
      POINT now{};
      GetCursorPos(&now);
      const LONG dx = now.x - start.x, dy = now.y - start.y;
      RECT r = original;
      if (!sizing) {
        OffsetRect(&r, dx, dy);
      } else {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) r.left += dx;
        if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) r.right += dx;
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r.top += dy;
        if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) r.bottom += dy;
        // The edge that moves stops where the size reaches a limit.
        const LONG minW = limits.ptMinTrackSize.x, minH = limits.ptMinTrackSize.y;
        const LONG maxW = limits.ptMaxTrackSize.x, maxH = limits.ptMaxTrackSize.y;
        const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
        const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
        const LONG w = std::clamp<LONG>(r.right - r.left, minW, std::max(minW, maxW));
        const LONG h = std::clamp<LONG>(r.bottom - r.top, minH, std::max(minH, maxH));
        if (left) r.left = r.right - w;
        else r.right = r.left + w;
        if (top) r.top = r.bottom - h;
        else r.bottom = r.top + h;
      }
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    if (msg.hwnd == hwnd && msg.message == WM_LBUTTONUP) break;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      SetWindowPos(hwnd, nullptr, original.left, original.top, original.right - original.left,
                   original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
  if (GetCapture() == hwnd) ReleaseCapture();
}
