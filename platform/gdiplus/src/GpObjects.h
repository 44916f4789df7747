// What the GDI+ flat API's handles point at.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "gdiplus/gdiplus.h"

struct GpImage {
  struct Frame {
    cairo_surface_t* surface;  // ARGB32, premultiplied
    int delay;                 // 1/100 s
  };
  ~GpImage();
  cairo_surface_t* surface() const { return frames[active].surface; }
  int width() const { return cairo_image_surface_get_width(surface()); }
  int height() const { return cairo_image_surface_get_height(surface()); }

  std::vector<Frame> frames;
  UINT active = 0;
  Gdiplus::PixelFormat format = Gdiplus::PixelFormat32bppARGB;
  bool timeFrames = false;  // frames along FrameDimensionTime (GIF)

  // The one lock a bitmap can have at a time.
  bool locked = false;
  std::vector<uint32_t> lockBuffer;
  Gdiplus::Rect lockRect;
  UINT lockFlags = 0;
  Gdiplus::PixelFormat lockFormat = 0;
  uint32_t* lockTarget = nullptr;  // the caller's buffer with ImageLockModeUserInputBuf
  INT lockStride = 0;
};

struct GpGraphics {
  GpImage* image = nullptr;
  cairo_t* cr = nullptr;
  Gdiplus::SmoothingMode smoothing = Gdiplus::SmoothingModeDefault;
};

struct GpBrush {
  ~GpBrush();
  bool texture = false;
  Gdiplus::ARGB color = 0;
  cairo_surface_t* image = nullptr;  // the texture's own copy
  Gdiplus::WrapMode wrap = Gdiplus::WrapModeTile;
  cairo_matrix_t transform;          // texture space to drawing space
};

struct GpPath {
  Gdiplus::FillMode mode = Gdiplus::FillModeAlternate;
  struct Figure {
    bool ellipse;
    double x, y, w, h;
    std::vector<Gdiplus::PointF> points;
  };
  std::vector<Figure> figures;
};

// Premultiplied BGRA <-> the GDI+ 32-bit formats (same byte order).
uint32_t GdipToPremultiplied(uint32_t px, Gdiplus::PixelFormat from);
uint32_t GdipFromPremultiplied(uint32_t px, Gdiplus::PixelFormat to);
bool GdipReadWholeStream(IStream* stream, std::vector<unsigned char>* bytes);

// Whether a non-empty rectangle lies inside an image of width x height; its
// far edges are computed wide, so huge sizes cannot wrap around into range.
inline bool GdipRectInside(INT x, INT y, INT w, INT h, int width, int height) {
  return x >= 0 && y >= 0 && w > 0 && h > 0 && (long long)x + w <= width && (long long)y + h <= height;
}
