// The timer-task engine on a test clock: days of schedule run in moments,
// each every-day run keeps its own date, runs end after their own
// duration, wall-clock jumps neither cut runs short nor start stale ones.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "fake_timer_clock.h"
#include "logic/TimerTaskArray.h"

namespace {

constexpr int64_t kMinute = 60000;

// Records each run and each cancel with the wall time they happened at;
// a run lasts until it is cancelled.
class ProbeTask : public ITimerTask {
 public:
  struct Event {
    CTimerDate date;
    uint64_t wall;
    size_t count;
    int order;  // across all probes of the test program
  };
  ProbeTask(FakeTimerClock& clock, CTimerTaskArray& engine) : m_clock(clock), m_engine(engine) {}

  void Run(const CTimerDate& run) override {
    size_t count = m_engine.Count();
    std::unique_lock<std::mutex> lock(m_lock);
    runs.push_back({run, m_clock.WallUnits(), count, ++s_order});
    m_inRun = true;
    m_wake.wait_for(lock, std::chrono::seconds(30), [&] { return m_cancelled; });
    m_cancelled = false;
    m_inRun = false;
  }
  void Cancel(const CTimerDate& run) override {
    std::lock_guard<std::mutex> lock(m_lock);
    cancels.push_back({run, m_clock.WallUnits(), 0, ++s_order});
    m_cancelled = true;
    m_wake.notify_all();
  }
  // Ready for time to move on: running and not yet told to end, so neither
  // still coming up nor winding down.
  bool Settled() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_inRun && !m_cancelled;
  }
  bool InRun() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_inRun;
  }
  std::vector<Event> Runs() {
    std::lock_guard<std::mutex> lock(m_lock);
    return runs;
  }
  std::vector<Event> Cancels() {
    std::lock_guard<std::mutex> lock(m_lock);
    return cancels;
  }

 private:
  static inline std::atomic<int> s_order{0};
  FakeTimerClock& m_clock;
  CTimerTaskArray& m_engine;
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_inRun = false;
  bool m_cancelled = false;
  std::vector<Event> runs, cancels;
};

class TimerEngineTest : public ::testing::Test {
 protected:
  TimerEngineTest() : m_clock(std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 7, 0))) {
    m_clock->SetStep(kMinute);
  }
  // The clock stands still until the test runs it, so that the tasks are
  // all filed before time moves on however slowly this thread goes.
  void Start() {
    m_clock->SetFrozen(true);
    m_engine = std::make_unique<CTimerTaskMgr>(m_clock);
    // The engine itself, not the holder: the scheduler may still ask while
    // the holder is being reset.
    CTimerTaskMgr* engine = m_engine.get();
    m_clock->SetHold([engine] {
      std::vector<std::shared_ptr<ITimerTask>> running;
      engine->GetRunning(running);
      for (auto& task : running)
        if (!static_cast<ProbeTask*>(task.get())->Settled()) return false;
      return true;
    });
  }
  bool RunTo(uint64_t units) {
    m_clock->SetFrozen(false);
    return m_clock->WaitUntil(units);
  }
  std::shared_ptr<ProbeTask> NewTask() { return std::make_shared<ProbeTask>(*m_clock, *m_engine); }
  static uint64_t At(int day, int hour, int minute) { return TimerUnits(MakeTime(2026, 12, day, hour, minute)); }
  void TearDown() override {
    if (m_engine) m_clock->SetHold(nullptr);
    m_engine.reset();
  }

  std::shared_ptr<FakeTimerClock> m_clock;
  std::unique_ptr<CTimerTaskMgr> m_engine;
};

