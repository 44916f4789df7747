// New image surfaces from pixels or from part of another surface: every
// bitmap, icon, texture and cut-out of the drawing layers is made here.
#include <cstring>

#include "gdi/GdiCairo.h"

namespace {

cairo_surface_t* NewSurface(int width, int height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

}  // namespace

cairo_surface_t* GdiSurfaceFromPixels(int width, int height, const void* pixels) {
  if (width < 0 || height < 0) return nullptr;
  cairo_surface_t* s = NewSurface(width, height);
  if (!s || !pixels || width == 0 || height == 0) return s;
  cairo_surface_flush(s);
  unsigned char* dst = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  const size_t row = (size_t)width * 4;
  for (int y = 0; y < height; ++y)
    memcpy(dst + (size_t)y * stride, static_cast<const unsigned char*>(pixels) + (size_t)y * row, row);
  cairo_surface_mark_dirty(s);
  return s;
}

cairo_surface_t* GdiCopySurfaceArea(cairo_surface_t* src, int x, int y, int width, int height) {
  if (!src || width < 0 || height < 0) return nullptr;
  cairo_surface_t* s = NewSurface(width, height);
  if (!s) return nullptr;
  cairo_t* cr = cairo_create(s);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, src, -x, -y);
  cairo_paint(cr);
  cairo_destroy(cr);
  return s;
}
