// Icons and cursors: an ARGB picture and a hot spot.

#include "GdiObjects.h"
#include "gdi/GdiCairo.h"

GdiIcon::~GdiIcon() {
  if (surface) cairo_surface_destroy(surface);
}

namespace {

GdiIcon* IconOf(HICON icon) { return GdiAs<GdiIcon>(icon, kGdiIconType); }

}  // namespace

HICON GdiCreateIconFromPixels(int width, int height, const void* pixels, int xHotspot, int yHotspot, bool isIcon) {
  if (width <= 0 || height <= 0 || !pixels) return nullptr;
  cairo_surface_t* s = GdiSurfaceFromPixels(width, height, pixels);
  if (!s) return nullptr;
  auto* icon = new GdiIcon;
  icon->surface = s;
  icon->xHotspot = xHotspot;
  icon->yHotspot = yHotspot;
  icon->isIcon = isIcon;
  GdiRegister(icon);
  return reinterpret_cast<HICON>(icon);
}

cairo_surface_t* GdiSurfaceOfIcon(HICON icon) {
  GdiIcon* i = IconOf(icon);
  return i ? i->surface : nullptr;
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return nullptr;
  cairo_surface_t* color = GdiSurfaceOfBitmap(info->hbmColor);
  if (!color) return nullptr;  // every bitmap here has colour and alpha
  const int w = cairo_image_surface_get_width(color), h = cairo_image_surface_get_height(color);
  cairo_surface_t* picture = GdiCopySurfaceArea(color, 0, 0, w, h);
  if (!picture) return nullptr;
  auto* icon = new GdiIcon;
  icon->surface = picture;
  // Icons are made with their hot spot in the centre.
  icon->isIcon = info->fIcon != FALSE;
  icon->xHotspot = icon->isIcon ? w / 2 : (int)info->xHotspot;
  icon->yHotspot = icon->isIcon ? h / 2 : (int)info->yHotspot;
  GdiRegister(icon);
  return reinterpret_cast<HICON>(icon);
}

BOOL GetIconInfo(HICON hicon, PICONINFO info) {
  GdiIcon* icon = IconOf(hicon);
  if (!icon || !info) return FALSE;
  const int w = cairo_image_surface_get_width(icon->surface), h = cairo_image_surface_get_height(icon->surface);
  HBITMAP color = CreateCompatibleBitmap(nullptr, w, h);
  HBITMAP mask = CreateCompatibleBitmap(nullptr, w, h);
  if (!color || !mask) {
    if (color) DeleteObject(color);
    if (mask) DeleteObject(mask);
    return FALSE;
  }
  cairo_t* cr = cairo_create(GdiSurfaceOfBitmap(color));
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, icon->surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  // The AND mask: black where the icon shows, white where it is clear.
  cairo_surface_t* m = GdiSurfaceOfBitmap(mask);
  cairo_surface_flush(icon->surface);
  cairo_surface_flush(m);
  for (int y = 0; y < h; ++y) {
    auto* src = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(icon->surface) +
                                                  (size_t)y * cairo_image_surface_get_stride(icon->surface));
    auto* dst = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(m) + (size_t)y * cairo_image_surface_get_stride(m));
    for (int x = 0; x < w; ++x) dst[x] = (src[x] >> 24) ? 0xFF000000u : 0xFFFFFFFFu;
  }
  cairo_surface_mark_dirty(m);
  info->fIcon = icon->isIcon;
  info->xHotspot = icon->xHotspot;
  info->yHotspot = icon->yHotspot;
  info->hbmColor = color;
  info->hbmMask = mask;
  return TRUE;
}

BOOL DestroyIcon(HICON hicon) {
  GdiIcon* icon = IconOf(hicon);
  if (!icon) return FALSE;
  GdiUnregister(icon);
  delete icon;
  return TRUE;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON hicon, int cx, int cy, UINT, HBRUSH, UINT flags) {
  GdiDC* dc = GdiDCOf(hdc);
  GdiIcon* icon = IconOf(hicon);
  if (!dc || !icon) return FALSE;
  if (!(flags & DI_IMAGE)) return TRUE;  // a mask alone draws nothing over ARGB
  const int w = cairo_image_surface_get_width(icon->surface), h = cairo_image_surface_get_height(icon->surface);
  if (cx <= 0) cx = w;
  if (cy <= 0) cy = h;
  cairo_t* cr = GdiBeginDraw(dc);
  if (!cr) return FALSE;
  cairo_rectangle(cr, x, y, cx, cy);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, (double)cx / w, (double)cy / h);
  cairo_set_source_surface(cr, icon->surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_destroy(cr);
  return TRUE;
}
