// Input routed by the container into a window tree: hover and leave,
// press and release with capture, transparent and disabled windows,
// wheels, keys, focus order, accelerators and event delivery. Messages are
// given to the container as the host would after converting them.
#include <string>
#include <vector>

#include "LogWindow.h"
#include "OrielTestApp.h"
#include "core/SwndContainer.h"

namespace {

// A host without a real window: it records the events that reach it.
class TestContainer : public SwndContainerImpl {
 public:
  BOOL DeliverEvent(EventArgs* e) override {
    delivered.push_back(e->GetId());
    return FALSE;
  }
  HWND GetHostHwnd() override { return nullptr; }
  SStringW GetTrContext() const override { return SStringW(); }
  BOOL IsTranslucent() const override { return FALSE; }
  BOOL WheelGoesToHover() const override { return wheelToHover; }
  RECT GetContainerRect() const override { return GetWindowRect(); }
  IRenderTarget* AcquireRenderTarget(const RECT&, DWORD) override { return nullptr; }
  void ReleaseRenderTarget(IRenderTarget*, const RECT&, DWORD) override {}
  void InvalidateHostRect(const RECT&) override {}
  BOOL CreateCaret(SWND, HBITMAP, int, int) override { return FALSE; }
  BOOL ShowCaret(BOOL) override { return FALSE; }
  BOOL SetCaretPos(int, int) override { return FALSE; }
  BOOL UpdateNow() override { return FALSE; }
  SMessageLoop* GetMessageLoop() override { return nullptr; }
  void* GetScriptModule() override { return nullptr; }
  int GetScale() const override { return 100; }

  std::vector<int> delivered;
  BOOL wheelToHover = FALSE;
};

struct Target : IAcceleratorTarget {
  explicit Target(std::vector<int>* order, int tag) : order(order), tag(tag) {}
  bool FireAccelerator(DWORD) override {
    order->push_back(tag);
    return consume;
  }
  std::vector<int>* order;
  int tag;
  bool consume = true;
};

class SWindowInputTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    app->RegisterClass<LogWindow>();
    host = new TestContainer;
  }
  void TearDown() override {
    host->SendSwndMessage(2);  // WM_DESTROY: the tree goes
    host->Release();
    OrielAppTest::TearDown();
  }
  void Build(const wchar_t* xml) {
    host->CreateChildrenFromString(xml);
    const RECT rc{0, 0, 200, 100};
    host->RelayoutTo(&rc);
  }
  LogWindow* W(int id) { return static_cast<LogWindow*>(host->FindDescendantById(id)); }
  LRESULT Send(UINT msg, WPARAM wParam, int x, int y) { return host->DispatchFrameMessage(msg, wParam, MAKELPARAM(x, y)); }
  int Delivered(int id) const {
    int n = 0;
    for (int e : host->delivered) n += e == id;
    return n;
  }
  TestContainer* host = nullptr;
};

TEST_F(SWindowInputTest, PressLeaveReturnReleaseAndReleaseOutside) {
  Build(L"<logwnd id='1' pos='10,10,60,40'/>");
  LogWindow* b = W(1);
  Send(WM_MOUSEMOVE, 0, 20, 20);
  EXPECT_EQ(host->GetHover(), b->GetHandle());
  EXPECT_TRUE(b->GetState() & WndState_Hover);
  EXPECT_EQ(Delivered(EventSwndMouseHover::EventID), 1);

  Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
  EXPECT_TRUE(host->WasHandled());
  EXPECT_EQ(host->GetCapture(), b->GetHandle());
  EXPECT_TRUE(b->GetState() & WndState_PushDown);
  Send(WM_MOUSEMOVE, MK_LBUTTON, 150, 80);  // out, the button still down
  EXPECT_FALSE(b->GetState() & WndState_PushDown);
  EXPECT_FALSE(b->GetState() & WndState_Hover);
  EXPECT_EQ(b->Count(WM_MOUSEMOVE), 2);  // the captured window keeps getting moves
  Send(WM_MOUSEMOVE, MK_LBUTTON, 30, 30);  // back in
  EXPECT_TRUE(b->GetState() & WndState_PushDown);
  Send(WM_LBUTTONUP, 0, 30, 30);
  EXPECT_EQ(host->GetCapture(), 0u);
  EXPECT_FALSE(b->GetState() & WndState_PushDown);
  EXPECT_EQ(Delivered(EventLButtonUp::EventID), 1);
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);

  // Released outside: no up event and no command.
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
  Send(WM_MOUSEMOVE, MK_LBUTTON, 150, 80);
  Send(WM_LBUTTONUP, 0, 150, 80);
  EXPECT_EQ(Delivered(EventLButtonUp::EventID), 1);
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);
  EXPECT_EQ(host->GetCapture(), 0u);

  // The mouse leaves the host: the hover window hears of it.
  Send(WM_MOUSEMOVE, 0, 30, 30);
  host->DispatchFrameMessage(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(host->GetHover(), 0u);
  EXPECT_FALSE(b->GetState() & WndState_Hover);
}

