// Requests Xlib still holds, sent on: a system call only when there are any.
#pragma once

#include <X11/Xlib.h>

namespace win32::display {

void sendBufferedRequests(Display* dpy);

}  // namespace win32::display
