// Cursors made from images (LoadImageW with IMAGE_CURSOR,
// CreateIconFromResource): the X cursor is built from the icon's ARGB
// picture through XRender on first use and kept until DestroyCursor.
#pragma once

#include <X11/Xlib.h>

#include "win32/types.h"

namespace win32::display {
struct XDisplay;
// None when the handle is no image cursor or XRender is missing.
Cursor imageCursorOf(XDisplay* x, HCURSOR cursor);
// Frees the X cursor and the picture; false when the handle is no image.
bool destroyImageCursor(HCURSOR cursor);
}  // namespace win32::display
