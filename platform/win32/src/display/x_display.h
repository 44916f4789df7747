// The process's one X connection and what the display backend keeps about
// it. Opened on first use (the first top-level window, or any call that
// needs the screen) with XInitThreads; absent when DISPLAY is unset or the
// server cannot be reached, and then every caller falls back to headless
// behaviour.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <mutex>
#include <string>

#include "win32/types.h"

namespace win32::display {

struct Atoms {
  Atom wmProtocols, wmDeleteWindow, wmState, wmChangeState, wmClass;
  Atom netWmName, utf8String, netWmState, netWmStateAbove, netWmStateSkipTaskbar, netWmStateSkipPager,
      netWmStateHidden, netWmStateMaximizedVert, netWmStateMaximizedHorz, netActiveWindow,
      netWmMoveResize, netWorkarea, netSupported, netSupportingWmCheck, netWmWindowType,
      netWmWindowTypeNormal, netWmWindowTypeUtility, netWmWindowTypePopupMenu,
      netWmWindowTypeTooltip, netWmWindowOpacity, netWmPid, netWmIcon, motifWmHints;
  Atom clipboard, targets, incr, text, clipboardProperty;
  Atom win32Message, win32Style, win32Process, win32Operation, serverTime, dpiChanged;
};

struct XDisplay {
  Display* dpy = nullptr;
  int screen = 0;
  ::Window root = 0;
  int fd = -1;
  Atoms atoms{};
  XIM im = nullptr;
  bool hasShape = false;
  bool hasRandr = false;
  int randrEventBase = 0;  // RRScreenChangeNotify arrives as this + 0
  int xiOpcode = -1;
  bool hasRawMotion = false;  // the server reports every pointer movement
  // A hidden window that owns the CLIPBOARD selection and receives replies.
  ::Window helper = 0;
  // 32-bit ARGB visual for layered windows under a compositor.
  Visual* argbVisual = nullptr;
  Colormap argbColormap = 0;
};

// Opens the display when it was not tried yet; null without one.
XDisplay* xdisplay();
// The display only when it is open and this backend is the installed one
// (a test may have installed another); never opens it.
XDisplay* activeDisplay();

// Guards the backend's own records (native windows, routed events,
// clipboard, hot keys). Recursive: window procedures called while it is
// held may come back in.
std::recursive_mutex& displayMutex();

// Runs `call` with X errors caught; returns the first error code, or 0.
template <class F>
int withErrorTrap(XDisplay* x, F call);
int trapBegin(XDisplay* x);
int trapEnd(XDisplay* x);
template <class F>
int withErrorTrap(XDisplay* x, F call) {
  trapBegin(x);
  call();
  return trapEnd(x);
}

// Wakes every thread that owns X windows, so one of them reads the events
// Xlib has queued.
void wakeEventReaders();

// True when a window manager announces itself (_NET_SUPPORTING_WM_CHECK)
// and when a compositing manager owns _NET_WM_CM_S<screen>.
bool windowManagerRunning(XDisplay* x);
bool compositorRunning(XDisplay* x);

// The X server's time now, read back from a property change on the helper
// window; the timestamp a window manager expects with an activation request
// (CurrentTime makes some refuse to hand over the focus).
Time serverTime(XDisplay* x);

// UTF-8 from wide text and back.
std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

}  // namespace win32::display
