#include "logic/TimerDate.h"

#include <cstdint>

#include "win32/kernel32.h"

uint64_t TimerUnits(const SYSTEMTIME& time) {
  FILETIME ft{};
  if (!SystemTimeToFileTime(&time, &ft)) return 0;
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

SYSTEMTIME TimerTimeOfUnits(uint64_t units) {
  FILETIME ft{static_cast<DWORD>(units & 0xFFFFFFFFu), static_cast<DWORD>(units >> 32)};
  SYSTEMTIME time{};
  FileTimeToSystemTime(&ft, &time);
  return time;
}

bool CTimerDate::IsSet() const {
  const SYSTEMTIME& s = start;
  return duration != 0 || s.wYear || s.wMonth || s.wDayOfWeek || s.wDay || s.wHour || s.wMinute || s.wSecond ||
         s.wMilliseconds;
}

bool CTimerDate::IsValid() const {
  if (duration < 0 || start.wHour > 23 || start.wMinute > 59 || start.wSecond > 59 || start.wMilliseconds > 999)
    return false;
  if (start.wYear < 1601 || start.wMonth < 1 || start.wMonth > 12 || start.wDay < 1) return false;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int y = start.wYear;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int days = kDays[start.wMonth - 1] + (start.wMonth == 2 && leap ? 1 : 0);
  if (start.wDay > days) return false;
  // The end must be a time too: one past it would wrap around and put the
  // date before every other in the maps.
  uint64_t startUnits = StartUnits();
  constexpr uint64_t kLastUnits = static_cast<uint64_t>(INT64_MAX);
  return startUnits != 0 && static_cast<uint64_t>(duration) <= (kLastUnits - startUnits) / kTimerMsUnits;
}

uint64_t CTimerDate::StartUnits() const { return TimerUnits(start); }

uint64_t CTimerDate::EndUnits() const { return StartUnits() + static_cast<uint64_t>(duration) * kTimerMsUnits; }

int CTimerDate::Compare(const CTimerDate& other) const {
  uint64_t as = StartUnits(), ae = EndUnits(), bs = other.StartUnits(), be = other.EndUnits();
  if (as < be) {
    if (ae < bs) return -2;
    return ae >= be ? 4 : -1;
  }
  if (as < bs || as > be) return 2;
  return ae > be ? 1 : 3;
}

int CTimerDate::Locate(const SYSTEMTIME& now) const {
  uint64_t t = TimerUnits(now);
  if (t < StartUnits()) return 2;
  if (t <= EndUnits()) return 4;
  return -2;
}

SYSTEMTIME CTimerDate::GetEndTime() const { return TimerTimeOfUnits(EndUnits()); }

void CTimerDate::AddOneDay() { start = TimerTimeOfUnits(StartUnits() + kTimerDayUnits); }

SYSTEMTIME CTimerDate::MoveToToday(const SYSTEMTIME& now) {
  SYSTEMTIME today = now;
  today.wHour = start.wHour;
  today.wMinute = start.wMinute;
  today.wSecond = start.wSecond;
  today.wMilliseconds = start.wMilliseconds;
  uint64_t units = TimerUnits(today);
  if (units > StartUnits()) start = TimerTimeOfUnits(units);
  return start;
}
