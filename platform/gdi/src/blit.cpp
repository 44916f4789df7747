#include <algorithm>
#include <cstring>

#include "GdiObjects.h"
#include "gdi/GdiCairo.h"

namespace {

// Cairo must not read and write one surface in one operation: copy the
// source part first when both sides are the same surface. Null when the
// copy cannot be made.
cairo_surface_t* SourceFor(cairo_surface_t* src, cairo_surface_t* dst, int& sx, int& sy, int w, int h) {
  cairo_surface_mark_dirty(src);
  if (src != dst) return cairo_surface_reference(src);
  cairo_surface_t* copy = GdiCopySurfaceArea(src, sx, sy, std::max(w, 1), std::max(h, 1));
  sx = 0;
  sy = 0;
  return copy;
}

}  // namespace

void GdiInvertPixels(cairo_surface_t* surface, const RECT& rc, const cairo_region_t* clip) {
  if (!surface) return;
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  cairo_rectangle_int_t bounds{std::max<int>(rc.left, 0), std::max<int>(rc.top, 0), 0, 0};
  bounds.width = std::min<int>(rc.right, w) - bounds.x;
  bounds.height = std::min<int>(rc.bottom, h) - bounds.y;
  if (bounds.width <= 0 || bounds.height <= 0) return;
  cairo_region_t* area = cairo_region_create_rectangle(&bounds);
  if (clip) cairo_region_intersect(area, clip);
  for (int i = 0, n = cairo_region_num_rectangles(area); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(area, i, &r);
    for (int y = r.y; y < r.y + r.height; ++y) {
      uint32_t* px = reinterpret_cast<uint32_t*>(data + (size_t)y * stride) + r.x;
      for (int x = 0; x < r.width; ++x) {
        // Premultiplied colour: the inverse of c under alpha A is A - c.
        uint32_t p = px[x];
        uint32_t a = p >> 24;
        uint32_t rr = a - ((p >> 16) & 0xFF), gg = a - ((p >> 8) & 0xFF), bb = a - (p & 0xFF);
        px[x] = (a << 24) | (rr << 16) | (gg << 8) | bb;
      }
    }
  }
  cairo_region_destroy(area);
  cairo_surface_mark_dirty(surface);
}

BOOL BitBlt(HDC hdst, int x, int y, int cx, int cy, HDC hsrc, int x1, int y1, DWORD rop) {
  GdiDC* dst = GdiDCOf(hdst);
  if (!dst || cx < 0 || cy < 0) return FALSE;
  if (rop == DSTINVERT) {
    cairo_region_t* clip = GdiEffectiveClip(dst);
    RECT dev{x + dst->viewport.x, y + dst->viewport.y, x + cx + dst->viewport.x, y + cy + dst->viewport.y};
    GdiInvertPixels(GdiTargetOf(dst), dev, clip);
    cairo_region_destroy(clip);
    return TRUE;
  }
  if (rop == BLACKNESS || rop == WHITENESS) {
    cairo_t* cr = GdiBeginDraw(dst);
    if (!cr) return FALSE;
    cairo_set_source_rgb(cr, rop == WHITENESS, rop == WHITENESS, rop == WHITENESS);
    cairo_rectangle(cr, x, y, cx, cy);
    cairo_fill(cr);
    cairo_destroy(cr);
    return TRUE;
  }
  if (rop != SRCCOPY) return FALSE;
  GdiDC* src = GdiDCOf(hsrc);
  if (!src) return FALSE;
  cairo_surface_t* dstSurface = GdiTargetOf(dst);
  int sx = x1 + src->viewport.x, sy = y1 + src->viewport.y;
  cairo_surface_t* source = SourceFor(GdiTargetOf(src), dstSurface, sx, sy, cx, cy);
  if (!source) return FALSE;
  cairo_t* cr = GdiBeginDraw(dst);
  // SRCCOPY copies alpha too: the destination takes the source's pixels.
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, x - sx, y - sy);
  cairo_rectangle(cr, x, y, cx, cy);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(source);
  return TRUE;
}

