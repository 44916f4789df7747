// The message wait's hook for another event loop (the web engine's): its
// descriptors wake the wait, its time-out bounds it, and it is asked again
// when it needs more room than it was given.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "win32/poll_hook.h"
#include "win32/windows.h"

namespace {

struct Pipe {
  Pipe() { EXPECT_EQ(pipe2(fds, O_NONBLOCK), 0); }
  ~Pipe() {
    close(fds[0]);
    close(fds[1]);
  }
  int fds[2];
};

// Watches `watched`, lowers the wait to `timeoutMs`, and records what each
// wait saw.
struct Loop {
  std::vector<int> watched;
  int timeoutMs = -1;
  int dispatches = 0;
  std::vector<int> readable;  // descriptors seen readable, in order
  int prepares = 0;
  Win32PollHook hook{&Prepare, &Dispatch, this};

  static int Prepare(void* self, pollfd* fds, int capacity, int* timeoutMs) {
    auto* loop = static_cast<Loop*>(self);
    ++loop->prepares;
    const int n = static_cast<int>(loop->watched.size());
    if (n > capacity) return n;
    for (int i = 0; i < n; ++i) fds[i] = pollfd{loop->watched[static_cast<size_t>(i)], POLLIN, 0};
    if (loop->timeoutMs >= 0 && (*timeoutMs < 0 || loop->timeoutMs < *timeoutMs)) *timeoutMs = loop->timeoutMs;
    return n;
  }
  static void Dispatch(void* self, pollfd* fds, int count) {
    auto* loop = static_cast<Loop*>(self);
    ++loop->dispatches;
    for (int i = 0; i < count; ++i) {
      if (!(fds[i].revents & POLLIN)) continue;
      loop->readable.push_back(fds[i].fd);
      char drain[64];
      while (read(fds[i].fd, drain, sizeof drain) > 0) {
      }
    }
  }
};

DWORD WaitForMessages(DWORD ms) { return MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT); }

TEST(WebPollHookTest, ADescriptorOfTheHookWakesTheMessageWait) {
  Pipe pipe;
  Loop loop;
  loop.watched = {pipe.fds[0]};
  Win32SetThreadPollHook(&loop.hook);
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(write(pipe.fds[1], "x", 1), 1);
  });
  // The wait goes on past the hook's dispatch until its own end, so give it
  // an end and look at what the hook saw within it.
  const auto start = std::chrono::steady_clock::now();
  while (loop.readable.empty() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    WaitForMessages(100);
  writer.join();
  Win32SetThreadPollHook(nullptr);
  ASSERT_EQ(loop.readable, std::vector<int>{pipe.fds[0]});
}

TEST(WebPollHookTest, TheHooksTimeOutBoundsEachWaitAndRemovingItEndsTheCalls) {
  Loop loop;
  loop.timeoutMs = 10;
  Win32SetThreadPollHook(&loop.hook);
  EXPECT_EQ(WaitForMessages(400), static_cast<DWORD>(WAIT_TIMEOUT));
  // Without the hook's time-out the wait would sleep once for all 400 ms.
  EXPECT_GE(loop.dispatches, 3);
  EXPECT_EQ(loop.prepares, loop.dispatches);
  Win32SetThreadPollHook(nullptr);
  const int before = loop.dispatches;
  WaitForMessages(50);
  EXPECT_EQ(loop.dispatches, before);
}

TEST(WebPollHookTest, AHookWithManyDescriptorsIsAskedAgainWithRoomForAll) {
  std::vector<Pipe> pipes(12);
  Loop loop;
  for (Pipe& p : pipes) loop.watched.push_back(p.fds[0]);
  ASSERT_EQ(write(pipes.back().fds[1], "x", 1), 1);
  Win32SetThreadPollHook(&loop.hook);
  WaitForMessages(300);  // the wait runs to its end; the pipe is ready at once
  Win32SetThreadPollHook(nullptr);
  ASSERT_FALSE(loop.readable.empty());
  EXPECT_EQ(loop.readable.front(), pipes.back().fds[0]);
  EXPECT_GE(loop.prepares, 2);  // first with too little room, then with enough
}

}  // namespace
