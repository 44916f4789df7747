// Painting without a display: invalid areas, BeginPaint/EndPaint and the
// backing surface a window's DC draws into.
#include <cairo.h>

#include "recording_window.h"

namespace {

uint32_t pixel(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                      y * cairo_image_surface_get_stride(surface));
  return row[x];
}

class Painting : public RecordingWindowTest {};

TEST_F(Painting, InvalidAreasUniteIntoThePaintRectangle) {
  HWND hwnd = create();
  ValidateRect(hwnd, nullptr);
  const RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, FALSE);
  RECT painted{};
  g_handler = [&](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    painted = ps.rcPaint;
    EndPaint(h, &ps);
    return 0;
  };
  EXPECT_TRUE(UpdateWindow(hwnd));
  EXPECT_EQ(painted.left, 10);
  EXPECT_EQ(painted.top, 5);
  EXPECT_EQ(painted.right, 40);
  EXPECT_EQ(painted.bottom, 20);
  EXPECT_FALSE(Win32NeedsPaint(hwnd));
  // Areas outside the client area are clipped away; nothing left to paint.
  const RECT outside{500, 500, 600, 600};
  InvalidateRect(hwnd, &outside, FALSE);
  EXPECT_FALSE(Win32NeedsPaint(hwnd));
}

TEST_F(Painting, EraseComesInsideBeginPaintOnlyWhenAsked) {
  HWND hwnd = create();
  ValidateRect(hwnd, nullptr);
  takeLog();
  BOOL erased = TRUE;
  g_handler = [&](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_ERASEBKGND) return 1;
    if (message != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    erased = ps.fErase;
    EndPaint(h, &ps);
    return 0;
  };
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  EXPECT_EQ(only(takeLog(), {WM_ERASEBKGND}).size(), 0u);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  EXPECT_EQ(only(takeLog(), {WM_ERASEBKGND}).size(), 1u);
  EXPECT_FALSE(erased);  // the handler erased it
}

TEST_F(Painting, ChildPaintsIntoItsPartOfTheTopLevelSurface) {
  HWND parent = create();
  HWND child = create(L"", WS_CHILD | WS_VISIBLE, parent);
  MoveWindow(child, 20, 10, 30, 20, FALSE);
  g_handler = [&](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT || h != child) return std::nullopt;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(h, &ps);
    auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc));
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 5, 5);
    cairo_fill(cr);
    cairo_destroy(cr);
    EndPaint(h, &ps);
    return 0;
  };
  InvalidateRect(child, nullptr, FALSE);
  UpdateWindow(child);
  HDC whole = GetDC(parent);
  auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(whole));
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(pixel(surface, 20, 10), 0xFFFF0000u);
  EXPECT_EQ(pixel(surface, 24, 14), 0xFFFF0000u);
  EXPECT_EQ(pixel(surface, 25, 10), 0u);
  EXPECT_EQ(pixel(surface, 19, 10), 0u);
  EXPECT_EQ(WindowFromDC(whole), parent);
  EXPECT_EQ(ReleaseDC(parent, whole), 1);
  EXPECT_EQ(Win32SurfaceOfDC(whole), nullptr);
}

TEST_F(Painting, ResizingKeepsWhatWasDrawnAndRepaints) {
  HWND hwnd = create();
  HDC hdc = GetDC(hwnd);
  cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  ReleaseDC(hwnd, hdc);
  ValidateRect(hwnd, nullptr);
  MoveWindow(hwnd, 0, 0, 200, 100, TRUE);
  EXPECT_TRUE(Win32NeedsPaint(hwnd));
  hdc = GetDC(hwnd);
  auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc));
  EXPECT_EQ(cairo_image_surface_get_width(surface), 200);
  EXPECT_EQ(pixel(surface, 10, 10), 0xFF0000FFu);
  EXPECT_EQ(pixel(surface, 150, 10), 0u);
  ReleaseDC(hwnd, hdc);
}

}  // namespace
