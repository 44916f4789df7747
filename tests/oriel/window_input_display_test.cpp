// A window tree in a real window, fed by real X input: the pointer's hover
// and leave, a double click, Tab order, an Alt accelerator, keys reaching
// the focused window, and the tool tip of the window under the pointer.
#include <vector>

#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "core/STipCtrl.h"
#include "../platform-display/display_helper.h"
// After gtest: Xlib's macros clash with its names.
#include <X11/keysym.h>

namespace {

constexpr int kX = 200, kY = 150, kW = 320, kH = 120;

// A window that records the messages it is sent from the keyboard and
// the double clicks.
class KeyLogWindow : public SWindow {
  SOBJ_CLASS(KeyLogWindow, SWindow, L"keylog", kObjWindow)
 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || msg == WM_LBUTTONDBLCLK) log.push_back({msg, wParam});
    if (msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_SYSCHAR || msg == WM_LBUTTONDBLCLK) return TRUE;
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  int Count(UINT msg, WPARAM wParam) const {
    int n = 0;
    for (const auto& m : log) n += m.msg == msg && m.wParam == wParam;
    return n;
  }
  struct Msg {
    UINT msg;
    WPARAM wParam;
  };
  std::vector<Msg> log;
};

struct CountingTarget : IAcceleratorTarget {
  bool FireAccelerator(DWORD) override { return ++fired, true; }
  int fired = 0;
};

// Five windows side by side (64 px each): 1, 2 and 4 take the focus, 3
// does not, 5 takes it and has a tip.
class WindowInputDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    app->RegisterClass<KeyLogWindow>();
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<keylog id='1' pos='0,0,64,-0' focusable='1'/>"
        L"<keylog id='2' pos='64,0,128,-0' focusable='1'/>"
        L"<keylog id='3' pos='128,0,192,-0'/>"
        L"<keylog id='4' pos='192,0,256,-0' focusable='1'/>"
        L"<keylog id='5' pos='256,0,320,-0' focusable='1' tip='a tip'/>");
    moveMouse(10, 10);  // away from the host
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  KeyLogWindow* W(int id) { return static_cast<KeyLogWindow*>(host->FindDescendantById(id)); }
  int Focused() {
    SWindow* w = SWindowMgr::getSingleton().LookupWindow(host->GetFocusWindow());
    return w ? w->GetId() : 0;
  }
  // Taps a key with modifiers held, then lets the messages arrive.
  void Chord(std::initializer_list<KeySym> held, KeySym key) {
    for (KeySym k : held) pressKey(k);
    tapKey(key);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it) releaseKey(*it);
  }
  SwndWindowHost* host = nullptr;
};

TEST_F(WindowInputDisplayTest, ThePointerHoversAWindowAndLeavingTheHostLeavesIt) {
  int hovers = 0, leaves = 0;
  W(2)->SubscribeEvent(EventSwndMouseHover::EventID, [&](EventArgs*) { return ++hovers, true; });
  W(2)->SubscribeEvent(EventSwndMouseLeave::EventID, [&](EventArgs*) { return ++leaves, true; });
  moveMouse(kX + 90, kY + 60);
  ASSERT_TRUE(pumpUntil([&] { return hovers == 1; }));
  EXPECT_TRUE(W(2)->GetState() & WndState_Hover);
  EXPECT_EQ(host->GetHover(), W(2)->GetHandle());

  moveMouse(kX + 150, kY + 60);  // into the neighbour
  ASSERT_TRUE(pumpUntil([&] { return leaves == 1; }));
  EXPECT_TRUE(W(3)->GetState() & WndState_Hover);

  moveMouse(kX + 90, kY + 60);
  ASSERT_TRUE(pumpUntil([&] { return hovers == 2; }));
  moveMouse(kX - 50, kY - 50);  // out of the host window
  ASSERT_TRUE(pumpUntil([&] { return leaves == 2; }));
  EXPECT_FALSE(W(2)->GetState() & WndState_Hover);
  EXPECT_EQ(host->GetHover(), 0u);
}

