// A part on the X server behaves as the framework's caption: pressing on
// its empty area and dragging moves the host window; a double click
// maximises a resizable host, and another restores it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "controls/ControlFactories.h"
#include "controls/SCtrlPart.h"
#include "../platform-display/display_helper.h"
// After gtest: Xlib's macros would clash with its names.
#include <X11/extensions/XTest.h>

namespace {

const char* kLayout =
    "<ORIEL width='300' height='200' resizable='1' margin='4,4,4,4'>"
    "<root colorBkgnd='#ffffff'>"
    "<part name='p' pos='0,0,-0,50' colorBkgnd='#203040'/>"
    "</root></ORIEL>";

RECT ScreenRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

class PartDisplay : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    RegisterControlFactories(*app, 1);
    host_ = std::make_unique<TestHost>();
    ASSERT_TRUE(MakeHost(*host_, kLayout, 200, 150));
    ShowWindow(host_->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host_->GetHwnd()));
    pumpFor(100);
  }
  void TearDown() override {
    if (host_) host_->DestroyHostWindow();
    host_.reset();
    OrielAppTest::TearDown();
  }
  std::unique_ptr<TestHost> host_;
};

TEST_F(PartDisplay, DraggingTheEmptyAreaMovesTheHost) {
  ASSERT_NE(dynamic_cast<SCtrlPart*>(host_->FindDescendantByName(L"p")), nullptr);
  HWND hwnd = host_->GetHwnd();
  const RECT start = ScreenRect(hwnd);
  const POINT from{start.left + 100, start.top + 20};
  moveMouse(from.x, from.y);
  pumpFor(80);
  XTestFakeButtonEvent(userDisplay(), Button1, True, CurrentTime);
  XSync(userDisplay(), False);
  std::atomic<bool> done{false};
  std::thread user([&] {
    usleep(150000);
    moveMouse(from.x + 30, from.y + 20);
    usleep(80000);
    moveMouse(from.x + 60, from.y + 40);
    usleep(120000);
    XTestFakeButtonEvent(userDisplay(), Button1, False, CurrentTime);
    XSync(userDisplay(), False);
    done = true;
  });
  RECT now{};
  const bool moved = pumpUntil([&] {
    now = ScreenRect(hwnd);
    return done && now.left == start.left + 60 && now.top == start.top + 40;
  });
  user.join();
  EXPECT_TRUE(moved) << now.left - start.left << "," << now.top - start.top;
  EXPECT_EQ(now.right - now.left, 300);
  EXPECT_EQ(now.bottom - now.top, 200);
}

TEST_F(PartDisplay, DoubleClickMaximisesAndRestores) {
  HWND hwnd = host_->GetHwnd();
  const RECT start = ScreenRect(hwnd);
  auto doubleClick = [&](POINT at) {
    moveMouse(at.x, at.y);
    pumpFor(100);
    clickButton(1);
    pumpFor(60);
    clickButton(1);
  };
  doubleClick(POINT{start.left + 150, start.top + 25});
  ASSERT_TRUE(pumpUntil([&] { return IsZoomed(hwnd) != FALSE; })) << "a double click maximises";
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
  ASSERT_TRUE(pumpUntil([&] {
    const RECT rc = ScreenRect(hwnd);
    return EqualRect(&info.rcWork, &rc) != FALSE;
  }));
  pumpFor(600);  // past the double-click time: the next two clicks are a new pair
  const RECT big = ScreenRect(hwnd);
  doubleClick(POINT{big.left + 150, big.top + 25});
  ASSERT_TRUE(pumpUntil([&] { return !IsZoomed(hwnd); })) << "another restores";
  ASSERT_TRUE(pumpUntil([&] {
    const RECT rc = ScreenRect(hwnd);
    return EqualRect(&rc, &start) != FALSE;
  }));
}

}  // namespace
