// The keyed task pool: order, keys, stop, cooperative pause and resume, the
// notices to the owner window, and the keyed vector under it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/JNVector.h"
#include "base/TaskThreadPool.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;

// Polls until the condition holds; generous, so a slow machine only waits longer.
bool WaitFor(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// What the tasks of one test did, in the order they started.
struct Journal {
    std::mutex mutex;
    std::vector<int> started;
    void Add(int id) {
        std::lock_guard<std::mutex> guard(mutex);
        started.push_back(id);
    }
    std::vector<int> Started() {
        std::lock_guard<std::mutex> guard(mutex);
        return started;
    }
};

// Waits in Run for its gate (or a stop), then passes a safe point where a
// pause holds it, then ends.
class GateTask : public ITask {
public:
    GateTask(int id, Journal* journal) : m_id(id), m_journal(journal) {}

    bool Run() override {
        m_thread = std::this_thread::get_id();
        ++m_runs;
        if (m_journal)
            m_journal->Add(m_id);
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_gateChanged.wait(lock, [this] { return m_open || (m_stopOpensGate && m_stops > 0); });
        }
        m_atSafePoint = true;
        WaitWhilePaused();
        m_finished = true;
        return true;
    }

    bool Stop() override {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            ++m_stops;
        }
        m_gateChanged.notify_all();
        return true;
    }

    void Open() {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_open = true;
        }
        m_gateChanged.notify_all();
    }

    int Stops() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_stops;
    }

    bool Held() const { return IsPauseHeld(); }

    const int m_id;
    Journal* const m_journal;
    bool m_stopOpensGate = true;
    std::atomic<int> m_runs{0};
    std::atomic<bool> m_atSafePoint{false};
    std::atomic<bool> m_finished{false};
    std::thread::id m_thread;  // written by Run before m_runs is raised

private:
    std::mutex m_mutex;
    std::condition_variable m_gateChanged;
    bool m_open = false;
    int m_stops = 0;
};

std::shared_ptr<GateTask> MakeTask(int id, Journal* journal = nullptr) {
    return std::make_shared<GateTask>(id, journal);
}

bool Has(int flags, uint32_t bits) {
    return flags != -1 && (static_cast<uint32_t>(flags) & bits) == bits;
}

bool Idle(CTaskThreadPool& pool) {
    return !pool.IsBusy(true);
}

}  // namespace

TEST(TaskPoolOrder, TasksAddedWhileOneRunsFollowOnTheSameWorkerInOrder) {
    Journal journal;
    CTaskThreadPool pool;
    auto first = MakeTask(1, &journal);
    pool.AddTask(L"a", first);
    ASSERT_TRUE(WaitFor([&] { return first->m_runs == 1; }));

    std::vector<std::shared_ptr<GateTask>> later;
    for (int id = 2; id <= 4; ++id) {
        later.push_back(MakeTask(id, &journal));
        later.back()->Open();
        pool.AddTask(L"k" + std::to_wstring(id), later.back());
    }
    EXPECT_EQ(pool.GetTaskCount(), 4);
    EXPECT_EQ(journal.Started(), (std::vector<int>{1}));

    first->Open();
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
    EXPECT_EQ(journal.Started(), (std::vector<int>{1, 2, 3, 4}));
    for (auto& task : later) {
        EXPECT_EQ(task->m_runs, 1);
        EXPECT_EQ(task->m_thread, first->m_thread);
        EXPECT_TRUE(Has(task->GetState(), ITask::StateRunning));
    }
}

