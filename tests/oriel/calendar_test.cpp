// Both calendars in a headless host: the date arithmetic, June 2024's
// grid, the hit codes of every area, clicks with the events they raise,
// and the mended edge cases (titles from the layout kept, the strips past
// the last column and row, a cleared selection reported, dates out of
// range refused, another month's day showing that month).
#include <ctime>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SCalendar.h"
#include "control/SCalendarEx.h"

namespace {

class CalendarTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(400, 300);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  template <class T>
  T* Make(const wchar_t* xml) {
    auto* made = dynamic_cast<T*>(host->CreateChildrenFromString(xml));
    host->Paint();
    return made;
  }
  void Click(int x, int y) {
    host->DispatchFrameMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    host->DispatchFrameMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  SwndTestHost* host = nullptr;
};

// --- the plain calendar -------------------------------------------------

TEST_F(CalendarTest, DateArithmetic) {
  struct Week {
    WORD y, m, d;
    int weekday;
  } weeks[] = {{2000, 1, 1, 6}, {2024, 2, 29, 4}, {2024, 6, 1, 6}, {1600, 1, 1, 6},
               {1599, 12, 31, -1}, {2023, 2, 29, -1}, {7000, 1, 1, -1}};
  for (const Week& w : weeks) EXPECT_EQ(SCalendar::DayOfWeek(w.y, w.m, w.d), w.weekday) << w.y << "-" << w.m;
  EXPECT_EQ(SCalendar::DaysInMonth(2000, 2), 29);
  EXPECT_EQ(SCalendar::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(SCalendar::DaysInMonth(2023, 12), 31);
  EXPECT_EQ(SCalendar::DaysInMonth(2023, 13), 0);
  EXPECT_EQ(SCalendar::DayOfYear(2024, 3, 1), 60);
  EXPECT_EQ(SCalendar::DayOfYear(2023, 3, 1), 59);
  EXPECT_EQ(SCalendar::DayOfYear(2023, 1, 1), 0);
  EXPECT_EQ(SCalendar::DayOfYear(1599, 1, 1), -1);
  bool leap = true;
  EXPECT_TRUE(SCalendar::IsLeapYear(1600, leap));
  EXPECT_TRUE(leap);
  EXPECT_TRUE(SCalendar::IsLeapYear(1700, leap));
  EXPECT_FALSE(leap);
  EXPECT_FALSE(SCalendar::IsLeapYear(1599, leap));
  WORD month = 0, day = 0;
  EXPECT_TRUE(SCalendar::DateFromDayOfYear(2024, 60, month, day));
  EXPECT_EQ(month * 100 + day, 229);
  EXPECT_TRUE(SCalendar::DateFromDayOfYear(2023, 60, month, day));
  EXPECT_EQ(month * 100 + day, 301);
  EXPECT_TRUE(SCalendar::DateFromDayOfYear(2024, 366, month, day));
  EXPECT_EQ(month * 100 + day, 1231);
  EXPECT_FALSE(SCalendar::DateFromDayOfYear(2023, 366, month, day));
  EXPECT_FALSE(SCalendar::DateFromDayOfYear(2023, 0, month, day));
  EXPECT_EQ(SCalendar::FormatMonth(12), SStringW(L"十二"));
  EXPECT_EQ(SCalendar::FormatDay(5), SStringW(L"5"));
}

TEST_F(CalendarTest, SetDateRefusesMonthsAndYearsOutOfRangeAndClearsADayPastTheMonth) {
  auto* cal = Make<SCalendar>(L"<calendar pos='0,0,280,160'/>");
  ASSERT_NE(cal, nullptr);
  int setEvents = 0;
  ASSERT_TRUE(cal->SubscribeEvent(EventCalendarSetDate::EventID, [&](EventArgs*) { return ++setEvents, true; }));
  ASSERT_TRUE(cal->SetDate(2024, 6, 15, TRUE));
  EXPECT_EQ(setEvents, 1);
  struct Case {
    WORD y, m, d;
  } refused[] = {{2024, 13, 1}, {2024, 0, 1}, {1599, 6, 1}, {7000, 6, 1}};
  for (const Case& c : refused) EXPECT_FALSE(cal->SetDate(c.y, c.m, c.d, TRUE)) << c.y << "-" << c.m;
  WORD y, m, d;
  cal->GetDate(y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240615);
  EXPECT_EQ(setEvents, 1);
  EXPECT_TRUE(cal->SetDate(2021, 2, 30, FALSE));
  cal->GetDate(y, m, d);
  EXPECT_EQ(d, 0);

  // Made without a date: today's.
  SCalendar today;
  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  today.GetDate(y, m, d);
  EXPECT_EQ(y, local.tm_year + 1900);
  EXPECT_EQ(m, local.tm_mon + 1);
  EXPECT_EQ(d, local.tm_mday);
}

TEST_F(CalendarTest, TitlesFromTheLayoutAreKept) {
  auto* cal = Make<SCalendar>(L"<calendar pos='0,0,280,160' title-1='Su' title-7='Sa'/>");
  ASSERT_NE(cal, nullptr);
  EXPECT_EQ(cal->GetTitle(0), SStringW(L"Su"));
  EXPECT_EQ(cal->GetTitle(1), SStringW(L"一"));
  EXPECT_EQ(cal->GetTitle(6), SStringW(L"Sa"));
}

TEST_F(CalendarTest, HitsOfJune2024IncludingTheStripsPastTheGrid) {
  // 283 wide: cells of 40 px and a 3 px strip right of Saturday; grid from
  // 20 to 140, rows of 20 px.
  auto* cal = Make<SCalendar>(L"<calendar pos='0,0,283,160'/>");
  ASSERT_NE(cal, nullptr);
  cal->SetDate(2024, 6, 15, FALSE);
  struct Hit {
    int x, y;
    WORD day;
  } hits[] = {{5, 5, 0},      {245, 25, 1},    {5, 25, 0},  {5, 45, 2},    {5, 125, 30}, {45, 125, 0},
              {245, 45, 8},   {281, 25, 0},    {281, 45, 0}, {5, 145, 0},  {120, 75, 12}};
  for (const Hit& h : hits) EXPECT_EQ(cal->HitTest(POINT{h.x, h.y}), h.day) << h.x << "," << h.y;
  const RECT first = cal->GetDayRect(1);
  EXPECT_EQ(first.left, 240);
  EXPECT_EQ(first.top, 20);
}

TEST_F(CalendarTest, ClicksSelectDaysAndClearingTheSelectionIsReported) {
  auto* cal = Make<SCalendar>(L"<calendar pos='0,0,280,160'/>");
  ASSERT_NE(cal, nullptr);
  cal->SetDate(2024, 6, 15, FALSE);
  std::vector<std::pair<int, int>> changes;
  ASSERT_TRUE(cal->SubscribeEvent(EventCalendarSelDay::EventID, [&](EventArgs* e) {
    auto* sel = static_cast<EventCalendarSelDay*>(e);
    changes.emplace_back(sel->wOldDay, sel->wNewDay);
    return true;
  }));
  Click(125, 85);  // Wednesday of the fourth row: the 19th
  Click(125, 85);  // the selected day again: nothing
  Click(5, 25);    // before the 1st: the selection goes
  Click(5, 25);
  const std::vector<std::pair<int, int>> expected{{15, 19}, {19, 0}};
  EXPECT_EQ(changes, expected);
  WORD y, m, d;
  cal->GetDate(y, m, d);
  EXPECT_EQ(d, 0);
}

// --- the picker's calendar ----------------------------------------------

class CalendarExTest : public CalendarTest {
 protected:
  // 280 x 200: title 0-30, weekdays 30-50, grid 50-180 (rows of 21 px, a
  // 4 px strip below the sixth), the today line 180-200.
  SCalendarEx* MakeJune() {
    auto* cal = Make<SCalendarEx>(
        L"<calendarex pos='0,0,280,200' yearHeight='30' weekHeight='20' todayHeight='20'/>");
    if (!cal) return nullptr;
    cal->SetDate(2024, 6, 15);
    host->Paint();
    const bool subscribed = cal->SubscribeEvent(EventCalendarExChanged::EventID, [this](EventArgs* e) {
      auto* c = static_cast<EventCalendarExChanged*>(e);
      events.push_back({c->iNewYear, c->iNewMonth, c->iNewDay, c->nBtnType});
      return true;
    });
    EXPECT_TRUE(subscribed);
    cal->SubscribeEvent(EventCmd::EventID, [this](EventArgs*) { return ++commands, true; });
    return cal;
  }
  struct Change {
    int y, m, d, code;
    bool operator==(const Change&) const = default;
  };
  std::vector<Change> events;
  int commands = 0;
};

TEST_F(CalendarExTest, June2024FillsSixWeeksFromMay26ToJuly6) {
  SCalendarEx* cal = MakeJune();
  ASSERT_NE(cal, nullptr);
  for (int i = 0; i <= 5; ++i) {
    EXPECT_EQ(cal->GetCell(i).day, 26 + i);
    EXPECT_EQ(cal->GetCell(i).kind, -1);
  }
  EXPECT_EQ(cal->GetCell(6).day, 1);
  EXPECT_EQ(cal->GetCell(6).kind, 0);
  EXPECT_EQ(cal->GetCell(35).day, 30);
  for (int i = 36; i <= 41; ++i) {
    EXPECT_EQ(cal->GetCell(i).day, i - 35);
    EXPECT_EQ(cal->GetCell(i).kind, 1);
  }
  EXPECT_EQ(cal->GetSelected(), 20);
  WORD y, m, d;
  cal->GetDate(y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240615);
  EXPECT_EQ(cal->GetWeekTitle(0), SStringW(L"周日"));
  EXPECT_EQ(cal->GetWeekTitle(6), SStringW(L"周六"));

  // Months and years out of range, and days the month lacks, change nothing.
  EXPECT_FALSE(cal->SetDate(2024, 13, 1));
  EXPECT_FALSE(cal->SetDate(1599, 6, 1));
  EXPECT_FALSE(cal->SetDate(2024, 6, 31));
  cal->GetDate(y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240615);
}

TEST_F(CalendarExTest, HitCodesOfEveryArea) {
  SCalendarEx* cal = MakeJune();
  ASSERT_NE(cal, nullptr);
  struct Hit {
    int x, y, code;
  } hits[] = {{5, 5, SCalendarEx::kPrevMonth}, {275, 5, SCalendarEx::kNextMonth}, {140, 5, SCalendarEx::kTitle},
              {140, 40, SCalendarEx::kNone},   {5, 55, 0},                        {275, 55, 6},
              {5, 162, 35},                    {5, 178, 35},  // the strip below the last row
              {279, 178, 41},                  {2, 195, SCalendarEx::kTodayLine}, {140, 190, SCalendarEx::kToday}};
  for (const Hit& h : hits) EXPECT_EQ(cal->HitTest(POINT{h.x, h.y}), h.code) << h.x << "," << h.y;
}

TEST_F(CalendarExTest, AClickOnCell3PicksMay29AndShowsMay) {
  SCalendarEx* cal = MakeJune();
  ASSERT_NE(cal, nullptr);
  Click(3 * 40 + 5, 55);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], (Change{2024, 5, 29, 3}));
  WORD y, m, d;
  cal->GetDate(y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240529);
  // May 2024 begins on a Wednesday: the grid is May's.
  EXPECT_EQ(cal->GetCell(3).day, 1);
  EXPECT_EQ(cal->GetCell(3).kind, 0);
  EXPECT_EQ(cal->GetSelected(), 31);
  EXPECT_EQ(commands, 1);
}