static BOOL Stretch(GdiDC* dst, int x, int y, int cx, int cy, GdiDC* src, int xs, int ys, int cxs, int cys,
                    cairo_operator_t op, double alpha, bool ignoreSourceAlpha) {
  if (cx <= 0 || cy <= 0 || cxs <= 0 || cys <= 0) return cx == 0 || cy == 0;
  cairo_surface_t* whole = GdiTargetOf(src);
  if (!whole) return FALSE;
  // GDI refuses a source rectangle outside the source bitmap. The edges are
  // computed wide: a huge size must not wrap around into range.
  const long long sx64 = (long long)xs + src->viewport.x, sy64 = (long long)ys + src->viewport.y;
  if (sx64 < 0 || sy64 < 0 || sx64 + cxs > cairo_image_surface_get_width(whole) ||
      sy64 + cys > cairo_image_surface_get_height(whole))
    return FALSE;
  int sx = (int)sx64, sy = (int)sy64;
  // GDI reads only the source rectangle: cut it out so filtering at its
  // edges never pulls in the pixels around it.
  cairo_surface_t* source = SourceFor(whole, (cx != cxs || cy != cys) ? whole : GdiTargetOf(dst), sx, sy, cxs, cys);
  if (!source) return FALSE;
  // Without AC_SRC_ALPHA the source counts as opaque: view its pixels as
  // RGB24, which ignores the alpha byte.
  cairo_surface_t* view = ignoreSourceAlpha
                              ? cairo_image_surface_create_for_data(
                                    cairo_image_surface_get_data(source), CAIRO_FORMAT_RGB24,
                                    cairo_image_surface_get_width(source), cairo_image_surface_get_height(source),
                                    cairo_image_surface_get_stride(source))
                              : cairo_surface_reference(source);
  cairo_t* cr = GdiBeginDraw(dst);
  cairo_rectangle(cr, x, y, cx, cy);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, (double)cx / cxs, (double)cy / cys);
  cairo_set_source_surface(cr, view, -sx, -sy);
  cairo_pattern_t* pat = cairo_get_source(cr);
  cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
  // GDI stretches by dropping and repeating pixels (COLORONCOLOR).
  cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, op);
  cairo_paint_with_alpha(cr, alpha);
  cairo_destroy(cr);
  cairo_surface_destroy(view);
  cairo_surface_destroy(source);
  return TRUE;
}

BOOL StretchBlt(HDC hdst, int x, int y, int cx, int cy, HDC hsrc, int xSrc, int ySrc, int cxSrc, int cySrc,
                DWORD rop) {
  GdiDC* dst = GdiDCOf(hdst);
  GdiDC* src = GdiDCOf(hsrc);
  if (!dst || !src || rop != SRCCOPY) return FALSE;
  return Stretch(dst, x, y, cx, cy, src, xSrc, ySrc, cxSrc, cySrc, CAIRO_OPERATOR_SOURCE, 1.0, false);
}

BOOL AlphaBlend(HDC hdst, int x, int y, int cx, int cy, HDC hsrc, int xSrc, int ySrc, int cxSrc, int cySrc,
                BLENDFUNCTION blend) {
  GdiDC* dst = GdiDCOf(hdst);
  GdiDC* src = GdiDCOf(hsrc);
  if (!dst || !src || blend.BlendOp != AC_SRC_OVER || blend.BlendFlags != 0 || cx < 0 || cy < 0 || cxSrc < 0 ||
      cySrc < 0)
    return FALSE;
  return Stretch(dst, x, y, cx, cy, src, xSrc, ySrc, cxSrc, cySrc, CAIRO_OPERATOR_OVER,
                 blend.SourceConstantAlpha / 255.0, !(blend.AlphaFormat & AC_SRC_ALPHA));
}
