// Where the GDI layer meets Cairo and Pango. The render plug-in and the
// display backend use these to share pixels, regions, fonts and the one
// DrawText engine with plain GDI callers.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include "gdi/gdi.h"

// A DC drawing straight into `surface` (an ARGB32 image surface). The DC
// holds a reference on the surface; DeleteDC drops it. Used for the DC a
// render target hands out and for window painting.
HDC GdiCreateSurfaceDC(cairo_surface_t* surface);

// The image surface a DC draws into (its selected bitmap's, or the one it
// was made over), not referenced; null for an invalid DC.
cairo_surface_t* GdiSurfaceOfDC(HDC hdc);

// The surface behind a bitmap, not referenced; null for an invalid handle.
cairo_surface_t* GdiSurfaceOfBitmap(HBITMAP bitmap);

// A region's rectangles (a Cairo region owned by the handle), or null.
const cairo_region_t* GdiRegionOf(HRGN rgn);

// Region shapes in Cairo terms, shared by HRGN and the render plug-in's
// regions. Each returns a new region the caller destroys.
cairo_region_t* GdiMakeEllipseRegion(const RECT& rc);
cairo_region_t* GdiMakeRoundRectRegion(const RECT& rc, int wEllipse, int hEllipse);
// Applies an RGN_* mode: dst = dst (mode) src; RGN_COPY copies src.
bool GdiCombineRegion(cairo_region_t* dst, const cairo_region_t* src, int mode);

// Installs the project's font aliases into fontconfig ("微软雅黑" and "宋体"
// resolve to installed CJK faces). Idempotent and thread-safe; every text
// entry point calls it before Pango sees a font.
void GdiEnsureFontAliases();

// Whether fontconfig has `face` itself or the face our aliases put for it.
bool GdiFontFaceExists(LPCWSTR face);

// The default UI font (12 pixels, normal weight, "微软雅黑"): GDI's stock
// font and the first font of every render target.
LOGFONTW GdiDefaultLogFont();

// A Pango description for a LOGFONTW (pixel size from lfHeight, weight,
// italic, face). The caller frees it.
PangoFontDescription* GdiFontDescriptionFromLogFont(const LOGFONTW& lf);

// The one DrawText engine. Lays `text` out in `rc` by the DT_* bits with
// the given font; with DT_CALCRECT only measures and writes the extent
// back into `rc`; otherwise draws in `rgba` (straight, 0-1) into `cr`,
// which the caller has clipped and positioned. Returns the text height.
struct GdiTextFont {
  const PangoFontDescription* desc;
  bool underline;
  bool strikeOut;
};
int GdiDrawTextCairo(cairo_t* cr, const GdiTextFont& font, LPCWSTR text, int len, RECT* rc, UINT format,
                     const double rgba[4]);

// Width and height of one run of text, as GetTextExtentPoint32W measures it.
SIZE GdiMeasureTextRun(const GdiTextFont& font, LPCWSTR text, int len);

// Inverts the colours of a rectangle of premultiplied pixels (c' = A - c per
// channel, alpha kept), limited to `clip` when it is not null. Device
// coordinates.
void GdiInvertPixels(cairo_surface_t* surface, const RECT& rc, const cairo_region_t* clip);

// Shape paths shared by GDI+ and the render plug-in, each added as a new
// sub-path of `cr`. The ellipse fills the box (x, y, w, h) and adds nothing
// for an empty box. The rounded rectangle has elliptic corners of radii rx,
// ry, each capped at half the side; a radius of 0 gives the plain rectangle.
void GdiEllipsePath(cairo_t* cr, double x, double y, double w, double h);
void GdiRoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry);

// Sets Cairo's line width and dash pattern for a PS_* pen style.
void GdiApplyPenStyle(cairo_t* cr, int style, double width);

// An icon from premultiplied BGRA pixels (width x height, no padding) with
// its hot spot, for loaders that decode icon files and resources.
HICON GdiCreateIconFromPixels(int width, int height, const void* pixels, int xHotspot, int yHotspot, bool isIcon);

// The picture behind an icon, not referenced; null for an invalid handle.
cairo_surface_t* GdiSurfaceOfIcon(HICON icon);

// A new ARGB32 surface of width x height premultiplied BGRA pixels (no row
// padding), clear when `pixels` is null; null when it cannot be made.
cairo_surface_t* GdiSurfaceFromPixels(int width, int height, const void* pixels);

// A new ARGB32 surface of width x height holding the part of `src` whose
// corner is (x, y), clear where the part lies outside `src`; null when it
// cannot be made.
cairo_surface_t* GdiCopySurfaceArea(cairo_surface_t* src, int x, int y, int width, int height);

// The screen's logical pixels per inch that GetDeviceCaps answers
// (LOGPIXELSX and LOGPIXELSY): 96 until start-up sets the display's value.
void GdiSetScreenDpi(int dpi);
int GdiScreenDpi();
