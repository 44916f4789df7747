// Layered windows under a compositing manager: the window gets a 32-bit
// ARGB visual and its translucent pixels blend with what lies beneath.
#include "display_helper.h"

#include <cairo.h>

#include "gdi/gdi.h"
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kX = 300, kY = 250, kSize = 120;

class Compositor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    char program[] = "xcompmgr";
    char* argv[] = {program, nullptr};
    ASSERT_EQ(posix_spawnp(&compositor_, "xcompmgr", nullptr, nullptr, argv, environ), 0);
    Display* d = userDisplay();
    char name[32];
    std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(d));
    const Atom selection = XInternAtom(d, name, False);
    ASSERT_TRUE(pumpUntil([&] { return XGetSelectionOwner(d, selection) != 0; }));
  }
  void TearDown() override {
    if (compositor_ > 0) {
      kill(compositor_, SIGTERM);
      waitpid(compositor_, nullptr, 0);
    }
  }
  pid_t compositor_ = 0;
  RecordingClass cls_{L"CompositedLayered"};
};

TEST_F(Compositor, TranslucentPixelsBlendWithWhatIsBeneath) {
  HWND under = CreateWindowExW(0, cls_.name(), L"beneath", WS_POPUP, kX - 20, kY - 20, kSize + 40,
                               kSize + 40, nullptr, nullptr, nullptr, nullptr);
  cls_.handler = [under](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT || hwnd != under) return std::nullopt;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    EndPaint(hwnd, &ps);
    return 0;
  };
  ShowWindow(under, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(under));

  HWND hwnd = CreateWindowExW(WS_EX_LAYERED, cls_.name(), L"glass", WS_POPUP, kX, kY, kSize, kSize,
                              nullptr, nullptr, nullptr, nullptr);
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(userDisplay(), Win32XWindowOf(hwnd), &attributes));
  EXPECT_EQ(attributes.depth, 32);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
  cairo_t* cr = cairo_create(image);
  cairo_set_source_rgba(cr, 0, 0, 1, 0.5);
  cairo_paint(cr);
  cairo_destroy(cr);
  HDC source = Win32CreateSurfaceDC(image);
  POINT origin{0, 0};
  SIZE size{kSize, kSize};
  ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, &size, source, &origin, 0, nullptr, ULW_ALPHA));
  ShowWindow(hwnd, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd));
  // Half blue over white: about (127, 127, 255).
  unsigned long pixel = 0;
  const bool blended = pumpUntil([&] {
    pixel = screenPixel(kX + kSize / 2, kY + kSize / 2);
    const int r = static_cast<int>((pixel >> 16) & 0xFF), b = static_cast<int>(pixel & 0xFF);
    return r > 100 && r < 160 && b == 255;
  });
  EXPECT_TRUE(blended) << std::hex << pixel;
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);
  DestroyWindow(under);
}

// The constant alpha of an update fades the whole window, and an update
// limited to a dirty rectangle changes only that part.
TEST_F(Compositor, ConstantAlphaFadesAndDirtyUpdatesStayInTheirRectangle) {
  HWND under = CreateWindowExW(0, cls_.name(), L"beneath", WS_POPUP, kX - 20, kY - 20, kSize + 40,
                               kSize + 40, nullptr, nullptr, nullptr, nullptr);
  cls_.handler = [under](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT || hwnd != under) return std::nullopt;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    EndPaint(hwnd, &ps);
    return 0;
  };
  ShowWindow(under, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(under));
  HWND hwnd = CreateWindowExW(WS_EX_LAYERED, cls_.name(), L"fading", WS_POPUP, kX, kY, kSize,
                              kSize, nullptr, nullptr, nullptr, nullptr);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
  cairo_t* cr = cairo_create(image);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  HDC source = Win32CreateSurfaceDC(image);
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof info;
  info.hdcSrc = source;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
  info.pblend = &blend;
  info.dwFlags = ULW_ALPHA;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(hwnd, &info));
  ShowWindow(hwnd, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd));
  auto halfBlue = [](unsigned long pixel) {
    const int r = static_cast<int>((pixel >> 16) & 0xFF), b = static_cast<int>(pixel & 0xFF);
    return r > 100 && r < 160 && b == 255;
  };
  unsigned long pixel = 0;
  EXPECT_TRUE(pumpUntil([&] { return halfBlue(pixel = screenPixel(kX + 10, kY + 10)); }))
      << std::hex << pixel;
  // Opaque again, red in the source, but only the left half is dirty.
  blend.SourceConstantAlpha = 255;
  cr = cairo_create(image);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  const RECT dirty{0, 0, kSize / 2, kSize};
  info.prcDirty = &dirty;
  ASSERT_TRUE(UpdateLayeredWindowIndirect(hwnd, &info));
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + 10, kY + 10) == 0xFF0000; }));
  EXPECT_EQ(screenPixel(kX + kSize - 10, kY + 10), 0x0000FFUL)
      << "outside the dirty rectangle: the blue image, now opaque";
  Win32DeleteSurfaceDC(source);
  cairo_surface_destroy(image);
  DestroyWindow(hwnd);
  DestroyWindow(under);
}

}  // namespace
