// The task pool under load, built with ThreadSanitizer: many threads adding
// keyed tasks while workers come and go, StopAll in the middle of a flood,
// and the pool destroyed while its tasks run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/TaskThreadPool.h"

namespace {

using namespace std::chrono_literals;

// Pools live on the heap: std::mutex has no destructor that tells the
// sanitizer, and pools of different tests on the same stack addresses would
// look like one lock taken in two orders.
std::unique_ptr<CTaskThreadPool> MakePool(int max) {
    return std::make_unique<CTaskThreadPool>(max);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds patience = 60s) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(100us);
    }
    return true;
}

// Shared by the tasks of one run.
struct Board {
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<int> settled{0};  // tasks that ran or were stopped before running
    std::mutex orderMutex;
    std::vector<std::vector<int>> order;  // per adder: indexes in the order they ran

    explicit Board(int adders) : order(adders) {}
};

class CountingTask : public ITask {
public:
    CountingTask(Board* board, int adder, int index, int spins = 0)
        : m_board(board), m_adder(adder), m_index(index), m_spins(spins) {}

    bool Run() override {
        int now = ++m_board->running;
        int most = m_board->mostAtOnce.load();
        while (now > most && !m_board->mostAtOnce.compare_exchange_weak(most, now)) {
        }
        {
            std::lock_guard<std::mutex> guard(m_board->orderMutex);
            m_board->order[m_adder].push_back(m_index);
        }
        // A negative count spins until the task is stopped.
        for (int i = 0; (m_spins < 0 || i < m_spins) && !m_stopAsked; ++i)
            std::this_thread::yield();
        ++m_runs;
        --m_board->running;
        Settle();
        return true;
    }

    bool Stop() override {
        ++m_stops;
        m_stopAsked = true;
        // Stopped before it started: it will never run.
        if (!HasState(StateRunning))
            Settle();
        return true;
    }

    Board* const m_board;
    const int m_adder;
    const int m_index;
    const int m_spins;
    std::atomic<int> m_runs{0};
    std::atomic<int> m_stops{0};
    std::atomic<bool> m_stopAsked{false};

private:
    void Settle() {
        if (!m_settled.exchange(true))
            ++m_board->settled;
    }

    std::atomic<bool> m_settled{false};
};

using Tasks = std::vector<std::vector<std::shared_ptr<CountingTask>>>;

