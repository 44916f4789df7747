// The task pool with a backlog: N small tasks queued behind a held one on a
// pool of one worker, then run to the end (each pick and each removal), and
// N queued tasks stopped by key. Beside each, the same work through a plain
// mutex-and-deque queue in the same run, so the figures read as a ratio.
// A pool whose pick or removal walks the list grows with N squared: the
// time per task then rises with N instead of staying flat.
//
//   task_pool_bench [N ...]      (default 5000 20000 80000)
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/TaskThreadPool.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts its runs; the pool does the rest.
class CountingTask : public ITask {
public:
    explicit CountingTask(std::atomic<int>& done) : m_done(done) {}
    bool Run() override {
        m_done.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    bool Stop() override { return true; }

private:
    std::atomic<int>& m_done;
};

// Holds the only worker until released, so that the backlog builds up.
class GateTask : public ITask {
public:
    bool Run() override {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
        return true;
    }
    bool Stop() override {
        Open();
        return true;
    }
    void Open() {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

std::wstring KeyOf(int i) { return L"task-" + std::to_wstring(i); }

// Queues n tasks behind a gate, opens it and waits until all ran.
double PoolDrain(int n) {
    std::atomic<int> done{0};
    CTaskThreadPool pool(1);
    auto gate = std::make_shared<GateTask>();
    const Clock::time_point start = Clock::now();
    pool.AddTask(L"gate", gate);
    for (int i = 0; i < n; ++i)
        pool.AddTask(KeyOf(i), std::make_shared<CountingTask>(done));
    gate->Open();
    while (done.load() < n || pool.GetTaskCount() != 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return SecondsSince(start);
}

// Queues n tasks behind a gate and stops every one by key, newest first.
double PoolStopByKey(int n) {
    std::atomic<int> done{0};
    CTaskThreadPool pool(1);
    auto gate = std::make_shared<GateTask>();
    pool.AddTask(L"gate", gate);
    for (int i = 0; i < n; ++i)
        pool.AddTask(KeyOf(i), std::make_shared<CountingTask>(done));
    const Clock::time_point start = Clock::now();
    for (int i = n - 1; i >= 0; --i)
        pool.StopTask(KeyOf(i));
    const double seconds = SecondsSince(start);
    gate->Open();
    return seconds;
}

// The reference: one worker over a deque, the least a task queue can do.
double ReferenceDrain(int n) {
    std::atomic<int> done{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<ITask>> queue;
    bool closed = false;
    const Clock::time_point start = Clock::now();
    std::thread worker([&] {
        for (;;) {
            std::shared_ptr<ITask> task;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return closed || !queue.empty(); });
                if (queue.empty())
                    return;
                task = std::move(queue.front());
                queue.pop_front();
            }
            task->RunInline();
        }
    });
    for (int i = 0; i < n; ++i) {
        std::lock_guard<std::mutex> guard(mutex);
        queue.push_back(std::make_shared<CountingTask>(done));
        (void)KeyOf(i);  // the pool makes a key per task too
    }
    {
        std::lock_guard<std::mutex> guard(mutex);
        closed = true;
    }
    changed.notify_all();
    worker.join();
    return SecondsSince(start);
}

double Best(const std::function<double()>& run) {
    double best = run();
    for (int i = 0; i < 2; ++i) {
        const double next = run();
        if (next < best)
            best = next;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {5000, 20000, 80000};

    std::printf("%9s  %12s  %12s  %9s  %14s\n", "tasks", "pool us/task", "queue us/task", "ratio",
                "stop us/task");
    double firstPerTask = 0, lastPerTask = 0, firstStop = 0, lastStop = 0;
    for (size_t s = 0; s < sizes.size(); ++s) {
        const int n = sizes[s];
        const double pool = Best([n] { return PoolDrain(n); }) * 1e6 / n;
        const double reference = Best([n] { return ReferenceDrain(n); }) * 1e6 / n;
        const double stop = Best([n] { return PoolStopByKey(n); }) * 1e6 / n;
        std::printf("%9d  %12.2f  %12.2f  %9.2f  %14.2f\n", n, pool, reference, pool / reference, stop);
        if (s == 0)
            firstPerTask = pool, firstStop = stop;
        lastPerTask = pool, lastStop = stop;
    }
    if (sizes.size() > 1) {
        std::printf("growth of the time per task from %d to %d tasks: run %.2fx, stop %.2fx "
                    "(1.0 is linear)\n",
                    sizes.front(), sizes.back(), lastPerTask / firstPerTask, lastStop / firstStop);
    }
    return 0;
}
