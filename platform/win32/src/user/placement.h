// Shared by the placement, activation and default-procedure code.
#pragma once

#include "win32/user32.h"

namespace win32::detail {

// Moves, sizes and restacks a window with WM_WINDOWPOSCHANGING and
// WM_WINDOWPOSCHANGED, as SetWindowPos does, without activation.
void positionWindow(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Reflects a minimise the window manager made: WS_MINIMIZE and WM_SIZE
// with SIZE_MINIMIZED, as ShowWindow(SW_MINIMIZE) gives.
void minimizedByDisplay(HWND hwnd);
// Records a placement the window manager made (an X ConfigureNotify).
void placementFromDisplay(HWND hwnd, const RECT& screenRect);
// The work area of the monitor holding most of `rect`.
RECT workAreaFor(const RECT& rect);
// Activation: makes `hwnd` (a top-level window, or null for "none of ours")
// the active window with the Windows message sequence.
void activate(HWND hwnd, WORD how, bool takeDisplayFocus);
// The window that takes the activation when `hwnd` (active) goes: its
// owner when that is visible, enabled and not minimised; else null.
HWND activationSuccessor(HWND hwnd);
// Drops capture, focus and activation state of a window going away. With
// `notify`, the activation passes on with its messages; without (the owner
// thread is ending), nothing is sent.
void forgetInputState(HWND hwnd, bool notify = true);
bool windowEnabled(HWND hwnd);
// The window's answer to WM_GETMINMAXINFO: sizes start at the work area,
// the maximised position at the work area's offset in the monitor, the
// minimum tracking size at 1 x 1.
MINMAXINFO trackLimits(HWND hwnd, const RECT& work, const RECT& monitor);
MINMAXINFO trackLimits(HWND hwnd);
// Runs the move or size loop of WM_SYSCOMMAND SC_MOVE / SC_SIZE.
void moveSizeLoop(HWND hwnd, UINT command, POINT start);

}  // namespace win32::detail
