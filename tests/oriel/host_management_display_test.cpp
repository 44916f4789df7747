// Moving and sizing hosts with real input: a caption that asks for the
// system move (0xF012) drags the X window, by the layer's own loop and
// under a window manager; a resizable host's margin sizes it, never below
// its minimum size; a host that is not resizable keeps its size.
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "../platform-display/display_helper.h"
#include "../platform-display/window_manager_helper.h"
// After gtest: Xlib's macros would clash with its names.
#include <X11/extensions/XTest.h>

namespace {

const char* kCaptionLayout =
    "<ORIEL width='200' height='120'>"
    "<root colorBkgnd='#ffffff'><window name='caption' pos='0,0,-0,30' colorBkgnd='#203040'/></root>"
    "</ORIEL>";

const char* kResizableLayout =
    "<ORIEL width='200' height='150' resizable='1' margin='10,10,10,10' minsize='150,100'>"
    "<root colorBkgnd='#ffffff'/></ORIEL>";

const char* kFixedLayout =
    "<ORIEL width='200' height='150' resizable='0' margin='10,10,10,10'>"
    "<root colorBkgnd='#ffffff'/></ORIEL>";

// Where the server has the window's client area.
POINT ServerPosition(HWND hwnd) {
  Display* d = userDisplay();
  int x = 0, y = 0;
  ::Window child = 0;
  XSync(d, False);
  XTranslateCoordinates(d, Win32XWindowOf(hwnd), DefaultRootWindow(d), 0, 0, &x, &y, &child);
  return POINT{x, y};
}

// Presses at `from`, moves in two steps to `to` and releases, from another
// thread while this one runs the window's loops.
class Drag {
 public:
  Drag(POINT from, POINT to) : to_(to) {
    moveMouse(from.x, from.y);
    pumpFor(80);
    XTestFakeButtonEvent(userDisplay(), Button1, True, CurrentTime);
    XSync(userDisplay(), False);
    user_ = std::thread([this, from] {
      usleep(150000);
      moveMouse((from.x + to_.x) / 2, (from.y + to_.y) / 2);
      usleep(80000);
      moveMouse(to_.x, to_.y);
      usleep(120000);
      XTestFakeButtonEvent(userDisplay(), Button1, False, CurrentTime);
      XSync(userDisplay(), False);
      done = true;
    });
  }
  ~Drag() { user_.join(); }
  std::atomic<bool> done{false};

 private:
  POINT to_;
  std::thread user_;
};

class HostManagementTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    moveMouse(5, 5);
  }
  void TearDown() override {
    if (host_) {
      host_->DestroyHostWindow();
      delete host_;
    }
    OrielAppTest::TearDown();
  }
  TestHost* Show(const char* xml, int x, int y) {
    host_ = new TestHost;
    EXPECT_TRUE(MakeHost(*host_, xml, x, y));
    ShowWindow(host_->GetHwnd(), SW_SHOW);
    EXPECT_TRUE(waitViewable(host_->GetHwnd()));
    pumpFor(100);
    return host_;
  }
  // The caption asks for the system move when pressed, as the framework's
  // caption control does, and releases itself afterwards.
  void MakeCaptionMove(TestHost* host) {
    host->FindDescendantByName(L"caption")->SubscribeEvent(EventLButtonDown::EventID, [host](EventArgs*) {
      SendMessageW(host->GetHwnd(), WM_SYSCOMMAND, 0xF012, 0);
      SendMessageW(host->GetHwnd(), WM_LBUTTONUP, 0, 0);
      return true;
    });
  }
  void ExpectCaptionDragMoves(int x, int y) {
    TestHost* host = Show(kCaptionLayout, x, y);
    MakeCaptionMove(host);
    const POINT start = ServerPosition(host->GetHwnd());
    POINT now{};
    {
      Drag drag(POINT{start.x + 60, start.y + 10}, POINT{start.x + 60 + 70, start.y + 10 + 50});
      ASSERT_TRUE(pumpUntil([&] {
        now = ServerPosition(host->GetHwnd());
        return drag.done && now.x == start.x + 70 && now.y == start.y + 50;
      })) << now.x - start.x << "," << now.y - start.y;
    }
    // Under a window manager the server has the new place before the
    // window's own ConfigureNotify is read, so the rect may follow a pump later.
    RECT rc{};
    pumpUntil([&] {
      GetWindowRect(host->GetHwnd(), &rc);
      return rc.left == now.x && rc.top == now.y;
    });
    EXPECT_EQ(rc.left, now.x);
    EXPECT_EQ(rc.top, now.y);
    EXPECT_EQ(rc.right - rc.left, 200);
  }
  // Drags the bottom-right margin by (dx, dy); the size the window ends with.
  SIZE DragCorner(TestHost* host, int dx, int dy) {
    RECT rc{};
    GetWindowRect(host->GetHwnd(), &rc);
    const POINT corner{rc.right - 4, rc.bottom - 4};
    {
      Drag drag(corner, POINT{corner.x + dx, corner.y + dy});
      pumpUntil([&] { return drag.done.load(); });
      pumpFor(200);
    }
    GetWindowRect(host->GetHwnd(), &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
  }
  TestHost* host_ = nullptr;
};