TEST_F(SWindowInputTest, TransparentOverlayDisabledChildAndZOrder) {
  Build(L"<logwnd id='1' pos='0,0,100,100'/>"
        L"<logwnd id='2' pos='0,0,100,100' msgTransparent='1'/>"
        L"<logwnd id='3' pos='120,0,180,50' enable='0'><logwnd id='4' pos='130,10,150,30'/></logwnd>");
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 50, 50);
  EXPECT_EQ(W(1)->Count(WM_LBUTTONDOWN), 1);  // through the transparent overlay
  EXPECT_EQ(W(2)->Count(WM_LBUTTONDOWN), 0);
  Send(WM_LBUTTONUP, 0, 50, 50);

  // A disabled window and its children get nothing, and say so.
  Send(WM_MOUSEMOVE, 0, 140, 20);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 140, 20);
  EXPECT_FALSE(host->WasHandled());
  Send(WM_MOUSEMOVE, 0, 50, 50);  // away: no leave for a window never hovered
  EXPECT_TRUE(W(4)->IsDisabled(TRUE));
  EXPECT_TRUE(W(3)->log.empty());
  EXPECT_TRUE(W(4)->log.empty());

  EXPECT_TRUE(host->IsZOrderDirty());
  host->BuildZOrder();
  EXPECT_FALSE(host->IsZOrderDirty());
  const int expected[] = {0, 1, 2, 3, 4};
  EXPECT_EQ(host->GetZOrder(), expected[0]);
  for (int id = 1; id <= 4; ++id) EXPECT_EQ(W(id)->GetZOrder(), expected[id]) << id;
  host->FindDescendantById(1)->BringToFront();
  EXPECT_TRUE(host->IsZOrderDirty());
}

TEST_F(SWindowInputTest, WheelsGoToFocusOrHoverInClientCoordinates) {
  Build(L"<logwnd id='1' pos='0,0,100,100' focusable='1'/><logwnd id='2' pos='100,0,200,100'/>");
  W(1)->SetFocus();
  for (UINT wheel : {WM_MOUSEWHEEL, WM_MOUSEHWHEEL}) {
    host->wheelToHover = FALSE;
    Send(wheel, 120 << 16, 150, 50);
    EXPECT_EQ(W(1)->Count(wheel), 1);
    host->wheelToHover = TRUE;
    Send(wheel, 120 << 16, 150, 50);  // client point (150, 50) lies in window 2
    EXPECT_EQ(W(2)->Count(wheel), 1) << wheel;
    EXPECT_EQ(W(2)->log.back().lParam, MAKELPARAM(150, 50));
  }
}

