// Where the timer tasks take the time from and how their scheduler waits:
// the system's clocks by default; tests put in a clock of their own and run
// days of schedule in moments.
#pragma once

#include <cstdint>
#include <memory>

#include "win32/types.h"

class ITimerClock {
 public:
  virtual ~ITimerClock() = default;
  // The local wall-clock time; it may jump (a user's change, daylight
  // saving, a resume).
  virtual SYSTEMTIME LocalNow() = 0;
  // Milliseconds that only ever grow, at the pace of real time.
  virtual int64_t MonotonicMs() = 0;
  virtual void Sleep(int64_t ms) = 0;
};

// GetLocalTime, the steady clock and a real sleep.
std::shared_ptr<ITimerClock> SystemTimerClock();
