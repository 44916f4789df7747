// Showing layered windows. Under a compositor the window has a 32-bit
// visual and gets the image with its alpha; without one the window is
// opaque, cut to shape by a mask from the per-pixel alpha, and a constant
// alpha is blended over what the screen showed beneath. Either way only
// the dirty rectangle is converted, drawn and (without a compositor)
// re-shaped: a small update of a large window costs what it covers.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <vector>

#include "hooks.h"
#include "native.h"
#include "x_display.h"

namespace win32::display {
namespace {

// Without a compositor, pixels at least half covered keep their colour at
// full strength (premultiplied colour would darken them towards black) and
// the rest are cut away. The constant alpha fades the colours over the
// backdrop and takes no part in the shape: a faded window keeps its outline.
constexpr uint32_t kShapeAlphaThreshold = 128;

bool isKey(uint32_t pixel, const LayeredLook& look) {
  return look.useKey && (pixel >> 24) == 0xFF && (pixel & 0x00FFFFFFu) == look.keyRgb;
}

RECT clampToImage(const RECT& r, int width, int height) {
  RECT out{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, width),
           std::min<LONG>(r.bottom, height)};
  if (out.right < out.left) out.right = out.left;
  if (out.bottom < out.top) out.bottom = out.top;
  return out;
}

const uint32_t* rowOf(cairo_surface_t* image, int y) {
  return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image) +
                                           y * cairo_image_surface_get_stride(image));
}

// The dirty part for a 32-bit visual: key cut, constant alpha applied.
cairo_surface_t* translucentPart(cairo_surface_t* image, const RECT& d, const LayeredLook& look) {
  const int w = d.right - d.left, h = d.bottom - d.top;
  cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  const int stride = cairo_image_surface_get_stride(part);
  unsigned char* data = cairo_image_surface_get_data(part);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = rowOf(image, d.top + y) + d.left;
    auto* dst = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = src[x];
      if (isKey(p, look)) {
        dst[x] = 0;
      } else if (look.alpha == 255) {
        dst[x] = p;
      } else {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8)
          out |= ((((p >> shift) & 0xFF) * look.alpha + 127) / 255) << shift;
        dst[x] = out;
      }
    }
  }
  cairo_surface_mark_dirty(part);
  return part;
}

// The screen beneath the window as it is now (before the window's own
// pixels are drawn), as an RGB24 image of the window's size; black where
// the window reaches past the screen.
cairo_surface_t* captureBackdrop(XDisplay* x, const Native& native, int width, int height) {
  cairo_surface_t* backdrop = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  int rx = 0, ry = 0;
  ::Window child = 0;
  XTranslateCoordinates(x->dpy, native.xid, x->root, 0, 0, &rx, &ry, &child);
  const int sw = DisplayWidth(x->dpy, x->screen), sh = DisplayHeight(x->dpy, x->screen);
  const int left = std::max(rx, 0), top = std::max(ry, 0);
  const int right = std::min(rx + width, sw), bottom = std::min(ry + height, sh);
  if (right <= left || bottom <= top) return backdrop;
  XImage* shot = XGetImage(x->dpy, x->root, left, top, static_cast<unsigned>(right - left),
                           static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (!shot) return backdrop;
  cairo_surface_flush(backdrop);
  unsigned char* data = cairo_image_surface_get_data(backdrop);
  const int stride = cairo_image_surface_get_stride(backdrop);
  for (int y = top; y < bottom; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + (y - ry) * stride);
    for (int xx = left; xx < right; ++xx)
      row[xx - rx] = static_cast<uint32_t>(XGetPixel(shot, xx - left, y - top)) & 0x00FFFFFFu;
  }
  XDestroyImage(shot);
  cairo_surface_mark_dirty(backdrop);
  return backdrop;
}

// A colour faded over the backdrop's by the constant alpha.
uint32_t overBackdrop(uint32_t colour, uint32_t under, BYTE alpha) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = (colour >> shift) & 0xFF, u = (under >> shift) & 0xFF;
    out |= ((c * alpha + u * (255 - alpha) + 127) / 255) << shift;
  }
  return out;
}

