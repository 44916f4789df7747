#include "GdiObjects.h"
#include "gdi/GdiCairo.h"

void GdiApplyPenStyle(cairo_t* cr, int style, double width) {
  cairo_set_line_width(cr, width);
  // Cosmetic GDI dash lengths, scaled with wide pens.
  static const double dash[] = {18, 6};
  static const double dot[] = {3, 3};
  static const double dashDot[] = {9, 6, 3, 6};
  static const double dashDotDot[] = {9, 3, 3, 3, 3, 3};
  const double* pattern = nullptr;
  int n = 0;
  switch (style) {
    case PS_DASH: pattern = dash; n = 2; break;
    case PS_DOT: pattern = dot; n = 2; break;
    case PS_DASHDOT: pattern = dashDot; n = 4; break;
    case PS_DASHDOTDOT: pattern = dashDotDot; n = 6; break;
    default: break;
  }
  if (!pattern) {
    cairo_set_dash(cr, nullptr, 0, 0);
    return;
  }
  double scaled[6];
  double k = width > 1 ? width : 1;
  for (int i = 0; i < n; ++i) scaled[i] = pattern[i] * k;
  cairo_set_dash(cr, scaled, n, 0);
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
  GdiDC* dc = GdiDCOf(hdc);
  GdiBrush* brush = GdiAs<GdiBrush>(hbrush, OBJ_BRUSH);
  // GDI also accepts a system colour index + 1 in place of a brush.
  if (!brush && hbrush && (UINT_PTR)hbrush <= 32) brush = GdiAs<GdiBrush>(GetSysColorBrush((int)(UINT_PTR)hbrush - 1), OBJ_BRUSH);
  if (!dc || !rect || !brush) return 0;
  if (brush->hollow) return 1;
  cairo_t* cr = GdiBeginDraw(dc);
  if (!cr) return 0;
  GdiSetSourceColorRef(cr, brush->color);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  cairo_fill(cr);
  cairo_destroy(cr);
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return FALSE;
  cairo_t* cr = GdiBeginDraw(dc);
  if (!cr) return FALSE;
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  if (dc->brush && !dc->brush->hollow) {
    GdiSetSourceColorRef(cr, dc->brush->color);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
  }
  if (dc->pen && dc->pen->style != PS_NULL && right - left > 0 && bottom - top > 0) {
    // The outline lies inside the rectangle, its outer edge on the bounds.
    double w = dc->pen->width, half = w / 2.0;
    GdiSetSourceColorRef(cr, dc->pen->color);
    GdiApplyPenStyle(cr, dc->pen->style, w);
    cairo_rectangle(cr, left + half, top + half, right - left - w, bottom - top - w);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH hbrush) {
  GdiDC* dc = GdiDCOf(hdc);
  GdiBrush* brush = GdiAs<GdiBrush>(hbrush, OBJ_BRUSH);
  const cairo_region_t* r = GdiRegionOf(rgn);
  if (!dc || !brush || !r) return FALSE;
  if (brush->hollow) return TRUE;
  cairo_t* cr = GdiBeginDraw(dc);
  if (!cr) return FALSE;
  GdiSetSourceColorRef(cr, brush->color);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (int i = 0, n = cairo_region_num_rectangles(r); i < n; ++i) {
    cairo_rectangle_int_t c;
    cairo_region_get_rectangle(r, i, &c);
    cairo_rectangle(cr, c.x, c.y, c.width, c.height);
  }
  cairo_fill(cr);
  cairo_destroy(cr);
  return TRUE;
}