TEST_F(SWindowInputTest, KeysFocusTabOrderGroupsAndDisabledWindows) {
  Build(L"<logwnd id='1' pos='0,0,20,20' focusable='1'/>"
        L"<logwnd id='2' pos='20,0,40,20' focusable='1' enable='0'/>"
        L"<window id='9' pos='40,0,100,20'>"
        L"<logwnd id='3' pos='40,0,60,20' focusable='1'/>"
        L"<logwnd id='4' pos='60,0,80,20' focusable='1'/>"
        L"<logwnd id='5' pos='80,0,100,20' focusable='1'/></window>"
        L"<logwnd id='6' pos='100,0,120,20' focusable='1'/>");
  for (int id : {3, 4, 5}) W(id)->group = true;
  W(4)->SetChecked(TRUE);
  CFocusManager& fm = host->GetFocusManager();

  // A disabled window never takes the focus, however it is asked.
  W(2)->SetFocus();
  EXPECT_EQ(host->GetFocusWindow(), 0u);
  fm.SetFocusedHwnd(W(2)->GetHandle());
  EXPECT_EQ(host->GetFocusWindow(), 0u);

  W(1)->SetFocus();
  EXPECT_EQ(host->GetFocusWindow(), W(1)->GetHandle());
  EXPECT_EQ(Delivered(EventSetFocus::EventID), 1);
  Send(WM_KEYDOWN, 'X', 0, 0);
  EXPECT_EQ(W(1)->Count(WM_KEYDOWN), 1);

  // Tab: the disabled window is skipped, the group is one stop at its
  // checked member, and the end wraps round.
  std::vector<int> order;
  for (int i = 0; i < 4; ++i) {
    Send(WM_KEYDOWN, VK_TAB, 0, 0);
    order.push_back(static_cast<SWindow*>(SWindowMgr::getSingleton().LookupWindow(host->GetFocusWindow()))->GetId());
  }
  EXPECT_EQ(order, (std::vector<int>{4, 6, 1, 4}));
  EXPECT_EQ(W(1)->Count(WM_KEYDOWN), 1);  // Tab was the focus manager's
  EXPECT_EQ(fm.GetLastReason(), CFocusManager::kReasonKeyboard);
  // Backwards from the first window wraps to the last.
  W(1)->SetFocus();
  fm.AdvanceFocus(true);
  EXPECT_EQ(host->GetFocusWindow(), W(6)->GetHandle());

  // Arrows move inside the group and wrap round in it.
  W(4)->SetFocus();
  std::vector<int> arrows;
  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_UP}) {
    Send(WM_KEYDOWN, key, 0, 0);
    arrows.push_back(static_cast<SWindow*>(SWindowMgr::getSingleton().LookupWindow(host->GetFocusWindow()))->GetId());
  }
  EXPECT_EQ(arrows, (std::vector<int>{5, 3, 5, 4}));

  // A window that wants Tab gets it.
  W(6)->wantTab = true;
  W(6)->SetFocus();
  Send(WM_KEYDOWN, VK_TAB, 0, 0);
  EXPECT_EQ(host->GetFocusWindow(), W(6)->GetHandle());
  EXPECT_EQ(W(6)->Count(WM_KEYDOWN), 1);

  // Parked while the host is inactive, back on activation; a window
  // disabled meanwhile does not get it back.
  host->DispatchFrameMessage(WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(host->GetFocusWindow(), 0u);
  EXPECT_EQ(fm.GetParked(), W(6)->GetHandle());
  host->DispatchFrameMessage(WM_KILLFOCUS, 0, 0);  // the second notice of the same deactivation
  EXPECT_EQ(fm.GetParked(), W(6)->GetHandle());
  host->DispatchFrameMessage(WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(host->GetFocusWindow(), W(6)->GetHandle());
  host->DispatchFrameMessage(WM_ACTIVATE, WA_INACTIVE, 0);
  W(6)->SetEnabled(FALSE);
  host->DispatchFrameMessage(WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(host->GetFocusWindow(), 0u);
  Send(WM_KEYDOWN, 'X', 0, 0);
  EXPECT_FALSE(host->WasHandled());  // no focused window
}

// The display layer makes no composition messages yet; a host that gets
// them (sent here as an input method would) hands them to the focused
// window with their parameters, and without a focused window leaves them
// unhandled for the default procedure.
TEST_F(SWindowInputTest, InputMethodMessagesGoToTheFocusedWindow) {
  Build(L"<logwnd id='1' pos='0,0,50,50' focusable='1'/><logwnd id='2' pos='50,0,100,50' focusable='1'/>");
  struct Case {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  const Case cases[] = {{WM_IME_STARTCOMPOSITION, 0, 0},
                        {WM_IME_COMPOSITION, L'录', 0x800 /* the result string */},
                        {WM_IME_ENDCOMPOSITION, 0, 0},
                        {WM_IME_CHAR, L'音', 1}};
  for (const Case& c : cases) {
    host->GetFocusManager().SetFocusedHwnd(0);
    host->DispatchFrameMessage(c.msg, c.wParam, c.lParam);
    EXPECT_FALSE(host->WasHandled()) << std::hex << c.msg;
  }
  EXPECT_TRUE(W(1)->log.empty());
  W(2)->SetFocus();
  for (const Case& c : cases) host->DispatchFrameMessage(c.msg, c.wParam, c.lParam);
  ASSERT_EQ(W(2)->log.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(W(2)->log[i].msg, cases[i].msg) << i;
    EXPECT_EQ(W(2)->log[i].wParam, cases[i].wParam) << i;
    EXPECT_EQ(W(2)->log[i].lParam, cases[i].lParam) << i;
  }
  EXPECT_TRUE(W(1)->log.empty());
}

TEST_F(SWindowInputTest, AcceleratorsNewestFirstAndPacking) {
  const CAccelerator ctrlShiftF(VK_F5, true, false, true);
  EXPECT_EQ(ctrlShiftF.GetAcc(), 0x00060000u | VK_F5);
  EXPECT_EQ(CAccelerator(0x00010041).GetModifier(), CAccelerator::kAlt);
  EXPECT_EQ(CAccelerator(0x00010041).GetKey(), 'A');
  CFocusManager& fm = host->GetFocusManager();
  std::vector<int> order;
  Target first(&order, 1), second(&order, 2);
  fm.AddAccelerator('K', &first);
  fm.AddAccelerator('K', &second);
  Send(WM_KEYDOWN, 'K', 0, 0);  // no modifier is down in this process
  EXPECT_EQ(order, (std::vector<int>{2}));
  second.consume = false;
  EXPECT_TRUE(fm.DispatchAccelerator('K'));
  EXPECT_EQ(order, (std::vector<int>{2, 2, 1}));
  fm.RemoveTarget(&first);
  fm.RemoveAccelerator('K', &second);
  EXPECT_FALSE(fm.DispatchAccelerator('K'));
  EXPECT_FALSE(fm.DispatchAccelerator(CAccelerator('K', true, false, false).GetAcc()));
}

TEST_F(SWindowInputTest, EventsNewestFirstThenOwnerThenHost) {
  Build(L"<logwnd id='1' pos='0,0,50,50'/><logwnd id='2' pos='50,0,100,50'/>");
  std::vector<std::string> order;
  W(1)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return order.push_back("older"), false; });
  W(1)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return order.push_back("newer"), false; });
  W(2)->SubscribeEvent(EventCmd::EventID, [&](EventArgs*) { return order.push_back("owner"), false; });
  W(1)->SetOwner(W(2));
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Send(WM_LBUTTONUP, 0, 10, 10);
  EXPECT_EQ(order, (std::vector<std::string>{"newer", "older", "owner"}));
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);  // the owner's own delivery reaches the host
  // A subscriber that stops the event keeps it from the owner and the host.
  W(1)->SubscribeEvent(EventCmd::EventID, [&](EventArgs* e) { return e->bubbleUp = 0, true; });
  order.clear();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Send(WM_LBUTTONUP, 0, 10, 10);
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);
}

TEST_F(SWindowInputTest, TrackedWindowsAndTheirRemoval) {
  Build(L"<logwnd id='1' pos='0,0,100,100' trackMouseEvent='1'><logwnd id='2' pos='10,10,50,50'/></logwnd>");
  Send(WM_MOUSEMOVE, 0, 80, 80);
  EXPECT_TRUE(W(1)->GetState() & WndState_Hover);
  Send(WM_MOUSEMOVE, 0, 20, 20);  // into the child: the tracking parent keeps its hover
  EXPECT_TRUE(W(2)->GetState() & WndState_Hover);
  EXPECT_TRUE(W(1)->GetState() & WndState_Hover);
  EXPECT_EQ(W(1)->Count(WM_MOUSELEAVE), 0);
  Send(WM_MOUSEMOVE, 0, 150, 80);
  EXPECT_FALSE(W(1)->GetState() & WndState_Hover);
  EXPECT_FALSE(host->AddTrackedWindow(W(1)->GetHandle()));  // already tracked
  const SWND tracked = W(1)->GetHandle();
  W(1)->Destroy();
  Send(WM_MOUSEMOVE, 0, 20, 20);
  EXPECT_FALSE(host->RemoveTrackedWindow(tracked));  // dropped by the move
}

}  // namespace