TEST(TaskPoolOrder, MaximumBoundsHowManyTasksRunAtOnce) {
    struct Case {
        int max;
        int concurrent;
    };
    // A maximum below 1 counts as 1.
    for (Case c : {Case{0, 1}, Case{1, 1}, Case{3, 3}}) {
        SCOPED_TRACE(c.max);
        CTaskThreadPool pool(c.max);
        std::vector<std::shared_ptr<GateTask>> tasks;
        for (int id = 0; id < 5; ++id) {
            tasks.push_back(MakeTask(id));
            pool.AddTask(std::to_wstring(id), tasks.back());
        }
        auto running = [&] {
            int n = 0;
            for (auto& task : tasks)
                n += task->m_runs;
            return n;
        };
        ASSERT_TRUE(WaitFor([&] { return running() == c.concurrent; }));
        std::this_thread::sleep_for(30ms);  // give an extra worker a chance to show up
        EXPECT_EQ(running(), c.concurrent);
        for (auto& task : tasks)
            task->Open();
        ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
        EXPECT_EQ(running(), 5);
    }
}

TEST(TaskPoolKeys, SecondTaskUnderAPresentKeyIsDropped) {
    CTaskThreadPool pool;
    auto blocker = MakeTask(0);
    pool.AddTask(L"blocker", blocker);
    auto first = MakeTask(1);
    auto second = MakeTask(2);
    pool.AddTask(L"same", first);
    pool.AddTask(L"same", second);

    EXPECT_EQ(pool.GetTask(L"same"), first);
    EXPECT_EQ(second.use_count(), 1) << "the pool must not keep the dropped task";
    EXPECT_EQ(pool.GetTaskCount(), 2);

    first->Open();
    second->Open();
    blocker->Open();
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
    EXPECT_EQ(first->m_runs, 1);
    EXPECT_EQ(second->m_runs, 0);
}

TEST(TaskPoolKeys, MissingKeyIsACatchableErrorOrFalse) {
    CTaskThreadPool pool;
    try {
        pool.GetTask(L"nope");
        FAIL() << "GetTask of a missing key must throw";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "call JNVector<KEY, VALUE>::Get(KEY key):\n在数组中找不到对应的key");
    }
    EXPECT_THROW(pool.GetTaskFlags(L"nope"), std::out_of_range);
    EXPECT_FALSE(pool.HasTask(L"nope"));
    EXPECT_FALSE(pool.StopTask(L"nope"));
    EXPECT_FALSE(pool.PauseTask(L"nope"));
    EXPECT_FALSE(pool.ResumeTask(L"nope"));
    EXPECT_EQ(pool.GetTaskAt(0), nullptr);
    EXPECT_EQ(pool.GetTaskAt(-1), nullptr);
    EXPECT_EQ(pool.FindTask(ITask::StateQueued), nullptr);
}

TEST(TaskPoolKeys, QueriesSeeTheListAsItStands) {
    CTaskThreadPool pool;
    auto running = MakeTask(0);
    auto waiting = MakeTask(1);
    pool.AddTask(L"zeta", running);
    ASSERT_TRUE(WaitFor([&] { return running->m_runs == 1; }));
    pool.AddTask(L"alpha", waiting);
    pool.AddTask(L"empty", nullptr);

    EXPECT_EQ(pool.GetKeys(), (std::vector<std::wstring>{L"alpha", L"empty", L"zeta"}));
    EXPECT_EQ(pool.GetTaskAt(0), running);
    EXPECT_EQ(pool.GetTaskAt(1), waiting);
    EXPECT_EQ(pool.FindTask(ITask::StateQueued), waiting);
    EXPECT_EQ(pool.FindTask(ITask::StateRunning), running);
    EXPECT_EQ(pool.GetTaskFlags(L"empty"), -1);
    EXPECT_EQ(pool.GetTaskFlags(L"alpha"), static_cast<int>(ITask::StateQueued));
    EXPECT_FALSE(pool.StopTask(L"empty"));
    EXPECT_TRUE(pool.IsBusy(false));
    EXPECT_EQ(pool.GetPendingCount(), 3);

    pool.RemoveTask(L"empty");
    pool.RemoveTask(L"alpha");
    EXPECT_FALSE(pool.HasTask(L"alpha"));
    running->Open();
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
    EXPECT_EQ(waiting->m_runs, 0);
}