// The dirty part for an opaque window: colours unpremultiplied (faded over
// `backdrop` by the constant alpha when there is one), and the rows of the
// shape it covers (in window coordinates) added to `shape`.
cairo_surface_t* opaquePart(cairo_surface_t* image, const RECT& d, const LayeredLook& look,
                            cairo_surface_t* backdrop, std::vector<XRectangle>* shape) {
  const int w = d.right - d.left, h = d.bottom - d.top;
  cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  const int stride = cairo_image_surface_get_stride(part);
  unsigned char* data = cairo_image_surface_get_data(part);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = rowOf(image, d.top + y) + d.left;
    auto* dst = reinterpret_cast<uint32_t*>(data + y * stride);
    int start = -1;
    for (int x = 0; x <= w; ++x) {
      bool inside = false;
      if (x < w) {
        const uint32_t p = src[x];
        const uint32_t a = isKey(p, look) ? 0 : p >> 24;
        inside = a >= kShapeAlphaThreshold;
        if (a == 0) {
          dst[x] = 0;
        } else if (a == 255) {
          dst[x] = p & 0x00FFFFFFu;
        } else {
          auto channel = [&](int shift) {
            return std::min<uint32_t>(255, (((p >> shift) & 0xff) * 255 + a / 2) / a) << shift;
          };
          dst[x] = channel(16) | channel(8) | channel(0);
        }
      }
      if (backdrop && x < w && dst[x] != 0)
        dst[x] = overBackdrop(dst[x], rowOf(backdrop, d.top + y)[d.left + x], look.alpha);
      if (inside && start < 0) start = x;
      if (!inside && start >= 0) {
        shape->push_back(XRectangle{static_cast<short>(d.left + start), static_cast<short>(d.top + y),
                                    static_cast<unsigned short>(x - start), 1});
        start = -1;
      }
    }
  }
  cairo_surface_mark_dirty(part);
  return part;
}

// Call with displayMutex() held.
void show(XDisplay* x, Native& native, cairo_surface_t* image, RECT dirty, bool reshape) {
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  // A new size or a first showing: the whole window, the shape set anew.
  const bool whole = reshape && (native.shapedWidth != width || native.shapedHeight != height);
  if (whole) {
    dirty = RECT{0, 0, width, height};
    native.shapedWidth = width;
    native.shapedHeight = height;
  }
  dirty = clampToImage(dirty, width, height);
  if (dirty.right <= dirty.left || dirty.bottom <= dirty.top) return;
  cairo_surface_flush(image);
  cairo_surface_t* part = nullptr;
  if (native.argb) {
    part = translucentPart(image, dirty, native.look);
  } else {
    std::vector<XRectangle> shape;
    // Without a compositor a constant alpha is blended here, over what
    // the screen showed beneath the window when it was first shown faded.
    cairo_surface_t* backdrop = nullptr;
    if (native.look.alpha < 255 && !compositorRunning(x)) {
      if (!native.backdrop || cairo_image_surface_get_width(native.backdrop) != width ||
          cairo_image_surface_get_height(native.backdrop) != height) {
        if (native.backdrop) cairo_surface_destroy(native.backdrop);
        native.backdrop = captureBackdrop(x, native, width, height);
      }
      backdrop = native.backdrop;
    }
    part = opaquePart(image, dirty, native.look, backdrop, &shape);
    if (reshape && x->hasShape) {
      if (whole) {
        XShapeCombineRectangles(x->dpy, native.xid, ShapeBounding, 0, 0, shape.data(),
                                static_cast<int>(shape.size()), ShapeSet, YXBanded);
      } else {
        XRectangle area{static_cast<short>(dirty.left), static_cast<short>(dirty.top),
                        static_cast<unsigned short>(dirty.right - dirty.left),
                        static_cast<unsigned short>(dirty.bottom - dirty.top)};
        XShapeCombineRectangles(x->dpy, native.xid, ShapeBounding, 0, 0, &area, 1, ShapeSubtract,
                                Unsorted);
        XShapeCombineRectangles(x->dpy, native.xid, ShapeBounding, 0, 0, shape.data(),
                                static_cast<int>(shape.size()), ShapeUnion, YXBanded);
      }
    }
  }
  cairo_t* cr = cairo_create(native.xsurface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, part, dirty.left, dirty.top);
  cairo_rectangle(cr, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(part);
  cairo_surface_flush(native.xsurface);
  XFlush(x->dpy);
}

}  // namespace

void presentLayered(HWND hwnd, cairo_surface_t* image, const LayeredLook& look, const RECT& dirty) {
  XDisplay* x = activeDisplay();
  if (!x || !image) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native || !native->xsurface) return;
  native->layered = true;
  if (image != native->layeredImage) {
    if (native->layeredImage) cairo_surface_destroy(native->layeredImage);
    native->layeredImage = cairo_surface_reference(image);
  }
  // A new key or constant alpha changes every pixel.
  if (!(look == native->look)) {
    // A window without an alpha channel is faded by the compositor, when
    // one runs, through the opacity it publishes.
    if (!native->argb && look.alpha != native->look.alpha) {
      if (look.alpha < 255) {
        const unsigned long opacity = static_cast<unsigned long>(look.alpha) * 0x01010101UL;
        XChangeProperty(x->dpy, native->xid, x->atoms.netWmWindowOpacity, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&opacity), 1);
      } else {
        XDeleteProperty(x->dpy, native->xid, x->atoms.netWmWindowOpacity);
      }
    }
    native->look = look;
    native->shapedWidth = native->shapedHeight = 0;
  }
  show(x, *native, image, dirty, true);
}

void representLayered(HWND hwnd, const RECT& area) {
  XDisplay* x = activeDisplay();
  if (!x) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(hwnd);
  if (!native || !native->xsurface || !native->layeredImage) return;
  // The shape is the server's and survives the exposure.
  show(x, *native, native->layeredImage, area, false);
}

}  // namespace win32::display
