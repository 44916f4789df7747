// Handlers the pump calls for events that do not belong to one window's
// thread: hot keys on the root window, clipboard selection traffic and the
// answers to drag-and-drop data requests; and the drag-and-drop messages a
// window's thread handles.
#pragma once

#include <X11/Xlib.h>

#include "win32/types.h"

namespace win32::display {

struct XDisplay;

// True when the event was a hot key and has been posted.
bool dispatchHotKey(XDisplay* x, const XKeyEvent& event);
// True when the event was clipboard traffic and has been handled.
bool handleClipboardEvent(XDisplay* x, const XEvent& event);
// True when the event answers a request for dragged data.
bool handleXdndSelection(XDisplay* x, const XEvent& event);
// True when the client message to `top` is part of the drag-and-drop
// protocol; called on the thread that owns `top`.
bool handleXdndMessage(XDisplay* x, HWND top, const XClientMessageEvent& event);
// True when the event concerns the system tray: an icon window of ours,
// the tray manager's window, or a new manager announced on the root.
bool handleTrayEvent(XDisplay* x, const XEvent& event);
// Reads what the connection has and queues each event for its window's
// thread, handling none: for waits that must not run window procedures.
void routeEvents(XDisplay* x);
// Starts the thread that reads the connection as events arrive.
void startInputReader(XDisplay* x);
// As routeEvents, reading the connection only when input waits there.
void routeArrivedEvents(XDisplay* x);

}  // namespace win32::display
