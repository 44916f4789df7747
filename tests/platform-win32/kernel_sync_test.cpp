// kernel32 stand-ins: last error, thread ids, critical sections, semaphores,
// events, threads and handles, tick counts and interlocked operations.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "win32/windows.h"

TEST(LastError, IsKeptPerThread) {
  SetLastError(ERROR_MORE_DATA);
  std::thread other([] {
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    SetLastError(ERROR_FILE_EXISTS);
  });
  other.join();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
}

TEST(ThreadIds, AreStablePerThreadAndDistinct) {
  const DWORD mine = GetCurrentThreadId();
  EXPECT_NE(mine, 0u);
  EXPECT_EQ(GetCurrentThreadId(), mine);
  DWORD other = 0;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, mine);
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}

class CriticalSection : public ::testing::Test {
 protected:
  void SetUp() override { InitializeCriticalSection(&cs_); }
  void TearDown() override { DeleteCriticalSection(&cs_); }
  DWORD owner() const { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(cs_.OwningThread)); }
  CRITICAL_SECTION cs_;
};

TEST_F(CriticalSection, IsRecursiveAndShowsItsOwnerAndDepth) {
  EnterCriticalSection(&cs_);
  EnterCriticalSection(&cs_);
  EXPECT_TRUE(TryEnterCriticalSection(&cs_));
  EXPECT_EQ(owner(), GetCurrentThreadId());
  EXPECT_EQ(cs_.RecursionCount, 3);
  LeaveCriticalSection(&cs_);
  LeaveCriticalSection(&cs_);
  EXPECT_EQ(owner(), GetCurrentThreadId());
  LeaveCriticalSection(&cs_);
  EXPECT_EQ(owner(), 0u);
  EXPECT_EQ(cs_.RecursionCount, 0);
  LeaveCriticalSection(&cs_);  // one Leave too many changes nothing
  EXPECT_TRUE(TryEnterCriticalSection(&cs_));
  LeaveCriticalSection(&cs_);
}

TEST_F(CriticalSection, LeaveFromAnotherThreadChangesNothing) {
  EnterCriticalSection(&cs_);
  std::thread intruder([this] {
    LeaveCriticalSection(&cs_);
    EXPECT_FALSE(TryEnterCriticalSection(&cs_));
  });
  intruder.join();
  EXPECT_EQ(owner(), GetCurrentThreadId());
  EXPECT_EQ(cs_.RecursionCount, 1);
  std::atomic<bool> entered{false};
  std::thread waiter([&] {
    EnterCriticalSection(&cs_);
    entered = true;
    LeaveCriticalSection(&cs_);
  });
  Sleep(30);
  EXPECT_FALSE(entered.load()) << "the section is still held";
  LeaveCriticalSection(&cs_);
  waiter.join();
  EXPECT_TRUE(entered.load());
}

