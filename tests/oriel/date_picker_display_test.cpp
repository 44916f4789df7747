// The date-time picker in a real window, driven through the X server: real
// clicks select segments, real keys type and step them (a table of cases,
// with the typed year and a month or day left at 0 settled when editing
// ends), none of which raises the change event; the drop button opens the
// calendar below the picker (above it near the monitor's bottom) and a
// real click on a day sets the date, raises one change and closes it.
#include <X11/keysym.h>

#include "../platform-display/display_helper.h"
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "control/SDateTimePicker.h"
#include "core/SMessageLoop.h"

namespace {

constexpr int kX = 200, kY = 150, kW = 320, kH = 50;

// A test host on the application's loop, so a drop-down's message filter
// joins that loop as it does under a real host.
class LoopHost : public SwndWindowHost {
 public:
  using SwndWindowHost::SwndWindowHost;
  SMessageLoop* GetMessageLoop() override { return SApplication::getSingleton().GetMsgLoop(); }
};

class DatePickerDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & kSysResSkinMissing, 0);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  void Make(int x, int y) {
    hostX = x, hostY = y;
    host = new LoopHost(x, y, kW, kH);
    picker = dynamic_cast<SDateTimePicker*>(host->CreateChildrenFromString(
        L"<dateTimePicker pos='10,10,300,40' font='size:16'><calstyle colorSelBg='#007ACCFF'/></dateTimePicker>"));
    ASSERT_NE(picker, nullptr);
    ASSERT_NE(picker->GetCalendar(), nullptr);
    picker->SubscribeEvent(EventDateTimeChanged::EventID, [this](EventArgs* e) {
      const SYSTEMTIME& t = static_cast<EventDateTimeChanged*>(e)->newTime;
      changes.push_back(t.wYear * 10000 + t.wMonth * 100 + t.wDay);
      return true;
    });
    moveMouse(5, 5);
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
  }
  void Click(int x, int y) {
    moveMouse(x, y);
    pumpFor(30);
    clickButton(Button1);
    pumpFor(50);
  }
  // A real click in the middle of a segment, found through the picker's hit test.
  void ClickSegment(int segment) {
    const RECT rc = picker->GetWindowRect();
    int first = -1, last = -1;
    for (int x = rc.left; x < rc.right; ++x) {
      if (picker->SegmentAt(x) != segment) continue;
      if (first < 0) first = x;
      last = x;
    }
    ASSERT_GE(first, 0);
    Click(hostX + (first + std::min(last, first + 20)) / 2, hostY + 25);
    ASSERT_TRUE(pumpUntil([&] { return picker->GetSelectedSegment() == segment; })) << "segment " << segment;
  }
  // Pumps through the application's loop, so its message filters run.
  bool Pump(const std::function<bool()>& done) {
    SMessageLoop* loop = app->GetMsgLoop();
    return pumpUntilVia([loop](MSG* msg) { loop->DispatchOne(msg); }, done);
  }
  static int Date(const SYSTEMTIME& t) { return t.wYear * 10000 + t.wMonth * 100 + t.wDay; }
  RECT DropDownOnScreen() {
    RECT rc{};
    if (SDropDownWnd* d = picker->GetDropDown()) ::GetWindowRect(d->GetHwnd(), &rc);
    return rc;
  }

  SwndWindowHost* host = nullptr;
  SDateTimePicker* picker = nullptr;
  int hostX = 0, hostY = 0;
  std::vector<int> changes;
};

