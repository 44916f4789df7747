#include "screen_golden.h"

#include <cairo.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "../platform-display/display_helper.h"
#include <X11/Xutil.h>

namespace {

constexpr int kChannelSlack = 16;
constexpr int kPixelsPerMiss = 2000;

cairo_surface_t* Capture(int x, int y, int width, int height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  Display* d = userDisplay();
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, width, height, AllPlanes, ZPixmap);
  if (!image) return s;
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int row = 0; row < height; ++row) {
    auto* line = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * stride);
    for (int col = 0; col < width; ++col) line[col] = 0xFF000000u | (XGetPixel(image, col, row) & 0xFFFFFF);
  }
  XDestroyImage(image);
  cairo_surface_mark_dirty(s);
  return s;
}

// The image as 0xRRGGBB pixels, whatever format the PNG had.
cairo_surface_t* AsRgb(cairo_surface_t* png) {
  const int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_surface(cr, png, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

}  // namespace

::testing::AssertionResult ScreenMatchesGolden(const RECT& rc, const std::string& name, long allowed) {
  const int x = rc.left, y = rc.top, width = rc.right - rc.left, height = rc.bottom - rc.top;
  const std::string golden = std::string(QUORVALE_GOLDEN_DIR) + "/" + name + ".png";
  cairo_surface_t* shot = Capture(x, y, width, height);
  struct Release {
    cairo_surface_t* s;
    ~Release() { cairo_surface_destroy(s); }
  } releaseShot{shot};
  const char* write = getenv("QUORVALE_WRITE_GOLDEN");
  if (write && strcmp(write, "1") == 0) {
    cairo_surface_write_to_png(shot, golden.c_str());
    return ::testing::AssertionSuccess();
  }
  auto fail = [&](const std::string& why) {
    mkdir(QUORVALE_GOLDEN_OUT, 0755);
    cairo_surface_write_to_png(shot, (std::string(QUORVALE_GOLDEN_OUT) + "/" + name + ".png").c_str());
    return ::testing::AssertionFailure() << name << ": " << why;
  };
  cairo_surface_t* png = cairo_image_surface_create_from_png(golden.c_str());
  Release releasePng{png};
  if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) return fail("no golden image " + golden);
  if (cairo_image_surface_get_width(png) != width || cairo_image_surface_get_height(png) != height)
    return fail("the golden image is " + std::to_string(cairo_image_surface_get_width(png)) + " x " +
                std::to_string(cairo_image_surface_get_height(png)));
  cairo_surface_t* ref = AsRgb(png);
  Release releaseRef{ref};
  long misses = 0;
  for (int row = 0; row < height; ++row) {
    auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(shot) +
                                                static_cast<size_t>(row) * cairo_image_surface_get_stride(shot));
    auto* b = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(ref) +
                                                static_cast<size_t>(row) * cairo_image_surface_get_stride(ref));
    for (int col = 0; col < width; ++col) {
      int most = 0;
      for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(static_cast<int>((a[col] >> shift) & 0xFF) -
                                       static_cast<int>((b[col] >> shift) & 0xFF)));
      if (most > kChannelSlack) ++misses;
    }
  }
  if (misses > allowed) return fail(std::to_string(misses) + " pixels differ");
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult ScreenMatchesGolden(int x, int y, int width, int height, const std::string& name) {
  return ScreenMatchesGolden(RECT{x, y, x + width, y + height}, name, static_cast<long>(width) * height / kPixelsPerMiss);
}

int InkWidth(const RECT& rc) {
  Display* d = userDisplay();
  XImage* image =
      XGetImage(d, DefaultRootWindow(d), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, AllPlanes, ZPixmap);
  if (!image) return 0;
  int left = -1, right = -1;
  for (int x = 0; x < image->width; ++x)
    for (int y = 0; y < image->height; ++y) {
      const unsigned long p = XGetPixel(image, x, y) & 0xFFFFFF;
      if (((p >> 16) & 0xFF) < 0x90 && ((p >> 8) & 0xFF) < 0x90 && (p & 0xFF) < 0x90) {
        if (left < 0) left = x;
        right = x;
        break;
      }
    }
  XDestroyImage(image);
  return left < 0 ? 0 : right - left + 1;
}