TEST_F(TimerEngineTest, AnEveryDayTaskRecordsOnConsecutiveDaysEachUnderItsOwnDate) {
  m_clock->SetStopAt(At(13, 7, 0));  // before the fourth day's run
  Start();
  auto task = NewTask();
  // Filed from three days ago: it comes to today's 08:00.
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 7, 8, 0), 30 * kMinute, true), task));
  EXPECT_EQ(task->GetDate().start.wDay, 10);
  ASSERT_TRUE(RunTo(At(13, 7, 0)));
  std::vector<ProbeTask::Event> runs = task->Runs(), cancels = task->Cancels();
  ASSERT_EQ(runs.size(), 3u);
  ASSERT_EQ(cancels.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    uint64_t start = At(10 + i, 8, 0);
    EXPECT_EQ(runs[i].date.start.wDay, 10 + i);
    EXPECT_EQ(runs[i].date.start.wHour, 8);
    EXPECT_GE(runs[i].wall, start);
    EXPECT_LE(runs[i].wall, start + kMinute * kTimerMsUnits);
    EXPECT_EQ(runs[i].count, 2u);  // the next day's entry and this run
    EXPECT_EQ(cancels[i].date.start.wDay, 10 + i);
    EXPECT_GE(cancels[i].wall, start + 30 * kMinute * kTimerMsUnits);
    EXPECT_LE(cancels[i].wall, start + 31 * kMinute * kTimerMsUnits);
  }
  EXPECT_EQ(m_engine->Count(), 1u);
  std::vector<CTimerDate> pending = m_engine->GetPendingDates();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].start.wDay, 13);
  EXPECT_FALSE(m_engine->GetRunningDate().IsSet());
}

TEST_F(TimerEngineTest, CollidingDatesAreRefused) {
  Start();
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 10, 0), kMinute), NewTask()));
  EXPECT_FALSE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 10, 1), kMinute), NewTask()));
  EXPECT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 10, 1, 1), kMinute), NewTask()));
  EXPECT_EQ(m_engine->Count(), 2u);
  EXPECT_TRUE(m_engine->Stop(MakeDate(MakeTime(2026, 12, 10, 10, 0), kMinute)));
  EXPECT_FALSE(m_engine->Stop(MakeDate(MakeTime(2026, 12, 10, 10, 0), kMinute)));
  EXPECT_EQ(m_engine->Count(), 1u);
}

TEST_F(TimerEngineTest, AStartedOnceTaskRunsForWhatIsLeftAndAStaleOneIsReportedNotRun) {
  Start();
  std::vector<CTimerDate> expired;
  std::mutex expiredLock;
  m_engine->SetExpiredHook([&](const CTimerDate& d, const std::shared_ptr<ITimerTask>&) {
    std::lock_guard<std::mutex> lock(expiredLock);
    expired.push_back(d);
  });
  auto current = NewTask(), stale = NewTask();
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 6, 50), 20 * kMinute), current));
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 5, 0), 30 * kMinute), stale));
  ASSERT_TRUE(RunTo(At(10, 7, 30)));
  ASSERT_EQ(current->Runs().size(), 1u);
  EXPECT_LE(current->Runs()[0].wall, At(10, 7, 1));
  ASSERT_EQ(current->Cancels().size(), 1u);
  EXPECT_GE(current->Cancels()[0].wall, At(10, 7, 10));
  EXPECT_LE(current->Cancels()[0].wall, At(10, 7, 11));
  EXPECT_TRUE(stale->Runs().empty());
  std::lock_guard<std::mutex> lock(expiredLock);
  ASSERT_EQ(expired.size(), 1u);
  EXPECT_EQ(expired[0].start.wHour, 5);
  EXPECT_EQ(m_engine->Count(), 0u);
}

TEST_F(TimerEngineTest, AWallClockSetBackDoesNotEndARunningTask) {
  // The clock stands still at 07:12 until the test has jumped.
  m_clock->SetStopAt(At(10, 7, 12));
  Start();
  auto task = NewTask();
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 7, 10), 10 * kMinute), task));
  ASSERT_TRUE(RunTo(At(10, 7, 12)));
  ASSERT_EQ(task->Runs().size(), 1u);
  m_clock->JumpWall(-120 * kMinute);  // now 05:12
  m_clock->SetStopAt(0);
  ASSERT_TRUE(RunTo(At(10, 5, 30)));
  ASSERT_EQ(task->Cancels().size(), 1u);
  // Ten minutes of real running, whatever the wall clock said.
  EXPECT_GE(task->Cancels()[0].wall, At(10, 5, 20));
  EXPECT_LE(task->Cancels()[0].wall, At(10, 5, 21));
  EXPECT_EQ(task->Runs().size(), 1u);
}

