// The mouse of the X server driving a window tree in a real window: a
// press that leaves and comes back, a release outside, the capture that
// keeps the moves with the pressed window, both wheels, a click through a
// transparent overlay, a disabled window, and the order in which a click's
// command reaches its subscribers, its owner and the host.
#include <string>
#include <vector>

#include "LogWindow.h"
#include "SwndWindowHost.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 180, kY = 140, kW = 400, kH = 100;

// The test host, remembering the last move it routed.
class MouseHost : public SwndWindowHost {
 public:
  using SwndWindowHost::SwndWindowHost;
  LRESULT DispatchFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_MOUSEMOVE) lastMove = lParam;
    return SwndWindowHost::DispatchFrameMessage(msg, wParam, lParam);
  }
  LPARAM lastMove = -1;
};

// Five columns of 80 px: 1 takes the focus; 2 is its neighbour; 3 lies
// under the transparent overlay 4; 5 is disabled with a child 6.
class WindowMouseDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    app->RegisterClass<LogWindow>();
    host = new MouseHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<logwnd id='1' pos='0,0,80,-0' focusable='1'/>"
        L"<logwnd id='2' pos='80,0,160,-0'/>"
        L"<logwnd id='3' pos='160,0,240,-0'/>"
        L"<logwnd id='4' pos='160,0,240,-0' msgTransparent='1'/>"
        L"<logwnd id='5' pos='240,0,320,-0' enable='0'><logwnd id='6' pos='250,10,310,90'/></logwnd>");
    moveMouse(10, 10);  // away from the host
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
  }
  void TearDown() override {
    PressButton(1, false);
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  LogWindow* W(int id) { return static_cast<LogWindow*>(host->FindDescendantById(id)); }
  // Moves the pointer to a client point and waits until the tree has it.
  void MoveTo(int x, int y) {
    moveMouse(kX + x, kY + y);
    ASSERT_TRUE(pumpUntil([&] { return host->lastMove == MAKELPARAM(x, y); })) << x << "," << y;
  }
  int Delivered(int id) const {
    int n = 0;
    for (int e : host->delivered) n += e == id;
    return n;
  }
  MouseHost* host = nullptr;
};

TEST_F(WindowMouseDisplayTest, APressThatLeavesAndReturnsIsOneClickAndAReleaseOutsideIsNone) {
  LogWindow* b = W(1);
  std::vector<bool> pushed;  // each change of the pushed state, in order
  b->SubscribeEvent(EventSwndStateChanged::EventID, [&](EventArgs* e) {
    auto* change = static_cast<EventSwndStateChanged*>(e);
    if ((change->dwOldState ^ change->dwNewState) & WndState_PushDown)
      pushed.push_back((change->dwNewState & WndState_PushDown) != 0);
    return false;
  });
  int ups = 0, commands = 0;
  b->SubscribeEvent(EventLButtonUp::EventID, [&](EventArgs*) { return ++ups, false; });
  b->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, false; });

  MoveTo(40, 50);
  PressButton(1, true);
  ASSERT_TRUE(pumpUntil([&] { return b->GetState() & WndState_PushDown; }));
  EXPECT_EQ(host->GetCapture(), b->GetHandle());
  MoveTo(120, 50);  // over the neighbour, the button held
  ASSERT_TRUE(pumpUntil([&] { return !(b->GetState() & WndState_PushDown); }));
  EXPECT_EQ(W(2)->Count(WM_MOUSEMOVE), 0) << "the capture keeps the moves with the pressed window";
  EXPECT_FALSE(W(2)->GetState() & WndState_Hover);
  const LogWindow::Msg* captured = b->Last(WM_MOUSEMOVE);
  ASSERT_NE(captured, nullptr);
  EXPECT_EQ(captured->lParam, MAKELPARAM(120, 50)) << "in client coordinates, outside the window";
  MoveTo(50, 60);  // back
  ASSERT_TRUE(pumpUntil([&] { return b->GetState() & WndState_PushDown; }));
  PressButton(1, false);
  ASSERT_TRUE(pumpUntil([&] { return commands == 1; }));
  pumpFor(100);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(commands, 1);
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);
  EXPECT_EQ(pushed, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(host->GetCapture(), 0u);

  // Pressed, taken out and released over the neighbour: nothing fires and
  // the neighbour is not given the release.
  PressButton(1, true);
  ASSERT_TRUE(pumpUntil([&] { return b->GetState() & WndState_PushDown; }));
  MoveTo(120, 50);
  PressButton(1, false);
  ASSERT_TRUE(pumpUntil([&] { return b->Count(WM_LBUTTONUP) == 2; }));
  pumpFor(100);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(commands, 1);
  EXPECT_EQ(W(2)->Count(WM_LBUTTONUP), 0);
  EXPECT_EQ(host->GetCapture(), 0u);
  // Free again, the moves reach the window under the pointer.
  MoveTo(125, 55);
  EXPECT_GT(W(2)->Count(WM_MOUSEMOVE), 0);
  EXPECT_TRUE(W(2)->GetState() & WndState_Hover);
}