TEST(TaskPoolStop, StoppingAWaitingTaskRemovesItAndItNeverRuns) {
    CTaskThreadPool pool;
    auto running = MakeTask(0);
    auto waiting = MakeTask(1);
    pool.AddTask(L"run", running);
    pool.AddTask(L"wait", waiting);

    EXPECT_TRUE(pool.StopTask(L"wait"));
    EXPECT_FALSE(pool.HasTask(L"wait"));
    EXPECT_EQ(waiting->Stops(), 1);
    EXPECT_TRUE(Has(waiting->GetState(), ITask::StateStopped));
    EXPECT_FALSE(Has(waiting->GetState(), ITask::StateQueued));
    EXPECT_FALSE(Has(waiting->GetState(), ITask::StateStopAsked));

    running->Open();
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
    EXPECT_EQ(waiting->m_runs, 0);
}

TEST(TaskPoolStop, StoppingARunningTaskKeepsItListedUntilRunReturns) {
    CTaskThreadPool pool;
    auto task = MakeTask(0);
    task->m_stopOpensGate = false;
    pool.AddTask(L"t", task);
    ASSERT_TRUE(WaitFor([&] { return task->m_runs == 1; }));

    EXPECT_TRUE(pool.StopTask(L"t"));
    EXPECT_EQ(task->Stops(), 1);
    int flags = pool.GetTaskFlags(L"t");
    EXPECT_TRUE(Has(flags, ITask::StateRunning | ITask::StateStopped));
    EXPECT_FALSE(Has(flags, ITask::StateStopAsked));
    EXPECT_TRUE(pool.HasTask(L"t"));

    task->Open();
    ASSERT_TRUE(WaitFor([&] { return !pool.HasTask(L"t"); }));
    EXPECT_TRUE(task->m_finished);
}

TEST(TaskPoolStop, StopAllWithNothingToDoReturnsAtOnce) {
    CTaskThreadPool pool;
    EXPECT_TRUE(pool.StopAll());
    EXPECT_FALSE(pool.IsBusy(true));
}

TEST(TaskPoolStop, StopAllStopsEveryTaskAndWaitsForTheWorkers) {
    CTaskThreadPool pool(2);
    std::vector<std::shared_ptr<GateTask>> tasks;
    for (int id = 0; id < 5; ++id) {
        tasks.push_back(MakeTask(id));
        tasks.back()->m_stopOpensGate = false;
        pool.AddTask(std::to_wstring(id), tasks.back());
    }
    ASSERT_TRUE(WaitFor([&] { return tasks[0]->m_runs == 1 && tasks[1]->m_runs == 1; }));

    // The running tasks end only once every task has been asked to stop, so
    // StopAll must be waiting for their workers by then.
    std::thread releaser([&] {
        if (WaitFor([&] { return tasks[4]->Stops() == 1; })) {
            std::this_thread::sleep_for(20ms);
            tasks[0]->Open();
            tasks[1]->Open();
        }
    });
    EXPECT_TRUE(pool.StopAll());
    releaser.join();
    EXPECT_EQ(pool.GetTaskCount(), 0);
    EXPECT_FALSE(pool.IsBusy(true));
    for (auto& task : tasks) {
        EXPECT_EQ(task->Stops(), 1);
        EXPECT_TRUE(Has(task->GetState(), ITask::StateStopped));
    }
    EXPECT_TRUE(tasks[0]->m_finished);
    EXPECT_TRUE(tasks[1]->m_finished);
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(tasks[i]->m_runs, 0);
}

// A task may stop its own pool; the worker running it cannot wait for itself.
TEST(TaskPoolStop, StopAllFromInsideATaskStopsTheOthersAndReturns) {
    struct Stopper : ITask {
        CTaskThreadPool* pool = nullptr;
        std::atomic<bool> returned{false};
        bool Run() override {
            returned = pool->StopAll();
            return true;
        }
        bool Stop() override { return true; }
    };
    CTaskThreadPool pool;
    auto blocker = MakeTask(0);
    auto stopper = std::make_shared<Stopper>();
    stopper->pool = &pool;
    auto waiting = MakeTask(2);
    pool.AddTask(L"blocker", blocker);
    pool.AddTask(L"stopper", stopper);
    pool.AddTask(L"waiting", waiting);
    blocker->Open();

    ASSERT_TRUE(WaitFor([&] { return stopper->returned.load(); }));
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
    EXPECT_EQ(waiting->Stops(), 1);
    EXPECT_EQ(waiting->m_runs, 0);
    EXPECT_TRUE(Has(stopper->GetState(), ITask::StateStopped));
}

