// The timer-task dialog's input without a window: the duration fields and
// their spin, the default name, the time checks, the list's texts and the
// conflict lines, the last against a real task manager.
#include <gtest/gtest.h>

#include <memory>

#include "../logic/data_files.h"
#include "../logic/fake_timer_clock.h"
#include "logic/DataFiles.h"
#include "logic/TimertaskManager.h"
#include "windows/TimerTaskInput.h"

namespace {

struct FieldCase {
  DurationTexts fields;
  int changed;
  const wchar_t* expected;  // "" when the field stands
};

TEST(TimerTaskInput, DurationFieldCheck) {
  const FieldCase cases[] = {
      {{L"25", L"10", L"00"}, 0, L"01"},  {{L"24", L"00", L"00"}, 0, L""},
      {{L"00", L"61", L"00"}, 1, L"01"},  {{L"00", L"60", L"00"}, 1, L""},
      {{L"00", L"10", L"61"}, 2, L"01"},  {{L"00", L"10", L"60"}, 2, L""},
      {{L"00", L"00", L"00"}, 2, L"01"},  {{L"00", L"00", L"01"}, 2, L""},
      {{L"-1", L"10", L"00"}, 0, L"01"},  {{L"", L"10", L""}, 0, L""},
      {{L"ab", L"", L""}, 0, L"01"},
  };
  for (const FieldCase& c : cases)
    EXPECT_EQ(CheckDurationField(c.fields, c.changed), c.expected)
        << std::wstring(c.fields[0] + L":" + c.fields[1] + L":" + c.fields[2]).size();
  EXPECT_EQ(DurationMs({L"01", L"05", L"09"}), 3909000);
  EXPECT_EQ(DurationMs({L"", L"x", L"7"}), 7000);
}

TEST(TimerTaskInput, SpinStepsOneSecondAndTheEndsStay) {
  EXPECT_EQ(StepDuration({L"00", L"10", L"00"}, 1), (DurationTexts{L"00", L"10", L"01"}));
  EXPECT_EQ(StepDuration({L"00", L"59", L"59"}, 1), (DurationTexts{L"01", L"00", L"00"}));
  EXPECT_EQ(StepDuration({L"01", L"00", L"00"}, -1), (DurationTexts{L"00", L"59", L"59"}));
  EXPECT_EQ(StepDuration({L"00", L"00", L"01"}, -1), (DurationTexts{L"00", L"00", L"01"}));
  EXPECT_EQ(StepDuration({L"24", L"00", L"00"}, 1), (DurationTexts{L"24", L"00", L"00"}));
  EXPECT_EQ(StepDuration({L"24", L"00", L"00"}, -1), (DurationTexts{L"23", L"59", L"59"}));
}

TEST(TimerTaskInput, DefaultNameAndTimeChecks) {
  EXPECT_EQ(DefaultTaskName(SYSTEMTIME{2021, 1, 2, 5, 16, 3, 0, 0}), L"Task-20210105-160300");
  const SYSTEMTIME now{2026, 12, 4, 10, 12, 0, 0, 0};
  EXPECT_TRUE(StartHasPassed(SYSTEMTIME{2026, 12, 4, 10, 11, 59, 59, 0}, now));
  EXPECT_FALSE(StartHasPassed(SYSTEMTIME{2026, 12, 4, 10, 12, 0, 1, 0}, now));
  const SYSTEMTIME late{2026, 12, 4, 10, 23, 30, 0, 0};
  EXPECT_TRUE(EndsAfterStartDay(late, 30 * 60000));
  EXPECT_FALSE(EndsAfterStartDay(late, 29 * 60000 + 59000));
  // Milliseconds below a whole second do not count.
  EXPECT_FALSE(EndsAfterStartDay(late, 29 * 60000 + 59999));
}

TEST(TimerTaskInput, StartAndDurationTexts) {
  CTimerDate d;
  d.start = {2027, 3, 0, 9, 8, 30, 0, 0};
  d.duration = 3909000;
  EXPECT_EQ(FormatTaskStartTime(d), L"2027-03-09 08:30:00");
  EXPECT_EQ(FormatTaskDuration(d), L"01:05:09");
  d.everyday = 1;
  EXPECT_EQ(FormatTaskStartTime(d), L"每日 08:30:00");
  d.duration = 100LL * 3600000;
  EXPECT_EQ(FormatTaskDuration(d), L"100:00:00");
  d.duration = 600000;
  EXPECT_EQ(FormatTaskDuration(d), L"00:10:00");
}

// Files tasks in a manager that runs on a frozen clock, and builds the
// refusal's lines for a new task as the dialog does.
class ConflictLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    RemoveDataFile(GetTimerXmlPath());
    clock_ = std::make_shared<FakeTimerClock>(SYSTEMTIME{2030, 6, 0, 1, 8, 0, 0, 0});
    clock_->SetFrozen(true);
    manager_ = std::make_unique<CTimertaskManager>(clock_);
  }
  void TearDown() override {
    manager_.reset();
    RemoveDataFile(GetTimerXmlPath());
  }
  void File(const wchar_t* name, WORD hour, WORD minute, WORD second, int64_t ms) {
    CTimertaskInfo t;
    t.name = name;
    t.date.start = {2030, 6, 0, 2, hour, minute, second, 0};
    t.date.duration = ms;
    CTimerDate d = t.date;
    ASSERT_TRUE(manager_->AddTask(d, t));
  }
  ConflictLines Lines(const wchar_t* name, WORD hour, WORD minute, WORD second, int64_t ms) {
    CTimertaskInfo t;
    t.name = name;
    t.date.start = {2030, 6, 0, 2, hour, minute, second, 0};
    t.date.duration = ms;
    std::vector<CTimerDate> same, overlapping;
    manager_->FindConflicts(t.date, t, same, overlapping);
    std::vector<ConflictingTask> sameTasks, overlapTasks;
    for (const CTimerDate& d : same) sameTasks.push_back({manager_->GetTask(d).name.c_str(), d});
    for (const CTimerDate& d : overlapping) overlapTasks.push_back({manager_->GetTask(d).name.c_str(), d});
    return BuildConflictLines(t.date.start, sameTasks, overlapTasks);
  }
  std::shared_ptr<FakeTimerClock> clock_;
  std::unique_ptr<CTimertaskManager> manager_;
};

