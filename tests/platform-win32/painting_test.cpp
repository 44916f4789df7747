// Painting without a display: invalid areas, BeginPaint/EndPaint and the
// backing surface a window's DC draws into.
#include <cairo.h>

#include <atomic>
#include <thread>

#include "recording_window.h"

namespace {

uint32_t pixel(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                      y * cairo_image_surface_get_stride(surface));
  return row[x];
}

class Painting : public RecordingWindowTest {
 protected:
  // A WM_PAINT handler filling each listed window with its own colour.
  void paintSolid(std::vector<std::pair<HWND, uint32_t>> colours) {
    g_handler = [colours](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(h, &ps);
      for (const auto& [hwnd, colour] : colours) {
        if (hwnd != h) continue;
        cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
        cairo_set_source_rgb(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                             (colour & 0xFF) / 255.0);
        cairo_paint(cr);
        cairo_destroy(cr);
      }
      EndPaint(h, &ps);
      return 0;
    };
  }
  static void dispatchAll() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  static uint32_t backingPixel(HWND top, int x, int y) {
    HDC hdc = GetDC(top);
    const uint32_t value = pixel(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)), x, y);
    ReleaseDC(top, hdc);
    return value;
  }
};

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

// fErase is TRUE only when an erase was due and WM_ERASEBKGND left it
// undone.
TEST_F(Painting, BeginPaintReportsEraseOnlyWhenOneWasPending) {
  struct Case {
    BOOL invalidateErase;
    LRESULT eraseAnswer;
    BOOL expected;
  };
  const Case cases[] = {{FALSE, 1, FALSE}, {FALSE, 0, FALSE}, {TRUE, 1, FALSE}, {TRUE, 0, TRUE}};
  HWND hwnd = create();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "erase " << c.invalidateErase << ", answer " << c.eraseAnswer);
    ValidateRect(hwnd, nullptr);
    BOOL reported = -1;
    g_handler = [&](HWND h, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == WM_ERASEBKGND) return c.eraseAnswer;
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      reported = ps.fErase;
      EndPaint(h, &ps);
      return 0;
    };
    InvalidateRect(hwnd, nullptr, c.invalidateErase);
    UpdateWindow(hwnd);
    EXPECT_EQ(reported, c.expected);
  }
}

// A null window invalidates every top-level window of the calling thread
// (a rectangle then is in screen coordinates), and no other thread's.
TEST_F(Painting, InvalidatingNoWindowInvalidatesTheThreadsTopLevelWindows) {
  HWND first = create();
  HWND second = create();
  MoveWindow(second, 300, 0, 100, 50, FALSE);
  HWND child = create(L"", WS_CHILD | WS_VISIBLE, first);
  std::atomic<HWND> foreign{nullptr};
  std::atomic<bool> done{false};
  std::thread other([&] {
    HWND own = CreateWindowExW(0, className_.c_str(), L"", WS_POPUP, 0, 0, 100, 50, nullptr,
                               nullptr, nullptr, nullptr);
    ValidateRect(own, nullptr);
    foreign = own;
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    DestroyWindow(own);
  });
  while (!foreign) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  for (HWND h : {first, second, child}) ValidateRect(h, nullptr);

  EXPECT_TRUE(InvalidateRect(nullptr, nullptr, FALSE));
  EXPECT_TRUE(Win32NeedsPaint(first));
  EXPECT_TRUE(Win32NeedsPaint(second));
  EXPECT_TRUE(Win32NeedsPaint(child)) << "children go with their parent";
  EXPECT_FALSE(Win32NeedsPaint(foreign)) << "another thread's window";

  for (HWND h : {first, second, child}) ValidateRect(h, nullptr);
  const RECT overSecond{310, 10, 320, 20};
  EXPECT_TRUE(InvalidateRect(nullptr, &overSecond, FALSE));
  EXPECT_FALSE(Win32NeedsPaint(first));
  EXPECT_TRUE(Win32NeedsPaint(second));
  RECT area{};
  GetUpdateRect(second, &area, FALSE);
  EXPECT_EQ(area.left, 10);
  EXPECT_EQ(area.right, 20);
  done = true;
  other.join();
}

// Real child windows: invalidating the parent invalidates the children it
// covers, and the parent's paint never shows over a visible child.
TEST_F(Painting, ParentsAreClippedToTheirVisibleChildrenWhichRepaintWithThem) {
  HWND parent = create();
  HWND child = create(L"", WS_CHILD | WS_VISIBLE, parent);
  MoveWindow(child, 20, 10, 30, 20, FALSE);
  paintSolid({{parent, 0x0000FF}, {child, 0xFF0000}});
  InvalidateRect(parent, nullptr, TRUE);
  dispatchAll();
  EXPECT_EQ(backingPixel(parent, 25, 15), 0xFFFF0000u);
  EXPECT_EQ(backingPixel(parent, 5, 5), 0xFF0000FFu);

  // The parent alone repaints (the child is not invalid): the child's
  // pixels stay.
  paintSolid({{parent, 0x00FF00}, {child, 0xFF0000}});
  ValidateRect(child, nullptr);
  const RECT left{0, 0, 10, 50};
  InvalidateRect(parent, &left, TRUE);
  EXPECT_FALSE(Win32NeedsPaint(child)) << "the area does not reach the child";
  ValidateRect(parent, nullptr);
  InvalidateRect(parent, nullptr, TRUE);
  EXPECT_TRUE(Win32NeedsPaint(child));
  RECT childArea{};
  GetUpdateRect(child, &childArea, FALSE);
  EXPECT_EQ(childArea.right, 30);
  EXPECT_EQ(childArea.bottom, 20);
  ValidateRect(child, nullptr);
  UpdateWindow(parent);
  EXPECT_EQ(backingPixel(parent, 25, 15), 0xFFFF0000u) << "the parent painted over its child";
  EXPECT_EQ(backingPixel(parent, 5, 5), 0xFF00FF00u);
  // Drawing through GetDC is clipped the same way.
  HDC hdc = GetDC(parent);
  cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  ReleaseDC(parent, hdc);
  EXPECT_EQ(backingPixel(parent, 25, 15), 0xFFFF0000u);
  EXPECT_EQ(backingPixel(parent, 5, 5), 0xFFFFFFFFu);

  // A hidden child takes no part: the parent paints its area.
  ShowWindow(child, SW_HIDE);
  dispatchAll();
  EXPECT_FALSE(Win32NeedsPaint(child));
  InvalidateRect(parent, nullptr, FALSE);
  EXPECT_FALSE(Win32NeedsPaint(child));
  dispatchAll();
  EXPECT_EQ(backingPixel(parent, 25, 15), 0xFF00FF00u);
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
