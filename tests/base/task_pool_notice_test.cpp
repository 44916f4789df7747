// The pool's notices (1955 worker done, 1956 none busy, 1957 no worker),
// received by a real window on its own thread running a message loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/TaskThreadPool.h"
#include "win32/windows.h"

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

// What the window received; it can hold the handling of 1955 to keep a
// worker inside its notice.
struct Inbox {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Notice> notices;
    bool holdWorkerDone = false;
    bool holding = false;

    std::vector<UINT> Messages() {
        std::lock_guard<std::mutex> guard(mutex);
        std::vector<UINT> messages;
        for (const Notice& n : notices)
            messages.push_back(n.message);
        return messages;
    }
    size_t Count() {
        std::lock_guard<std::mutex> guard(mutex);
        return notices.size();
    }
    void Release() {
        {
            std::lock_guard<std::mutex> guard(mutex);
            holdWorkerDone = false;
        }
        changed.notify_all();
    }
};

Inbox* g_inbox = nullptr;

LRESULT CALLBACK SinkProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= UM_TASKPOOL_WORKER_DONE && message <= UM_TASKPOOL_NO_WORKER) {
        std::unique_lock<std::mutex> lock(g_inbox->mutex);
        g_inbox->notices.push_back({message, wParam, lParam, std::this_thread::get_id()});
        if (message == UM_TASKPOOL_WORKER_DONE && g_inbox->holdWorkerDone) {
            g_inbox->holding = true;
            g_inbox->changed.notify_all();
            g_inbox->changed.wait(lock, [] { return !g_inbox->holdWorkerDone; });
            g_inbox->holding = false;
        }
        return 0;
    }
    if (message == WM_CLOSE) {
        DestroyWindow(wnd);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

// A message-only window owned by a thread that runs a message loop.
class NoticeWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_inbox = &inbox;
        std::promise<HWND> created;
        auto future = created.get_future();
        loop = std::thread([this, &created] {
            loopThread = std::this_thread::get_id();
            WNDCLASSW wc{};
            wc.lpfnWndProc = SinkProc;
            wc.lpszClassName = L"TaskPoolNoticeSink";
            RegisterClassW(&wc);
            HWND wnd = CreateWindowExW(0, L"TaskPoolNoticeSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, nullptr, nullptr);
            created.set_value(wnd);
            if (!wnd)
                return;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
        });
        window = future.get();
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override {
        inbox.Release();
        if (window)
            PostMessageW(window, WM_CLOSE, 0, 0);
        loop.join();
        g_inbox = nullptr;
    }

    void Watch(CTaskThreadPool& pool) {
        pool.SetNotifyWindow(window);
        pool.SetNotify(owner);
    }

    void ExpectFrom(const CTaskThreadPool& pool, size_t first) {
        std::lock_guard<std::mutex> guard(inbox.mutex);
        for (size_t i = first; i < inbox.notices.size(); ++i) {
            const Notice& n = inbox.notices[i];
            EXPECT_EQ(n.wParam, reinterpret_cast<WPARAM>(owner.get()));
            EXPECT_EQ(n.lParam, reinterpret_cast<LPARAM>(&pool));
            EXPECT_EQ(n.thread, loopThread) << "handled off the window's thread";
        }
    }

    Inbox inbox;
    std::thread loop;
    std::thread::id loopThread;
    HWND window = nullptr;
    std::shared_ptr<int> owner = std::make_shared<int>(7);
};

// Runs until its gate opens; a pause holds it at the gate's far side.
class GateTask : public ITask {
public:
    bool Run() override {
        started = true;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
        lock.unlock();
        WaitWhilePaused();
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
    std::atomic<bool> started{false};

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

}  // namespace

TEST_F(NoticeWindowTest, SerialWorkerSendsEachNoticeOnceWhenItRunsDry) {
    CTaskThreadPool pool;
    Watch(pool);
    auto first = std::make_shared<GateTask>();
    auto second = std::make_shared<GateTask>();
    second->Open();
    pool.AddTask(L"first", first);
    ASSERT_TRUE(WaitFor([&] { return first->started.load(); }));
    pool.AddTask(L"second", second);
    first->Open();

    ASSERT_TRUE(WaitFor([&] { return inbox.Count() >= 3; }));
    std::this_thread::sleep_for(30ms);  // nothing more may follow
    EXPECT_EQ(inbox.Messages(),
              (std::vector<UINT>{UM_TASKPOOL_WORKER_DONE, UM_TASKPOOL_NONE_BUSY, UM_TASKPOOL_NO_WORKER}));
    ExpectFrom(pool, 0);
    EXPECT_TRUE(second->started);
}

TEST_F(NoticeWindowTest, WorkerEndingBesideAnotherSaysOnlyWhatIsTrue) {
    CTaskThreadPool pool(2);
    Watch(pool);
    auto first = std::make_shared<GateTask>();
    auto second = std::make_shared<GateTask>();
    pool.AddTask(L"first", first);
    pool.AddTask(L"second", second);
    ASSERT_TRUE(WaitFor([&] { return first->started && second->started; }));

    // The other worker is still busy: only "worker done".
    first->Open();
    ASSERT_TRUE(WaitFor([&] { return inbox.Count() >= 1; }));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(inbox.Messages(), (std::vector<UINT>{UM_TASKPOOL_WORKER_DONE}));

    // The other worker is alive but paused: "none busy" too, not "no worker".
    auto third = std::make_shared<GateTask>();
    third->Open();
    ASSERT_TRUE(pool.PauseTask(L"second"));
    second->Open();
    pool.AddTask(L"third", third);
    ASSERT_TRUE(WaitFor([&] { return inbox.Count() >= 3; }));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(inbox.Messages(), (std::vector<UINT>{UM_TASKPOOL_WORKER_DONE, UM_TASKPOOL_WORKER_DONE,
                                                   UM_TASKPOOL_NONE_BUSY}));

    // The last one ends: all three.
    ASSERT_TRUE(pool.ResumeTask(L"second"));
    ASSERT_TRUE(WaitFor([&] { return inbox.Count() >= 6; }));
    std::this_thread::sleep_for(30ms);
    auto messages = inbox.Messages();
    EXPECT_EQ(std::vector<UINT>(messages.begin() + 3, messages.end()),
              (std::vector<UINT>{UM_TASKPOOL_WORKER_DONE, UM_TASKPOOL_NONE_BUSY, UM_TASKPOOL_NO_WORKER}));
    ExpectFrom(pool, 0);
}

TEST_F(NoticeWindowTest, DestroyingThePoolWaitsForAWorkerInsideItsNotice) {
    inbox.holdWorkerDone = true;
    auto pool = std::make_unique<CTaskThreadPool>();
    Watch(*pool);
    auto task = std::make_shared<GateTask>();
    task->Open();
    pool->AddTask(L"t", task);
    {
        std::unique_lock<std::mutex> lock(inbox.mutex);
        ASSERT_TRUE(inbox.changed.wait_for(lock, 10s, [&] { return inbox.holding; }));
    }

    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        pool.reset();
        destroyed = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(destroyed) << "the pool went away under a worker still sending its notices";
    inbox.Release();
    destroyer.join();
    EXPECT_EQ(inbox.Messages(),
              (std::vector<UINT>{UM_TASKPOOL_WORKER_DONE, UM_TASKPOOL_NONE_BUSY, UM_TASKPOOL_NO_WORKER}));
    EXPECT_EQ(owner.use_count(), 1) << "the pool keeps its notify owner after destruction";
}

TEST_F(NoticeWindowTest, FillingWorkersStartsExactlyTheMaximum) {
    CTaskThreadPool pool(3);
    Watch(pool);
    pool.FillWorkers();
    ASSERT_TRUE(WaitFor([&] {
        auto messages = inbox.Messages();
        return std::count(messages.begin(), messages.end(), UM_TASKPOOL_NO_WORKER) == 1;
    }));
    std::this_thread::sleep_for(30ms);
    auto messages = inbox.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), UM_TASKPOOL_WORKER_DONE), 3);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), UM_TASKPOOL_NO_WORKER), 1);
    ExpectFrom(pool, 0);
}

TEST(NoticeOwner, ReplacedOwnerIsReleased) {
    CTaskThreadPool pool;
    auto a = std::make_shared<int>(1);
    auto b = std::make_shared<int>(2);
    pool.SetNotify(a);
    EXPECT_EQ(a.use_count(), 2);
    pool.SetNotify(b);
    EXPECT_EQ(a.use_count(), 1);
    EXPECT_EQ(b.use_count(), 2);
}
