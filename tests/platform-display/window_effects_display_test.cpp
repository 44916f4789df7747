// What the layer gained for host windows: AnimateWindow stepped every
// 10 ms (slides and the centre effect through the window's shape, blends
// through its opacity), icons as _NET_WM_ICON, and the maximised position
// read relative to the monitor.
#include "display_helper.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <cairo.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"

namespace {

constexpr int kX = 300, kY = 200, kW = 160, kH = 100;

// Samples, from its own X connection, the bounding shape's extent and the
// opacity property of a window while the test's thread is blocked.
class Sampler {
 public:
  explicit Sampler(::Window xid) : xid_(xid) {
    thread_ = std::thread([this] {
      Display* d = XOpenDisplay(nullptr);
      const Atom opacity = XInternAtom(d, "_NET_WM_WINDOW_OPACITY", False);
      while (!stop_) {
        int count = 0, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(d, xid_, ShapeBounding, &count, &ordering);
        RECT box{0, 0, 0, 0};
        for (int i = 0; i < count; ++i) {
          const RECT r{rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height};
          if (i == 0) box = r;
          else UnionRect(&box, &box, &r);
        }
        if (rects) XFree(rects);
        long alpha = -1;
        Atom type = 0;
        int format = 0;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, xid_, opacity, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) ==
                Success &&
            data && n == 1)
          alpha = static_cast<long>(*reinterpret_cast<unsigned long*>(data) >> 24);
        if (data) XFree(data);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          shapes.push_back(box);
          alphas.push_back(alpha);
        }
        usleep(4000);
      }
      XCloseDisplay(d);
    });
  }
  ~Sampler() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<RECT> shapes;
  std::vector<long> alphas;

 private:
  ::Window xid_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::thread thread_;
};

class WindowEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    cls_.handler = [](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc)));
      cairo_set_source_rgb(cr, 0, 0.5, 1);
      cairo_paint(cr);
      cairo_destroy(cr);
      EndPaint(hwnd, &ps);
      return 0;
    };
    hwnd_ = CreateWindowExW(0, cls_.name(), L"effects", WS_POPUP, kX, kY, kW, kH, nullptr, nullptr, nullptr,
                            nullptr);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  // Runs AnimateWindow while sampling; the time it blocked.
  std::chrono::milliseconds Animate(Sampler& sampler, DWORD time, DWORD flags, BOOL* result) {
    const auto start = std::chrono::steady_clock::now();
    *result = AnimateWindow(hwnd_, time, flags);
    const auto took = std::chrono::steady_clock::now() - start;
    sampler.Stop();
    return std::chrono::duration_cast<std::chrono::milliseconds>(took);
  }
  RecordingClass cls_{L"EffectsWindow"};
  HWND hwnd_ = nullptr;
};

TEST_F(WindowEffects, AVerticalSlideShowsAGrowingTopPartWithThePlainShowsMessages) {
  cls_.clear();
  Sampler sampler(Win32XWindowOf(hwnd_));
  BOOL ok = FALSE;
  const auto took = Animate(sampler, 200, AW_SLIDE | AW_VER_POSITIVE, &ok);
  EXPECT_TRUE(ok);
  EXPECT_GE(took.count(), 190);  // twenty steps of 10 ms, blocking
  EXPECT_TRUE(IsWindowVisible(hwnd_));
  bool partial = false;
  for (const RECT& r : sampler.shapes) {
    const int h = r.bottom - r.top;
    if (h > 0 && h < kH) {
      partial = true;
      EXPECT_EQ(r.top, 0);         // growing downwards from the top
      EXPECT_EQ(r.right - r.left, kW);
    }
  }
  EXPECT_TRUE(partial) << sampler.shapes.size() << " samples";
  // Afterwards the whole window shows, with its picture.
  ASSERT_TRUE(waitViewable(hwnd_));
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + kW / 2, kY + kH - 2) == 0x0080FF; }));
  const std::vector<UINT> shown = cls_.messagesOf({WM_SHOWWINDOW, WM_WINDOWPOSCHANGED});
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), static_cast<UINT>(WM_SHOWWINDOW));
  // Showing a shown window does nothing.
  EXPECT_FALSE(AnimateWindow(hwnd_, 100, AW_SLIDE | AW_VER_POSITIVE));
}