TEST_F(CalendarExTest, MonthButtonsWheelTodayAndTheTitle) {
  SCalendarEx* cal = MakeJune();
  ASSERT_NE(cal, nullptr);
  Click(5, 5);      // previous month
  Click(275, 5);    // next month
  Click(140, 5);    // the title: nothing
  Click(140, 40);   // the weekday row: nothing
  cal->SendSwndMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(100, 100));
  cal->SendSwndMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(100, 100));
  const std::vector<Change> expected{{2024, 5, 1, SCalendarEx::kPrevMonth},
                                     {2024, 6, 1, SCalendarEx::kNextMonth},
                                     {2024, 5, 1, SCalendarEx::kPrevMonth},
                                     {2024, 6, 1, SCalendarEx::kNextMonth}};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(commands, 0);  // only days are commands

  cal->SetDate(2024, 1, 10);
  cal->ShowPreviousMonth();
  WORD y, m, d;
  cal->GetDate(y, m, d);
  EXPECT_EQ(y * 100 + m, 202312);

  events.clear();
  host->Paint();  // places the today text
  Click(140, 190);
  SYSTEMTIME today{};
  GetLocalTime(&today);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], (Change{today.wYear, today.wMonth, today.wDay, SCalendarEx::kToday}));
}

}  // namespace