TEST(TaskPoolStop, DestroyingThePoolWaitsForARunningTask) {
    auto task = MakeTask(0);
    {
        CTaskThreadPool pool;
        pool.AddTask(L"t", task);
        ASSERT_TRUE(WaitFor([&] { return task->m_runs == 1; }));
    }
    EXPECT_EQ(task->Stops(), 1);
    EXPECT_TRUE(task->m_finished) << "the pool ended before its worker";
    EXPECT_EQ(task.use_count(), 1);
}

// Pausing holds the task at its next safe point; the pool counts its worker
// as not busy, so queued work gets another worker.
class TaskPoolPause : public ::testing::Test {
protected:
    void StartPaused() {
        pool.AddTask(L"first", first);
        ASSERT_TRUE(WaitFor([&] { return first->m_runs == 1; }));
        pool.AddTask(L"second", second);
        ASSERT_TRUE(pool.PauseTask(L"first"));
        EXPECT_TRUE(Has(pool.GetTaskFlags(L"first"), ITask::StatePaused));
        first->Open();
        ASSERT_TRUE(WaitFor([&] { return first->m_atSafePoint.load(); }));
        ASSERT_TRUE(WaitFor([&] { return second->m_runs == 1; }))
            << "a queued task must get a new worker while the first is paused";
    }

    void Finish() {
        second->Open();
        ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
        EXPECT_TRUE(first->m_finished);
        EXPECT_TRUE(second->m_finished);
    }

    CTaskThreadPool pool;
    std::shared_ptr<GateTask> first = MakeTask(1);
    std::shared_ptr<GateTask> second = MakeTask(2);
};

TEST_F(TaskPoolPause, PausedTaskIsHeldAndItsResumeWaitsForTheNextWorker) {
    StartPaused();
    EXPECT_NE(second->m_thread, first->m_thread);
    std::this_thread::sleep_for(30ms);
    EXPECT_FALSE(first->m_finished) << "a paused task went past its safe point";
    EXPECT_TRUE(first->Held());

    // The pool is at its maximum (the second worker is busy): the resume waits.
    ASSERT_TRUE(pool.ResumeTask(L"first"));
    int flags = pool.GetTaskFlags(L"first");
    EXPECT_TRUE(Has(flags, ITask::StatePaused | ITask::StateResumeAsked));
    EXPECT_TRUE(first->Held());

    // The second worker applies it when it looks for work, then leaves.
    second->Open();
    ASSERT_TRUE(WaitFor([&] { return first->m_finished.load(); }));
    EXPECT_TRUE(Has(first->GetState(), ITask::StateResumed));
    EXPECT_FALSE(Has(first->GetState(), ITask::StatePaused));
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
}

TEST_F(TaskPoolPause, PauseBeforeTheResumeIsAppliedCancelsIt) {
    StartPaused();
    ASSERT_TRUE(pool.ResumeTask(L"first"));
    ASSERT_TRUE(pool.PauseTask(L"first"));
    int flags = pool.GetTaskFlags(L"first");
    EXPECT_TRUE(Has(flags, ITask::StatePaused));
    EXPECT_FALSE(Has(flags, ITask::StateResumeAsked));

    second->Open();
    ASSERT_TRUE(WaitFor([&] { return !pool.HasTask(L"second"); }));
    ASSERT_TRUE(WaitFor([&] { return !pool.IsBusy(false); }));
    EXPECT_TRUE(first->Held());
    EXPECT_FALSE(first->m_finished);

    // Below the maximum now, so the resume applies at once.
    ASSERT_TRUE(pool.ResumeTask(L"first"));
    Finish();
}

