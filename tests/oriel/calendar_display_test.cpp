// Both calendars in a real window: a real click on a day selects it, the
// day's cell shows the selected background on screen and the event
// carries the day; a date set in another month shows that month.
#include "../platform-display/display_helper.h"
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "control/SCalendar.h"
#include "control/SCalendarEx.h"

namespace {

constexpr int kX = 200, kY = 150;

class CalendarDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, 280, 200);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  void Show() {
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  void ClickAt(int x, int y) {
    moveMouse(kX + x, kY + y);
    pumpFor(30);
    clickButton(Button1);
  }
  SwndWindowHost* host = nullptr;
};

TEST_F(CalendarDisplayTest, AClickedDayOfTheCalendarIsFilledAndReported) {
  auto* cal = dynamic_cast<SCalendar*>(host->CreateChildrenFromString(L"<calendar pos='0,0,280,160'/>"));
  ASSERT_NE(cal, nullptr);
  cal->SetDate(2024, 6, 15, FALSE);
  std::vector<std::pair<int, int>> changes;
  ASSERT_TRUE(cal->SubscribeEvent(EventCalendarSelDay::EventID, [&](EventArgs* e) {
    auto* sel = static_cast<EventCalendarSelDay*>(e);
    changes.emplace_back(sel->wOldDay, sel->wNewDay);
    return true;
  }));
  Show();
  // The 19th (Wednesday, fourth row): cell 120-160 x 80-100.
  ASSERT_TRUE(pumpUntil([&] { return At(5, 5) == 0x00FF00 && At(122, 82) == 0xFFFFFF; }))
      << std::hex << At(5, 5) << " " << At(122, 82);
  ClickAt(125, 85);
  ASSERT_TRUE(pumpUntil([&] { return At(122, 82) == 0x0000FF; })) << std::hex << At(122, 82);
  EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{15, 19}}));
  // The 15th, no longer selected, is plain again.
  EXPECT_EQ(At(242, 62), 0xFFFFFFu);
}

// Setting a date in another month redraws the grid for that month: June
// 2024's Saturday 15th sits in the last column, September's Sunday 15th in
// the first; each call with notification raises 20001.
TEST_F(CalendarDisplayTest, SetDateShowsItsMonth) {
  auto* cal = dynamic_cast<SCalendar*>(host->CreateChildrenFromString(L"<calendar pos='0,0,280,160'/>"));
  ASSERT_NE(cal, nullptr);
  int setDates = 0;
  ASSERT_TRUE(cal->SubscribeEvent(EventCalendarSetDate::EventID, [&](EventArgs*) {
    ++setDates;
    return true;
  }));
  ASSERT_TRUE(cal->SetDate(2024, 6, 15, TRUE));
  Show();
  ASSERT_TRUE(pumpUntil([&] { return At(242, 62) == 0x0000FF && At(2, 62) == 0xFFFFFF; }))
      << std::hex << At(242, 62) << " " << At(2, 62);
  ASSERT_TRUE(cal->SetDate(2024, 9, 15, TRUE));
  ASSERT_TRUE(pumpUntil([&] { return At(2, 62) == 0x0000FF && At(242, 62) == 0xFFFFFF; }))
      << std::hex << At(2, 62) << " " << At(242, 62);
  EXPECT_FALSE(cal->SetDate(2024, 13, 1, TRUE));
  pumpFor(50);
  EXPECT_EQ(At(2, 62), 0x0000FFu) << "a refused date leaves the month";
  EXPECT_EQ(setDates, 2);
}

TEST_F(CalendarDisplayTest, AClickedDayOfThePickersCalendarIsFilledAndReported) {
  auto* cal = dynamic_cast<SCalendarEx*>(host->CreateChildrenFromString(
      L"<calendarex pos='0,0,280,200' yearHeight='30' weekHeight='20' todayHeight='20'/>"));
  ASSERT_NE(cal, nullptr);
  cal->SetDate(2024, 6, 15);
  std::vector<int> days;
  ASSERT_TRUE(cal->SubscribeEvent(EventCalendarExChanged::EventID, [&](EventArgs* e) {
    auto* c = static_cast<EventCalendarExChanged*>(e);
    days.push_back(c->iNewYear * 10000 + c->iNewMonth * 100 + c->iNewDay);
    return true;
  }));
  Show();
  // Cell 10 (June 5): 120-160 x 71-92.
  ASSERT_TRUE(pumpUntil([&] { return At(122, 73) == 0xFFFFFF; })) << std::hex << At(122, 73);
  ClickAt(140, 80);
  ASSERT_TRUE(pumpUntil([&] { return At(122, 73) == 0x007ACC; })) << std::hex << At(122, 73);
  EXPECT_EQ(days, std::vector<int>{20240605});
  WORD y, m, d;
  cal->GetDate(y, m, d);
  EXPECT_EQ(d, 5);
}

}  // namespace
