// The settings dialog's split time: what is stored for each text typed.
#include <gtest/gtest.h>

#include "windows/SplitMinutes.h"

namespace {

struct SplitCase {
  const wchar_t* text;
  std::optional<int32_t> stored;
  const wchar_t* replacement;
};

TEST(SplitMinutes, TextsStoreMillisecondsOrNothing) {
  const SplitCase cases[] = {
      {L"5.5", 330000, nullptr},
      {L"0.1", 6000, nullptr},
      {L"1", 60000, nullptr},
      {L"5.00", 300000, nullptr},
      // A negative number shows 0.0, and nothing is stored, neither now
      // nor when the "0.0" itself comes back as a change.
      {L"-1", std::nullopt, L"0.0"},
      {L"0.0", std::nullopt, nullptr},
      {L"0", std::nullopt, nullptr},
      {L"0.05", std::nullopt, nullptr},
      {L"abc", std::nullopt, nullptr},
      {L"", std::nullopt, nullptr},
      // The longest split whose milliseconds fit 32 bits.
      {L"99999", 2147460000, nullptr},
      {L"35791", 2147460000, nullptr},
  };
  for (const SplitCase& c : cases) {
    const SplitMinutesInput in = ParseSplitMinutes(c.text);
    EXPECT_EQ(in.milliseconds, c.stored) << std::wstring(c.text).size() << " chars";
    if (c.replacement) {
      ASSERT_TRUE(in.replacement.has_value());
      EXPECT_EQ(*in.replacement, c.replacement);
    } else {
      EXPECT_FALSE(in.replacement.has_value());
    }
  }
}

TEST(SplitMinutes, StoredMillisecondsShowAsMinutesWithTwoDecimals) {
  EXPECT_EQ(FormatSplitMinutes(60000), L"1.00");
  EXPECT_EQ(FormatSplitMinutes(330000), L"5.50");
  EXPECT_EQ(FormatSplitMinutes(6000), L"0.10");
  EXPECT_EQ(FormatSplitMinutes(2147460000), L"35791.00");
}

}  // namespace