// A run of 07:10-07:20 meets a change at 07:12: it ends at 07:20 on the
// wall clock or after ten minutes counted with suspended time, whichever
// comes first.
TEST_F(TimerEngineTest, ARunEndsAtItsWallClockEndOrAfterItsLengthWithSuspendedTimeWhicheverComesFirst) {
  struct Case {
    const char* name;
    bool suspend;  // else the wall clock alone is set forward
    int64_t minutes;
    int endHour, endMinute;
  };
  const Case cases[] = {
      {"wall clock set forward 5 min", false, 5, 7, 20},
      {"wall clock set forward past the end", false, 30, 7, 42},
      {"suspended 5 min", true, 5, 7, 20},
      {"suspended past the end", true, 30, 7, 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_clock = std::make_shared<FakeTimerClock>(MakeTime(2026, 12, 10, 7, 0));
    m_clock->SetStep(kMinute);
    m_clock->SetStopAt(At(10, 7, 12));
    Start();
    auto task = NewTask();
    ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 7, 10), 10 * kMinute), task));
    ASSERT_TRUE(RunTo(At(10, 7, 12)));
    ASSERT_EQ(task->Runs().size(), 1u);
    if (c.suspend)
      m_clock->Suspend(c.minutes * kMinute);
    else
      m_clock->JumpWall(c.minutes * kMinute);
    m_clock->SetStopAt(At(10, 8, 0));
    ASSERT_TRUE(RunTo(At(10, 8, 0)));
    ASSERT_EQ(task->Cancels().size(), 1u);
    uint64_t end = At(10, c.endHour, c.endMinute);
    EXPECT_GE(task->Cancels()[0].wall, end);
    EXPECT_LE(task->Cancels()[0].wall, end + kMinute * kTimerMsUnits);
    TearDown();
  }
}

// The machine sleeps from 08:10 to 10:10 during a task of 08:00-09:00.
TEST_F(TimerEngineTest, AtResumeTheSuspendedRunEndsAndTasksDueMeanwhileStartOrAreReportedMissed) {
  m_clock->SetStopAt(At(10, 8, 10));
  Start();
  std::vector<CTimerDate> expired;
  std::mutex expiredLock;
  m_engine->SetExpiredHook([&](const CTimerDate& d, const std::shared_ptr<ITimerTask>&) {
    std::lock_guard<std::mutex> lock(expiredLock);
    expired.push_back(d);
  });
  auto suspended = NewTask(), missed = NewTask(), stillOpen = NewTask(), after = NewTask();
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 8, 0), 60 * kMinute), suspended));
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 9, 5), 30 * kMinute), missed));
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 9, 40), 40 * kMinute), stillOpen));
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 10, 30), 10 * kMinute), after));
  ASSERT_TRUE(RunTo(At(10, 8, 10)));
  ASSERT_EQ(suspended->Runs().size(), 1u);
  m_clock->Suspend(120 * kMinute);
  m_clock->SetStopAt(At(10, 11, 0));
  ASSERT_TRUE(RunTo(At(10, 11, 0)));

  const uint64_t step = kMinute * kTimerMsUnits;
  // The suspended run ends at resume, not an hour later.
  ASSERT_EQ(suspended->Cancels().size(), 1u);
  EXPECT_GE(suspended->Cancels()[0].wall, At(10, 10, 10));
  EXPECT_LE(suspended->Cancels()[0].wall, At(10, 10, 10) + step);
  // Its window still open, a task that fell due in the sleep starts at
  // resume, once the suspended run has been told to end, and keeps its end.
  ASSERT_EQ(stillOpen->Runs().size(), 1u);
  EXPECT_LE(stillOpen->Runs()[0].wall, At(10, 10, 10) + step);
  EXPECT_GT(stillOpen->Runs()[0].order, suspended->Cancels()[0].order);
  ASSERT_EQ(stillOpen->Cancels().size(), 1u);
  EXPECT_GE(stillOpen->Cancels()[0].wall, At(10, 10, 20));
  EXPECT_LE(stillOpen->Cancels()[0].wall, At(10, 10, 20) + step);
  // One whose window closed in the sleep is reported, never run.
  EXPECT_TRUE(missed->Runs().empty());
  {
    std::lock_guard<std::mutex> lock(expiredLock);
    ASSERT_EQ(expired.size(), 1u);
    EXPECT_EQ(expired[0].start.wHour, 9);
    EXPECT_EQ(expired[0].start.wMinute, 5);
  }
  // The next task runs at its own time for its own length.
  ASSERT_EQ(after->Runs().size(), 1u);
  EXPECT_GE(after->Runs()[0].wall, At(10, 10, 30));
  EXPECT_LE(after->Runs()[0].wall, At(10, 10, 30) + step);
  ASSERT_EQ(after->Cancels().size(), 1u);
  EXPECT_GE(after->Cancels()[0].wall, At(10, 10, 40));
  EXPECT_LE(after->Cancels()[0].wall, At(10, 10, 40) + step);
  EXPECT_EQ(m_engine->Count(), 0u);
}

