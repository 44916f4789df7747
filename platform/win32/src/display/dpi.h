// The display's DPI: Xft.dpi from the root window's RESOURCE_MANAGER, else
// 96. GDI and start-up read the value the process started with; windows
// follow later changes through an emulated WM_DPICHANGED.
#pragma once

#include "win32/types.h"
#include "x_display.h"

namespace win32::display {

// Reads the root's RESOURCE_MANAGER now. When its DPI differs from the one
// windows were last told of, that DPI becomes GetDpiForWindow's answer and
// the pair (before, now) is given back. Call from the event reader.
bool takeResourceDpiChange(XDisplay* x, UINT* before, UINT* now);

// On the window's own thread: a visible top-level window gets
// WM_DPICHANGED with the new DPI and, as the suggested rectangle, its
// top-left with its size scaled by now / before.
void deliverDpiChange(HWND hwnd, UINT before, UINT now);

}  // namespace win32::display
