// Windows of other processes: FindWindowW hands out handles of ours that
// wrap their X ids; calls on them become requests the owning process
// carries out on its own window (ClientMessage _QUORVALE_WIN32_OPERATION).
#pragma once

#include <X11/Xlib.h>

#include "win32/types.h"

namespace win32::display {

enum ForeignOperation : long {
  kForeignMessage = 1,     // a, b, c: message, wParam, lParam
  kForeignShow = 2,        // a: SW_* command
  kForeignPosition = 3,    // a: insert-after, b: SWP_* flags (no move or size)
  kForeignForeground = 4,  // SetForegroundWindow
  kForeignActivate = 5,    // SetActiveWindow
};

bool isForeignHandle(HWND hwnd);
// The window's published style (WS_VISIBLE, WS_MINIMIZE...), when it has one.
bool foreignStyle(HWND hwnd, LONG* style);
bool foreignOperation(HWND hwnd, ForeignOperation operation, long a, long b, long c);
// Carries out a request that arrived for one of our windows, on the thread
// that owns it.
void performForeignRequest(HWND hwnd, const XClientMessageEvent& event);

}  // namespace win32::display
