// The timer-task manager: its XML file byte for byte, loading with
// defaults and rejections, its log entries, filing rules, conflicts, and
// tasks that fall due with or without a window to take them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "base/PathHelpers.h"
#include "data_files.h"
#include "fake_timer_clock.h"
#include "logic/DataFiles.h"
#include "logic/LogicMessages.h"
#include "logic/TimertaskManager.h"
#include "test_window.h"

namespace {

constexpr int64_t kMinute = 60000;

CTimertaskInfo Task(const wchar_t* name, CTimerDate date) {
  CTimertaskInfo task;
  task.name = name;
  task.date = date;
  return task;
}

// While it lives, the clock moves on only when the engine runs nothing.
class HoldWhileRunning {
 public:
  HoldWhileRunning(FakeTimerClock& clock, CTimertaskManager& manager) : m_clock(clock) {
    CTimerTaskMgr* engine = &manager.Engine();
    m_clock.SetHold([engine] { return !engine->GetRunningDate().IsSet(); });
  }
  ~HoldWhileRunning() { m_clock.SetHold(nullptr); }

 private:
  FakeTimerClock& m_clock;
};

class TimertaskManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    for (const std::wstring& p : {GetTimerXmlPath(), GetTimerLogPath(), GetTimerXmlPath() + L".damaged"})
      std::remove(WStringToUtf8Ret(p).c_str());
    m_clock = std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 10, 0));
    m_clock->SetFrozen(true);
  }
  std::unique_ptr<CTimertaskManager> NewManager() { return std::make_unique<CTimertaskManager>(m_clock); }
  bool Add(CTimertaskManager& m, CTimertaskInfo task) {
    CTimerDate date = task.date;
    return m.AddTask(date, task);
  }
  std::wstring Log() { return ReadUtf16File(GetTimerLogPath()); }

  std::shared_ptr<FakeTimerClock> m_clock;
};

TEST_F(TimertaskManagerTest, TheTaskFileIsWrittenInItsLayoutAndReadBack) {
  {
    auto m = NewManager();
    CTimertaskInfo once = Task(L"早会 <A&B>", MakeDate(MakeTime(2026, 12, 11, 9, 30), 60 * kMinute));
    once.output.output_device = 0;
    once.output.output_format = 3;
    once.output.output_samplerate = 48000;
    once.output.output_channel = 1;
    ASSERT_TRUE(Add(*m, once));
    CTimertaskInfo daily = Task(L"daily", MakeDate(MakeTime(2026, 12, 12, 8, 0), 5000000000LL, true));
    daily.output.output_quality = 0.6;
    ASSERT_TRUE(Add(*m, daily));
    EXPECT_EQ(m->GetCount(), 2u);
  }
  EXPECT_EQ(ReadFileBytes(GetTimerXmlPath()),
            "<?xml version=\"1.0\"?>\n"
            "<content>\n"
            "\t<dataRec name=\"早会 &lt;A&amp;B>\">\n"
            "\t\t<date year=\"2026\" month=\"12\" day=\"11\" hour=\"9\" minute=\"30\" second=\"0\" "
            "duration=\"3600000\" everyday=\"false\" />\n"
            "\t\t<outputArgument type=\"0\" format=\"3\" quality=\"320\" samplerate=\"48000\" channelNum=\"1\" />\n"
            "\t</dataRec>\n"
            "\t<dataRec name=\"daily\">\n"
            "\t\t<date year=\"2026\" month=\"12\" day=\"12\" hour=\"8\" minute=\"0\" second=\"0\" "
            "duration=\"5000000000\" everyday=\"true\" />\n"
            "\t\t<outputArgument type=\"2\" format=\"0\" quality=\"0.6\" samplerate=\"44100\" channelNum=\"2\" />\n"
            "\t</dataRec>\n"
            "</content>\n");
  auto m = NewManager();
  ASSERT_EQ(m->GetCount(), 2u);
  CTimertaskInfo first = m->GetTaskAt(0), second = m->GetTaskAt(1);
  EXPECT_EQ(std::wstring(first.name.c_str()), L"早会 <A&B>");
  EXPECT_EQ(std::wstring(first.status.c_str()), L"等待");
  EXPECT_EQ(first.output.output_format, 3);
  EXPECT_EQ(first.output.output_samplerate, 48000);
  EXPECT_EQ(first.output.output_channel, 1);
  EXPECT_EQ(first.output.output_device, 0);
  EXPECT_NE(first.semaphore, nullptr);
  EXPECT_EQ(second.date.duration, 5000000000LL);
  EXPECT_TRUE(second.date.IsEveryDay());
  EXPECT_DOUBLE_EQ(second.output.output_quality, 0.6);
  EXPECT_EQ(m->GetTaskAt(2).name.GetLength(), 0);
}

