// Process-wide input state: the active and focus windows, the capture and
// the window whose mouse leave is tracked.
#pragma once

#include "win32/types.h"

namespace win32::detail {

// The window asking for WM_MOUSELEAVE, or null; clearing hands it over once.
HWND leaveTrackedWindow();
void clearLeaveTracking();
// Whether the application as a whole is in the foreground.
bool applicationActive();

}  // namespace win32::detail

namespace win32::display {
// Pointer grabs behind SetCapture (owner-events off, so clicks anywhere on
// the screen reach the capturing window).
bool nativeGrabPointer(HWND hwnd);
void nativeUngrabPointer();
}  // namespace win32::display
