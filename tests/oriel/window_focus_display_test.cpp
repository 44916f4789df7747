// The keyboard of the X server moving the focus in a window tree in a real
// window: Tab and Shift+Tab with a disabled window and a radio group that
// is one stop, the arrows inside the group, a window that wants Tab, an
// accelerator reaching its newest target, and the focus parked while
// another window is active.
#include <vector>

#include "LogWindow.h"
#include "SwndWindowHost.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 160, kY = 130, kW = 360, kH = 60;

struct Target : IAcceleratorTarget {
  Target(std::vector<int>* order, int tag) : order(order), tag(tag) {}
  bool FireAccelerator(DWORD) override { return order->push_back(tag), true; }
  std::vector<int>* order;
  int tag;
};

// 1, a disabled 2, the group 3-5 (4 checked) and 6, each 40 px wide.
class WindowFocusDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    app->RegisterClass<LogWindow>();
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<logwnd id='1' pos='0,0,40,-0' focusable='1'/>"
        L"<logwnd id='2' pos='40,0,80,-0' focusable='1' enable='0'/>"
        L"<window id='9' pos='80,0,200,-0'>"
        L"<logwnd id='3' pos='80,0,120,-0' focusable='1'/>"
        L"<logwnd id='4' pos='120,0,160,-0' focusable='1'/>"
        L"<logwnd id='5' pos='160,0,200,-0' focusable='1'/></window>"
        L"<logwnd id='6' pos='200,0,240,-0' focusable='1'/>");
    for (int id : {3, 4, 5}) W(id)->group = true;
    W(4)->SetChecked(TRUE);
    moveMouse(10, 10);
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
  }
  void TearDown() override {
    if (other) DestroyWindow(other);
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  LogWindow* W(int id) { return static_cast<LogWindow*>(host->FindDescendantById(id)); }
  int Focused() {
    SWindow* w = SWindowMgr::getSingleton().LookupWindow(host->GetFocusWindow());
    return w ? w->GetId() : 0;
  }
  // Taps `key` with `held` down and waits for the focus to change; the
  // window then focused (0 when it did not change).
  int Step(KeySym key, KeySym held = 0) {
    const int before = Focused();
    if (held) pressKey(held);
    tapKey(key);
    if (held) releaseKey(held);
    return pumpUntil([&] { return Focused() != before; }, 2000) ? Focused() : 0;
  }
  SwndWindowHost* host = nullptr;
  HWND other = nullptr;
};

TEST_F(WindowFocusDisplayTest, TabSkipsTheDisabledWindowStopsOnceInTheGroupAndWraps) {
  W(1)->SetFocus();
  std::vector<int> forward, backward;
  for (int i = 0; i < 4; ++i) forward.push_back(Step(XK_Tab));
  EXPECT_EQ(forward, (std::vector<int>{4, 6, 1, 4})) << "one stop at the checked member of the group";
  W(1)->SetFocus();
  for (int i = 0; i < 3; ++i) backward.push_back(Step(XK_Tab, XK_Shift_L));
  EXPECT_EQ(backward, (std::vector<int>{6, 4, 1}));
  for (int id = 1; id <= 6; ++id)
    EXPECT_EQ(W(id)->Count(WM_KEYDOWN, VK_TAB), 0) << id << ": Tab is the focus manager's";
}

TEST_F(WindowFocusDisplayTest, ArrowsMoveInsideTheGroupAndWrapRoundInIt) {
  W(4)->SetFocus();
  std::vector<int> arrows;
  for (KeySym key : {XK_Right, XK_Right, XK_Left, XK_Up, XK_Down}) arrows.push_back(Step(key));
  EXPECT_EQ(arrows, (std::vector<int>{5, 3, 5, 4, 5}));
}

TEST_F(WindowFocusDisplayTest, AWindowThatWantsTabGetsItAndKeepsTheFocus) {
  W(6)->wantTab = true;
  W(6)->SetFocus();
  tapKey(XK_Tab);
  ASSERT_TRUE(pumpUntil([&] { return W(6)->Count(WM_KEYDOWN, VK_TAB) == 1; }));
  EXPECT_EQ(Focused(), 6);
}

TEST_F(WindowFocusDisplayTest, AnAcceleratorFiresItsNewestTargetOnlyAndTheFocusedWindowSeesNoKey) {
  W(1)->SetFocus();
  std::vector<int> order;
  Target older(&order, 1), newer(&order, 2);
  const DWORD ctrlK = CAccelerator('K', true, false, false).GetAcc();
  host->GetAcceleratorMgr()->AddAccelerator(ctrlK, &older);
  host->GetAcceleratorMgr()->AddAccelerator(ctrlK, &newer);
  pressKey(XK_Control_L);
  tapKey(XK_k);
  releaseKey(XK_Control_L);
  ASSERT_TRUE(pumpUntil([&] { return !order.empty(); }));
  // A plain K is not the accelerator: it reaches the focused window.
  tapKey(XK_k);
  const auto ks = [&] { return W(1)->Count(WM_KEYDOWN, 'K'); };
  ASSERT_TRUE(pumpUntil([&] { return ks() > 0; }));
  pumpFor(100);
  EXPECT_EQ(order, (std::vector<int>{2}));
  EXPECT_EQ(ks(), 1) << "the accelerator's key press reached no window";
  host->GetAcceleratorMgr()->RemoveTarget(&older);
  host->GetAcceleratorMgr()->RemoveTarget(&newer);
}

TEST_F(WindowFocusDisplayTest, TheFocusIsParkedWhileAnotherWindowIsActiveAndComesBack) {
  W(6)->SetFocus();
  other = CreateWindowExW(0, L"SwndWindowHostTest", L"other", WS_POPUP, kX, kY + kH + 30, 80, 40, nullptr, nullptr,
                          nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ShowWindow(other, SW_SHOW);
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == other; }));
  ASSERT_TRUE(pumpUntil([&] { return host->GetFocusWindow() == 0; }));
  EXPECT_EQ(host->GetFocusManager().GetParked(), W(6)->GetHandle());
  EXPECT_FALSE(W(6)->IsFocused());
  tapKey(XK_x);  // goes to the other window, not the tree
  pumpFor(150);
  EXPECT_EQ(W(6)->Count(WM_KEYDOWN) + W(6)->Count(WM_CHAR), 0);

  // A click on the host's window that takes no focus activates it again:
  // the parked window has the focus back.
  moveMouse(kX + 300, kY + 30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
  ASSERT_TRUE(pumpUntil([&] { return Focused() == 6; }));
  tapKey(XK_x);
  ASSERT_TRUE(pumpUntil([&] { return W(6)->Count(WM_CHAR, 'x') == 1; }));
  EXPECT_EQ(W(6)->Count(WM_KEYDOWN, 'X'), 1);
}

}  // namespace