TEST_F(TimertaskManagerTest, LoadingFillsDefaultsAndRejectsWhatCannotRun) {
  WriteFileBytes(GetTimerXmlPath(),
                 "<?xml version=\"1.0\"?>\n<content>\n"
                 "<dataRec name=\"plain\"><date year=\"2026\" month=\"12\" day=\"11\" hour=\"8\" minute=\"0\" "
                 "second=\"0\" duration=\"60000\" everyday=\"false\"/></dataRec>\n"
                 "<dataRec name=\"bad\"><date year=\"2026\" month=\"13\" day=\"11\" hour=\"8\" minute=\"0\" "
                 "second=\"0\" duration=\"60000\" everyday=\"false\"/></dataRec>\n"
                 "<dataRec name=\"empty\"/>\n"
                 "<dataRec name=\"forever\"><date year=\"2026\" month=\"12\" day=\"12\" hour=\"8\" minute=\"0\" "
                 "second=\"0\" duration=\"1000000000000000000\" everyday=\"false\"/></dataRec>\n"
                 "<dataRec name=\"late\"><date year=\"2026\" month=\"12\" day=\"10\" hour=\"9\" minute=\"0\" "
                 "second=\"0\" duration=\"60000\" everyday=\"false\"/>"
                 "<outputArgument type=\"1\" format=\"2\"/></dataRec>\n"
                 "</content>\n");
  auto m = NewManager();
  ASSERT_EQ(m->GetCount(), 1u);
  CTimertaskInfo plain = m->GetTaskAt(0);
  EXPECT_EQ(std::wstring(plain.name.c_str()), L"plain");
  EXPECT_EQ(plain.output.output_device, 2);
  EXPECT_EQ(plain.output.output_format, 0);
  EXPECT_EQ(plain.output.output_samplerate, 44100);
  EXPECT_EQ(plain.output.output_channel, 2);
  EXPECT_DOUBLE_EQ(plain.output.output_quality, 320.0);
  std::wstring log = Log();
  EXPECT_NE(log.find(L"任务名称：“bad”\r\n开始时间：“2026-13-11 08：00：00”\r\n失败原因：“任务时间无效，该任务已忽略。”"),
            std::wstring::npos)
      << WStringToUtf8Ret(log);
  EXPECT_NE(log.find(L"\r\n2026-12-10 10：00：00\r\n任务名称：“late”\r\n开始时间：“2026-12-10 09：00：00”\r\n"
                     L"失败原因：“客户端未启动，导致任务过期。”\r\n"),
            std::wstring::npos)
      << WStringToUtf8Ret(log);
  EXPECT_NE(log.find(L"任务名称：“forever”\r\n开始时间：“2026-12-12 08：00：00”\r\n失败原因：“任务时间无效，该任务已忽略。”"),
            std::wstring::npos)
      << WStringToUtf8Ret(log);
  EXPECT_EQ(log.find(L"empty"), std::wstring::npos);
}

TEST_F(TimertaskManagerTest, AQualityThatIsNoNumberKeepsTheDefault) {
  for (const char* quality : {"inf", "-inf", "nan", "1e400", "12x"}) {
    SCOPED_TRACE(quality);
    WriteFileBytes(GetTimerXmlPath(),
                   std::string("<content><dataRec name=\"q\"><date year=\"2026\" month=\"12\" day=\"11\" hour=\"8\" "
                               "duration=\"60000\"/><outputArgument format=\"1\" quality=\"") +
                       quality + "\"/></dataRec></content>");
    auto m = NewManager();
    ASSERT_EQ(m->GetCount(), 1u);
    EXPECT_EQ(m->GetTaskAt(0).output.output_format, 1);
    EXPECT_DOUBLE_EQ(m->GetTaskAt(0).output.output_quality, 320.0);
  }
}

