// GDI+ drawing: graphics on a bitmap, solid and texture brushes, paths.
#include <cmath>

#include "GpObjects.h"
#include "gdi/GdiCairo.h"

using namespace Gdiplus;

namespace {

void SetArgb(cairo_t* cr, ARGB c) {
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                        (c >> 24) / 255.0);
}

// GDI+ smooths edges only when asked; the others draw aliased.
void ApplySmoothing(GpGraphics* g) {
  bool smooth = g->smoothing == SmoothingModeAntiAlias || g->smoothing == SmoothingModeHighQuality;
  cairo_set_antialias(g->cr, smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
}

bool SetBrush(cairo_t* cr, GpBrush* b) {
  if (!b) return false;
  if (!b->texture) {
    SetArgb(cr, b->color);
    return true;
  }
  cairo_pattern_t* pat = cairo_pattern_create_for_surface(b->image);
  cairo_matrix_t inv = b->transform;
  if (cairo_matrix_invert(&inv) != CAIRO_STATUS_SUCCESS) {
    cairo_pattern_destroy(pat);
    return false;
  }
  cairo_pattern_set_matrix(pat, &inv);
  switch (b->wrap) {
    case WrapModeClamp: cairo_pattern_set_extend(pat, CAIRO_EXTEND_NONE); break;
    case WrapModeTile: cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT); break;
    default: cairo_pattern_set_extend(pat, CAIRO_EXTEND_REFLECT); break;
  }
  cairo_pattern_set_filter(pat, CAIRO_FILTER_GOOD);
  cairo_set_source(cr, pat);
  cairo_pattern_destroy(pat);
  return true;
}

GpStatus Fill(GpGraphics* g, GpBrush* brush, cairo_fill_rule_t rule) {
  ApplySmoothing(g);
  cairo_set_fill_rule(g->cr, rule);
  if (!SetBrush(g->cr, brush)) {
    cairo_new_path(g->cr);
    return InvalidParameter;
  }
  cairo_set_operator(g->cr, CAIRO_OPERATOR_OVER);
  cairo_fill(g->cr);
  cairo_surface_flush(cairo_get_target(g->cr));
  return Ok;
}

}  // namespace

GpBrush::~GpBrush() {
  if (image) cairo_surface_destroy(image);
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!image) return InvalidParameter;
  if (image->locked) return WrongState;
  auto* g = new GpGraphics;
  g->image = image;
  g->cr = cairo_create(image->surface());
  *out = g;
  return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* g) {
  if (!g) return InvalidParameter;
  cairo_destroy(g->cr);
  delete g;
  return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* g, SmoothingMode mode) {
  if (!g || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias) return InvalidParameter;
  g->smoothing = mode;
  return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* g, ARGB color) {
  if (!g) return InvalidParameter;
  // Clear replaces the pixels, alpha included.
  cairo_save(g->cr);
  cairo_set_operator(g->cr, CAIRO_OPERATOR_SOURCE);
  SetArgb(g->cr, color);
  cairo_paint(g->cr);
  cairo_restore(g->cr);
  cairo_surface_flush(cairo_get_target(g->cr));
  return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** out) {
  if (!out) return InvalidParameter;
  auto* b = new GpBrush;
  b->color = color;
  *out = b;
  return Ok;
}

GpStatus GdipCreateTexture2I(GpImage* image, WrapMode wrap, INT x, INT y, INT width, INT height, GpTexture** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!image || wrap < WrapModeTile || wrap > WrapModeClamp ||
      !GdipRectInside(x, y, width, height, image->width(), image->height()))
    return InvalidParameter;
  cairo_surface_t* s = GdiCopySurfaceArea(image->surface(), x, y, width, height);
  if (!s) return OutOfMemory;
  auto* b = new GpBrush;
  b->texture = true;
  b->image = s;
  b->wrap = wrap;
  cairo_matrix_init_identity(&b->transform);
  *out = b;
  return Ok;
}

