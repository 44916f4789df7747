// The floating window on the X server, opened from its layout: where it
// starts, how it docks at the right edge under the pointer, a real drag to
// the left edge, its window-manager states, the commands its buttons and
// menu send to the main window, hiding on close and the double click.
#include "../platform-display/display_helper.h"
#include "program_app.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "windows/SDlgFlow.h"

namespace {

std::vector<std::string> NetWmState(HWND hwnd) {
  Display* d = userDisplay();
  XSync(d, False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<std::string> names;
  if (XGetWindowProperty(d, Win32XWindowOf(hwnd), XInternAtom(d, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    for (unsigned long i = 0; i < count; ++i) {
      char* name = XGetAtomName(d, reinterpret_cast<const Atom*>(data)[i]);
      names.emplace_back(name);
      XFree(name);
    }
  }
  if (data) XFree(data);
  return names;
}

class FlowWindow : public ProgramAppTest {
 protected:
  void SetUp() override {
    ProgramAppTest::SetUp();
    if (HasFatalFailure()) return;
    moveMouse(400, 500);
    main_ = CreateWindowExW(0, mainClass_.name(), L"main", WS_POPUP, 100, 300, 200, 100, nullptr, nullptr, nullptr,
                            nullptr);
    mainClass_.handler = [this](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (msg == UM_FLOW_COMMAND) commands_.push_back(wParam);
      return std::nullopt;
    };
    flow_ = std::make_unique<SDlgFlow>();
    ASSERT_TRUE(flow_->CreateDefault(nullptr));
    SendMessageW(flow_->GetHwnd(), WM_INITDIALOG, 0, 0);
    flow_->SetMainView(main_);
    ShowWindow(flow_->GetHwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(waitViewable(flow_->GetHwnd()));
  }
  void TearDown() override {
    if (flow_ && IsWindow(flow_->GetHwnd())) flow_->DestroyHostWindow();
    flow_.reset();
    if (main_) DestroyWindow(main_);
    ProgramAppTest::TearDown();
  }
  RECT Rect() const {
    RECT rc{};
    GetWindowRect(flow_->GetHwnd(), &rc);
    return rc;
  }
  bool LeftReaches(int left, int timeoutMs = 5000) {
    return pumpUntil([&] { return Rect().left == left; }, timeoutMs);
  }
  void Click(int x, int y) {
    moveMouse(x, y);
    pumpFor(60);
    clickButton(Button1);
    pumpFor(150);
  }

  RecordingClass mainClass_{L"FlowTestMain"};
  HWND main_ = nullptr;
  std::unique_ptr<SDlgFlow> flow_;
  std::vector<WPARAM> commands_;
};

TEST_F(FlowWindow, StartsOnTheRightEdgeAndDocksUnderThePointer) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  RECT rc = Rect();
  EXPECT_EQ(rc.right - rc.left, 240);
  EXPECT_EQ(rc.bottom - rc.top, 92);
  EXPECT_EQ(rc.top, 60);
  EXPECT_EQ(flow_->GetBounds().right, screen);
  // Away from the pointer it slides right until 10 pixels show.
  ASSERT_TRUE(LeftReaches(screen - 10)) << Rect().left;
  pumpFor(200);
  EXPECT_EQ(Rect().left, screen - 10);
  // The pointer on the sliver brings it out, flush with the edge.
  moveMouse(screen - 4, 100);
  ASSERT_TRUE(LeftReaches(screen - 240)) << Rect().left;
  pumpFor(200);
  EXPECT_EQ(Rect().left, screen - 240);
}

TEST_F(FlowWindow, DraggedToTheLeftEdgeItSnapsThenHidesWithFivePixelsShowing) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  moveMouse(screen - 100, 100);
  ASSERT_TRUE(LeftReaches(screen - 240));
  // A press on the window's body (the caption) and a drag to x 10, from
  // another thread while this one runs the move loop.
  const POINT grab{screen - 240 + 90, 70};
  moveMouse(grab.x, grab.y);
  pumpFor(80);
  const int targetLeft = 10;
  std::atomic<bool> done{false};
  std::atomic<int> heldLeft{-1};
  std::thread user([&] {
    XTestFakeButtonEvent(userDisplay(), Button1, True, CurrentTime);
    XSync(userDisplay(), False);
    usleep(200000);
    for (int step = 1; step <= 4; ++step) {
      moveMouse(grab.x + (targetLeft + 90 - grab.x) * step / 4, grab.y);
      usleep(80000);
    }
    // While the button is held it stays where the pointer took it.
    usleep(300000);
    RECT rc{};
    GetWindowRect(flow_->GetHwnd(), &rc);
    heldLeft = rc.left;
    XTestFakeButtonEvent(userDisplay(), Button1, False, CurrentTime);
    XSync(userDisplay(), False);
    done = true;
  });
  pumpUntil([&] { return done.load(); }, 8000);
  user.join();
  EXPECT_EQ(heldLeft.load(), targetLeft);
  ASSERT_TRUE(LeftReaches(0)) << Rect().left;
  moveMouse(600, 600);
  ASSERT_TRUE(LeftReaches(-235)) << Rect().left;
}

TEST_F(FlowWindow, StaysAboveOffTheTaskBarAndPager) {
  EXPECT_TRUE(flow_->TaskbarButtonRemoved());
  const std::vector<std::string> states = NetWmState(flow_->GetHwnd());
  for (const char* state : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_ABOVE"})
    EXPECT_NE(std::find(states.begin(), states.end(), state), states.end()) << state;
  EXPECT_TRUE(GetWindowLongW(flow_->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(FlowWindow, ButtonsSendTheirCommandsAndTheStateSwitchesThem) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  moveMouse(screen - 100, 100);
  ASSERT_TRUE(LeftReaches(screen - 240));
  const int left = screen - 240;
  // Stop is disabled while nothing records: its click sends nothing.
  Click(left + 132, 60 + 46);
  Click(left + 55, 60 + 46);
  ASSERT_TRUE(pumpUntil([&] { return !commands_.empty(); }));
  EXPECT_EQ(commands_, (std::vector<WPARAM>{kFlowStartPause}));
  flow_->UpdateState(1);
  pumpFor(100);
  Click(left + 132, 60 + 46);
  ASSERT_TRUE(pumpUntil([&] { return commands_.size() == 2; }));
  EXPECT_EQ(commands_.back(), kFlowStop);
  flow_->SetTimeText(L"01:02:03");
  EXPECT_STREQ(flow_->FindDescendantByName(L"flow_time")->GetText().c_str(), L"01:02:03");
  // Recording: the start button shows pause bars (white left of its
  // centre, red at it); paused: the start dot again.
  moveMouse(screen - 30, 100);
  pumpFor(300);
  EXPECT_EQ(screenPixel(left + 51, 60 + 46), 0xFFFFFFu);
  EXPECT_EQ(screenPixel(left + 55, 60 + 46), 0xE8453Cu);
  flow_->UpdateState(1 | 4);
  pumpFor(300);
  EXPECT_EQ(screenPixel(left + 55, 60 + 46), 0xFFFFFFu);
  flow_->UpdateState(0);
  EXPECT_TRUE(flow_->FindDescendantByName(L"flow_stop")->IsDisabled());
}

TEST_F(FlowWindow, MenuCommandsCloseAndDoubleClick) {
  // The menu's commands come back to the floating window as WM_COMMAND.
  SendMessageW(flow_->GetHwnd(), WM_COMMAND, SDlgFlow::kCmdHide, 0);
  SendMessageW(flow_->GetHwnd(), WM_COMMAND, SDlgFlow::kCmdExit, 0);
  EXPECT_EQ(commands_, (std::vector<WPARAM>{kFlowHide, kFlowExit}));
  SendMessageW(flow_->GetHwnd(), WM_COMMAND, SDlgFlow::kCmdShowMain, 0);
  EXPECT_TRUE(IsWindowVisible(main_));
  // A double click hides the visible main window and shows it again.
  SendMessageW(flow_->GetHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  EXPECT_FALSE(IsWindowVisible(main_));
  SendMessageW(flow_->GetHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(IsWindowVisible(main_));
  // Alt+F4 only hides it; the window lives on.
  PostMessageW(flow_->GetHwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(flow_->GetHwnd()); }));
  EXPECT_TRUE(IsWindow(flow_->GetHwnd()));
  EXPECT_FALSE(flow_->IsVisible());
  flow_->Show(true);
  EXPECT_TRUE(flow_->IsVisible());
}

TEST_F(FlowWindow, TheRightClickMenuOffersHideOpenAndExitInThatOrder) {
  moveMouse(GetSystemMetrics(SM_CXSCREEN) - 100, 100);
  ASSERT_TRUE(LeftReaches(GetSystemMetrics(SM_CXSCREEN) - 240));
  // The first item, then the third, chosen with the keys.
  for (int downs : {1, 3}) {
    std::thread user([downs] {
      usleep(500000);
      for (int i = 0; i < downs; ++i) tapKey(XK_Down);
      tapKey(XK_Return);
    });
    SendMessageW(flow_->GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
    user.join();
    pumpFor(100);
  }
  EXPECT_EQ(commands_, (std::vector<WPARAM>{kFlowHide, kFlowExit}));
}

TEST_F(FlowWindow, ItsLayoutShowsTheBackgroundAndTheButtonsAt100Percent) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  moveMouse(screen - 100, 100);
  ASSERT_TRUE(LeftReaches(screen - 240));
  pumpFor(300);
  ASSERT_TRUE(waitViewable(flow_->GetHwnd()));
  const int left = screen - 240, top = 60;
  // The white body, the red start button with its white dot, the grey
  // ring of the disabled stop button.
  EXPECT_EQ(screenPixel(left + 100, top + 10), 0xFFFFFFu);
  EXPECT_EQ(screenPixel(left + 55 - 12, top + 46), 0xE8453Cu);
  EXPECT_EQ(screenPixel(left + 55, top + 46), 0xFFFFFFu);
  EXPECT_EQ(screenPixel(left + 132 - 12, top + 46), 0xC9C9C9u);
  // The time's dark text lies right of x 163.
  int dark = 0;
  for (int x = left + 163; x < left + 240; ++x)
    for (int y = top + 36; y < top + 56; ++y)
      if ((screenPixel(x, y) & 0xFF) < 0x80) ++dark;
  EXPECT_GT(dark, 20);
}

}  // namespace