TEST_F(TimertaskManagerTest, AnUnreadableTaskFileIsSetAsideNotOverwritten) {
  WriteFileBytes(GetTimerXmlPath(), "<content><dataRec name=\"x\"><date year=");
  {
    auto m = NewManager();
    EXPECT_EQ(m->GetCount(), 0u);
    EXPECT_FALSE(m->GetLastErrorText().empty());
  }
  EXPECT_EQ(ReadFileBytes(GetTimerXmlPath() + L".damaged"), "<content><dataRec name=\"x\"><date year=");
  EXPECT_EQ(ReadFileBytes(GetTimerXmlPath()), "<?xml version=\"1.0\"?>\n<content />\n");
}

TEST_F(TimertaskManagerTest, AnUnreadableTaskFileThatCannotBeSetAsideIsLeftAsItIs) {
  const std::string unreadable = "<content><dataRec name=\"x\"><date year=";
  WriteFileBytes(GetTimerXmlPath(), unreadable);
  // Every name a set-aside copy could take is taken.
  WriteFileBytes(GetTimerXmlPath() + L".damaged", "older");
  for (int n = 1; n < 1000; ++n) WriteFileBytes(GetTimerXmlPath() + L".damaged(" + std::to_wstring(n) + L")", "older");
  {
    auto m = NewManager();
    EXPECT_NE(m->GetLastErrorText().find(L"could not be moved"), std::wstring::npos);
    EXPECT_TRUE(Add(*m, Task(L"new", MakeDate(MakeTime(2026, 12, 11, 9, 0), kMinute))));
  }
  EXPECT_EQ(ReadFileBytes(GetTimerXmlPath()), unreadable);
  RemoveDataFile(GetTimerXmlPath());
}

TEST_F(TimertaskManagerTest, FilingRules) {
  auto m = NewManager();
  ASSERT_TRUE(Add(*m, Task(L"a", MakeDate(MakeTime(2026, 12, 10, 11, 0), 5 * kMinute))));
  EXPECT_FALSE(Add(*m, Task(L"b", MakeDate(MakeTime(2026, 12, 10, 11, 5), 5 * kMinute))));  // touches

  // An every-day task whose time has passed today comes tomorrow, and the
  // caller sees tomorrow's date.
  CTimerDate date = MakeDate(MakeTime(2026, 12, 10, 8, 0), 60 * kMinute, true);
  CTimertaskInfo daily = Task(L"daily", date);
  ASSERT_TRUE(m->AddTask(date, daily));
  EXPECT_EQ(date.start.wDay, 11);
  EXPECT_EQ(daily.date.start.wDay, 11);
  EXPECT_NE(daily.semaphore, nullptr);

  // Moved to tomorrow it would meet a filed task: refused.
  ASSERT_TRUE(Add(*m, Task(L"c", MakeDate(MakeTime(2026, 12, 11, 9, 30), 60 * kMinute))));
  EXPECT_FALSE(Add(*m, Task(L"d", MakeDate(MakeTime(2026, 12, 10, 9, 45), 10 * kMinute, true))));
  EXPECT_EQ(m->GetCount(), 3u);

  // A once task whose time has come is refused and logged.
  EXPECT_FALSE(Add(*m, Task(L"gone", MakeDate(MakeTime(2026, 12, 10, 9, 0), 30 * kMinute))));
  EXPECT_EQ(Log(), L"\r\n2026-12-10 10：00：00\r\n任务名称：“gone”\r\n开始时间：“2026-12-10 09：00：00”\r\n"
                   L"失败原因：“客户端未启动，导致任务过期。”\r\n");

  // Removing an every-day task brings it back a day later, waiting.
  m->SetTaskStatus(date, L"执行中...");
  CTimertaskInfo removed = m->RemoveTask(date);
  EXPECT_EQ(std::wstring(removed.status.c_str()), L"执行中...");
  CTimertaskInfo next = m->GetTask(MakeDate(MakeTime(2026, 12, 12, 8, 0), 60 * kMinute));
  EXPECT_EQ(std::wstring(next.name.c_str()), L"daily");
  EXPECT_EQ(std::wstring(next.status.c_str()), L"等待");
  EXPECT_EQ(m->RemoveTask(MakeDate(MakeTime(2027, 1, 1, 0, 0), 1)).name.GetLength(), 0);
}