TEST_F(WindowMouseDisplayTest, BothWheelsReachTheFocusOrTheHoverInClientCoordinates) {
  W(1)->SetFocus();
  MoveTo(120, 50);  // over window 2
  struct Case {
    unsigned button;
    UINT msg;
    short delta;
  };
  const Case cases[] = {{4, WM_MOUSEWHEEL, WHEEL_DELTA},
                        {5, WM_MOUSEWHEEL, -WHEEL_DELTA},
                        {6, WM_MOUSEHWHEEL, -WHEEL_DELTA},
                        {7, WM_MOUSEHWHEEL, WHEEL_DELTA}};
  for (BOOL toHover : {FALSE, TRUE}) {
    host->wheelToHover = toHover;
    LogWindow* expected = toHover ? W(2) : W(1);
    LogWindow* other = toHover ? W(1) : W(2);
    for (const Case& c : cases) {
      const int before = expected->Count(c.msg), otherBefore = other->Count(c.msg);
      clickButton(c.button);
      ASSERT_TRUE(pumpUntil([&] { return expected->Count(c.msg) == before + 1; }))
          << "button " << c.button << (toHover ? " to the hover" : " to the focus");
      const LogWindow::Msg* m = expected->Last(c.msg);
      EXPECT_EQ(static_cast<short>(HIWORD(m->wParam)), c.delta) << c.button;
      EXPECT_EQ(m->lParam, MAKELPARAM(120, 50)) << "button " << c.button << ": the client point";
      EXPECT_EQ(other->Count(c.msg), otherBefore);
    }
  }
}

TEST_F(WindowMouseDisplayTest, AClickGoesThroughATransparentOverlayAndADisabledWindowGetsNothing) {
  MoveTo(200, 50);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return W(3)->Count(WM_LBUTTONUP) == 1; }));
  EXPECT_EQ(W(3)->Count(WM_LBUTTONDOWN), 1);
  EXPECT_TRUE(W(4)->log.empty()) << "the overlay takes no mouse message";

  int commands = 0;
  for (int id : {5, 6}) W(id)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return ++commands, true; });
  MoveTo(280, 50);  // over the disabled window's child
  clickButton(1);
  MoveTo(300, 95);  // over the disabled window itself
  clickButton(1);
  // A click that follows shows both went by.
  MoveTo(40, 50);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return W(1)->Count(WM_LBUTTONUP) == 1; }));
  EXPECT_TRUE(W(5)->log.empty());
  EXPECT_TRUE(W(6)->log.empty());
  EXPECT_EQ(commands, 0);
  EXPECT_FALSE(W(6)->GetState() & WndState_Hover);
  EXPECT_NE(host->GetFocusWindow(), W(6)->GetHandle());
}

TEST_F(WindowMouseDisplayTest, AClicksCommandGoesToSubscribersNewestFirstThenTheOwnerThenTheHost) {
  std::vector<std::string> order;
  W(1)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return order.push_back("older"), false; });
  W(1)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return order.push_back("newer"), false; });
  W(2)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return order.push_back("owner"), false; });
  W(1)->SetOwner(W(2));
  MoveTo(40, 50);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return Delivered(EventCmd::EventID) == 1; }));
  pumpFor(100);
  EXPECT_EQ(order, (std::vector<std::string>{"newer", "older", "owner"}));
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);

  // A subscriber that stops the command keeps it from the owner and the host.
  W(1)->SubscribeEvent(EventCmd::EventID, [&](EventArgs* e) { return order.push_back("stopper"), e->bubbleUp = 0, true; });
  order.clear();
  pumpFor(GetDoubleClickTime() + 100);  // a second click, not the pair's double click
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return !order.empty(); }));
  pumpFor(100);
  EXPECT_EQ(order, (std::vector<std::string>{"stopper"}));
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);
}

}  // namespace