TEST(Semaphore, ReleasePastTheMaximumFailsAndChangesNothing) {
  HANDLE sem = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  ASSERT_NE(sem, nullptr);
  EXPECT_EQ(WaitForSingleObject(sem, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  LONG previous = -1;
  ASSERT_TRUE(ReleaseSemaphore(sem, 1, &previous));
  EXPECT_EQ(previous, 0);
  previous = -1;
  EXPECT_FALSE(ReleaseSemaphore(sem, 1, &previous));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
  EXPECT_EQ(WaitForSingleObject(sem, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(sem, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "count stayed at 1";
  EXPECT_TRUE(CloseHandle(sem));
  EXPECT_FALSE(CloseHandle(sem));
  EXPECT_EQ(WaitForSingleObject(sem, 0), WAIT_FAILED);
}

TEST(Semaphore, CreationChecksItsCounts) {
  struct Case {
    LONG initial, maximum;
    bool valid;
  };
  for (const Case& c : {Case{0, 1, true}, Case{3, 3, true}, Case{2, 1, false},
                        Case{-1, 1, false}, Case{0, 0, false}}) {
    HANDLE sem = CreateSemaphoreW(nullptr, c.initial, c.maximum, nullptr);
    EXPECT_EQ(sem != nullptr, c.valid) << c.initial << "/" << c.maximum;
    if (sem) CloseHandle(sem);
  }
}

TEST(Semaphore, WaitTimesOutThenWakesOnRelease) {
  HANDLE sem = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  const ULONGLONG before = GetTickCount64();
  EXPECT_EQ(WaitForSingleObject(sem, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_GE(GetTickCount64() - before, 45u);
  std::thread releaser([sem] {
    Sleep(20);
    ReleaseSemaphore(sem, 1, nullptr);
  });
  EXPECT_EQ(WaitForSingleObject(sem, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  releaser.join();
  CloseHandle(sem);
}

// A signal wakes only the threads that wait on its own object: a thread
// waiting on one event sleeps through hundreds of releases of another
// semaphore and of another event, with or without a message queue.
TEST(KernelObjects, ASignalWakesOnlyTheThreadsWaitingOnItsObject) {
  for (const bool withQueue : {false, true}) {
    SCOPED_TRACE(withQueue ? "a thread with a message queue" : "a thread without one");
    HANDLE awaited = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE other = CreateSemaphoreW(nullptr, 0, 1000, nullptr);
    HANDLE otherEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> waiting{false};
    long switches = -1;
    DWORD result = 0;
    std::thread waiter([&] {
      if (withQueue) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
      }
      struct rusage before {}, after {};
      getrusage(RUSAGE_THREAD, &before);
      waiting = true;
      result = WaitForSingleObject(awaited, INFINITE);
      getrusage(RUSAGE_THREAD, &after);
      switches = after.ru_nvcsw - before.ru_nvcsw;
    });
    while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Spaced out, so that a thread woken by each one would go back to
    // sleep in between and count a switch per signal.
    for (int i = 0; i < 300; ++i) {
      ReleaseSemaphore(other, 1, nullptr);
      SetEvent(otherEvent);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    SetEvent(awaited);
    waiter.join();
    EXPECT_EQ(result, static_cast<DWORD>(WAIT_OBJECT_0));
    // Falling asleep, the one wake for its own event, and a few spares for
    // a loaded machine's page faults and the like: far below 300.
    EXPECT_LT(switches, 30);
    CloseHandle(awaited);
    CloseHandle(other);
    CloseHandle(otherEvent);
  }
}

TEST(Event, ManualStaysSetAutoResetsOnAWait) {
  HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  HANDLE both[] = {manual, automatic};
  SetEvent(automatic);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(manual);
  CloseHandle(automatic);
}

TEST(Threads, WaitJoinsAndGivesTheExitCode) {
  static std::atomic<int> ran{0};
  DWORD id = 0;
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID param) -> DWORD {
        Sleep(20);
        ran = *static_cast<int*>(param);
        return 42;
      },
      new int(5), 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(GetThreadId(thread), id);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  ASSERT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(ran.load(), 5);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  CloseHandle(thread);
}

TEST(Threads, DuplicatedPseudoHandleNamesTheThreadAndSignalsAtItsEnd) {
  HANDLE real = nullptr;
  DWORD workerId = 0;
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    workerId = GetCurrentThreadId();
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &real,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    SetEvent(go);
    Sleep(30);
  });
  WaitForSingleObject(go, INFINITE);
  ASSERT_NE(real, nullptr);
  EXPECT_NE(real, GetCurrentThread());
  EXPECT_EQ(GetThreadId(real), workerId);
  EXPECT_EQ(WaitForSingleObject(real, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  worker.join();
  CloseHandle(real);
  CloseHandle(go);
}

TEST(TickCount, FollowsTheMonotonicClock) {
  const ULONGLONG before64 = GetTickCount64();
  const DWORD before = GetTickCount();
  Sleep(40);
  EXPECT_GE(GetTickCount64() - before64, 35u);
  EXPECT_GE(static_cast<DWORD>(GetTickCount() - before), 35u);  // wraps like a DWORD
}

TEST(Interlocked, ReturnValuesFollowWindows) {
  LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 12), 5);
  EXPECT_EQ(InterlockedOr(&value, 3), 12);
  EXPECT_EQ(value, 15);
  EXPECT_EQ(InterlockedAnd(&value, 6), 15);
  EXPECT_EQ(value, 6);
  EXPECT_EQ(InterlockedCompareExchange(&value, 9, 6), 6);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 6), 9);
  EXPECT_EQ(value, 9);

  LONG counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) InterlockedIncrement(&counter);
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
}

TEST(HandleObjects, OtherLayersObjectsCloseWithCloseHandle) {
  struct FileLike : Win32HandleObject {
    explicit FileLike(bool* closed) : closed_(closed) {}
    ~FileLike() override { *closed_ = true; }
    bool* closed_;
  };
  bool closed = false;
  HANDLE file = Win32InsertHandle(std::make_shared<FileLike>(&closed));
  ASSERT_NE(file, nullptr);
  EXPECT_NE(Win32LookupHandleAs<FileLike>(file), nullptr);
  EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_FAILED) << "not a waitable object";
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(closed) << "the duplicate keeps it open";
  EXPECT_EQ(Win32LookupHandle(file), nullptr);
  EXPECT_TRUE(CloseHandle(copy));
  EXPECT_TRUE(closed);
}
