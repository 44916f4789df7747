// Handlers the pump calls for events that do not belong to one window's
// thread: hot keys on the root window and clipboard selection traffic.
#pragma once

#include <X11/Xlib.h>

namespace win32::display {

struct XDisplay;

// True when the event was a hot key and has been posted.
bool dispatchHotKey(XDisplay* x, const XKeyEvent& event);
// True when the event was clipboard traffic and has been handled.
bool handleClipboardEvent(XDisplay* x, const XEvent& event);

}  // namespace win32::display
