// Messages between threads: cross-thread SendMessageW, sends between two
// threads that wait on each other, posts from many threads, waits that keep
// handling sends. Built with ThreadSanitizer.
#include <atomic>
#include <thread>

#include "recording_window.h"

using CrossThread = RecordingWindowTest;

namespace {

// Runs a message loop on its own thread with one window of `cls`.
class LoopThread {
 public:
  explicit LoopThread(const std::wstring& cls) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, cls, ready] {
      hwnd_ = CreateWindowExW(0, cls.c_str(), L"worker", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              nullptr, nullptr);
      threadId_ = GetCurrentThreadId();
      SetEvent(ready);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(hwnd_);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
  }
  ~LoopThread() { stop(); }
  void stop() {
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND hwnd() const { return hwnd_; }
  DWORD threadId() const { return threadId_; }

 private:
  std::thread thread_;
  HWND hwnd_ = nullptr;
  DWORD threadId_ = 0;
};

}  // namespace

TEST_F(CrossThread, SendReturnsTheOwnersResultAndRunsOnTheOwnerThread) {
  g_handler = [](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_USER + 1) return static_cast<LRESULT>(w * 10 + l) + (InSendMessage() ? 1000 : 0);
    return std::nullopt;
  };
  LoopThread worker(className_);
  takeLog();
  EXPECT_EQ(SendMessageW(worker.hwnd(), WM_USER + 1, 4, 2), 1042);
  auto log = takeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].thread, worker.threadId());
  EXPECT_NE(log[0].thread, GetCurrentThreadId());
}

TEST_F(CrossThread, TwoThreadsSendingToEachOtherDoNotDeadlock) {
  HWND mine = create(L"main");
  LoopThread worker(className_);
  // The worker's handler sends back to our window while we wait in our own send.
  g_handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 1 && h == worker.hwnd()) return SendMessageW(mine, WM_USER + 2, 0, 0) + 1;
    if (m == WM_USER + 2 && h == mine) {
      EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(mine, nullptr));
      return 20;
    }
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageW(worker.hwnd(), WM_USER + 1, 0, 0), 21);
}

TEST_F(CrossThread, SentMessagesAreHandledInsideTheOwnersGetMessage) {
  HWND mine = create(L"main");
  g_handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 3) return 33;
    return std::nullopt;
  };
  std::atomic<LRESULT> answer{0};
  std::thread sender([&] {
    answer = SendMessageW(mine, WM_USER + 3, 0, 0);
    PostMessageW(mine, WM_USER + 9, 0, 0);
  });
  // GetMessage handles the send while it waits, then returns the post that follows it.
  MSG msg;
  ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
  sender.join();
  EXPECT_EQ(answer.load(), 33);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));
  auto handled = only(takeLog(), {WM_USER + 3});
  ASSERT_EQ(handled.size(), 1u);
}

TEST_F(CrossThread, AWaitOnAnObjectStillHandlesSends) {
  HWND mine = create(L"main");
  g_handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 4) return -1;  // like a busy answer to a timer task
    return std::nullopt;
  };
  std::atomic<LRESULT> answer{0};
  HANDLE worker = CreateThread(
      nullptr, 0,
      [](LPVOID param) -> DWORD {
        auto* pair = static_cast<std::pair<HWND, std::atomic<LRESULT>*>*>(param);
        *pair->second = SendMessageW(pair->first, WM_USER + 4, 0, 0);
        return 7;
      },
      new std::pair<HWND, std::atomic<LRESULT>*>(mine, &answer), 0, nullptr);
  ASSERT_NE(worker, nullptr);
  // Joining the worker while it sends to us must not deadlock.
  ASSERT_EQ(WaitForSingleObject(worker, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(answer.load(), -1);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(worker, &code));
  EXPECT_EQ(code, 7u);
  CloseHandle(worker);
}

TEST_F(CrossThread, PostsFromManyThreadsAllArriveInPerThreadOrder) {
  HWND mine = create(L"main");
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([mine, t] {
      for (int i = 0; i < kEach; ++i) ASSERT_TRUE(PostMessageW(mine, WM_USER + t, i, 0));
    });
  }
  std::vector<int> next(kThreads, 0);
  int received = 0;
  MSG msg;
  while (received < kThreads * kEach && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    const int t = static_cast<int>(msg.message - WM_USER);
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    EXPECT_EQ(static_cast<int>(msg.wParam), next[t]++);
    ++received;
  }
  for (auto& p : posters) p.join();
  EXPECT_EQ(received, kThreads * kEach);
}

TEST_F(CrossThread, SendToAWindowWhoseThreadEndedReturnsZero) {
  HWND orphan;
  {
    LoopThread worker(className_);
    orphan = worker.hwnd();
    worker.stop();
  }
  EXPECT_FALSE(IsWindow(orphan));
  EXPECT_EQ(SendMessageW(orphan, WM_USER, 0, 0), 0);
}

TEST_F(CrossThread, MsgWaitReturnsForObjectsMessagesAndTimeouts) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 10, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_TIMEOUT));
  std::thread setter([event] {
    Sleep(20);
    SetEvent(event);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 10000, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_OBJECT_0));
  setter.join();
  const DWORD self = GetCurrentThreadId();
  std::thread poster([self] {
    Sleep(20);
    PostThreadMessageW(self, WM_NULL, 0, 0);  // a posted WM_NULL wakes a loop
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 10000, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_OBJECT_0 + 1));
  poster.join();
  CloseHandle(event);
}

TEST_F(CrossThread, WaitMessageReturnsWhenAnotherThreadPosts) {
  HWND mine = create(L"main");
  std::thread poster([mine] {
    Sleep(20);
    PostMessageW(mine, WM_USER + 6, 0, 0);
  });
  ASSERT_TRUE(WaitMessage());
  poster.join();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 6));
}
