// Dates of timer tasks: interval classes, ordering as map keys, locating a
// time, moving by days and to today, and which starts are valid.
#include <gtest/gtest.h>

#include <map>

#include "fake_timer_clock.h"
#include "logic/TimerDate.h"

namespace {

TEST(TimerDate, CompareClassesEveryPairOfIntervals) {
  struct Case {
    SYSTEMTIME a;
    int64_t aMs;
    SYSTEMTIME b;
    int64_t bMs;
    int expected;
  };
  const Case cases[] = {
      {MakeTime(2026, 1, 1, 10, 0), 60000, MakeTime(2026, 1, 1, 10, 1, 1), 60000, -2},  // wholly before
      {MakeTime(2026, 1, 1, 10, 0), 60000, MakeTime(2026, 1, 1, 10, 1), 60000, -1},     // touching
      {MakeTime(2026, 1, 1, 10, 0), 600000, MakeTime(2026, 1, 1, 10, 1), 60000, 4},     // covers B's end
      {MakeTime(2026, 1, 1, 10, 2), 60000, MakeTime(2026, 1, 1, 10, 0), 60000, 2},      // wholly after
      {MakeTime(2026, 1, 1, 10, 1), 60000, MakeTime(2026, 1, 1, 10, 0), 60000, 1},      // starts at B's end
      {MakeTime(2026, 1, 1, 10, 1), 0, MakeTime(2026, 1, 1, 10, 0), 60000, 3},          // no length, at B's end
  };
  for (const Case& c : cases) {
    CTimerDate a = MakeDate(c.a, c.aMs), b = MakeDate(c.b, c.bMs);
    EXPECT_EQ(a.Compare(b), c.expected) << c.a.wMinute << ":" << c.a.wSecond;
  }
}

TEST(TimerDate, OverlappingOrTouchingDatesAreOneKey) {
  std::map<CTimerDate, int> map;
  map[MakeDate(MakeTime(2026, 1, 1, 10, 0), 60000)] = 1;
  EXPECT_EQ(map.count(MakeDate(MakeTime(2026, 1, 1, 10, 1), 60000)), 1u);
  EXPECT_EQ(map.count(MakeDate(MakeTime(2026, 1, 1, 9, 59), 60000)), 1u);
  EXPECT_EQ(map.count(MakeDate(MakeTime(2026, 1, 1, 10, 1, 1), 60000)), 0u);
  EXPECT_EQ(map.count(MakeDate(MakeTime(2026, 1, 2, 10, 0), 60000)), 0u);
}

TEST(TimerDate, LocateEndAndDays) {
  CTimerDate d = MakeDate(MakeTime(2026, 12, 31, 23, 30), 3600000, true);
  EXPECT_EQ(d.Locate(MakeTime(2026, 12, 31, 23, 29, 59)), 2);
  EXPECT_EQ(d.Locate(MakeTime(2026, 12, 31, 23, 30)), 4);
  EXPECT_EQ(d.Locate(MakeTime(2027, 1, 1, 0, 30)), 4);
  EXPECT_EQ(d.Locate(MakeTime(2027, 1, 1, 0, 30, 1)), -2);
  SYSTEMTIME end = d.GetEndTime();
  EXPECT_EQ(end.wYear, 2027);
  EXPECT_EQ(end.wDay, 1);
  EXPECT_EQ(end.wHour, 0);
  d.AddOneDay();
  EXPECT_EQ(d.start.wYear, 2027);
  EXPECT_EQ(d.start.wMonth, 1);
  EXPECT_EQ(d.start.wDay, 1);
  EXPECT_EQ(d.start.wHour, 23);
}

TEST(TimerDate, MoveToTodayOnlyMovesForward) {
  CTimerDate d = MakeDate(MakeTime(2026, 12, 7, 8, 0), 60000, true);
  d.MoveToToday(MakeTime(2026, 12, 10, 9, 0));
  EXPECT_EQ(d.start.wDay, 10);
  EXPECT_EQ(d.start.wHour, 8);
  CTimerDate later = MakeDate(MakeTime(2026, 12, 12, 8, 0), 60000, true);
  later.MoveToToday(MakeTime(2026, 12, 10, 9, 0));
  EXPECT_EQ(later.start.wDay, 12);
}

TEST(TimerDate, SetAndValid) {
  EXPECT_FALSE(CTimerDate().IsSet());
  CTimerDate onlyDuration;
  onlyDuration.duration = 1;
  EXPECT_TRUE(onlyDuration.IsSet());
  EXPECT_TRUE(MakeDate(MakeTime(2024, 2, 29, 23, 59, 59), 1).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 2, 29, 10, 0), 1).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 13, 1, 10, 0), 1).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 4, 31, 10, 0), 1).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 4, 1, 24, 0), 1).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(0, 0, 0, 0, 0), 1).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 4, 1, 10, 0), -1).IsValid());
  // An end past the last time there is would wrap around and order the
  // date before every other.
  EXPECT_TRUE(MakeDate(MakeTime(2026, 4, 1, 10, 0), 100LL * 365 * 86400000).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 4, 1, 10, 0), 1000000000000000000LL).IsValid());
  EXPECT_FALSE(MakeDate(MakeTime(2026, 4, 1, 10, 0), INT64_MAX).IsValid());
}

}  // namespace
