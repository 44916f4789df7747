// When a thread with timers wakes. Each wake-up of a thread costs far more
// than the messages it handles, so timers due close together share one: a
// timer may fire up to half its period late, and never more than
// kTimerToleranceLimit, to fire with a timer due after it. It keeps its own
// schedule (its next due time is a period after the last one, not after the
// late firing), so it neither drifts nor fires early, and two timers of one
// period, whatever their phases, fire together for good.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace win32::detail {

constexpr std::chrono::milliseconds kTimerToleranceLimit{10};

// Timers expire on the system clock's tick, 64 times a second, as with
// Windows' default timer resolution: a 10 ms timer fires every 15.6 ms, and
// timers of every thread and process due within one tick wake together.
constexpr std::chrono::microseconds kSystemTick{15625};

// The first tick at or after `t` (ticks count from the clock's epoch).
inline std::chrono::steady_clock::time_point systemTickAtOrAfter(std::chrono::steady_clock::time_point t) {
  using std::chrono::steady_clock;
  const auto tick = std::chrono::duration_cast<steady_clock::duration>(kSystemTick);
  const auto since = t.time_since_epoch();
  auto ticks = since / tick;
  if (since % tick != steady_clock::duration::zero()) ++ticks;
  return steady_clock::time_point(ticks * tick);
}

struct TimerDue {
  std::chrono::steady_clock::time_point due;
  std::chrono::steady_clock::duration tolerance;
};

inline std::chrono::steady_clock::duration timerTolerance(std::chrono::steady_clock::duration period) {
  return std::min<std::chrono::steady_clock::duration>(period / 2, kTimerToleranceLimit);
}

// The latest due time that keeps every timer due before it within its
// tolerance; `timers` is not empty.
inline std::chrono::steady_clock::time_point timerWakeTime(std::vector<TimerDue> timers) {
  std::sort(timers.begin(), timers.end(), [](const TimerDue& a, const TimerDue& b) { return a.due < b.due; });
  auto wake = timers.front().due;
  auto limit = wake + timers.front().tolerance;
  for (size_t i = 1; i < timers.size() && timers[i].due <= limit; ++i) {
    wake = timers[i].due;
    limit = std::min(limit, timers[i].due + timers[i].tolerance);
  }
  return wake;
}

}  // namespace win32::detail
