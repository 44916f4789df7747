// Layered windows on a server without a compositor (plain Xvfb): a
// translucent round shape is cut out by a shape mask, so the corners show
// what lies beneath instead of black, and the inside keeps its colour.
#include "display_helper.h"

#include <cairo.h>

namespace {

constexpr int kX = 400, kY = 300, kSize = 160;

class LayeredWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    // A white window underneath, so "not black" means "what is beneath".
    under_ = CreateWindowExW(0, cls_.name(), L"beneath", WS_POPUP, kX - 20, kY - 20, kSize + 40,
                             kSize + 40, nullptr, nullptr, nullptr, nullptr);
    cls_.handler = [this](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT || hwnd != under_) return std::nullopt;
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc));
      cairo_t* cr = cairo_create(surface);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
      cairo_destroy(cr);
      EndPaint(hwnd, &ps);
      return 0;
    };
    ShowWindow(under_, SW_SHOWNA);
    ASSERT_TRUE(waitViewable(under_));
    ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX, kY) == 0xFFFFFF; }));
  }
  void TearDown() override {
    if (IsWindow(under_)) DestroyWindow(under_);
  }

  // A disc of translucent blue (alpha 160) filling the window.
  static cairo_surface_t* roundShape() {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(image);
    cairo_arc(cr, kSize / 2.0, kSize / 2.0, kSize / 2.0 - 1, 0, 6.2832);
    cairo_set_source_rgba(cr, 0, 0, 1, 160 / 255.0);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image);
    return image;
  }

  RecordingClass cls_{L"LayeredTest"};
  HWND under_ = nullptr;
};

TEST_F(LayeredWindow, RoundTranslucentShapeHasNoBlackCorners) {
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls_.name(), L"round", WS_POPUP, kX,
                              kY, kSize, kSize, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  cairo_surface_t* image = roundShape();
  HDC source = Win32CreateSurfaceDC(image);
  POINT at{kX, kY};
  SIZE size{kSize, kSize};
  POINT origin{0, 0};
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, &at, &size, source, &origin, 0, nullptr, ULW_ALPHA));
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(hwnd));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + kSize / 2, kY + kSize / 2) == 0x0000FF; }));
  // Corners: the white window beneath, never black.
  const POINT corners[] = {{kX + 2, kY + 2}, {kX + kSize - 3, kY + 2}, {kX + 2, kY + kSize - 3},
                           {kX + kSize - 3, kY + kSize - 3}};
  for (const POINT& p : corners) EXPECT_EQ(screenPixel(p.x, p.y), 0xFFFFFFUL) << p.x << "," << p.y;
  // Just inside the rim the disc's own colour, not a darkened one.
  EXPECT_EQ(screenPixel(kX + kSize / 2, kY + 4), 0x0000FFUL);
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);
}

TEST_F(LayeredWindow, DirtyRectangleUpdatesOnlyItsPart) {
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED, cls_.name(), L"parts", WS_POPUP, kX, kY, kSize, kSize,
                              nullptr, nullptr, nullptr, nullptr);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
  cairo_t* cr = cairo_create(image);
  cairo_set_source_rgb(cr, 0, 1, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  HDC source = Win32CreateSurfaceDC(image);
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof info;
  info.hdcSrc = source;
  info.dwFlags = ULW_ALPHA;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(hwnd, &info));
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(hwnd));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 10, kY + 10) == 0x00FF00; }));
  // Red everywhere in the source, but only the left half is dirty.
  cr = cairo_create(image);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  const RECT dirty{0, 0, kSize / 2, kSize};
  info.prcDirty = &dirty;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(hwnd, &info));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 10, kY + 10) == 0xFF0000; }));
  EXPECT_EQ(screenPixel(kX + kSize - 10, kY + 10), 0x00FF00UL);
  // A window that is not layered is refused.
  EXPECT_FALSE(UpdateLayeredWindowIndirect(under_, &info));
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);
}

}  // namespace
