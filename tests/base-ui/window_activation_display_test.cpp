// Showing, activating and hiding top-level windows on a real X server:
// what the server reports (mapped, input focus, stacking order) after each
// helper, for windows of this process and of a second one.
#include "display_helper.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xatom.h>

#include "base/WindowActivation.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool viewable(::Window xid) {
  XWindowAttributes attributes{};
  XSync(userDisplay(), False);
  return XGetWindowAttributes(userDisplay(), xid, &attributes) && attributes.map_state == IsViewable;
}

::Window focusWindow() {
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(userDisplay(), &focus, &revert);
  return focus;
}

// The position of a top-level X window among the root's children, bottom
// first; -1 when it is not one of them.
int stackIndex(::Window xid) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XSync(userDisplay(), False);
  XQueryTree(userDisplay(), DefaultRootWindow(userDisplay()), &root, &parent, &children, &count);
  int index = -1;
  for (unsigned i = 0; i < count; ++i) {
    if (children[i] == xid) index = static_cast<int>(i);
  }
  if (children) XFree(children);
  return index;
}

// The server's time now, read back from a property change on a window of
// the test's own connection.
Time serverTimeNow(::Window own) {
  Display* d = userDisplay();
  const Atom stamp = XInternAtom(d, "_ACTIVATION_TEST_STAMP", False);
  unsigned char nothing = 0;
  XChangeProperty(d, own, stamp, XA_CARDINAL, 32, PropModeAppend, &nothing, 0);
  XSync(d, False);
  XEvent event;
  while (XCheckTypedWindowEvent(d, own, PropertyNotify, &event)) {
    if (event.xproperty.atom == stamp) return event.xproperty.time;
  }
  return 0;
}

class WindowActivationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display"; }
  void TearDown() override {
    for (HWND hwnd : windows_) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    pumpFor(50);
  }
  // A shown window of our own, made the foreground window.
  HWND shownWindow(const wchar_t* title, int x, int y) {
    HWND hwnd = CreateWindowExW(0, cls_.name(), title, WS_POPUP | WS_MINIMIZEBOX, x, y, 200, 150,
                                nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(hwnd, nullptr);
    windows_.push_back(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    EXPECT_TRUE(waitViewable(hwnd));
    SetForegroundWindow(hwnd);
    EXPECT_TRUE(pumpUntil([&] { return focusWindow() == Win32XWindowOf(hwnd); }));
    return hwnd;
  }

  RecordingClass cls_{L"ActivationTestWindow"};
  std::vector<HWND> windows_;
};

TEST_F(WindowActivationTest, AMinimisedAndHiddenWindowComesBackShownActiveAndOnTop) {
  HWND target = shownWindow(L"target", 100, 100);
  const ::Window targetX = Win32XWindowOf(target);
  MinimizeAndHideWindow(target);
  EXPECT_FALSE(IsWindowVisible(target));
  EXPECT_TRUE(IsIconic(target));
  ASSERT_TRUE(pumpUntil([&] { return !viewable(targetX); }));

  // Another window of ours covers its place and holds the focus.
  HWND other = shownWindow(L"other", 150, 130);
  const ::Window otherX = Win32XWindowOf(other);
  ASSERT_GT(stackIndex(otherX), stackIndex(targetX));

  EXPECT_TRUE(ShowAndActivateWindow(target));
  ASSERT_TRUE(pumpUntil([&] { return viewable(targetX); }));
  EXPECT_TRUE(pumpUntil([&] { return focusWindow() == targetX; })) << focusWindow();
  EXPECT_GT(stackIndex(targetX), stackIndex(otherX));
  EXPECT_TRUE(IsWindowVisible(target));
  EXPECT_FALSE(IsIconic(target));
  EXPECT_EQ(GetForegroundWindow(), target);
  EXPECT_EQ(GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT rect{};
  GetWindowRect(target, &rect);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.bottom - rect.top, 150);

  EXPECT_FALSE(ShowAndActivateWindow(nullptr));
}

TEST_F(WindowActivationTest, TheWindowManagerIsAskedWithTheServersCurrentTime) {
  Display* d = userDisplay();
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  const ::Window own = XCreateWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, CopyFromParent,
                                     InputOnly, CopyFromParent, CWEventMask, &attributes);
  // Activation requests go to the root window for a window manager; this
  // connection hears them as one would, without redirecting anything.
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  HWND target = shownWindow(L"asks", 90, 90);
  shownWindow(L"covers", 110, 110);
  const Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
  XEvent event;
  XSync(d, False);
  while (XCheckTypedEvent(d, ClientMessage, &event)) {
  }
  const Time before = serverTimeNow(own);
  ASSERT_NE(before, 0u);

  EXPECT_TRUE(ShowAndActivateWindow(target));
  std::vector<long> stamps;
  pumpUntil([&] {
    XSync(d, False);
    while (XCheckTypedEvent(d, ClientMessage, &event)) {
      if (event.xclient.message_type == active && event.xclient.window == Win32XWindowOf(target)) {
        EXPECT_EQ(event.xclient.data.l[0], 1);  // from an application
        stamps.push_back(event.xclient.data.l[1]);
      }
    }
    return !stamps.empty();
  });
  const Time after = serverTimeNow(own);
  XSelectInput(d, DefaultRootWindow(d), NoEventMask);
  XDestroyWindow(d, own);
  XSync(d, False);
  ASSERT_FALSE(stamps.empty());
  for (long stamp : stamps) {
    EXPECT_GE(static_cast<Time>(stamp), before);
    EXPECT_LE(static_cast<Time>(stamp), after);
  }
}