TEST_F(WindowInputDisplayTest, ADoubleClickReachesTheWindowUnderThePointer) {
  moveMouse(kX + 30, kY + 60);
  ASSERT_TRUE(pumpUntil([&] { return host->GetHover() == W(1)->GetHandle(); }));
  clickButton(1);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return W(1)->Count(WM_LBUTTONDBLCLK, MK_LBUTTON) +
                                         W(1)->Count(WM_LBUTTONDBLCLK, 0) == 1; }));
  EXPECT_EQ(W(2)->log.size(), 0u);
  EXPECT_EQ(Focused(), 1) << "the first press of the pair focused it";
}

TEST_F(WindowInputDisplayTest, TabShiftTabAndCtrlTabMoveTheFocusInTabOrder) {
  W(1)->SetFocus();
  std::vector<int> order;
  for (int i = 0; i < 4; ++i) {
    const int before = Focused();
    tapKey(XK_Tab);
    ASSERT_TRUE(pumpUntil([&] { return Focused() != before; })) << i;
    order.push_back(Focused());
  }
  EXPECT_EQ(order, (std::vector<int>{2, 4, 5, 1})) << "3 takes no focus; the last wraps to the first";

  Chord({XK_Shift_L}, XK_Tab);
  ASSERT_TRUE(pumpUntil([&] { return Focused() == 5; })) << "Shift+Tab from the first wraps to the last";

  // Ctrl+Tab is not the focus manager's: it goes to the focused window.
  Chord({XK_Control_L}, XK_Tab);
  ASSERT_TRUE(pumpUntil([&] { return W(5)->Count(WM_KEYDOWN, VK_TAB) == 1; }));
  EXPECT_EQ(Focused(), 5);
}

TEST_F(WindowInputDisplayTest, KeysReachTheFocusedWindowAndAltAFiresItsAccelerator) {
  W(4)->SetFocus();
  tapKey(XK_b);
  ASSERT_TRUE(pumpUntil([&] { return W(4)->Count(WM_CHAR, 'b') == 1; }));
  EXPECT_EQ(W(4)->Count(WM_KEYDOWN, 'B'), 1);
  EXPECT_EQ(W(1)->log.size(), 0u);

  // Without an accelerator, Alt+a reaches the window as WM_SYSCHAR 'A'.
  Chord({XK_Alt_L}, XK_a);
  ASSERT_TRUE(pumpUntil([&] { return W(4)->Count(WM_SYSCHAR, 'A') == 1; }));

  // With one, the key press fires it once and the window sees no character.
  CountingTarget target;
  host->GetAcceleratorMgr()->AddAccelerator(CAccelerator('A', false, true, false).GetAcc(), &target);
  Chord({XK_Alt_L}, XK_a);
  ASSERT_TRUE(pumpUntil([&] { return target.fired >= 1; }));
  pumpFor(150);
  EXPECT_EQ(target.fired, 1);
  EXPECT_EQ(W(4)->Count(WM_SYSCHAR, 'A'), 1);
  host->GetAcceleratorMgr()->RemoveTarget(&target);
}

TEST_F(WindowInputDisplayTest, TheToolTipShowsTheTipOfTheWindowUnderThePointer) {
  auto* tip = new STipCtrl;  // deletes itself with its window
  ASSERT_TRUE(tip->CreateTipWindow());
  host->SetToolTip(tip);
  // The tip is named at the first move over the window and timed from the
  // next one, as the pointer comes to rest.
  moveMouse(kX + 278, kY + 38);
  ASSERT_TRUE(pumpUntil([&] { return host->GetHover() == W(5)->GetHandle(); }));
  pumpFor(50);
  moveMouse(kX + 280, kY + 40);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(tip->GetHwnd()) != FALSE; }, 3000));
  EXPECT_EQ(tip->GetText(), SStringW(L"a tip"));
  RECT at{};
  GetWindowRect(tip->GetHwnd(), &at);
  EXPECT_EQ(at.top, kY + 40 + STipCtrl::kOffsetBelow);

  moveMouse(kX + 150, kY + 40);  // a window without a tip
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(tip->GetHwnd()); }));
  pumpFor(800);
  EXPECT_FALSE(IsWindowVisible(tip->GetHwnd()));
  host->SetToolTip(nullptr);
  DestroyWindow(tip->GetHwnd());
}

}  // namespace
