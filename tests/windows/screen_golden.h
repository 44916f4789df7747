// A window's pixels on the screen against a golden PNG under
// tests/data/golden: they match when at most `allowed` pixels differ by
// more than 16 in a channel. QUORVALE_WRITE_GOLDEN=1 writes the golden
// instead; a mismatch writes the shot to golden-out for a look.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "../platform-display/display_helper.h"
#include <X11/Xutil.h>

inline cairo_surface_t* ScreenSurface(const RECT& rc) {
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  Display* d = userDisplay();
  XImage* image = XGetImage(d, DefaultRootWindow(d), rc.left, rc.top, w, h, AllPlanes, ZPixmap);
  if (!image) return s;
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFF);
  }
  cairo_surface_mark_dirty(s);
  XDestroyImage(image);
  return s;
}

inline ::testing::AssertionResult ScreenMatchesGolden(const RECT& rc, const std::string& name, long allowed) {
  const std::string golden = std::string(QUORVALE_GOLDEN_DIR) + "/" + name + ".png";
  cairo_surface_t* shot = ScreenSurface(rc);
  const char* write = getenv("QUORVALE_WRITE_GOLDEN");
  if (write && strcmp(write, "1") == 0) {
    cairo_surface_write_to_png(shot, golden.c_str());
    cairo_surface_destroy(shot);
    return ::testing::AssertionSuccess();
  }
  cairo_surface_t* ref = cairo_image_surface_create_from_png(golden.c_str());
  auto fail = [&](const std::string& why) {
    mkdir(QUORVALE_GOLDEN_OUT, 0755);
    cairo_surface_write_to_png(shot, (std::string(QUORVALE_GOLDEN_OUT) + "/" + name + ".png").c_str());
    cairo_surface_destroy(shot);
    cairo_surface_destroy(ref);
    return ::testing::AssertionFailure() << name << ": " << why;
  };
  if (cairo_surface_status(ref) != CAIRO_STATUS_SUCCESS) return fail("no golden image " + golden);
  const int w = cairo_image_surface_get_width(shot), h = cairo_image_surface_get_height(shot);
  if (cairo_image_surface_get_width(ref) != w || cairo_image_surface_get_height(ref) != h)
    return fail("size differs");
  long bad = 0;
  for (int y = 0; y < h; ++y) {
    auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(shot) +
                                                static_cast<size_t>(y) * cairo_image_surface_get_stride(shot));
    auto* b = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(ref) +
                                                static_cast<size_t>(y) * cairo_image_surface_get_stride(ref));
    for (int x = 0; x < w; ++x) {
      int diff = 0;
      for (int c = 0; c < 24; c += 8)
        diff = std::max(diff, std::abs(static_cast<int>((a[x] >> c) & 0xFF) - static_cast<int>((b[x] >> c) & 0xFF)));
      if (diff > 16) ++bad;
    }
  }
  if (bad > allowed) return fail(std::to_string(bad) + " pixels differ");
  cairo_surface_destroy(shot);
  cairo_surface_destroy(ref);
  return ::testing::AssertionSuccess();
}

// The width of the dark ink (any channel below 0x90) in a screen
// rectangle: from the leftmost to the rightmost dark column.
inline int InkWidth(const RECT& rc) {
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
