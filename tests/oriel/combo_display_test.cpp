// The combo box in a real host window under XTest: the list drops down
// below the combo (above it near the screen's bottom) as high as its rows;
// a click on an entry selects it once and closes; Enter closes with one
// more selection event; Esc, clicks outside, the combo's focus loss and
// the application's deactivation close with none; Down and
// the wheel step a closed combo. The host stays the active window.
#include <unistd.h>

#include "HostTestWindow.h"
#include "control/SComboBox.h"
#include "core/SMessageLoop.h"
#include "list_test_input.h"

namespace {

constexpr int kRow = 24, kRows = 5;
constexpr unsigned long kSelected = 0x3991D1;  // the list's selected background
// The combo lies at (20, 20)-(220, 50) in its host.
constexpr int kComboLeft = 20, kComboTop = 20, kComboRight = 220, kComboBottom = 50;

std::string Layout(int animateTime) {
  std::string xml =
      "<ORIEL width='300' height='160'><root colorBkgnd='#ffffff'>"
      "<combobox name='cb' pos='20,20,220,50' dropHeight='300' animateTime='" +
      std::to_string(animateTime) +
      "'><liststyle itemHeight='24' colorItemBkgnd='#ffffff' colorItemSelBkgnd='#3991d1'"
      " colorItemHotBkgnd='#ffffff'/><items>";
  for (int i = 0; i < kRows; ++i) xml += "<item text='entry " + std::to_string(i) + "'/>";
  return xml + "</items></combobox></root></ORIEL>";
}

class ComboDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    moveMouse(1200, 10);
  }
  void TearDown() override {
    if (host) {
      host->DestroyHostWindow();
      delete host;
    }
    OrielAppTest::TearDown();
  }
  void Show(int x, int y, int animateTime) {
    hostX = x;
    hostY = y;
    host = new TestHost;
    ASSERT_TRUE(MakeHost(*host, Layout(animateTime).c_str(), x, y));
    combo = host->FindChildByName2<SComboBox>(SStringW(L"cb"));
    ASSERT_NE(combo, nullptr);
    combo->SubscribeEvent(EventCBSelChange::EventID, [this](EventArgs* e) {
      events.push_back(static_cast<EventCBSelChange*>(e)->nCurSel);
      return true;
    });
    ShowWindow(host->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->GetHwnd()));
    SetForegroundWindow(host->GetHwnd());
    ASSERT_TRUE(Pump([&] { return GetActiveWindow() == host->GetHwnd(); }));
  }
  // Pumps through the application's loop, so its message filters run.
  bool Pump(const std::function<bool()>& done, int timeoutMs = 5000) {
    SMessageLoop* loop = app->GetMsgLoop();
    return pumpUntilVia([loop](MSG* msg) { loop->DispatchOne(msg); }, done, timeoutMs);
  }
  void PumpFor(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    Pump([&] { return std::chrono::steady_clock::now() >= until; }, ms + 1000);
  }
  // A press and a release apart, each handled before the next.
  void ClickScreen(int x, int y) {
    moveMouse(x, y);
    PumpFor(30);
    PressButton(1, true);
    PumpFor(60);
    PressButton(1, false);
    PumpFor(60);
  }
  bool Open() {
    ClickScreen(hostX + 60, hostY + 35);
    return Pump([&] {
      SDropDownWnd* d = combo->GetDropDown();
      return d && d->GetHwnd() && IsWindowVisible(d->GetHwnd()) && combo->GetButtonState() == 2;
    });
  }
  bool Closed() {
    return Pump([&] { return combo->GetDropDown() == nullptr && combo->GetButtonState() == 0; });
  }
  RECT PopupRect() {
    RECT rc{};
    if (SDropDownWnd* d = combo->GetDropDown()) GetWindowRect(d->GetHwnd(), &rc);
    return rc;
  }
  bool HostActive() { return GetActiveWindow() == host->GetHwnd(); }

  TestHost* host = nullptr;
  SComboBox* combo = nullptr;
  int hostX = 0, hostY = 0;
  std::vector<int> events;
};