TEST_F(TimerEngineTest, AnIntervalSleptThroughIsExpiredNotStarted) {
  Start();
  int expired = 0;
  m_engine->SetExpiredHook([&](const CTimerDate&, const std::shared_ptr<ITimerTask>&) { ++expired; });
  auto once = NewTask(), daily = NewTask();
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 8, 0), 10 * kMinute), once));
  ASSERT_TRUE(m_engine->Add(MakeDate(MakeTime(2026, 12, 10, 9, 0), 10 * kMinute, true), daily));
  m_clock->SetStopAt(At(10, 7, 30));
  ASSERT_TRUE(RunTo(At(10, 7, 30)));
  m_clock->JumpWall(180 * kMinute);  // the machine wakes at 10:30
  m_clock->SetStopAt(At(10, 11, 0));
  ASSERT_TRUE(RunTo(At(10, 11, 0)));
  EXPECT_TRUE(once->Runs().empty());
  EXPECT_TRUE(daily->Runs().empty());
  EXPECT_EQ(expired, 2);
  // The daily task waits for tomorrow.
  std::vector<CTimerDate> pending = m_engine->GetPendingDates();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].start.wDay, 11);
}

TEST_F(TimerEngineTest, StoppingARunningTaskCancelsItAndWaitsForItsThread) {
  Start();
  auto task = NewTask();
  CTimerDate date = MakeDate(MakeTime(2026, 12, 10, 7, 5), 600 * kMinute);
  ASSERT_TRUE(m_engine->Add(date, task));
  ASSERT_TRUE(RunTo(At(10, 7, 7)));
  ASSERT_EQ(task->Runs().size(), 1u);
  EXPECT_TRUE(m_engine->Stop(date));
  EXPECT_EQ(task->Cancels().size(), 1u);
  EXPECT_FALSE(task->InRun());  // its Run has returned
  EXPECT_EQ(m_engine->Count(), 0u);
  EXPECT_FALSE(m_engine->GetRunningDate().IsSet());
}

// Stop returns only once the run's thread is gone, even when it is asked at
// the very moment the scheduler takes the run and starts its thread.
TEST_F(TimerEngineTest, StopWaitsForTheThreadOfARunThatIsJustStarting) {
  Start();  // the clock stays frozen: the run is due from the start
  const CTimerDate date = MakeDate(MakeTime(2026, 12, 10, 6, 59), 600 * kMinute);
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    auto task = NewTask();
    ASSERT_TRUE(m_engine->Add(date, task));
    std::vector<std::shared_ptr<ITimerTask>> running;
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!m_engine->GetRunning(running) && std::chrono::steady_clock::now() < limit) std::this_thread::yield();
    ASSERT_EQ(running.size(), 1u);
    running.clear();
    ASSERT_TRUE(m_engine->Stop(date));
    // The thread has left the run behind: nothing of it is still filed.
    ASSERT_EQ(m_engine->Count(), 0u);
  }
}

}  // namespace
