// The floating window on the X server, opened from its layout: where it
// starts, how it docks at the right edge under the pointer, a real drag to
// the left edge, its window-manager states, the commands its buttons and
// menu send to the main window, hiding on close and the double click, its
// pixels and a golden image at 100 %, and its pixels at 150 and 200 %.
#include "../platform-display/display_helper.h"
#include "../platform-display/popup_levels.h"
#include "program_app.h"
#include "screen_golden.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "windows/SDlgFlow.h"

namespace {

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

TEST_F(FlowWindow, AScreenChangeBringsAWindowNoMonitorShowsBackToItsStart) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  SetWindowPos(flow_->GetHwnd(), nullptr, 5000, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(flow_->GetHwnd(), WM_DISPLAYCHANGE, 24, MAKELPARAM(screen, GetSystemMetrics(SM_CYSCREEN)));
  RECT rc = Rect();
  EXPECT_EQ(rc.left, screen - 200);
  EXPECT_EQ(rc.top, 60);
  // One a monitor still shows stays where it is.
  SetWindowPos(flow_->GetHwnd(), nullptr, 300, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(flow_->GetHwnd(), WM_DISPLAYCHANGE, 24, MAKELPARAM(screen, GetSystemMetrics(SM_CYSCREEN)));
  rc = Rect();
  EXPECT_EQ(rc.left, 300);
  EXPECT_EQ(rc.top, 400);
}

TEST_F(FlowWindow, StaysAboveOffTheTaskBarAndPager) {
  EXPECT_TRUE(flow_->TaskbarButtonRemoved());
  const std::vector<std::string> states = netWmStates(flow_->GetHwnd());
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

TEST_F(FlowWindow, TheMenuShowsItsItemsWithIconsInTheCjkFace) {
  moveMouse(GetSystemMetrics(SM_CXSCREEN) - 100, 100);
  ASSERT_TRUE(LeftReaches(GetSystemMetrics(SM_CXSCREEN) - 240));
  pumpFor(200);
  const size_t before = viewablePopups().size();
  RECT menu{};
  ::testing::AssertionResult golden = ::testing::AssertionFailure() << "no menu came up";
  // While the menu runs its own loop, another thread looks at it and
  // closes it with Escape.
  std::thread user([&] {
    std::vector<RECT> popups;
    for (int i = 0; i < 100 && popups.size() <= before; ++i) {
      usleep(50000);
      popups = viewablePopups();
    }
    if (popups.size() > before) {
      menu = popups.back();
      usleep(1000000);  // its first paint
      golden = ScreenMatchesGolden(menu.left, menu.top, menu.right - menu.left, menu.bottom - menu.top,
                                   "flow_menu_100");
    }
    tapKey(XK_Escape);
  });
  SendMessageW(flow_->GetHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  user.join();
  pumpFor(100);
  EXPECT_TRUE(commands_.empty()) << "Escape chooses nothing";
  // Three items of 40 pixels.
  EXPECT_GE(menu.bottom - menu.top, 120);
  EXPECT_LE(menu.bottom - menu.top, 140);
  EXPECT_TRUE(golden);
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
  // The whole window, with the pointer resting on its body away from the
  // buttons.
  moveMouse(left + 200, top + 85);
  pumpFor(300);
  EXPECT_TRUE(ScreenMatchesGolden(left, top, 240, 92, "flow_window_100"));
}

// The screen's DPI as desktops publish it, in the root's resources; an
// empty text takes the resource away (96 again).
void SetXftDpi(const std::string& resources) {
  Display* d = userDisplay();
  if (resources.empty())
    XDeleteProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER);
  else
    XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
  XSync(d, False);
}

TEST_F(FlowWindow, FollowsTheScreensDpiTo150And200Percent) {
  struct Restore {
    ~Restore() { SetXftDpi(""); }
  } restore;
  for (const auto& [dpi, scale] : std::vector<std::pair<int, int>>{{144, 150}, {192, 200}}) {
    SetXftDpi("Xft.dpi:\t" + std::to_string(dpi) + "\n");
    ASSERT_TRUE(pumpUntil([&] {
      const RECT r = Rect();
      return r.right - r.left == 240 * scale / 100 && r.bottom - r.top == 92 * scale / 100;
    })) << dpi;
    // Brought out under the pointer, then its pixels at that scale.
    const RECT r = Rect();
    moveMouse(std::max<int>(r.left, 0) + 5, r.top + 5);
    const int shown = GetSystemMetrics(SM_CXSCREEN) - 240 * scale / 100;
    ASSERT_TRUE(pumpUntil([&] { return Rect().left == shown || Rect().left == 0; })) << Rect().left;
    pumpFor(300);
    const RECT now = Rect();
    const auto at = [&](int x, int y) { return screenPixel(now.left + x * scale / 100, now.top + y * scale / 100); };
    EXPECT_EQ(at(100, 10), 0xFFFFFFu) << scale;
    EXPECT_EQ(at(55 - 12, 46), 0xE8453Cu) << scale;
    EXPECT_EQ(at(55, 46), 0xFFFFFFu) << scale;
    EXPECT_EQ(at(132 - 12, 46), 0xC9C9C9u) << scale;
  }
}

}  // namespace