TEST_F(ConflictLinesTest, SameNameSameStartTouchingAndAOneSecondGap) {
  File(L"早会", 9, 0, 0, 600000);     // 09:00:00 - 09:10:00
  File(L"午间", 12, 0, 0, 60000);     // 12:00:00 - 12:01:00
  File(L"晚间", 20, 0, 0, 60000);

  // Free time, but the name is taken.
  ConflictLines l = Lines(L"早会", 15, 0, 0, 60000);
  EXPECT_EQ(l.name, L"任务名称与【早会】冲突。");
  EXPECT_EQ(l.start, L"");
  EXPECT_EQ(l.time, L"");
  // The same start.
  l = Lines(L"新", 12, 0, 0, 5000);
  EXPECT_EQ(l.name, L"");
  EXPECT_EQ(l.start, L"开始时间与【午间】冲突。");
  EXPECT_EQ(l.time, L"");
  // Starting exactly when 早会 ends touches it.
  l = Lines(L"新", 9, 10, 0, 60000);
  EXPECT_EQ(l.time, L"录制时间与【早会】冲突。");
  // One second later is free.
  l = Lines(L"新", 9, 10, 1, 60000);
  EXPECT_EQ(l.name + l.start + l.time, L"");
  // Spanning two tasks, with a taken name: all in the manager's order.
  l = Lines(L"晚间", 8, 0, 0, 4 * 3600000 + 60000);
  EXPECT_EQ(l.name, L"任务名称与【晚间】冲突。");
  EXPECT_EQ(l.time, L"录制时间与【早会】【午间】冲突。");
}

}  // namespace
