// Ellipse and rounded-rectangle paths: one shape for every caller, so an
// ellipse filled through GDI+ and one filled by the render plug-in cover the
// same pixels.
#include <algorithm>
#include <cmath>

#include "gdi/GdiCairo.h"

void GdiEllipsePath(cairo_t* cr, double x, double y, double w, double h) {
  // A zero scale would leave `cr` in an error state for good.
  if (w <= 0 || h <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, x + w / 2, y + h / 2);
  cairo_scale(cr, w / 2, h / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void GdiRoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry) {
  rx = std::min(rx, w / 2);
  ry = std::min(ry, h / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, x, y, w, h);
    return;
  }
  auto corner = [&](double cx, double cy, double a0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a0, a0 + M_PI / 2);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(x + w - rx, y + ry, -M_PI / 2);
  corner(x + w - rx, y + h - ry, 0);
  corner(x + rx, y + h - ry, M_PI / 2);
  corner(x + rx, y + ry, M_PI);
  cairo_close_path(cr);
}
