#pragma once
// Showing, activating and hiding top-level windows, this process's or
// another's, and a window's own repeating timer.
//
// On X no process can take the input focus behind the window manager's
// back: activation asks the manager with _NET_ACTIVE_WINDOW carrying the
// server's current time and sets the X input focus, which is all the
// display allows. A window of another process is activated by that
// process on our request.

#include <string>

#include "win32/types.h"

// Activates and focuses the window, then restores it when minimised,
// shows it and raises it above every other window without leaving it
// topmost, and makes it the foreground window. False for a handle that is
// not a window.
bool ShowAndActivateWindow(HWND window);
// Shows the window (restoring it when minimised) and makes it the
// foreground window; the result of that last request.
BOOL ActivateWindow(HWND window);
// ActivateWindow, then places the window just below `after` in the
// stacking order.
BOOL ActivateWindowAfter(HWND window, HWND after);
// Looks for the window every 100 ms (see WaitForWindow) and activates it
// when it appears; false when timeoutMs passed without it.
bool WaitForWindowAndActivate(const std::wstring& title, const std::wstring& className,
                              DWORD timeoutMs);
// Restores, shows and activates the window, places it below `after`, then
// waits until it is the foreground window (true), `*stop` becomes 1 or
// timeoutMs passes (false). A timeout of 0 checks once.
bool ForceForegroundWindow(HWND after, HWND window, DWORD timeoutMs, const volatile BYTE* stop);
// Minimises the window, then hides it.
void MinimizeAndHideWindow(HWND window);

// A window's repeating timer with a fixed id, delivered as WM_TIMER to the
// window's procedure.
class CWindowTimer {
 public:
  static constexpr UINT_PTR kTimerId = 8;

  explicit CWindowTimer(HWND window) : window_(window) {}
  HWND Window() const { return window_; }
  // True when the timer was set (a set timer restarts with the new period).
  bool StartWindowTimer(UINT periodMs);
  bool StopWindowTimer();

 private:
  HWND window_;
};
