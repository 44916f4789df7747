// The framework's tool tip on a real X server, driven through its interface
// as a host drives it: the tip names what the mouse is over, mouse messages
// come through the filter, and the screen is read back.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros that gtest uses as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>

#include "OrielTestApp.h"
#include "core/CSimpleWnd.h"
#include "core/STipCtrl.h"

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Dispatches messages until `done` holds or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& done, long timeoutMs) {
  const auto start = Clock::now();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (MsSince(start) > timeoutMs) return false;
    Sleep(5);
  }
}

void PumpFor(long ms) {
  PumpUntil([] { return false; }, ms);
}

bool Visible(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

RECT RectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The colour of a screen pixel as 0xRRGGBB, through a connection of our own.
unsigned long ScreenPixel(int x, int y) {
  static Display* d = XOpenDisplay(nullptr);
  if (!d) return 0xFFFFFFFF;
  XSync(d, False);
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFF;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// How many pixels of the screen rectangle differ from `colour`.
int PixelsNotOf(const RECT& r, unsigned long colour) {
  static Display* d = XOpenDisplay(nullptr);
  if (!d || r.right <= r.left || r.bottom <= r.top) return -1;
  XSync(d, False);
  XImage* image = XGetImage(d, DefaultRootWindow(d), r.left, r.top, r.right - r.left, r.bottom - r.top,
                            AllPlanes, ZPixmap);
  if (!image) return -1;
  int count = 0;
  for (int y = 0; y < r.bottom - r.top; ++y)
    for (int x = 0; x < r.right - r.left; ++x) count += (XGetPixel(image, x, y) & 0xFFFFFF) != colour;
  XDestroyImage(image);
  return count;
}

unsigned long Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// A plain host window filled with white.
struct Host : CSimpleWnd {
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result, DWORD) override {
    if (msg != WM_PAINT) return FALSE;
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc{};
    GetClientRect(hwnd, &rc);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &rc, white);
    DeleteObject(white);
    EndPaint(hwnd, &ps);
    result = 0;
    return TRUE;
  }
};

class ToolTipDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_TRUE(Win32HasDisplay()) << "no X display";
    hostHwnd = host.Create(L"host", WS_POPUP | WS_VISIBLE, 0, 100, 100, 300, 200, nullptr, nullptr);
    ASSERT_NE(hostHwnd, nullptr);
    tip = new STipCtrl;
    ASSERT_TRUE(tip->CreateTipWindow());
    tipHwnd = tip->GetHwnd();
    PumpFor(100);
  }
  void TearDown() override {
    if (tipHwnd) DestroyWindow(tipHwnd);  // the tip deletes itself
    if (hostHwnd) DestroyWindow(hostHwnd);
    OrielAppTest::TearDown();
  }
  void Move(int x, int y) {
    MSG msg{hostHwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), 0, {}};
    EXPECT_FALSE(tip->PreFilter(&msg));
  }
  void Click(int x, int y) {
    MSG msg{hostHwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y), 0, {}};
    EXPECT_FALSE(tip->PreFilter(&msg));
  }
  // Moves onto the tip and waits until it shows; the time it took.
  long ShowAt(int x, int y) {
    const auto start = Clock::now();
    Move(x, y);
    if (!PumpUntil([&] { return Visible(tipHwnd); }, 3000)) return -1;
    return MsSince(start);
  }

  Host host;
  HWND hostHwnd = nullptr;
  STipCtrl* tip = nullptr;
  HWND tipHwnd = nullptr;
  const RECT whole{0, 0, 300, 200};
};

TEST_F(ToolTipDisplay, ShowsAfterTheDelayBelowThePointerAndPaintsFrameAndBackground) {
  tip->UpdateTip(TipId{7, 0}, whole, L"Record", 100);
  const auto start = Clock::now();
  Move(50, 60);
  // Absent at 300 ms (timers never fire early, so this holds under load).
  PumpFor(300);
  if (MsSince(start) < 450) {
    EXPECT_FALSE(Visible(tipHwnd));
  }
  ASSERT_TRUE(PumpUntil([&] { return Visible(tipHwnd); }, 3000));
  const long shownAfter = MsSince(start);
  EXPECT_GE(shownAfter, 490);
  EXPECT_LE(shownAfter, 1500);
  const RECT r = RectOf(tipHwnd);
  EXPECT_EQ(r.left, 100 + 50);
  EXPECT_EQ(r.top, 100 + 60 + 24);
  EXPECT_GT(r.right - r.left, 10);
  EXPECT_GT(r.bottom - r.top, 10);

  const unsigned long infoBk = Rgb(GetSysColor(COLOR_INFOBK));
  ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(r.left + 2, r.top + 2) == infoBk; }, 3000))
      << std::hex << ScreenPixel(r.left + 2, r.top + 2) << " vs " << infoBk;
  EXPECT_EQ(ScreenPixel(r.left, r.top), 0u);
  EXPECT_EQ(ScreenPixel(r.right - 1, r.bottom - 1), 0u);
  EXPECT_EQ(ScreenPixel(r.left + (r.right - r.left) / 2, r.bottom - 1), 0u);
  EXPECT_EQ(ScreenPixel(r.right - 3, r.bottom - 3), infoBk);
  EXPECT_EQ(ScreenPixel(r.left - 1, r.top + 2), 0xFFFFFFu);  // the host around it
  // The text is drawn inside the 5-pixel margin, and only there.
  EXPECT_GT(PixelsNotOf(RECT{r.left + 5, r.top + 5, r.right - 5, r.bottom - 5}, infoBk), 10);
  EXPECT_EQ(PixelsNotOf(RECT{r.left + 1, r.top + 1, r.right - 1, r.top + 5}, infoBk), 0);
}

