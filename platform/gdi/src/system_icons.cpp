// LoadIconW for the system icons: PNG bytes carried by the library,
// decoded by Cairo into a new icon per call.
#include <cairo.h>

#include <cstring>

#include "SystemIconData.h"
#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"

namespace {

struct PngReader {
  const unsigned char* data;
  size_t size;
  size_t at = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* r = static_cast<PngReader*>(closure);
  if (r->size - r->at < length) return CAIRO_STATUS_READ_ERROR;
  memcpy(out, r->data + r->at, length);
  r->at += length;
  return CAIRO_STATUS_SUCCESS;
}

const SystemIconData* Find(ULONG_PTR id) {
  for (int i = 0; i < kSystemIconCount; ++i)
    if (static_cast<ULONG_PTR>(kSystemIcons[i].id) == id) return &kSystemIcons[i];
  return nullptr;
}

}  // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  // Only the system's own icons live here; a program's icons come from its
  // resource bundle through LoadImageW.
  if (instance || id > 0xFFFF) return nullptr;
  const SystemIconData* icon = Find(id);
  if (!icon) return nullptr;
  PngReader reader{icon->png, icon->size};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(&ReadPng, &reader);
  HICON result = nullptr;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32) {
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    // Rows without padding, as the icon maker takes them.
    unsigned char* rows = new unsigned char[static_cast<size_t>(w) * h * 4];
    for (int y = 0; y < h; ++y)
      memcpy(rows + static_cast<size_t>(y) * w * 4, cairo_image_surface_get_data(s) + static_cast<size_t>(y) * stride,
             static_cast<size_t>(w) * 4);
    result = GdiCreateIconFromPixels(w, h, rows, w / 2, h / 2, true);
    delete[] rows;
  }
  cairo_surface_destroy(s);
  return result;
}
