// SYSTEMTIME and FILETIME conversions: civil-date arithmetic from 1601.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "win32/windows.h"

namespace {

ULONGLONG ticks(const FILETIME& ft) {
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

SYSTEMTIME date(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  SYSTEMTIME st{};
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return st;
}

}  // namespace

TEST(SystemTime, KnownDatesAndRoundTrips) {
  struct Case {
    SYSTEMTIME st;
    ULONGLONG ticks;
    WORD dayOfWeek;
  };
  const Case cases[] = {
      {date(1601, 1, 1), 0, 1},
      {date(1970, 1, 1), 116444736000000000ULL, 4},
      {date(2024, 2, 29, 23, 59, 59, 999), 133537247999990000ULL, 4},
      {date(2026, 12, 10, 14, 30, 5, 250), 134413866052500000ULL, 4},
  };
  for (const Case& c : cases) {
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft));
    EXPECT_EQ(ticks(ft), c.ticks) << c.st.wYear;
    SYSTEMTIME back;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, c.st.wYear);
    EXPECT_EQ(back.wMonth, c.st.wMonth);
    EXPECT_EQ(back.wDay, c.st.wDay);
    EXPECT_EQ(back.wHour, c.st.wHour);
    EXPECT_EQ(back.wMinute, c.st.wMinute);
    EXPECT_EQ(back.wSecond, c.st.wSecond);
    EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
    EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek) << c.st.wYear;
  }
}

TEST(SystemTime, ImpossibleDatesAreRefused) {
  for (const SYSTEMTIME& st : {date(2023, 2, 29), date(2024, 13, 1), date(2024, 4, 31),
                               date(1600, 12, 31), date(2024, 1, 1, 24), date(2024, 1, 0)}) {
    FILETIME ft{};
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(SystemTime, LocalFileTimeAddsTheZoneOffset) {
  setenv("TZ", "Asia/Shanghai", 1);
  tzset();
  SYSTEMTIME utc = date(2026, 6, 1, 20, 0, 0);
  FILETIME ft, local;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &local));
  SYSTEMTIME st;
  ASSERT_TRUE(FileTimeToSystemTime(&local, &st));
  EXPECT_EQ(st.wDay, 2);
  EXPECT_EQ(st.wHour, 4);
  unsetenv("TZ");
  tzset();
}

TEST(SystemTime, LocalAndSystemTimeAgreeWithTheCLibrary) {
  SYSTEMTIME local, utc;
  GetLocalTime(&local);
  GetSystemTime(&utc);
  time_t now = time(nullptr);
  struct tm tm;
  gmtime_r(&now, &tm);
  EXPECT_EQ(utc.wYear, tm.tm_year + 1900);
  EXPECT_EQ(utc.wDayOfWeek, tm.tm_wday);
  EXPECT_LT(utc.wMilliseconds, 1000);
  EXPECT_GE(local.wMonth, 1);
  EXPECT_LE(local.wMonth, 12);
}
