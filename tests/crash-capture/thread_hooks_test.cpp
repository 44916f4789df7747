// A program built on the base library, with or without the crash module:
// every thread it starts has a signal stack of its own, released when the
// thread ends, and is otherwise started exactly as asked; signal masks
// never block faults.
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "win32/windows.h"

namespace {

struct SignalStack {
  bool enabled = false;
  uintptr_t base = 0;
  size_t size = 0;
};

SignalStack CurrentSignalStack() {
  stack_t current {};
  EXPECT_EQ(sigaltstack(nullptr, &current), 0);
  return {!(current.ss_flags & SS_DISABLE), reinterpret_cast<uintptr_t>(current.ss_sp), current.ss_size};
}

// mincore fails with ENOMEM on an address no mapping covers.
bool IsMapped(uintptr_t address) {
  uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  unsigned char resident = 0;
  return mincore(reinterpret_cast<void*>(address & ~(page - 1)), 1, &resident) == 0;
}

// Runs the body on a new thread started in one of the program's ways and
// waits for it to end.
using ThreadStarter = void (*)(const std::function<void()>& body);

void OnStdThread(const std::function<void()>& body) { std::thread(body).join(); }

void OnPthread(const std::function<void()>& body) {
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, nullptr, run, const_cast<std::function<void()>*>(&body)), 0);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
}

void OnCreateThread(const std::function<void()>& body) {
  auto run = [](LPVOID arg) -> DWORD {
    (*static_cast<const std::function<void()>*>(arg))();
    return 0;
  };
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, run, const_cast<std::function<void()>*>(&body), 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  // The handle is signalled while the thread ends; its stacks go with the
  // thread itself, gone from the task list once they are released.
  std::string task = "/proc/self/task/" + std::to_string(id);
  for (int waited = 0; access(task.c_str(), F_OK) == 0 && waited < 30000; ++waited) usleep(1000);
  ASSERT_NE(access(task.c_str(), F_OK), 0) << "the thread did not end";
}

struct Starter {
  const char* name;
  ThreadStarter start;
};
void PrintTo(const Starter& starter, std::ostream* out) { *out << starter.name; }

class EveryThreadStart : public ::testing::TestWithParam<Starter> {};

TEST_P(EveryThreadStart, GivesTheThreadASignalStackOfItsOwnAndReleasesItAtTheEnd) {
  SignalStack first, second;
  GetParam().start([&] { first = CurrentSignalStack(); });
  GetParam().start([&] { second = CurrentSignalStack(); });
  SignalStack mine = CurrentSignalStack();

  EXPECT_TRUE(mine.enabled) << "the main thread has no signal stack";
  ASSERT_TRUE(first.enabled);
  EXPECT_GE(first.size, 64u * 1024);
  EXPECT_TRUE(second.enabled);
  EXPECT_NE(first.base, mine.base);
  // Ended threads leave nothing mapped behind.
  EXPECT_FALSE(IsMapped(first.base)) << "the first thread's stack outlived it";
  EXPECT_FALSE(IsMapped(second.base + second.size - 1)) << "the second thread's stack outlived it";
}

