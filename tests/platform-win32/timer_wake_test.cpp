// When a thread with timers wakes: timers due close together share one
// wake-up, each delayed by no more than its tolerance (half its period, at
// most 10 ms) and never woken early; and timers expire on the system tick.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "../../platform/win32/src/timer_wake.h"

using namespace std::chrono;
using win32::detail::TimerDue;
using win32::detail::timerTolerance;
using win32::detail::timerWakeTime;

namespace {

struct Timer {
  int dueMs;
  int periodMs;
};

}  // namespace

TEST(TimerWake, TimersDueWithinTheirToleranceShareOneWake) {
  struct Case {
    const char* what;
    std::vector<Timer> timers;
    int wakeMs;
  };
  const Case cases[] = {
      {"one timer wakes when due", {{7, 10}}, 7},
      {"equal periods 3 ms apart wake once, at the later", {{0, 10}, {3, 10}}, 3},
      {"equal periods half a period apart still share", {{0, 10}, {5, 10}}, 5},
      {"more than half a period apart wake apart", {{0, 10}, {6, 10}}, 0},
      {"given in any order", {{3, 10}, {0, 10}}, 3},
      {"a chain stops where the earliest's tolerance ends", {{0, 10}, {4, 10}, {8, 10}}, 4},
      {"a short timer is not held for a long one", {{0, 10}, {20, 1000}}, 0},
      {"a long timer waits at most 10 ms", {{0, 1000}, {10, 10}}, 10},
      {"a long timer is not held 11 ms", {{0, 1000}, {11, 10}}, 0},
      {"two long timers, at most 10 ms", {{100, 5000}, {109, 5000}}, 109},
      {"an overdue timer is not held", {{-3, 10}, {3, 10}}, -3},
  };
  const auto base = steady_clock::time_point(hours(1));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TimerDue> due;
    for (const Timer& t : c.timers) due.push_back({base + milliseconds(t.dueMs), timerTolerance(milliseconds(t.periodMs))});
    EXPECT_EQ(duration_cast<milliseconds>(timerWakeTime(due) - base).count(), c.wakeMs);
  }
}

TEST(TimerWake, TimersExpireOnTheSystemTick) {
  using win32::detail::systemTickAtOrAfter;
  const auto tick = duration_cast<steady_clock::duration>(microseconds(15625));
  const auto at = [](steady_clock::duration since) { return steady_clock::time_point(since); };
  struct Case {
    const char* what;
    steady_clock::duration time;
    steady_clock::duration expires;
  };
  const Case cases[] = {
      {"on a tick: that tick", 64 * tick, 64 * tick},
      {"just past a tick: the next", 64 * tick + nanoseconds(1), 65 * tick},
      {"just before a tick: that tick", 65 * tick - nanoseconds(1), 65 * tick},
      {"the clock's start", steady_clock::duration::zero(), steady_clock::duration::zero()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(systemTickAtOrAfter(at(c.time)), at(c.expires));
  }
  // A second holds 64 ticks: a 10 ms timer fires 64 times in it, not 100.
  EXPECT_EQ(seconds(1) / tick, 64);
}
