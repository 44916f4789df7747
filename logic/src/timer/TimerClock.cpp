#include "logic/TimerClock.h"

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
  int64_t MonotonicMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void Sleep(int64_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

std::shared_ptr<ITimerClock> SystemTimerClock() {
  static std::shared_ptr<ITimerClock> clock = std::make_shared<CSystemTimerClock>();
  return clock;
}
