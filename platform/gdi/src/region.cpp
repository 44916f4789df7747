#include <algorithm>
#include <cmath>

#include "GdiObjects.h"
#include "gdi/GdiCairo.h"

namespace {

cairo_rectangle_int_t ToCairo(const RECT& rc) {
  int l = std::min(rc.left, rc.right), r = std::max(rc.left, rc.right);
  int t = std::min(rc.top, rc.bottom), b = std::max(rc.top, rc.bottom);
  return cairo_rectangle_int_t{l, t, r - l, b - t};
}

HRGN Wrap(cairo_region_t* r) {
  auto* g = new GdiRegion;
  g->region = r;
  GdiRegister(g);
  return reinterpret_cast<HRGN>(g);
}

GdiRegion* RegionOf(HRGN h) { return GdiAs<GdiRegion>(h, OBJ_REGION); }

int Complexity(const cairo_region_t* r) {
  int n = cairo_region_num_rectangles(r);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// One row of rectangles per scan line: a pixel belongs to the shape when its
// centre lies inside it, the way a rasteriser would decide.
template <class Inside>
cairo_region_t* ScanShape(const RECT& rc, Inside inside) {
  cairo_region_t* out = cairo_region_create();
  int l = std::min(rc.left, rc.right), r = std::max(rc.left, rc.right);
  int t = std::min(rc.top, rc.bottom), b = std::max(rc.top, rc.bottom);
  for (int y = t; y < b; ++y) {
    int x0 = -1;
    for (int x = l; x <= r; ++x) {
      bool in = x < r && inside(x + 0.5, y + 0.5);
      if (in && x0 < 0) x0 = x;
      if (!in && x0 >= 0) {
        cairo_rectangle_int_t row{x0, y, x - x0, 1};
        cairo_region_union_rectangle(out, &row);
        x0 = -1;
      }
    }
  }
  return out;
}

}  // namespace

cairo_region_t* GdiMakeEllipseRegion(const RECT& rc) {
  double cx = (rc.left + rc.right) / 2.0, cy = (rc.top + rc.bottom) / 2.0;
  double rx = std::abs(rc.right - rc.left) / 2.0, ry = std::abs(rc.bottom - rc.top) / 2.0;
  if (rx <= 0 || ry <= 0) return cairo_region_create();
  return ScanShape(rc, [=](double x, double y) {
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  });
}

cairo_region_t* GdiMakeRoundRectRegion(const RECT& rc, int wEllipse, int hEllipse) {
  double l = std::min(rc.left, rc.right), r = std::max(rc.left, rc.right);
  double t = std::min(rc.top, rc.bottom), b = std::max(rc.top, rc.bottom);
  double rx = std::min(std::abs(wEllipse) / 2.0, (r - l) / 2.0);
  double ry = std::min(std::abs(hEllipse) / 2.0, (b - t) / 2.0);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle_int_t c = ToCairo(rc);
    return cairo_region_create_rectangle(&c);
  }
  return ScanShape(rc, [=](double x, double y) {
    double cx = x < l + rx ? l + rx : x > r - rx ? r - rx : x;
    double cy = y < t + ry ? t + ry : y > b - ry ? b - ry : y;
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  });
}

bool GdiCombineRegion(cairo_region_t* dst, const cairo_region_t* src, int mode) {
  cairo_status_t st = CAIRO_STATUS_SUCCESS;
  switch (mode) {
    case RGN_AND: st = cairo_region_intersect(dst, src); break;
    case RGN_OR: st = cairo_region_union(dst, src); break;
    case RGN_XOR: st = cairo_region_xor(dst, src); break;
    case RGN_DIFF: st = cairo_region_subtract(dst, src); break;
    case RGN_COPY: {
      cairo_region_t* empty = cairo_region_create();
      st = cairo_region_intersect(dst, empty);
      cairo_region_destroy(empty);
      if (st == CAIRO_STATUS_SUCCESS) st = cairo_region_union(dst, src);
      break;
    }
    default: return false;
  }
  return st == CAIRO_STATUS_SUCCESS;
}