TEST_F(DatePickerDisplayTest, KeysDigitsAndTheWheelEditSegmentsWithoutTheChangeEvent) {
  Make(kX, kY);
  struct Case {
    const char* what;
    int start;  // yyyymmdd
    int segment;
    std::vector<KeySym> keys;
    int wheel;  // notches, after the keys
    int expected;
  };
  const Case cases[] = {
      {"month 1 then 5", 20240310, SDateTimePicker::kMonth, {XK_1, XK_5}, 0, 20240510},
      {"a leading 0 is ignored", 20240310, SDateTimePicker::kMonth, {XK_0, XK_5}, 0, 20240510},
      {"31 January, month 1 then 9", 20240131, SDateTimePicker::kMonth, {XK_1, XK_9}, 0, 20240930},
      {"a month left at 0 returns", 20240310, SDateTimePicker::kMonth, {XK_2, XK_0}, 0, 20240310},
      {"a day left at 0 returns", 20240310, SDateTimePicker::kDay, {XK_4, XK_0}, 0, 20240310},
      {"day 2 then 9 in February", 20230205, SDateTimePicker::kDay, {XK_2, XK_9}, 0, 20230209},
      {"a fifth year digit starts again", 20230310, SDateTimePicker::kYear, {XK_2, XK_0, XK_2, XK_4, XK_1, XK_9,
       XK_9, XK_0}, 0, 19900310},
      {"a half-typed year returns", 20240310, SDateTimePicker::kYear, {XK_1, XK_9}, 0, 20240310},
      {"31 January, month 2 then 0", 20240131, SDateTimePicker::kMonth, {XK_2, XK_0}, 0, 20240131},
      {"a typed year beyond 6999", 20240310, SDateTimePicker::kYear, {XK_9, XK_9, XK_9, XK_9}, 0, 69990310},
      {"the year steps no further", 69991231, SDateTimePicker::kYear, {XK_Up}, 0, 69991231},
      {"nor below 1600", 16000101, SDateTimePicker::kYear, {XK_Down}, 0, 16000101},
      {"a year step shortens 29 February", 20240229, SDateTimePicker::kYear, {XK_Up}, 0, 20250228},
      {"the month wraps", 20241215, SDateTimePicker::kMonth, {XK_Up}, 0, 20250115 - 10000},
      {"the wheel on 31 January's day", 20240131, SDateTimePicker::kDay, {}, 1, 20240101},
      {"the wheel down on the 1st", 20240201, SDateTimePicker::kDay, {}, -1, 20240229},
  };
  for (const Case& c : cases) {
    picker->SetTime(static_cast<WORD>(c.start / 10000), static_cast<WORD>(c.start / 100 % 100),
                    static_cast<WORD>(c.start % 100), 10, 20, 30);
    ClickSegment(c.segment);
    for (KeySym k : c.keys) {
      tapKey(k);
      pumpFor(20);
    }
    if (c.wheel) clickButton(c.wheel > 0 ? 4 : 5);
    pumpFor(80);
    tapKey(XK_Right);  // editing ends as the selection moves on
    ASSERT_TRUE(pumpUntil([&] { return Date(picker->GetTime()) == c.expected; }, 2000))
        << c.what << ": " << Date(picker->GetTime());
  }
  // The hour restarts above 23; the text shows every field.
  picker->SetTime(2024, 3, 10, 10, 20, 30);
  ClickSegment(SDateTimePicker::kHour);
  tapKey(XK_3);
  tapKey(XK_5);
  ASSERT_TRUE(pumpUntil([&] { return picker->GetTime().wHour == 5; }, 2000)) << picker->GetTime().wHour;
  EXPECT_EQ(picker->GetText(), SStringW(L"2024-03-10 05:20:30"));
  EXPECT_TRUE(changes.empty());
}