TEST_F(WindowActivationTest, ActivateWindowAfterActivatesAndStacksBelowTheGivenWindow) {
  HWND lowest = shownWindow(L"lowest", 60, 60);
  HWND middle = shownWindow(L"middle", 90, 90);
  HWND top = shownWindow(L"top", 120, 120);
  const ::Window lowestX = Win32XWindowOf(lowest);
  ASSERT_LT(stackIndex(lowestX), stackIndex(Win32XWindowOf(middle)));

  // Activated, then placed right below `top`: above `middle`, under `top`.
  EXPECT_TRUE(ActivateWindowAfter(lowest, top));
  EXPECT_TRUE(pumpUntil([&] { return focusWindow() == lowestX; }));
  EXPECT_EQ(GetForegroundWindow(), lowest);
  const int at = stackIndex(lowestX);
  EXPECT_GT(at, stackIndex(Win32XWindowOf(middle)));
  EXPECT_LT(at, stackIndex(Win32XWindowOf(top)));
}

TEST_F(WindowActivationTest, ActivateWindowRestoresAMinimisedWindow) {
  HWND target = shownWindow(L"minimised", 80, 80);
  shownWindow(L"focus holder", 300, 300);
  ShowWindow(target, SW_MINIMIZE);
  ASSERT_TRUE(pumpUntil([&] { return !viewable(Win32XWindowOf(target)); }));
  cls_.clear();

  EXPECT_TRUE(ActivateWindow(target));
  EXPECT_TRUE(pumpUntil([&] { return viewable(Win32XWindowOf(target)); }));
  EXPECT_TRUE(pumpUntil([&] { return focusWindow() == Win32XWindowOf(target); }));
  EXPECT_FALSE(IsIconic(target));
  bool restored = false;
  for (const Seen& s : cls_.take()) {
    if (s.hwnd == target && s.message == WM_SYSCOMMAND && s.wParam == SC_RESTORE) restored = true;
  }
  EXPECT_TRUE(restored);
}

