#include "logic/TimerClock.h"

#include <time.h>

#include <chrono>
#include <thread>

#include "win32/kernel32.h"

namespace {

class CSystemTimerClock : public ITimerClock {
 public:
  SYSTEMTIME LocalNow() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
  }
  int64_t SinceBootMs() override {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  }
  void Sleep(int64_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

std::shared_ptr<ITimerClock> SystemTimerClock() {
  static std::shared_ptr<ITimerClock> clock = std::make_shared<CSystemTimerClock>();
  return clock;
}