const cairo_region_t* GdiRegionOf(HRGN rgn) {
  GdiRegion* g = RegionOf(rgn);
  return g ? g->region : nullptr;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  RECT rc{left, top, right, bottom};
  cairo_rectangle_int_t c = ToCairo(rc);
  return Wrap(cairo_region_create_rectangle(&c));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return Wrap(GdiMakeEllipseRegion(RECT{left, top, right, bottom}));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
  return rect ? CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int wEllipse, int hEllipse) {
  // GDI's round rectangle excludes the right and bottom edges, which is why
  // callers pass right + 1 and bottom + 1.
  return Wrap(GdiMakeRoundRectRegion(RECT{left, top, right - 1, bottom - 1}, wEllipse, hEllipse));
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  GdiRegion* g = RegionOf(rgn);
  if (!g) return FALSE;
  cairo_rectangle_int_t c = ToCairo(RECT{left, top, right, bottom});
  cairo_region_destroy(g->region);
  g->region = cairo_region_create_rectangle(&c);
  return TRUE;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  GdiRegion* d = RegionOf(dst);
  GdiRegion* a = RegionOf(src1);
  if (!d || !a) return ERROR;
  if (mode == RGN_COPY) {
    cairo_region_t* copy = cairo_region_copy(a->region);
    cairo_region_destroy(d->region);
    d->region = copy;
    return Complexity(d->region);
  }
  GdiRegion* b = RegionOf(src2);
  if (!b) return ERROR;
  cairo_region_t* result = cairo_region_copy(a->region);
  if (!GdiCombineRegion(result, b->region, mode)) {
    cairo_region_destroy(result);
    return ERROR;
  }
  cairo_region_destroy(d->region);
  d->region = result;
  return Complexity(d->region);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  GdiRegion* x = RegionOf(a);
  GdiRegion* y = RegionOf(b);
  return x && y && cairo_region_equal(x->region, y->region);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  GdiRegion* g = RegionOf(rgn);
  return g && cairo_region_contains_point(g->region, x, y);
}

BOOL RectInRegion(HRGN rgn, const RECT* rect) {
  GdiRegion* g = RegionOf(rgn);
  if (!g || !rect) return FALSE;
  cairo_rectangle_int_t c = ToCairo(*rect);
  return cairo_region_contains_rectangle(g->region, &c) != CAIRO_REGION_OVERLAP_OUT;
}

int GetRgnBox(HRGN rgn, LPRECT rect) {
  GdiRegion* g = RegionOf(rgn);
  if (!g || !rect) return ERROR;
  cairo_rectangle_int_t e;
  cairo_region_get_extents(g->region, &e);
  *rect = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
  return Complexity(g->region);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  GdiRegion* g = RegionOf(rgn);
  if (!g) return ERROR;
  cairo_region_translate(g->region, dx, dy);
  return Complexity(g->region);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return ERROR;
  if (!rgn) {
    // A null region with RGN_COPY removes the clip.
    if (mode != RGN_COPY) return ERROR;
    if (dc->clip) cairo_region_destroy(dc->clip);
    dc->clip = nullptr;
    return SIMPLEREGION;
  }
  GdiRegion* g = RegionOf(rgn);
  if (!g) return ERROR;
  // Clip regions are given in device coordinates, as in GDI.
  cairo_region_t* next = dc->clip ? cairo_region_copy(dc->clip) : GdiEffectiveClip(dc);
  if (!GdiCombineRegion(next, g->region, mode)) {
    cairo_region_destroy(next);
    return ERROR;
  }
  if (dc->clip) cairo_region_destroy(dc->clip);
  dc->clip = next;
  return Complexity(next);
}

int SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

static int ClipWithRect(HDC hdc, int left, int top, int right, int bottom, int mode) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc) return ERROR;
  // Logical coordinates here; the clip lives in device coordinates.
  RECT rc{left + dc->viewport.x, top + dc->viewport.y, right + dc->viewport.x, bottom + dc->viewport.y};
  cairo_rectangle_int_t c = ToCairo(rc);
  cairo_region_t* r = cairo_region_create_rectangle(&c);
  cairo_region_t* next = dc->clip ? cairo_region_copy(dc->clip) : GdiEffectiveClip(dc);
  GdiCombineRegion(next, r, mode);
  cairo_region_destroy(r);
  if (dc->clip) cairo_region_destroy(dc->clip);
  dc->clip = next;
  return Complexity(next);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ClipWithRect(hdc, left, top, right, bottom, RGN_AND);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ClipWithRect(hdc, left, top, right, bottom, RGN_DIFF);
}

int GetClipBox(HDC hdc, LPRECT rect) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc || !rect) return ERROR;
  cairo_region_t* r = GdiEffectiveClip(dc);
  cairo_rectangle_int_t e;
  cairo_region_get_extents(r, &e);
  int kind = Complexity(r);
  cairo_region_destroy(r);
  *rect = RECT{e.x - dc->viewport.x, e.y - dc->viewport.y, e.x + e.width - dc->viewport.x,
               e.y + e.height - dc->viewport.y};
  return kind;
}
