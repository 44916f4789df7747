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
  // Milliseconds that only ever grow, at the pace of real time, the time
  // the machine spent suspended included.
  virtual int64_t SinceBootMs() = 0;
  virtual void Sleep(int64_t ms) = 0;
};

// GetLocalTime, CLOCK_BOOTTIME (the steady clock stops while the machine
// sleeps) and a real sleep.
std::shared_ptr<ITimerClock> SystemTimerClock();