TEST_F(TaskPoolPause, StoppingAPausedTaskLetsItGoFirst) {
    StartPaused();
    ASSERT_TRUE(pool.StopTask(L"first"));
    ASSERT_TRUE(WaitFor([&] { return first->m_finished.load(); }));
    EXPECT_EQ(first->Stops(), 1);
    EXPECT_TRUE(Has(first->GetState(), ITask::StateStopped | ITask::StateResumed));
    EXPECT_FALSE(Has(first->GetState(), ITask::StatePaused));
    Finish();
}

TEST(TaskPoolPauseWaiting, PausedWaitingTaskStaysListedAndRunsOnceResumed) {
    CTaskThreadPool pool;
    auto running = MakeTask(0);
    auto waiting = MakeTask(1);
    waiting->Open();
    pool.AddTask(L"run", running);
    pool.AddTask(L"wait", waiting);

    ASSERT_TRUE(pool.PauseTask(L"wait"));
    EXPECT_FALSE(Has(pool.GetTaskFlags(L"wait"), ITask::StateQueued));
    running->Open();
    ASSERT_TRUE(WaitFor([&] { return !pool.HasTask(L"run") && Idle(pool); }));
    EXPECT_TRUE(pool.HasTask(L"wait"));
    EXPECT_EQ(waiting->m_runs, 0);

    // No worker is left: resuming must still get it run.
    ASSERT_TRUE(pool.ResumeTask(L"wait"));
    ASSERT_TRUE(WaitFor([&] { return waiting->m_finished.load(); }));
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
}

// A task that ignores pauses: a pause applied before it ends must not leave
// it listed or the worker count short.
TEST(TaskPoolPauseWaiting, TaskEndingWhilePausedLeavesTheListAndTheCountWhole) {
    struct Heedless : ITask {
        std::mutex mutex;
        std::condition_variable changed;
        bool paused = false;
        bool Run() override {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return paused; });
            return true;
        }
        bool Stop() override { return true; }
        void Suspend() override {
            ITask::Suspend();
            {
                std::lock_guard<std::mutex> guard(mutex);
                paused = true;
            }
            changed.notify_all();
        }
    };
    CTaskThreadPool pool;
    auto heedless = std::make_shared<Heedless>();
    pool.AddTask(L"h", heedless);
    ASSERT_TRUE(WaitFor([&] { return Has(heedless->GetState(), ITask::StateRunning); }));
    ASSERT_TRUE(pool.PauseTask(L"h"));
    ASSERT_TRUE(WaitFor([&] { return !pool.HasTask(L"h") && Idle(pool); }));
    EXPECT_FALSE(Has(heedless->GetState(), ITask::StatePaused));

    // With the count whole, the default maximum still means one at a time.
    std::vector<std::shared_ptr<GateTask>> tasks;
    for (int id = 0; id < 3; ++id) {
        tasks.push_back(MakeTask(id));
        pool.AddTask(std::to_wstring(id), tasks.back());
    }
    ASSERT_TRUE(WaitFor([&] { return tasks[0]->m_runs == 1; }));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(tasks[1]->m_runs + tasks[2]->m_runs, 0);
    for (auto& task : tasks)
        task->Open();
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
}

TEST(TaskPoolPauseWaiting, PauseAllAndResumeAllOnlyMakeRequests) {
    CTaskThreadPool pool;
    auto running = MakeTask(0);
    auto waiting = MakeTask(1);
    waiting->Open();
    pool.AddTask(L"run", running);
    ASSERT_TRUE(WaitFor([&] { return running->m_runs == 1; }));
    pool.AddTask(L"wait", waiting);

    EXPECT_TRUE(pool.PauseAll());
    EXPECT_TRUE(Has(running->GetState(), ITask::StatePauseAsked));
    EXPECT_FALSE(Has(running->GetState(), ITask::StatePaused));
    EXPECT_FALSE(Has(waiting->GetState(), ITask::StateQueued));

    EXPECT_TRUE(pool.ResumeAll());
    EXPECT_FALSE(Has(running->GetState(), ITask::StatePauseAsked));
    EXPECT_TRUE(Has(waiting->GetState(), ITask::StateQueued));

    running->Open();
    ASSERT_TRUE(WaitFor([&] { return pool.GetTaskCount() == 0 && Idle(pool); }));
    EXPECT_TRUE(running->m_finished);
    EXPECT_TRUE(waiting->m_finished);
}

