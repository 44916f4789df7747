// The date a timer task is filed under: a local wall-clock start, a
// duration and an every-day flag. Dates are ordered by their intervals: one
// is less than another when it ends strictly before the other starts, so
// two dates whose intervals overlap or touch are the same key of a map.
#pragma once

#include <cstdint>

#include "win32/types.h"

// 100-ns units of one day and of one millisecond.
inline constexpr uint64_t kTimerDayUnits = 864000000000ULL;
inline constexpr uint64_t kTimerMsUnits = 10000ULL;

struct CTimerDate {
  uint16_t everyday = 0;  // only the low byte counts
  SYSTEMTIME start{};     // local time, used as it is
  int64_t duration = 0;   // milliseconds

  bool IsEveryDay() const { return (everyday & 0xFF) != 0; }
  // False when the duration and all eight start fields are 0.
  bool IsSet() const;
  // A start that names a real calendar date and time of day, and a
  // duration that is not negative and ends at a time that can be named.
  bool IsValid() const;

  // The class of this interval (A) against other (B):
  //   -2 A wholly before B;  4 overlapping, A ends at or after B's end;
  //   -1 overlapping, A ends before B's end;  2 A wholly after B;
  //    1 A starts where B ends and lasts;  3 A has no length, at B's end.
  int Compare(const CTimerDate& other) const;
  // 2 before the start, 4 from start to end (both included), -2 after.
  int Locate(const SYSTEMTIME& now) const;

  uint64_t StartUnits() const;
  uint64_t EndUnits() const;
  SYSTEMTIME GetEndTime() const;
  void AddOneDay();
  // Every-day dates: today's date at the start's time of day becomes the
  // start when it is later than the start. Returns the start.
  SYSTEMTIME MoveToToday(const SYSTEMTIME& now);

  bool operator<(const CTimerDate& other) const { return Compare(other) == -2; }
};

// 100-ns units of a local time (0 when it names no valid time).
uint64_t TimerUnits(const SYSTEMTIME& time);
SYSTEMTIME TimerTimeOfUnits(uint64_t units);