TEST_F(TimertaskManagerTest, ConflictsOfOnceAndEveryDayTasks) {
  auto m = NewManager();
  ASSERT_TRUE(Add(*m, Task(L"from1st", MakeDate(MakeTime(2026, 12, 11, 8, 30), 60 * kMinute, true))));
  ASSERT_TRUE(Add(*m, Task(L"from5th", MakeDate(MakeTime(2026, 12, 15, 20, 30), 60 * kMinute, true))));
  ASSERT_TRUE(Add(*m, Task(L"same", MakeDate(MakeTime(2026, 12, 20, 12, 0), 10 * kMinute))));
  struct Case {
    CTimerDate candidate;
    const wchar_t* name;
    size_t sameName, conflicts;
  };
  const Case cases[] = {
      // A once task on the 12th at 08:00 meets the daily 08:30 task.
      {MakeDate(MakeTime(2026, 12, 12, 8, 0), 60 * kMinute), L"x", 0, 1},
      // Ending before the daily 20:30 task first runs: no conflict.
      {MakeDate(MakeTime(2026, 12, 14, 20, 0), 60 * kMinute), L"x", 0, 0},
      // Same name, other time.
      {MakeDate(MakeTime(2026, 12, 21, 12, 0), 10 * kMinute), L"same", 1, 0},
      // An every-day candidate is compared by time of day.
      {MakeDate(MakeTime(2026, 12, 25, 12, 5), 10 * kMinute, true), L"y", 0, 0},
      {MakeDate(MakeTime(2026, 12, 11, 21, 0), 10 * kMinute, true), L"y", 0, 1},
  };
  for (const Case& c : cases) {
    std::vector<CTimerDate> sameName, conflicts;
    bool any = m->FindConflicts(c.candidate, Task(c.name, c.candidate), sameName, conflicts);
    EXPECT_EQ(sameName.size(), c.sameName) << c.candidate.start.wDay;
    EXPECT_EQ(conflicts.size(), c.conflicts) << c.candidate.start.wDay;
    EXPECT_EQ(any, c.sameName + c.conflicts > 0);
  }
}