TEST_F(WindowEffects, HorizontalSlidesAndTheCentreEffectHide) {
  ShowWindow(hwnd_, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  {
    Sampler sampler(Win32XWindowOf(hwnd_));
    BOOL ok = FALSE;
    Animate(sampler, 150, AW_SLIDE | AW_HOR_NEGATIVE | AW_HIDE, &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    bool partial = false;
    for (const RECT& r : sampler.shapes) {
      const int w = r.right - r.left;
      if (w > 0 && w < kW) {
        partial = true;
        EXPECT_EQ(r.left, 0);  // the right edge runs to the left
      }
    }
    EXPECT_TRUE(partial);
  }
  ShowWindow(hwnd_, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  Sampler sampler(Win32XWindowOf(hwnd_));
  BOOL ok = FALSE;
  Animate(sampler, 150, AW_CENTER | AW_HIDE, &ok);
  EXPECT_TRUE(ok);
  bool centred = false;
  for (const RECT& r : sampler.shapes) {
    const int w = r.right - r.left;
    if (w > 0 && w < kW - 20) {
      centred = true;
      EXPECT_NEAR((r.left + r.right) / 2, kW / 2, 2);
      EXPECT_NEAR((r.top + r.bottom) / 2, kH / 2, 2);
    }
  }
  EXPECT_TRUE(centred);
  // A later plain show is not cut to the last frame.
  ShowWindow(hwnd_, SW_SHOWNA);
  ASSERT_TRUE(waitViewable(hwnd_));
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + 2, kY + 2) == 0x0080FF; }));
}

TEST_F(WindowEffects, ABlendStepsTheOpacityUpAndLeavesNoneBehind) {
  Sampler sampler(Win32XWindowOf(hwnd_));
  BOOL ok = FALSE;
  Animate(sampler, 150, AW_BLEND, &ok);
  EXPECT_TRUE(ok);
  long last = -1;
  int rising = 0;
  for (long a : sampler.alphas) {
    if (a >= 0 && last >= 0 && a > last) ++rising;
    if (a >= 0) last = a;
  }
  EXPECT_GE(rising, 3);
  Sampler after(Win32XWindowOf(hwnd_));
  usleep(20000);
  after.Stop();
  ASSERT_FALSE(after.alphas.empty());
  EXPECT_EQ(after.alphas.back(), -1);  // fully opaque again: no property
}

TEST_F(WindowEffects, IconsBecomeTheWindowsNetWmIcon) {
  static const Win32IconSurfaceReader reader = [](HICON icon) { return static_cast<void*>(GdiSurfaceOfIcon(icon)); };
  Win32SetIconSurfaceReader(reader);
  std::vector<uint32_t> big(32 * 32, 0xFF204080u), small(16 * 16, 0x80800000u);  // premultiplied
  HICON bigIcon = GdiCreateIconFromPixels(32, 32, big.data(), 0, 0, true);
  HICON smallIcon = GdiCreateIconFromPixels(16, 16, small.data(), 0, 0, true);
  EXPECT_EQ(SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon)), 0);
  EXPECT_EQ(SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon)), 0);
  EXPECT_EQ(SendMessageW(hwnd_, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(bigIcon));
  Display* d = userDisplay();
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(d, Win32XWindowOf(hwnd_), XInternAtom(d, "_NET_WM_ICON", False), 0, 4096, False,
                               XA_CARDINAL, &type, &format, &count, &after, &data),
            Success);
  ASSERT_NE(data, nullptr);
  const auto* v = reinterpret_cast<const unsigned long*>(data);
  ASSERT_EQ(count, 2u + 32 * 32 + 2u + 16 * 16);
  EXPECT_EQ(v[0], 32u);
  EXPECT_EQ(v[1], 32u);
  EXPECT_EQ(v[2] & 0xFFFFFFFFu, 0xFF204080u);
  EXPECT_EQ(v[2 + 32 * 32], 16u);
  // Straight (not premultiplied) colour: half-transparent full red.
  EXPECT_EQ(v[4 + 32 * 32] & 0xFFFFFFFFu, 0x80FF0000u);
  XFree(data);
  DestroyIcon(bigIcon);
  DestroyIcon(smallIcon);
}

TEST_F(WindowEffects, TheMaximisedPositionIsReadRelativeToTheMonitor) {
  cls_.handler = [](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message != WM_GETMINMAXINFO) return std::nullopt;
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMaxPosition = POINT{-6, -6};  // a shadow border beyond the work area
    info->ptMaxSize = POINT{300, 200};
    return 0;
  };
  ShowWindow(hwnd_, SW_MAXIMIZE);
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_EQ(rc.left, mi.rcMonitor.left - 6);
  EXPECT_EQ(rc.top, mi.rcMonitor.top - 6);
  EXPECT_EQ(rc.right - rc.left, 300);
}

}  // namespace
