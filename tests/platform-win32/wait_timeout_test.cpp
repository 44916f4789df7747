// The time left of a finite wait as poll() takes it: a negative time-out
// there waits for ever, so a wait of 25 to 49 days must not wrap.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

#include "../../platform/win32/src/wait_timeout.h"
#include "win32/windows.h"

using win32::detail::pollTimeoutMs;
using namespace std::chrono;

TEST(PollTimeout, LongFiniteWaitsStayFiniteAndPositive) {
  struct Case {
    steady_clock::duration left;
    int expected;
  };
  const Case cases[] = {
      {milliseconds(0), 0},
      {milliseconds(-5), 0},                     // the deadline has passed
      {microseconds(1500), 2},                   // rounded up, never woken early
      {milliseconds(1000), 1000},
      {milliseconds(INT_MAX), INT_MAX},
      {hours(24 * 25), INT_MAX},                 // past INT_MAX milliseconds
      {milliseconds(0xFFFFFFFEull), INT_MAX},    // the longest finite wait
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(duration_cast<milliseconds>(c.left).count());
    EXPECT_EQ(pollTimeoutMs(c.left), c.expected);
  }
}

// A thread with a message queue waits through poll(): a long finite wait
// still ends on the signal it waits for.
TEST(PollTimeout, AThreadWithAQueueStillWakesOnTheSignalDuringALongWait) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  DWORD result = 0;
  std::thread waiter([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    result = WaitForSingleObject(event, 0xF0000000u);  // about 46 days
  });
  std::this_thread::sleep_for(milliseconds(50));
  SetEvent(event);
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  CloseHandle(event);
}
