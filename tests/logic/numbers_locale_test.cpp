// Numbers in the settings and task files are written and read in the C
// locale even when the process runs in a locale with a decimal comma.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data_files.h"
#include "fake_timer_clock.h"
#include "logic/DataFiles.h"
#include "logic/FileOutputArgument.h"
#include "logic/TimertaskManager.h"

namespace {

// An installed locale with a decimal comma, or one compiled for the test.
const char* SetCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
    if (const char* set = setlocale(LC_NUMERIC, name)) return set;
  const char* home = getenv("HOME");
  const std::string dir = std::string(home && *home ? home : "/tmp") + "/logic-test-locales-" + std::to_string(getpid());
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  const std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (system(command.c_str()) != 0) return nullptr;
  setenv("LOCPATH", dir.c_str(), 1);
  return setlocale(LC_NUMERIC, "de_DE.UTF-8");
}

class NumbersLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    RemoveDataFile(GetTimerXmlPath());
    if (!SetCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma could be set up";
    char probe[16];
    snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the locale is really in force
  }
  void TearDown() override { setlocale(LC_NUMERIC, "C"); }
};

TEST_F(NumbersLocaleTest, OutputSettingsKeepAPoint) {
  {
    CFileOutputArgument file(true);
    file.m_arg.output_quality = 0.5;
    file.m_arg.output_mic_volume = 0.25;
  }
  std::wstring text = ReadUtf16File(GetOutputIniPath());
  EXPECT_NE(text.find(L"\r\noutput_quality=0.500000\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\r\noutput_mic_volume=0.250000\r\n"), std::wstring::npos);
  CFileOutputArgument file(true);
  EXPECT_DOUBLE_EQ(file.m_arg.output_quality, 0.5);
  EXPECT_DOUBLE_EQ(file.m_arg.output_mic_volume, 0.25);
}

TEST_F(NumbersLocaleTest, TaskQualityKeepsAPoint) {
  auto clock = std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 10, 0));
  clock->SetFrozen(true);
  {
    CTimertaskManager manager(clock);
    CTimertaskInfo task;
    task.name = L"q";
    task.date = MakeDate(MakeTime(2026, 12, 11, 8, 0), 60000);
    task.output.output_quality = 0.6;
    CTimerDate date = task.date;
    ASSERT_TRUE(manager.AddTask(date, task));
  }
  EXPECT_NE(ReadFileBytes(GetTimerXmlPath()).find("quality=\"0.6\""), std::string::npos);
  CTimertaskManager manager(clock);
  ASSERT_EQ(manager.GetCount(), 1u);
  EXPECT_DOUBLE_EQ(manager.GetTaskAt(0).output.output_quality, 0.6);
}

}  // namespace
