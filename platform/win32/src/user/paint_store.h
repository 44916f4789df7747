// Backing surfaces of top-level windows: what WM_PAINT draws into and what
// is presented to the X window. Headless windows have them too, so painting
// code runs the same way without a display.
#pragma once

#include <cairo.h>

#include "win32/types.h"

namespace win32::display {
struct LayeredLook;
}

namespace win32::detail {

// The ARGB32 surface of a top-level window, sized to its client area and
// made on first use; null for unknown windows. Not referenced.
cairo_surface_t* backingSurface(HWND topLevel);
void resizeBacking(HWND topLevel, int width, int height);
void dropBacking(HWND topLevel);

// How SetLayeredWindowAttributes says a layered window's backing is shown
// (colour key, constant alpha); false for a window fed by
// UpdateLayeredWindow, which shows what its last update said.
bool layeredAttributesLook(HWND topLevel, win32::display::LayeredLook* look);

// A DC over `surface` (the GDI layer's when installed, else one of ours).
HDC makeSurfaceDC(cairo_surface_t* surface);
void freeSurfaceDC(HDC hdc);

}  // namespace win32::detail