TEST_F(ToolTipDisplay, AClickHidesItAndTheSameTipStaysDismissed) {
  tip->UpdateTip(TipId{7, 0}, whole, L"Record", 100);
  ASSERT_GT(ShowAt(50, 60), 0);
  const RECT r = RectOf(tipHwnd);
  Click(50, 60);
  EXPECT_FALSE(Visible(tipHwnd));
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(r.left + 2, r.top + 2) == 0xFFFFFF; }, 3000));
  // Still over the same tip: it does not come back.
  tip->UpdateTip(TipId{7, 0}, whole, L"Record", 100);
  Move(52, 61);
  PumpFor(900);
  EXPECT_FALSE(Visible(tipHwnd));
  // Another tip arms it again.
  tip->UpdateTip(TipId{8, 0}, whole, L"Stop", 100);
  EXPECT_GT(ShowAt(53, 62), 0);
  // Leaving the tip's rectangle hides it too.
  Move(400, 10);
  EXPECT_FALSE(Visible(tipHwnd));
}

TEST_F(ToolTipDisplay, HidesAfterFiveSeconds) {
  tip->UpdateTip(TipId{7, 0}, whole, L"Record", 100);
  ASSERT_GT(ShowAt(50, 60), 0);
  const auto shown = Clock::now();
  ASSERT_TRUE(PumpUntil([&] { return !Visible(tipHwnd); }, 9000));
  const long after = MsSince(shown);
  EXPECT_GE(after, 4900);
  EXPECT_LE(after, 7500);
  // Dismissed: resting on it again shows nothing.
  tip->UpdateTip(TipId{7, 0}, whole, L"Record", 100);
  Move(50, 60);
  PumpFor(800);
  EXPECT_FALSE(Visible(tipHwnd));
}

TEST_F(ToolTipDisplay, BackslashNGivesTwoLinesAndScale150IsTaller) {
  tip->UpdateTip(TipId{1, 0}, whole, L"Record", 100);
  ASSERT_GT(ShowAt(10, 10), 0);
  const RECT one = RectOf(tipHwnd);
  tip->ClearTip();
  tip->UpdateTip(TipId{2, 0}, whole, L"Record\\nStop", 100);
  ASSERT_GT(ShowAt(10, 10), 0);
  const RECT two = RectOf(tipHwnd);
  const int line = (one.bottom - one.top) - 10;
  ASSERT_GT(line, 0);
  EXPECT_NEAR((two.bottom - two.top) - 10, 2 * line, 2);
  EXPECT_EQ(two.right - two.left, one.right - one.left);  // "Record" is the wider line

  tip->ClearTip();
  tip->UpdateTip(TipId{3, 0}, whole, L"Record", 150);
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(tip->GetFont(), sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -18);
  ASSERT_GT(ShowAt(10, 10), 0);
  const RECT big = RectOf(tipHwnd);
  EXPECT_GT((big.bottom - big.top) - 10, line);
  EXPECT_GT(big.right - big.left, one.right - one.left);
}

TEST_F(ToolTipDisplay, LongTextsWrapAt500PixelsAndStayOnTheMonitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hostHwnd, MONITOR_DEFAULTTONEAREST), &info));
  const RECT mon = info.rcMonitor;
  // The host near the bottom-right corner of the screen.
  SetWindowPos(hostHwnd, nullptr, mon.right - 300, mon.bottom - 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"recording ";
  tip->UpdateTip(TipId{1, 0}, whole, text.c_str(), 100);
  ASSERT_GT(ShowAt(280, 190), 0);
  const RECT r = RectOf(tipHwnd);
  EXPECT_LE(r.right - r.left, 510);
  EXPECT_GT(r.right - r.left, 250);
  EXPECT_GT(r.bottom - r.top, 3 * 12);  // several lines
  EXPECT_EQ(r.right, mon.right);        // moved left by the excess
  EXPECT_EQ(r.bottom, mon.bottom);      // and up
}

}  // namespace