// What a caller reads while a segment is still being typed (a dialog's
// default button pressed by Enter reads it so) is a valid date: the typed
// field when complete, else its value before the typing.
TEST_F(DatePickerDisplayTest, AHalfTypedSegmentReadsAsAValidDate) {
  Make(kX, kY);
  struct Case {
    const char* what;
    int start;  // yyyymmdd
    int segment;
    std::vector<KeySym> keys;
    int expected;
  };
  const Case cases[] = {
      {"month 2 then 0", 20240310, SDateTimePicker::kMonth, {XK_2, XK_0}, 20240310},
      {"31 January, month 2 then 0", 20240131, SDateTimePicker::kMonth, {XK_2, XK_0}, 20240131},
      {"month 1", 20240310, SDateTimePicker::kMonth, {XK_1}, 20240110},
      {"31 January, month 2", 20240131, SDateTimePicker::kMonth, {XK_2}, 20240229},
      {"year 2", 20240310, SDateTimePicker::kYear, {XK_2}, 20240310},
      {"year 2, 0, 2", 20240310, SDateTimePicker::kYear, {XK_2, XK_0, XK_2}, 20240310},
      {"year 2026", 20240310, SDateTimePicker::kYear, {XK_2, XK_0, XK_2, XK_6}, 20260310},
      {"day 4 then 0", 20240310, SDateTimePicker::kDay, {XK_4, XK_0}, 20240310},
  };
  for (const Case& c : cases) {
    picker->SetTime(static_cast<WORD>(c.start / 10000), static_cast<WORD>(c.start / 100 % 100),
                    static_cast<WORD>(c.start % 100), 10, 20, 30);
    ClickSegment(c.segment);
    for (KeySym k : c.keys) tapKey(k);
    // The last key has arrived once the segment shows it being typed.
    ASSERT_TRUE(pumpUntil([&] { return picker->GetSelectedSegment() == c.segment && picker->GetTypedDigits() == static_cast<int>(c.keys.size()); },
                          2000))
        << c.what;
    EXPECT_EQ(Date(picker->GetTime()), c.expected) << c.what;
    EXPECT_EQ(picker->GetSelectedSegment(), c.segment) << c.what << ": the read ends no typing";
  }
}

TEST_F(DatePickerDisplayTest, TheDropButtonOpensTheCalendarBelowAndADayClickSetsTheDateOnce) {
  Make(kX, kY);
  picker->SetTime(2024, 6, 15, 8, 0, 0);
  const RECT me = picker->GetWindowRect();
  const RECT button = picker->DropButtonRect();
  Click(hostX + (button.left + button.right) / 2, hostY + (button.top + button.bottom) / 2);
  ASSERT_TRUE(pumpUntil([&] { return picker->GetDropDown() && IsWindowVisible(picker->GetDropDown()->GetHwnd()); }));
  const RECT drop = DropDownOnScreen();
  EXPECT_EQ(drop.top, hostY + me.bottom);
  EXPECT_EQ(drop.right, hostX + me.right);
  EXPECT_EQ(drop.right - drop.left, 220);
  EXPECT_EQ(drop.bottom - drop.top, 220);
  SCalendarEx* cal = picker->GetCalendar();
  // June 15th is cell 20, shown selected; June 5th is cell 10.
  const RECT selected = cal->GetDayRect(20);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(drop.left + selected.left + 2, drop.top + selected.top + 2) == 0x007ACC; }))
      << std::hex << screenPixel(drop.left + selected.left + 2, drop.top + selected.top + 2);
  const RECT fifth = cal->GetDayRect(10);
  Click(drop.left + (fifth.left + fifth.right) / 2, drop.top + (fifth.top + fifth.bottom) / 2);
  ASSERT_TRUE(pumpUntil([&] { return picker->GetDropDown() == nullptr; }));
  EXPECT_EQ(Date(picker->GetTime()), 20240605);
  EXPECT_EQ(picker->GetTime().wHour, 8);
  EXPECT_EQ(changes, std::vector<int>{20240605});
  EXPECT_FALSE(cal->IsVisible());
}

TEST_F(DatePickerDisplayTest, NearTheMonitorsBottomTheCalendarOpensAbove) {
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  Make(kX, screenH - kH - 20);
  const RECT me = picker->GetWindowRect();
  const RECT button = picker->DropButtonRect();
  Click(hostX + (button.left + button.right) / 2, hostY + (button.top + button.bottom) / 2);
  ASSERT_TRUE(pumpUntil([&] { return picker->GetDropDown() && IsWindowVisible(picker->GetDropDown()->GetHwnd()); }));
  const RECT drop = DropDownOnScreen();
  EXPECT_EQ(drop.bottom, hostY + me.top);
  EXPECT_EQ(drop.right, hostX + me.right);
  // Escape closes it without a change.
  tapKey(XK_Escape);
  ASSERT_TRUE(Pump([&] { return picker->GetDropDown() == nullptr; }));
  EXPECT_TRUE(changes.empty());
}

}  // namespace
