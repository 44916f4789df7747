#include "image_cursor.h"

#include <X11/extensions/Xrender.h>
#include <cairo.h>

#include <cstring>
#include <map>
#include <mutex>

#include "../display/x_display.h"
#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"

namespace win32::display {
namespace {

std::mutex g_mutex;
std::map<HCURSOR, Cursor> g_made;

Cursor build(XDisplay* x, cairo_surface_t* picture, int xHot, int yHot) {
  int eventBase = 0, errorBase = 0;
  if (!XRenderQueryExtension(x->dpy, &eventBase, &errorBase)) return None;
  XRenderPictFormat* format = XRenderFindStandardFormat(x->dpy, PictStandardARGB32);
  if (!format) return None;
  cairo_surface_flush(picture);
  const int w = cairo_image_surface_get_width(picture), h = cairo_image_surface_get_height(picture);
  const int stride = cairo_image_surface_get_stride(picture);
  Pixmap pixmap = XCreatePixmap(x->dpy, x->root, w, h, 32);
  // XImage takes over its data: give it a copy it may free.
  char* data = static_cast<char*>(malloc(static_cast<size_t>(stride) * h));
  memcpy(data, cairo_image_surface_get_data(picture), static_cast<size_t>(stride) * h);
  XImage* image = XCreateImage(x->dpy, format ? DefaultVisual(x->dpy, x->screen) : nullptr, 32, ZPixmap, 0, data,
                               w, h, 32, stride);
  image->byte_order = LSBFirst;
  GC gc = XCreateGC(x->dpy, pixmap, 0, nullptr);
  XPutImage(x->dpy, pixmap, gc, image, 0, 0, 0, 0, w, h);
  XFreeGC(x->dpy, gc);
  XDestroyImage(image);
  Picture pict = XRenderCreatePicture(x->dpy, pixmap, format, 0, nullptr);
  Cursor cursor = XRenderCreateCursor(x->dpy, pict, xHot, yHot);
  XRenderFreePicture(x->dpy, pict);
  XFreePixmap(x->dpy, pixmap);
  return cursor;
}

}  // namespace

Cursor imageCursorOf(XDisplay* x, HCURSOR cursor) {
  cairo_surface_t* picture = GdiSurfaceOfIcon(cursor);
  if (!x || !picture) return None;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_made.find(cursor);
  if (it != g_made.end()) return it->second;
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return None;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  Cursor made = build(x, picture, static_cast<int>(info.xHotspot), static_cast<int>(info.yHotspot));
  if (made != None) g_made[cursor] = made;
  return made;
}

bool destroyImageCursor(HCURSOR cursor) {
  if (!GdiSurfaceOfIcon(cursor)) return false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_made.find(cursor);
    if (it != g_made.end()) {
      if (XDisplay* x = activeDisplay()) XFreeCursor(x->dpy, it->second);
      g_made.erase(it);
    }
  }
  return DestroyIcon(cursor) != FALSE;
}

}  // namespace win32::display