TEST_F(HostManagementTest, CaptionDragMovesTheXWindowByTheLayersOwnLoop) { ExpectCaptionDragMoves(200, 150); }

TEST_F(HostManagementTest, MarginDragResizesNeverBelowTheMinimumSize) {
  TestHost* host = Show(kResizableLayout, 300, 200);
  const SIZE grown = DragCorner(host, 40, 30);
  EXPECT_EQ(grown.cx, 240);
  EXPECT_EQ(grown.cy, 180);
  // The root and the back buffer follow the window.
  EXPECT_EQ(host->GetWindowRect().right, 240);
  const SIZE shrunk = DragCorner(host, -200, -200);
  EXPECT_EQ(shrunk.cx, 150);
  EXPECT_EQ(shrunk.cy, 100);
}

TEST_F(HostManagementTest, AHostThatIsNotResizableKeepsItsSize) {
  TestHost* host = Show(kFixedLayout, 300, 200);
  EXPECT_EQ(SendMessageW(host->GetHwnd(), WM_NCHITTEST, 0, MAKELPARAM(300 + 198, 200 + 148)), HTCLIENT);
  const SIZE after = DragCorner(host, 40, 30);
  EXPECT_EQ(after.cx, 200);
  EXPECT_EQ(after.cy, 150);
}

class ManagedHostTest : public HostManagementTest {
 protected:
  void SetUp() override {
    HostManagementTest::SetUp();
    wm_ = std::make_unique<ScopedWindowManager>();
    ASSERT_TRUE(wm_->running()) << "openbox did not start or took no window";
  }
  void TearDown() override {
    HostManagementTest::TearDown();
    wm_.reset();  // stops the manager and clears its traces from the root
  }
  std::unique_ptr<ScopedWindowManager> wm_;
};

TEST_F(ManagedHostTest, CaptionDragMovesTheXWindowUnderAWindowManager) { ExpectCaptionDragMoves(200, 150); }

TEST_F(ManagedHostTest, AWindowManagerMinimiseReachesTheHostAsAMinimisedSize) {
  TestHost* host = Show(kCaptionLayout, 200, 150);
  bool minimisedSize = false;
  host->before = [&](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_SIZE && wParam == SIZE_MINIMIZED) minimisedSize = true;
    return std::nullopt;
  };
  // As a task bar asks: WM_CHANGE_STATE IconicState to the manager.
  Display* d = userDisplay();
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = Win32XWindowOf(host->GetHwnd());
  e.xclient.message_type = XInternAtom(d, "WM_CHANGE_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 3;
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XSync(d, False);
  ASSERT_TRUE(pumpUntil([&] { return IsIconic(host->GetHwnd()) != FALSE; }));
  EXPECT_TRUE(GetWindowLongW(host->GetHwnd(), GWL_STYLE) & WS_MINIMIZE);
  EXPECT_TRUE(minimisedSize);
  // Restoring gives the window back its size and picture.
  ShowWindow(host->GetHwnd(), SW_RESTORE);
  EXPECT_FALSE(IsIconic(host->GetHwnd()));
  RECT rc{};
  GetWindowRect(host->GetHwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, 200);
}

}  // namespace
