// Where the pointer is, without a round trip to the server on every ask.
// The server reports every pointer movement anywhere on the screen as a raw
// motion event (XInput 2); while none has come since the last query, the
// position then read still holds. A timer that checks the pointer every
// few milliseconds (the floating window's docking) then costs one read of
// the connection instead of a round trip with the server each time.
#pragma once

#include <X11/Xlib.h>

#include "win32/types.h"

namespace win32::display {

struct XDisplay;

// Asks the server for raw motion events on the root window; false when it
// cannot send them (then every position is queried).
bool watchPointerMotion(XDisplay* x);
// True for a raw motion event (which then needs no other handling).
bool isPointerMotion(XDisplay* x, const XEvent& event);
// Something moved the pointer (a raw motion, a warp of ours, a new screen
// layout): the next position is queried.
void notePointerMoved();
// The pointer's position on the screen.
bool pointerPosition(XDisplay* x, POINT* position);

}  // namespace win32::display