TEST_F(TimertaskManagerTest, ATaskDueWithNoWindowIsRefusedAndLoggedNotLeftWaiting) {
  auto m = NewManager();
  // Time stands still while a run is on: on a loaded machine its thread
  // could otherwise come up only after the run's five minutes had passed.
  HoldWhileRunning hold(*m_clock, *m);
  ASSERT_TRUE(Add(*m, Task(L"orphan", MakeDate(MakeTime(2026, 12, 10, 10, 2), 5 * kMinute))));
  TestWindow gone([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  ASSERT_TRUE(Add(*m, Task(L"closed", MakeDate(MakeTime(2026, 12, 10, 10, 20), 5 * kMinute))));
  m_clock->SetStep(kMinute);
  // Still at 10:10 while the window comes and goes: the second task must
  // not fall due in between and send to a window this thread then destroys.
  m_clock->SetStopAt(TimerUnits(MakeTime(2026, 12, 10, 10, 10)));
  m_clock->SetFrozen(false);
  ASSERT_TRUE(m_clock->WaitUntil(TimerUnits(MakeTime(2026, 12, 10, 10, 10))));
  m->SetTargetWindow(gone.hwnd());
  gone.Destroy();
  m_clock->SetStopAt(0);
  ASSERT_TRUE(m_clock->WaitUntil(TimerUnits(MakeTime(2026, 12, 10, 10, 40))));
  EXPECT_TRUE(TestWindow::PumpUntil([&] { return m->GetCount() == 0 && m->Engine().Count() == 0; }, 10));
  std::wstring log = Log();
  EXPECT_NE(log.find(L"任务名称：“orphan”\r\n开始时间：“2026-12-10 10：02：00”\r\n失败原因：“客户端未启动，导致任务过期。”"),
            std::wstring::npos);
  EXPECT_NE(log.find(L"任务名称：“closed”"), std::wstring::npos);
}

TEST_F(TimertaskManagerTest, ATaskWhoseTimePassedWhileAsleepIsLoggedAsExpired) {
  auto m = NewManager();
  int messages = 0;
  TestWindow window([&](UINT msg, WPARAM, LPARAM) -> LRESULT { return messages += msg == UM_TIMERTASK_EVENT, 0; });
  m->SetTargetWindow(window.hwnd());
  ASSERT_TRUE(Add(*m, Task(L"slept", MakeDate(MakeTime(2026, 12, 10, 10, 2), 5 * kMinute))));
  m_clock->Suspend(60 * kMinute);
  m_clock->SetFrozen(false);
  EXPECT_TRUE(TestWindow::PumpUntil([&] { return m->GetCount() == 0; }, 10));
  EXPECT_NE(Log().find(L"任务名称：“slept”\r\n开始时间：“2026-12-10 10：02：00”\r\n失败原因：“客户端未启动，导致任务过期。”"),
            std::wstring::npos);
  EXPECT_EQ(messages, 0);  // never started for a moment
}

TEST_F(TimertaskManagerTest, StoppingARecordingTaskFromTheWindowThreadDoesNotDeadlock) {
  auto m = NewManager();
  std::atomic<int> starts{0}, finishes{0}, cancels{0};
  TestWindow window([&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg != UM_TIMERTASK_EVENT) return 0;
    auto* task = reinterpret_cast<CTimertaskInfo*>(lParam);
    if (wParam == kTimerTaskStart) ++starts;
    if (wParam == kTimerTaskFinished) ++finishes;
    if (wParam == kTimerTaskCancel) {
      // As the controller does: stopping the recording releases the task.
      ++cancels;
      ReleaseSemaphore(task->semaphore, 1, nullptr);
    }
    return 0;
  });
  m->SetTargetWindow(window.hwnd());
  CTimerDate date = MakeDate(MakeTime(2026, 12, 10, 10, 2), 600 * kMinute);
  ASSERT_TRUE(Add(*m, Task(L"long", date)));
  m_clock->SetStep(kMinute);
  m_clock->SetFrozen(false);
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return starts.load() == 1; }));
  // The task thread now waits for its recording; this thread stops it and
  // must still take the task thread's "finished" send while it waits.
  EXPECT_TRUE(m->StopTask(date));
  EXPECT_EQ(cancels.load(), 1);
  EXPECT_EQ(finishes.load(), 1);
  EXPECT_EQ(m->GetCount(), 0u);
  EXPECT_EQ(m->Engine().Count(), 0u);
}

TEST_F(TimertaskManagerTest, StoppingARunningEveryDayTaskTakesOutItsNextDaysToo) {
  auto m = NewManager();
  std::atomic<int> starts{0};
  TestWindow window([&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg != UM_TIMERTASK_EVENT) return 0;
    if (wParam == kTimerTaskStart) ++starts;
    if (wParam == kTimerTaskCancel) ReleaseSemaphore(reinterpret_cast<CTimertaskInfo*>(lParam)->semaphore, 1, nullptr);
    return 0;
  });
  m->SetTargetWindow(window.hwnd());
  CTimerDate date = MakeDate(MakeTime(2026, 12, 10, 10, 2), 600 * kMinute, true);
  ASSERT_TRUE(Add(*m, Task(L"daily", date)));
  m_clock->SetStep(kMinute);
  m_clock->SetFrozen(false);
  ASSERT_TRUE(TestWindow::PumpUntil([&] { return starts.load() == 1; }));
  m_clock->SetFrozen(true);
  // The list shows today's run; deleting it must not leave tomorrow's
  // filed in the engine, recording every day for a task nobody lists.
  ASSERT_EQ(m->GetCount(), 1u);
  EXPECT_TRUE(m->StopTask(m->GetTaskAt(0).date));
  EXPECT_EQ(m->GetCount(), 0u);
  EXPECT_EQ(m->Engine().Count(), 0u);
  EXPECT_TRUE(m->Engine().GetPendingDates().empty());
}

}  // namespace