// Each adder adds its tasks in order, now and then stepping aside so that
// workers run dry, end, and are started again.
void Flood(CTaskThreadPool& pool, Board& board, Tasks& tasks, int adders, int perAdder,
           const std::function<void(int)>& midway = nullptr) {
    tasks.assign(adders, {});
    for (int a = 0; a < adders; ++a) {
        for (int i = 0; i < perAdder; ++i)
            tasks[a].push_back(std::make_shared<CountingTask>(&board, a, i));
    }
    std::vector<std::thread> threads;
    for (int a = 0; a < adders; ++a) {
        threads.emplace_back([&, a] {
            for (int i = 0; i < perAdder; ++i) {
                pool.AddTask(std::to_wstring(a) + L"/" + std::to_wstring(i), tasks[a][i]);
                if (i % 97 == 0)
                    std::this_thread::sleep_for(200us);
                if (midway && a == 0 && i == perAdder / 2)
                    midway(i);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
}

}  // namespace

// A task added just as the only worker finds nothing left must still run:
// either that worker sees it or a new one is started for it.
TEST(TaskPoolWakeUp, TaskAddedAsTheWorkerRunsDryStillRuns) {
    Board board(1);
    auto owned = MakePool(1);
    CTaskThreadPool& pool = *owned;
    for (int round = 0; round < 2000; ++round) {
        auto first = std::make_shared<CountingTask>(&board, 0, 2 * round);
        auto second = std::make_shared<CountingTask>(&board, 0, 2 * round + 1);
        pool.AddTask(L"first" + std::to_wstring(round), first);
        while (first->m_runs == 0)
            std::this_thread::yield();
        for (int i = 0; i < round % 40; ++i)
            std::this_thread::yield();
        pool.AddTask(L"second" + std::to_wstring(round), second);
        ASSERT_TRUE(WaitFor([&] { return second->m_runs == 1; }, 10s)) << "round " << round;
    }
}

class TaskPoolFlood : public ::testing::TestWithParam<int> {};

TEST_P(TaskPoolFlood, EveryTaskRunsExactlyOnceWithinTheMaximum) {
    const int max = GetParam();
    const int adders = 4;
    const int perAdder = 1000;
    Board board(adders);
    Tasks tasks;
    auto owned = MakePool(max);
    CTaskThreadPool& pool = *owned;
    Flood(pool, board, tasks, adders, perAdder);

    ASSERT_TRUE(WaitFor([&] { return board.settled == adders * perAdder; }))
        << board.settled << " of " << adders * perAdder << " tasks ran";
    ASSERT_TRUE(WaitFor([&] { return !pool.IsBusy(true); }));
    EXPECT_EQ(pool.GetTaskCount(), 0);
    EXPECT_LE(board.mostAtOnce, max);
    for (auto& row : tasks) {
        for (auto& task : row)
            ASSERT_EQ(task->m_runs, 1) << task->m_adder << "/" << task->m_index;
    }
    if (max == 1) {
        // One worker at a time: each adder's tasks ran in the order it added them.
        for (int a = 0; a < adders; ++a) {
            ASSERT_EQ(board.order[a].size(), static_cast<size_t>(perAdder));
            for (int i = 0; i < perAdder; ++i)
                ASSERT_EQ(board.order[a][i], i) << "adder " << a;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Maximum, TaskPoolFlood, ::testing::Values(1, 4));

TEST(TaskPoolFloodStop, StopAllDuringAFloodLosesAndRepeatsNothing) {
    const int adders = 4;
    const int perAdder = 800;
    Board board(adders);
    Tasks tasks;
    auto owned = MakePool(4);
    CTaskThreadPool& pool = *owned;
    std::atomic<int> stopAlls{0};
    Flood(pool, board, tasks, adders, perAdder, [&](int) {
        for (int i = 0; i < 3; ++i) {
            if (pool.StopAll())
                ++stopAlls;
        }
    });
    EXPECT_EQ(stopAlls, 3);

    // Tasks added after the last StopAll run; every other task either ran or
    // was stopped before it could.
    ASSERT_TRUE(WaitFor([&] { return board.settled == adders * perAdder; }))
        << board.settled << " of " << adders * perAdder << " tasks settled";
    ASSERT_TRUE(WaitFor([&] { return !pool.IsBusy(true); }));
    EXPECT_EQ(pool.GetTaskCount(), 0);
    int stoppedUnrun = 0;
    for (auto& row : tasks) {
        for (auto& task : row) {
            ASSERT_LE(task->m_runs, 1);
            if (task->m_runs == 0) {
                ASSERT_GE(task->m_stops, 1);
                ASSERT_TRUE(task->HasState(ITask::StateStopped));
                ++stoppedUnrun;
            }
        }
    }
    EXPECT_EQ(board.running, 0);
    RecordProperty("stopped_before_running", stoppedUnrun);
}

TEST(TaskPoolFloodStop, DestroyingThePoolWhileTasksRunWaitsForThem) {
    for (int max : {1, 4}) {
        SCOPED_TRACE(max);
        Board board(1);
        std::vector<std::shared_ptr<CountingTask>> tasks;
        {
            auto owned = MakePool(max);
            CTaskThreadPool& pool = *owned;
            for (int i = 0; i < 300; ++i) {
                tasks.push_back(std::make_shared<CountingTask>(&board, 0, i, -1));
                pool.AddTask(std::to_wstring(i), tasks.back());
            }
            ASSERT_TRUE(WaitFor([&] { return board.running > 0; }));
        }
        EXPECT_EQ(board.running, 0) << "a task still ran after the pool was gone";
        for (auto& task : tasks) {
            EXPECT_LE(task->m_runs, 1);
            EXPECT_EQ(task->m_stops, 1);
            EXPECT_EQ(task.use_count(), 1);
        }
    }
}
