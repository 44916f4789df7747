// Layered windows on a server without a compositor (plain Xvfb): a
// translucent round shape is cut out by a shape mask, so the corners show
// what lies beneath instead of black, and the inside keeps its colour.
#include "display_helper.h"

#include <cstdlib>

#include <cairo.h>

#include "gdi/gdi.h"

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

  static cairo_surface_t* solid(double r, double g, double b, double a = 1) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(image);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, r, g, b, a);
    cairo_paint(cr);
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

// A pixel within one step per channel of `colour` faded by `alpha` over white.
bool fadedOverWhite(unsigned long pixel, unsigned long colour, int alpha) {
  for (int shift : {0, 8, 16}) {
    const int c = static_cast<int>((colour >> shift) & 0xFF);
    const int expected = (c * alpha + 255 * (255 - alpha) + 127) / 255;
    if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - expected) > 1) return false;
  }
  return true;
}

// Without a compositor a faded window (constant alpha) is blended over
// what was beneath it, here the white window, and keeps the shape of its
// pixels' own alpha, whether it is fed by UpdateLayeredWindow or painted.
TEST_F(LayeredWindow, FadedWindowKeepsTheShapeOfItsPixels) {
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls_.name(), L"faded", WS_POPUP,
                              kX, kY, kSize, kSize, nullptr, nullptr, nullptr, nullptr);
  cairo_surface_t* image = roundShape();
  HDC source = Win32CreateSurfaceDC(image);
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 100, AC_SRC_ALPHA};
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, nullptr, source, &origin, 0, &blend,
                                  ULW_ALPHA));
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(hwnd));
  EXPECT_TRUE(pumpUntil([&] { return fadedOverWhite(screenPixel(kX + kSize / 2, kY + kSize / 2), 0x0000FF, 100); }))
      << "the faded disc: " << std::hex << screenPixel(kX + kSize / 2, kY + kSize / 2);
  EXPECT_EQ(screenPixel(kX + 2, kY + 2), 0xFFFFFFUL) << "its corners are still cut away";
  // Fading further fades its pixels, not its shape.
  blend.SourceConstantAlpha = 20;
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, nullptr, source, &origin, 0, &blend,
                                  ULW_ALPHA));
  EXPECT_TRUE(pumpUntil([&] { return fadedOverWhite(screenPixel(kX + kSize / 2, kY + kSize / 2), 0x0000FF, 20); }))
      << std::hex << screenPixel(kX + kSize / 2, kY + kSize / 2);
  EXPECT_EQ(screenPixel(kX + 2, kY + 2), 0xFFFFFFUL);
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);

  // Painted through WM_PAINT, with the constant alpha of its attributes.
  HWND painted = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls_.name(), L"painted",
                                 WS_POPUP, kX, kY, kSize, kSize, nullptr, nullptr, nullptr, nullptr);
  cls_.handler = [this, painted](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT || h == under_) return std::nullopt;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(h, &ps);
    cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    EndPaint(h, &ps);
    return 0;
  };
  ASSERT_TRUE(SetLayeredWindowAttributes(painted, 0, 60, LWA_ALPHA));
  ShowWindow(painted, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(painted));
  EXPECT_TRUE(pumpUntil([&] { return fadedOverWhite(screenPixel(kX + 10, kY + 10), 0xFF0000, 60); }))
      << "the faded window: " << std::hex << screenPixel(kX + 10, kY + 10);
  DestroyWindow(painted);
}

// Only the dirty rectangle reaches the screen, and the shape changes only
// there: a painted window shows its update area alone, and an update that
// clears part of an image cuts exactly that part away.
TEST_F(LayeredWindow, OnlyTheDirtyRectangleIsPresentedAndReshaped) {
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls_.name(), L"dirty", WS_POPUP,
                              kX, kY, kSize, kSize, nullptr, nullptr, nullptr, nullptr);
  double red = 0, green = 1;
  cls_.handler = [&, hwnd](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT || h != hwnd) return std::nullopt;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(h, &ps);
    // The whole backing, whatever the update area.
    cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
    cairo_set_source_rgb(cr, red, green, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    EndPaint(h, &ps);
    return 0;
  };
  ASSERT_TRUE(SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA));
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(hwnd));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 10, kY + 10) == 0x00FF00; }));
  red = 1;
  green = 0;
  const RECT part{0, 0, 40, 30};
  InvalidateRect(hwnd, &part, FALSE);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 10, kY + 10) == 0xFF0000; }));
  pumpFor(100);
  EXPECT_EQ(screenPixel(kX + 60, kY + 60), 0x00FF00UL) << "outside the update area";
  EXPECT_EQ(screenPixel(kX + 45, kY + 10), 0x00FF00UL);
  DestroyWindow(hwnd);

  HWND fed = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls_.name(), L"fed", WS_POPUP, kX,
                             kY, kSize, kSize, nullptr, nullptr, nullptr, nullptr);
  cairo_surface_t* opaque = solid(0, 0, 1);
  HDC source = Win32CreateSurfaceDC(opaque);
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof info;
  info.hdcSrc = source;
  info.dwFlags = ULW_ALPHA;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(fed, &info));
  ShowWindow(fed, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(fed));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 80, kY + 80) == 0x0000FF; }));
  // A clear square inside the dirty rectangle: cut away there only.
  cairo_t* cr = cairo_create(opaque);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cr, 20, 20, 30, 30);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(opaque);
  const RECT dirty{10, 10, 60, 60};
  info.prcDirty = &dirty;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(fed, &info));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 30, kY + 30) == 0xFFFFFF; }));
  EXPECT_EQ(screenPixel(kX + 15, kY + 15), 0x0000FFUL) << "dirty but still opaque";
  EXPECT_EQ(screenPixel(kX + 80, kY + 80), 0x0000FFUL) << "outside the dirty rectangle";
  EXPECT_EQ(screenPixel(kX + 5, kY + 30), 0x0000FFUL);
  // Filled again: the hole closes.
  cr = cairo_create(opaque);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(opaque);
  ASSERT_TRUE(UpdateLayeredWindowIndirect(fed, &info));
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + 30, kY + 30) == 0x0000FF; }));
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(opaque);
  DestroyWindow(fed);
}

// A source without per-pixel alpha, shown whole with a colour key: the key
// colour is cut away, not shown as black.
TEST_F(LayeredWindow, ColourKeyCutsASourceWithoutPerPixelAlpha) {
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls_.name(), L"keyed", WS_POPUP,
                              kX, kY, kSize, kSize, nullptr, nullptr, nullptr, nullptr);
  cairo_surface_t* image = solid(0, 0, 1);
  cairo_t* cr = cairo_create(image);
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_rectangle(cr, 20, 20, 40, 40);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(image);
  HDC source = Win32CreateSurfaceDC(image);
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, nullptr, source, &origin,
                                  RGB(255, 0, 255), &blend, ULW_ALPHA | ULW_COLORKEY));
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(waitViewable(hwnd));
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 80, kY + 80) == 0x0000FF; }));
  EXPECT_EQ(screenPixel(kX + 40, kY + 40), 0xFFFFFFUL) << "the key colour is cut away";
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);
}

}  // namespace
