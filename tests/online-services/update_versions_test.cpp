// The parts of the update check that need no window: versions compare as
// numbers, the updater's command line, and the texts.
#include <gtest/gtest.h>

#include "base/CmdLineParse.h"
#include "online/UpdateCheck.h"

namespace {

TEST(UpdateVersions, CompareByDotSeparatedNumbers) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    int sign;
  } cases[] = {
      {L"3.10.0", L"3.6.0", 1}, {L"3.6.0", L"3.6.0", 0},  {L"3.6.1", L"3.6.0", 1}, {L"1.2", L"1.2.1", -1},
      {L"1.2", L"1.2.0", 0},    {L"2.9", L"2.10", -1},    {L"10.0", L"9.9.9", 1},  {L"4", L"3.99", 1},
      {L"3.6.0b", L"3.6.0", 0}, {L"", L"0.0.1", -1},      {L"x", L"0", 0},
  };
  for (const Case& c : cases) {
    const int got = CompareVersions(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << "a=" << testing::PrintToString(std::wstring(c.a))
                                             << " b=" << testing::PrintToString(std::wstring(c.b));
  }
}

TEST(UpdateVersions, TheUpdatersParametersSplitBackIntoItsThreeArguments) {
  const std::wstring line = BuildUpdaterParameters(L"/opt/quorvale/Quorvale App", 4242, L"say \"hi\" \\ end\\");
  EXPECT_EQ(line.rfind(L"/appfile=\"/opt/quorvale/Quorvale App\" /ppid=\"4242\" /verinfo=\"", 0), 0u) << line;
  EXPECT_EQ(CCmdLineParse::SplitArguments(line),
            (std::vector<std::wstring>{L"/appfile=/opt/quorvale/Quorvale App", L"/ppid=4242",
                                       L"/verinfo=say \"hi\" \\ end\\"}));
}

TEST(UpdateVersions, Texts) {
  EXPECT_EQ(FormatDecimal(-17), L"-17");
  EXPECT_EQ(FormatUpdaterError(2), L"Error:无法启动更新器,2");
  EXPECT_EQ(FormatUpdateInfoError(L"HTTP 404"), L"Error:无法获取更新信息,HTTP 404");
}

}  // namespace
