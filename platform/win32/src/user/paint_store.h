// Backing surfaces of top-level windows: what WM_PAINT draws into and what
// is presented to the X window. Headless windows have them too, so painting
// code runs the same way without a display.
#pragma once

#include <cairo.h>

#include "win32/types.h"

namespace win32::detail {

// The ARGB32 surface of a top-level window, sized to its client area and
// made on first use; null for unknown windows. Not referenced.
cairo_surface_t* backingSurface(HWND topLevel);
void resizeBacking(HWND topLevel, int width, int height);
void dropBacking(HWND topLevel);

// The image a layered window shows: its backing with the colour key and
// constant alpha of SetLayeredWindowAttributes applied (a new reference),
// or the backing itself for windows fed by UpdateLayeredWindow.
cairo_surface_t* layeredImageFromBacking(HWND topLevel);

// A DC over `surface` (the GDI layer's when installed, else one of ours).
HDC makeSurfaceDC(cairo_surface_t* surface);
void freeSurfaceDC(HDC hdc);

}  // namespace win32::detail
