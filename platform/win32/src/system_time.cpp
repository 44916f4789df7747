// Wall-clock time as SYSTEMTIME and FILETIME. FILETIME counts 100 ns since
// 1601-01-01; the conversions between the two are plain civil-date
// arithmetic, with no time zone involved.
#include <time.h>

#include <cstdint>

#include "win32/kernel32.h"

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMs = 10000;
constexpr int64_t kSecondsPerDay = 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDays1601 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool leapYear(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(unsigned y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

void fillFromTm(const struct tm& tm, long nanoseconds, LPSYSTEMTIME out) {
  out->wYear = static_cast<WORD>(tm.tm_year + 1900);
  out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  out->wDay = static_cast<WORD>(tm.tm_mday);
  out->wHour = static_cast<WORD>(tm.tm_hour);
  out->wMinute = static_cast<WORD>(tm.tm_min);
  out->wSecond = static_cast<WORD>(tm.tm_sec);
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

int64_t ticksOf(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

void setTicks(int64_t ticks, LPFILETIME out) {
  out->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  out->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
}

}  // namespace

void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm tm;
  localtime_r(&now.tv_sec, &tm);
  fillFromTm(tm, now.tv_nsec, lpSystemTime);
}

void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm tm;
  gmtime_r(&now.tv_sec, &tm);
  fillFromTm(tm, now.tv_nsec, lpSystemTime);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME lpFileTime) {
  if (!st || !lpFileTime || st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 ||
      st->wMonth > 12 || st->wDay < 1 || st->wDay > daysInMonth(st->wYear, st->wMonth) ||
      st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 || st->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t days = daysFromCivil(st->wYear, st->wMonth, st->wDay) + kEpochDays1601;
  const int64_t seconds = days * kSecondsPerDay + st->wHour * 3600 + st->wMinute * 60 + st->wSecond;
  setTicks(seconds * kTicksPerSecond + st->wMilliseconds * kTicksPerMs, lpFileTime);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME st) {
  if (!lpFileTime || !st || ticksOf(*lpFileTime) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t ticks = ticksOf(*lpFileTime);
  const int64_t totalSeconds = ticks / kTicksPerSecond;
  const int64_t days = totalSeconds / kSecondsPerDay;
  const int64_t secondOfDay = totalSeconds % kSecondsPerDay;
  int64_t year;
  unsigned month, day;
  civilFromDays(days - kEpochDays1601, &year, &month, &day);
  st->wYear = static_cast<WORD>(year);
  st->wMonth = static_cast<WORD>(month);
  st->wDay = static_cast<WORD>(day);
  st->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st->wHour = static_cast<WORD>(secondOfDay / 3600);
  st->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  st->wSecond = static_cast<WORD>(secondOfDay % 60);
  st->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / kTicksPerMs);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  if (!lpFileTime || !lpLocalFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t ticks = ticksOf(*lpFileTime);
  const time_t unixSeconds =
      static_cast<time_t>(ticks / kTicksPerSecond - kEpochDays1601 * kSecondsPerDay);
  struct tm tm;
  if (!localtime_r(&unixSeconds, &tm)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  setTicks(ticks + static_cast<int64_t>(tm.tm_gmtoff) * kTicksPerSecond, lpLocalFileTime);
  return TRUE;
}