GpStatus GdipScaleTextureTransform(GpTexture* brush, REAL sx, REAL sy, MatrixOrder order) {
  if (!brush || !brush->texture) return InvalidParameter;
  cairo_matrix_t scale, result;
  cairo_matrix_init_scale(&scale, sx, sy);
  // Prepend applies the scale before the existing transform.
  if (order == MatrixOrderPrepend)
    cairo_matrix_multiply(&result, &scale, &brush->transform);
  else
    cairo_matrix_multiply(&result, &brush->transform, &scale);
  brush->transform = result;
  return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (!brush) return InvalidParameter;
  delete brush;
  return Ok;
}

GpStatus GdipFillEllipse(GpGraphics* g, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (!g || !brush || width <= 0 || height <= 0) return InvalidParameter;
  GdiEllipsePath(g->cr, x, y, width, height);
  return Fill(g, brush, CAIRO_FILL_RULE_WINDING);
}

GpStatus GdipFillEllipseI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height) {
  return GdipFillEllipse(g, brush, (REAL)x, (REAL)y, (REAL)width, (REAL)height);
}

GpStatus GdipFillRectangleI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height) {
  if (!g || !brush || width < 0 || height < 0) return InvalidParameter;
  cairo_rectangle(g->cr, x, y, width, height);
  return Fill(g, brush, CAIRO_FILL_RULE_WINDING);
}

GpStatus GdipFillPolygon(GpGraphics* g, GpBrush* brush, const PointF* pts, INT count, FillMode mode) {
  if (!g || !brush || !pts || count < 3) return InvalidParameter;
  cairo_move_to(g->cr, pts[0].X, pts[0].Y);
  for (INT i = 1; i < count; ++i) cairo_line_to(g->cr, pts[i].X, pts[i].Y);
  cairo_close_path(g->cr);
  return Fill(g, brush, mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
}

GpStatus GdipCreatePath(FillMode mode, GpPath** out) {
  if (!out) return InvalidParameter;
  *out = new GpPath;
  (*out)->mode = mode;
  return Ok;
}

GpStatus GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height) {
  if (!path) return InvalidParameter;
  path->figures.push_back({true, (double)x, (double)y, (double)width, (double)height, {}});
  return Ok;
}

GpStatus GdipAddPathPolygon(GpPath* path, const PointF* pts, INT count) {
  if (!path || !pts || count < 3) return InvalidParameter;
  path->figures.push_back({false, 0, 0, 0, 0, std::vector<PointF>(pts, pts + count)});
  return Ok;
}

GpStatus GdipDeletePath(GpPath* path) {
  if (!path) return InvalidParameter;
  delete path;
  return Ok;
}

GpStatus GdipFillPath(GpGraphics* g, GpBrush* brush, GpPath* path) {
  if (!g || !brush || !path) return InvalidParameter;
  for (const GpPath::Figure& f : path->figures) {
    if (f.ellipse) {
      GdiEllipsePath(g->cr, f.x, f.y, f.w, f.h);
      continue;
    }
    cairo_move_to(g->cr, f.points[0].X, f.points[0].Y);
    for (size_t i = 1; i < f.points.size(); ++i) cairo_line_to(g->cr, f.points[i].X, f.points[i].Y);
    cairo_close_path(g->cr);
  }
  return Fill(g, brush, path->mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
}

GpStatus GdipDrawImageRectI(GpGraphics* g, GpImage* image, INT x, INT y, INT width, INT height) {
  if (!g || !image || width <= 0 || height <= 0) return InvalidParameter;
  if (image->locked) return WrongState;
  cairo_surface_flush(image->surface());
  cairo_save(g->cr);
  cairo_rectangle(g->cr, x, y, width, height);
  cairo_clip(g->cr);
  cairo_translate(g->cr, x, y);
  cairo_scale(g->cr, (double)width / image->width(), (double)height / image->height());
  cairo_set_source_surface(g->cr, image->surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(g->cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(g->cr), CAIRO_EXTEND_PAD);
  cairo_paint(g->cr);
  cairo_restore(g->cr);
  cairo_surface_flush(cairo_get_target(g->cr));
  return Ok;
}