// Workers are counted when they are started, so filling up to the maximum
// ends even before any of them has begun.
TEST(TaskPoolOrder, FillingWorkersStopsAtTheMaximum) {
    CTaskThreadPool pool(3);
    pool.FillWorkers();
    EXPECT_LE(pool.GetPendingCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return Idle(pool); }));
    auto task = MakeTask(0);
    task->Open();
    pool.AddTask(L"t", task);
    pool.StartWorkers();
    ASSERT_TRUE(WaitFor([&] { return task->m_finished.load() && Idle(pool); }));
}

TEST(TaskStateUtil, FlagWordOperations) {
    CStateUtil state;
    EXPECT_EQ(state.Get(), 0u);
    state.Add(0x05);
    EXPECT_TRUE(state.Test(0x04));
    EXPECT_TRUE(state.Test(0x05));
    EXPECT_FALSE(state.Test(0x06));
    state.Remove(0x01);
    EXPECT_EQ(state.Get(), 0x04u);
    CStateUtil copy(state);
    state.Set(0x30);
    EXPECT_EQ(copy.Get(), 0x04u);
    EXPECT_EQ(state.Get(), 0x30u);
}

TEST(TaskThreadCounter, BitsTellNoneBusyAndNoThread) {
    CThreadCounter counter;
    counter.Enter();
    counter.Enter();
    EXPECT_TRUE(counter.IsMax());
    EXPECT_TRUE(counter.IsOver());
    CStateUtil bits = counter.DecBusy();
    EXPECT_EQ(bits.Get(), 0u);
    bits = counter.DecBusy();
    EXPECT_EQ(bits.Get(), CThreadCounter::NoneBusy);
    EXPECT_EQ(counter.GetSuspended(), 2);
    EXPECT_FALSE(counter.IsBusy());
    counter.AddBusy();
    counter.AddBusy();
    counter.Leave();
    bits = counter.Leave();
    EXPECT_EQ(bits.Get(), CThreadCounter::NoneBusy | CThreadCounter::NoThread);
    counter.SetMax(3);
    counter.IncBusy();
    counter.IncBusy();
    EXPECT_FALSE(counter.IsMax());
    counter.SubBusy();
    EXPECT_EQ(counter.GetBusy(), 1);
    EXPECT_EQ(counter.GetThreads(), 0);
}

TEST(TaskKeyedVector, EraseMovesLaterPositionsDown) {
    JNVector<std::wstring, int> v;
    v.Set(L"c", 3);
    v.Set(L"a", 1);
    v.Set(L"b", 2);
    v.Set(L"a", 10);  // replaced in place
    ASSERT_EQ(v.Size(), 3);
    EXPECT_EQ(v.At(1), 10);
    EXPECT_EQ(v.GetKeys(), (std::vector<std::wstring>{L"a", L"b", L"c"}));

    v.EraseAt(7);
    v.EraseAt(-1);
    EXPECT_EQ(v.Size(), 3);

    v.Remove(L"c");
    ASSERT_EQ(v.Size(), 2);
    EXPECT_EQ(v.Get(L"a"), 10);
    EXPECT_EQ(v.Get(L"b"), 2);
    EXPECT_EQ(v.At(0), 10);
    v.Set(L"d", 4);
    EXPECT_EQ(v.At(2), 4);
    EXPECT_EQ(v.Get(L"d"), 4);
    v.Remove(L"zz");
    EXPECT_EQ(v.Size(), 3);
    EXPECT_THROW(v.Get(L"c"), std::out_of_range);
    EXPECT_FALSE(v.Contains(L"c"));
}