TEST_F(ComboDisplayTest, OpensBelowAsHighAsItsRowsAndAClickOnAnEntrySelectsOnceAndCloses) {
  Show(200, 150, 0);
  ASSERT_TRUE(Open());
  const RECT popup = PopupRect();
  const RECT expected{hostX + kComboLeft, hostY + kComboBottom, hostX + kComboRight,
                      hostY + kComboBottom + kRows * kRow};
  EXPECT_TRUE(EqualRect(&popup, &expected)) << popup.left << "," << popup.top << "," << popup.right << ","
                                            << popup.bottom;
  // The rows are on the screen, nothing selected yet.
  ASSERT_TRUE(Pump([&] { return screenPixel(popup.right - 10, popup.top + 2 * kRow + 3) == 0xFFFFFF; }));
  EXPECT_TRUE(HostActive());

  ClickScreen(popup.left + 30, popup.top + 3 * kRow + 10);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(events, std::vector<int>{3});
  EXPECT_EQ(combo->GetCurSel(), 3);
  EXPECT_EQ(combo->GetListBox()->GetParent(), nullptr);  // back outside the tree
  EXPECT_TRUE(HostActive());
  PumpFor(100);
  EXPECT_EQ(events, std::vector<int>{3});

  // A second opening shows the selected row.
  ASSERT_TRUE(Open());
  const RECT again = PopupRect();
  EXPECT_TRUE(Pump([&] { return screenPixel(again.right - 10, again.top + 3 * kRow + 3) == kSelected; }));
  tapKey(XK_Escape);
  ASSERT_TRUE(Closed());
}

TEST_F(ComboDisplayTest, EnterAcceptsWithOneMoreEventEscAndClicksOutsideCancel) {
  Show(200, 150, 0);
  // Arrows move the open list's selection though the host keeps the keys.
  ASSERT_TRUE(Open());
  tapKey(XK_Down);
  tapKey(XK_Down);
  ASSERT_TRUE(Pump([&] { return events.size() == 2; }));
  EXPECT_EQ(events, (std::vector<int>{0, 1}));
  const RECT popup = PopupRect();
  EXPECT_TRUE(Pump([&] { return screenPixel(popup.right - 10, popup.top + kRow + 3) == kSelected; }));
  tapKey(XK_Return);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(events, (std::vector<int>{0, 1, 1}));
  EXPECT_TRUE(HostActive());

  struct Cancel {
    const char* how;
    std::function<void()> act;
  };
  const Cancel cancels[] = {
      {"Esc", [] { tapKey(XK_Escape); }},
      {"a click on the host", [&] { ClickScreen(hostX + 250, hostY + 120); }},
      {"a click on the bare screen", [&] { ClickScreen(1100, 900); }},
      {"the focus leaving the combo", [&] { combo->ReleaseFocus(); }},
      // What the loop sees when another program takes the activation.
      {"the application's deactivation", [&] { PostMessageW(host->GetHwnd(), WM_ACTIVATEAPP, FALSE, 0); }},
  };
  for (const Cancel& c : cancels) {
    combo->SetCurSel(0);  // room for the Down below
    events.clear();
    ASSERT_TRUE(Open()) << c.how;
    tapKey(XK_Down);
    ASSERT_TRUE(Pump([&] { return events.size() == 1; })) << c.how;
    c.act();
    ASSERT_TRUE(Closed()) << c.how;
    PumpFor(100);
    EXPECT_EQ(events.size(), 1u) << c.how << ": closing raised a selection event";
    EXPECT_TRUE(HostActive()) << c.how;
  }
}

TEST_F(ComboDisplayTest, DownAndTheWheelStepAClosedCombo) {
  Show(200, 150, 0);
  combo->SetFocus();
  tapKey(XK_Down);
  ASSERT_TRUE(Pump([&] { return events.size() == 1; }));
  EXPECT_EQ(events, std::vector<int>{0});
  moveMouse(hostX + 60, hostY + 35);
  PumpFor(30);
  clickButton(5);  // wheel down: the next entry
  ASSERT_TRUE(Pump([&] { return events.size() == 2; }));
  clickButton(4);  // wheel up: back
  ASSERT_TRUE(Pump([&] { return events.size() == 3; }));
  EXPECT_EQ(events, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(combo->GetDropDown(), nullptr);
  EXPECT_TRUE(HostActive());
}

TEST_F(ComboDisplayTest, NearTheScreensBottomItSlidesOpenAboveTheCombo) {
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  Show(200, screenHeight - 100, 200);
  ASSERT_TRUE(Open());
  const RECT popup = PopupRect();
  const RECT expected{hostX + kComboLeft, hostY + kComboTop - kRows * kRow, hostX + kComboRight,
                      hostY + kComboTop};
  EXPECT_TRUE(EqualRect(&popup, &expected)) << popup.left << "," << popup.top << "," << popup.right << ","
                                            << popup.bottom;
  EXPECT_TRUE(Pump([&] { return screenPixel(popup.right - 10, popup.top + 3) == 0xFFFFFF; }));
  EXPECT_TRUE(HostActive());
  ClickScreen(popup.left + 30, popup.top + kRow + 10);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(events, std::vector<int>{1});
}

}  // namespace