TEST_F(WindowActivationTest, ForceForegroundWindowWaitsForTheForegroundOrItsStop) {
  HWND target = shownWindow(L"forced", 70, 70);
  HWND other = shownWindow(L"holder", 200, 200);
  ASSERT_EQ(GetForegroundWindow(), other);
  // Our own window becomes the foreground window at once.
  EXPECT_TRUE(ForceForegroundWindow(HWND_TOP, target, 0, nullptr));
  EXPECT_TRUE(pumpUntil([&] { return focusWindow() == Win32XWindowOf(target); }));
  EXPECT_TRUE(ForceForegroundWindow(HWND_TOP, other, 2000, nullptr));
  EXPECT_EQ(GetForegroundWindow(), other);

  // A window of another process never becomes this process's foreground
  // window: the wait ends at its time-out, or earlier by the stop byte.
  FILE* probe = popen((std::string(WINDOW_PROBE) + " 前台探针 0").c_str(), "r");
  ASSERT_NE(probe, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, probe), nullptr);
  HWND foreign = nullptr;
  ASSERT_TRUE(pumpUntil([&] { return (foreign = FindWindowW(L"ActivationProbe", L"前台探针")) != nullptr; }));
  auto start = Clock::now();
  EXPECT_FALSE(ForceForegroundWindow(HWND_TOP, foreign, 300, nullptr));
  EXPECT_GE(msSince(start), 300);
  volatile BYTE stop = 0;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop = 1;
  });
  start = Clock::now();
  EXPECT_FALSE(ForceForegroundWindow(HWND_TOP, foreign, 60000, &stop));
  stopper.join();
  EXPECT_GE(msSince(start), 200);
  EXPECT_LT(msSince(start), 30000);
  PostMessageW(foreign, WM_CLOSE, 0, 0);
  while (fgets(line, sizeof line, probe)) {
  }
  pclose(probe);
}

TEST_F(WindowActivationTest, WaitForWindowAndActivateFindsAWindowOfALaterProcess) {
  const ::Window ours = Win32XWindowOf(shownWindow(L"ours", 300, 60));
  ASSERT_EQ(FindWindowW(L"ActivationProbe", L"稍后出现的窗口"), nullptr);
  FILE* probe = popen((std::string(WINDOW_PROBE) + " 稍后出现的窗口 300").c_str(), "r");
  ASSERT_NE(probe, nullptr);
  const auto start = Clock::now();
  EXPECT_TRUE(WaitForWindowAndActivate(L"稍后出现的窗口", L"ActivationProbe", 10000));
  EXPECT_GE(msSince(start), 250);  // the window did not exist before

  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, probe), nullptr);
  unsigned long theirs = 0;
  ASSERT_EQ(std::sscanf(line, "xid %lu", &theirs), 1) << line;
  // The other process carries the activation out on its own window.
  ASSERT_NE(fgets(line, sizeof line, probe), nullptr);
  EXPECT_STREQ(line, "active\n");
  EXPECT_TRUE(pumpUntil([&] { return focusWindow() == theirs; })) << focusWindow();
  EXPECT_NE(focusWindow(), ours);
  EXPECT_TRUE(viewable(theirs));

  PostMessageW(FindWindowW(L"ActivationProbe", L"稍后出现的窗口"), WM_CLOSE, 0, 0);
  while (fgets(line, sizeof line, probe)) {
  }
  pclose(probe);
}

TEST_F(WindowActivationTest, WaitForWindowAndActivateGivesUpAfterItsTimeout) {
  const ::Window ours = Win32XWindowOf(shownWindow(L"still ours", 300, 60));
  const auto start = Clock::now();
  EXPECT_FALSE(WaitForWindowAndActivate(L"no such window", L"NoSuchClass", 400));
  EXPECT_GE(msSince(start), 400);
  EXPECT_LT(msSince(start), 30000);
  EXPECT_EQ(focusWindow(), ours);
  // A time-out of 0 looks once.
  EXPECT_FALSE(WaitForWindowAndActivate(L"no such window", L"NoSuchClass", 0));
}

TEST_F(WindowActivationTest, TheWindowTimerTicksUntilStopped) {
  HWND hwnd = shownWindow(L"timer", 60, 300);
  CWindowTimer timer(hwnd);
  cls_.clear();
  ASSERT_TRUE(timer.StartWindowTimer(40));
  int ticks = 0;
  auto countTicks = [&] {
    for (const Seen& s : cls_.take()) {
      if (s.hwnd == hwnd && s.message == WM_TIMER) {
        EXPECT_EQ(s.wParam, CWindowTimer::kTimerId);
        ++ticks;
      }
    }
    return ticks;
  };
  EXPECT_TRUE(pumpUntil([&] { return countTicks() >= 3; }));
  EXPECT_TRUE(timer.StopWindowTimer());
  pumpFor(50);
  cls_.clear();
  ticks = 0;
  pumpFor(400);
  EXPECT_EQ(countTicks(), 0);
  EXPECT_FALSE(timer.StopWindowTimer());  // nothing left to stop
}

}  // namespace
