// Where windows are: screen origins of client areas and the top-level
// window a child draws into.
#pragma once

#include "win32/types.h"

namespace win32::detail {

// The top-level window above `hwnd` (itself when top-level); null if dead.
HWND rootOf(HWND hwnd);
// The screen position of the client area's top-left corner.
bool clientOrigin(HWND hwnd, POINT* origin);
// The client area's size.
bool clientSize(HWND hwnd, SIZE* size);
// Offset of a window's client area inside its top-level window's.
POINT offsetInRoot(HWND hwnd);
// The deepest visible, enabled-or-not child of `root` under a screen point.
HWND childAt(HWND root, POINT screen);
bool isTopLevelLocked(HWND hwnd);

}  // namespace win32::detail
