#include "base/Formatting.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::wstring Text(const SStringW& s) { return std::wstring(s.c_str(), s.GetLength()); }

TEST(FormatSystemTime, WritesDateAndTimeWithFullWidthColons) {
  SYSTEMTIME t{};
  t.wYear = 2024, t.wMonth = 3, t.wDay = 5, t.wHour = 7, t.wMinute = 8, t.wSecond = 9;
  t.wDayOfWeek = 2, t.wMilliseconds = 999;  // neither is shown
  SStringW out;
  FormatSystemTime(out, &t);
  EXPECT_EQ(Text(out), L"2024-03-05 07\uFF1A08\uFF1A09");
}

TEST(FormatDuration, SplitsSecondsIntoHoursMinutesSeconds) {
  const struct {
    int seconds;
    const wchar_t* text;
  } cases[] = {
      {0, L"00:00:00"},     {59, L"00:00:59"},     {60, L"00:01:00"},
      {3661, L"01:01:01"},  {86399, L"23:59:59"},  {360000, L"100:00:00"},
      {-1, L"未知"},        {-3600, L"未知"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
    EXPECT_EQ(Text(FormatDurationCString(c.seconds)), c.text) << c.seconds;
  }
}

TEST(FormatMsDuration, WritesMillisecondsWithThreeDigits) {
  EXPECT_EQ(FormatMsDuration(0), L"00-00-00.000");
  EXPECT_EQ(FormatMsDuration(3723004), L"01-02-03.004");
  EXPECT_EQ(FormatMsDurationA(3723004), "01-02-03.004");
  EXPECT_EQ(FormatMsDiff(1000, 3723004 + 1000), L"01-02-03.004");
  EXPECT_EQ(FormatMsDiffA(3723004 + 1000, 1000), "01-02-03.004");
}

TEST(SizeTexts, ScaleBy1024WithTwoDecimals) {
  const struct {
    uint64_t bytes;
    const wchar_t* compact;
    const wchar_t* spaced;
  } cases[] = {
      {0, L"0.00B", L"0.00 B"},
      {1023, L"1023.00B", L"1023.00 B"},
      {1024, L"1.00KB", L"1.00 KB"},
      {1536, L"1.50KB", L"1.50 KB"},
      {5u * 1024 * 1024, L"5.00MB", L"5.00 MB"},
      {3ull << 30, L"3.00GB", L"3.00 GB"},
      // Beyond the gigabytes the table goes on to terabytes and stops there.
      {1ull << 40, L"1.00TB", L"1.00 TB"},
      {1ull << 50, L"1024.00TB", L"1024.00 TB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFileSize(c.bytes), c.compact) << c.bytes;
    EXPECT_EQ(Text(FormatFileSizeCString(c.bytes)), c.compact) << c.bytes;
    EXPECT_EQ(FormatSizeText(static_cast<int64_t>(c.bytes)), c.spaced) << c.bytes;
  }
  EXPECT_EQ(FormatSizeText(-1), L"");
}

TEST(FormatSizeCheck, IsTrueFromTwoMegabytes) {
  SStringW out = L"untouched";
  EXPECT_FALSE(FormatSizeCheck(out, 2097151));
  EXPECT_EQ(Text(out), L"2.00 MB");  // 2097151 bytes round to 2.00 but stay below 2 MB
  EXPECT_TRUE(FormatSizeCheck(out, 2097152));
  EXPECT_EQ(Text(out), L"2.00 MB");
  EXPECT_FALSE(FormatSizeCheck(out, 1024));
  EXPECT_EQ(Text(out), L"1.00 KB");
  EXPECT_TRUE(FormatSizeCheck(out, 1ll << 30));

  SStringW kept = L"kept";
  EXPECT_FALSE(FormatSizeCheck(kept, -5));
  EXPECT_EQ(Text(kept), L"kept");
}

class LocalTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = getenv("TZ");
    savedTz_ = tz ? tz : "";
    hadTz_ = tz != nullptr;
    setenv("TZ", "CST-8", 1);  // eight hours east of UTC, no daylight saving
    tzset();
  }
  void TearDown() override {
    if (hadTz_) {
      setenv("TZ", savedTz_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string savedTz_;
  bool hadTz_ = false;
};

TEST_F(LocalTimeTest, MakeTime64AndFormatTime64RoundTrip) {
  const int64_t t = MakeTime64(2023, 5, 7, 9, 4, 1);
  EXPECT_EQ(t, 1683421441);  // 2023-05-07 01:04:01 UTC
  EXPECT_EQ(FormatTime64(t), L"2023-05-07#09-04-01");
  // Month 0 is taken as January.
  EXPECT_EQ(FormatTime64(MakeTime64(2023, 0, 2, 0, 0, 0)), L"2023-01-02#00-00-00");

  struct tm local{};
  ASSERT_TRUE(IsValidLocalTime(t, &local));
  EXPECT_EQ(FormatTm(local), L"2023-05-07#09-04-01");
}

TEST_F(LocalTimeTest, CurrentTimeTextsHaveTheirShapes) {
  const std::wstring dateTime = GetDateTime();
  ASSERT_EQ(dateTime.size(), 17u) << dateTime;
  EXPECT_EQ(dateTime[8], L'#');
  EXPECT_EQ(dateTime[11], L'-');

  const std::wstring withMs = GetDateTimeMs();
  ASSERT_EQ(withMs.size(), 21u) << withMs;
  EXPECT_EQ(withMs[17], L'.');

  const std::wstring now = Text(FormatNow());
  ASSERT_EQ(now.size(), 19u) << now;
  EXPECT_EQ(now[13], L'\uFF1A');
  EXPECT_EQ(now.substr(0, 4), dateTime.substr(0, 4));

  int64_t value = -1;
  ASSERT_TRUE(GetLocalTimeValue(&value, false));
  EXPECT_NEAR(static_cast<double>(value), static_cast<double>(time(nullptr)), 5.0);

  // YYMMDDhhmmss: twelve digits at most, the month and day in range.
  const uint64_t stamp = GetUtcStamp();
  EXPECT_LT(stamp, 1000000000000ull);
  EXPECT_GE((stamp / 100000000) % 100, 1u);
  EXPECT_LE((stamp / 100000000) % 100, 12u);
  EXPECT_GE((stamp / 1000000) % 100, 1u);
}

TEST(FormatErrorCode, WritesTheCode) { EXPECT_EQ(FormatErrorCode(22), L"ErrorCode:22"); }

}  // namespace