INSTANTIATE_TEST_SUITE_P(Starters, EveryThreadStart,
                         ::testing::Values(Starter{"StdThread", OnStdThread}, Starter{"Pthread", OnPthread},
                                           Starter{"CreateThread", OnCreateThread}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ThreadStart, ResultsPassThroughUnchanged) {
  pthread_t thread;
  void* result = nullptr;
  static int value = 7;

  ASSERT_EQ(pthread_create(&thread, nullptr, [](void* arg) -> void* { return arg; }, &value), 0);
  ASSERT_EQ(pthread_join(thread, &result), 0);
  EXPECT_EQ(result, &value);

  ASSERT_EQ(pthread_create(&thread, nullptr, [](void* arg) -> void* { pthread_exit(arg); }, &value), 0);
  ASSERT_EQ(pthread_join(thread, &result), 0);
  EXPECT_EQ(result, &value);

  ASSERT_EQ(pthread_create(&thread, nullptr,
                           [](void*) -> void* {
                             for (;;) pause();  // a cancellation point
                           },
                           nullptr),
            0);
  ASSERT_EQ(pthread_cancel(thread), 0);
  ASSERT_EQ(pthread_join(thread, &result), 0);
  EXPECT_EQ(result, PTHREAD_CANCELED);
}

TEST(ThreadStart, AThreadThatCannotStartFailsAsTheCLibrarySays) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  // More stack than the address space holds.
  ASSERT_EQ(pthread_attr_setstacksize(&attr, size_t{1} << 62), 0);
  pthread_t thread;
  static bool ran = false;
  int result = pthread_create(&thread, &attr, [](void*) -> void* {
    ran = true;
    return nullptr;
  }, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_TRUE(result == EAGAIN || result == ENOMEM) << result;
  EXPECT_FALSE(ran);
}

// Blocking a fault only ever let the kernel end the process without a
// handler: every other signal is blocked as asked.
struct MaskCase {
  const char* name;
  int (*set)(int how, const sigset_t* set, sigset_t* old);
};
void PrintTo(const MaskCase& c, std::ostream* out) { *out << c.name; }

int SetWithSigprocmask(int how, const sigset_t* set, sigset_t* old) {
  return sigprocmask(how, set, old) == 0 ? 0 : errno;
}

class SignalMasks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SignalMasks, NeverBlockFaultsAndBlockEverythingElseAsAsked) {
  auto setMask = GetParam().set;
  // On a thread of its own, so that the test's thread keeps its mask.
  std::thread([setMask] {
    sigset_t all, before, now;
    sigfillset(&all);
    ASSERT_EQ(setMask(SIG_BLOCK, &all, &before), 0);
    ASSERT_EQ(setMask(SIG_SETMASK, nullptr, &now), 0);
    for (int fault : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) EXPECT_FALSE(sigismember(&now, fault)) << fault;
    for (int other : {SIGINT, SIGTERM, SIGUSR1, SIGPIPE, SIGCHLD, SIGABRT, SIGRTMIN})
      EXPECT_TRUE(sigismember(&now, other)) << other;

    ASSERT_EQ(setMask(SIG_SETMASK, &all, nullptr), 0);
    ASSERT_EQ(setMask(SIG_SETMASK, nullptr, &now), 0);
    EXPECT_FALSE(sigismember(&now, SIGSEGV));
    EXPECT_TRUE(sigismember(&now, SIGTERM));
    // The old mask comes back as it was, and unblocking works as ever.
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigset_t old;
    ASSERT_EQ(setMask(SIG_UNBLOCK, &term, &old), 0);
    EXPECT_TRUE(sigismember(&old, SIGTERM));
    ASSERT_EQ(setMask(SIG_SETMASK, nullptr, &now), 0);
    EXPECT_FALSE(sigismember(&now, SIGTERM));
    EXPECT_TRUE(sigismember(&now, SIGINT));
    ASSERT_EQ(setMask(SIG_SETMASK, &before, nullptr), 0);
  }).join();
}

TEST(SignalMasksTest, AThreadStartedWithAMaskOfItsOwnStillTakesFaults) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  sigset_t all;
  sigfillset(&all);
  // The C library sets this mask in the new thread itself.
  ASSERT_EQ(pthread_attr_setsigmask_np(&attr, &all), 0);
  static sigset_t seen;
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, [](void*) -> void* {
    pthread_sigmask(SIG_SETMASK, nullptr, &seen);
    return nullptr;
  }, nullptr), 0);
  pthread_attr_destroy(&attr);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
  EXPECT_FALSE(sigismember(&seen, SIGSEGV));
  EXPECT_FALSE(sigismember(&seen, SIGFPE));
  EXPECT_TRUE(sigismember(&seen, SIGTERM));
}

INSTANTIATE_TEST_SUITE_P(Calls, SignalMasks,
                         ::testing::Values(MaskCase{"PthreadSigmask", pthread_sigmask},
                                           MaskCase{"Sigprocmask", SetWithSigprocmask}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
