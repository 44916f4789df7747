// A clock for the timer tasks that tests drive: each scheduler sleep moves
// the wall clock and the monotonic clock on by a chosen step at once, so a
// day of schedule passes in moments. The wall clock can also jump alone,
// as a user's change or a resume from sleep makes it.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "logic/TimerClock.h"
#include "logic/TimerDate.h"

class FakeTimerClock : public ITimerClock {
 public:
  explicit FakeTimerClock(SYSTEMTIME start) : m_wall(TimerUnits(start)) {}

  SYSTEMTIME LocalNow() override {
    std::lock_guard<std::mutex> lock(m_lock);
    return TimerTimeOfUnits(m_wall);
  }
  int64_t MonotonicMs() override {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_mono;
  }
  // Holds time still while the test says it is not ready (a run still
  // coming up), so virtual time never outruns real threads.
  void Sleep(int64_t ms) override {
    for (int i = 0; i < 20000 && m_hold && !m_hold(); ++i)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    std::this_thread::sleep_for(std::chrono::microseconds(m_realPauseUs.load()));
    if (m_frozen) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return;
    }
    int64_t step = m_step.load() ? m_step.load() : ms;
    std::lock_guard<std::mutex> lock(m_lock);
    m_wall += static_cast<uint64_t>(step) * kTimerMsUnits;
    m_mono += step;
    ++m_sleeps;
  }

  // Milliseconds of virtual time per scheduler sleep (0: the real interval).
  void SetStep(int64_t ms) { m_step = ms; }
  void SetRealPauseUs(int us) { m_realPauseUs = us; }
  // A frozen clock stands still whatever the scheduler sleeps.
  void SetFrozen(bool frozen) { m_frozen = frozen; }
  void SetHold(std::function<bool()> ready) { m_hold = std::move(ready); }
  // Moves only the wall clock, by a signed number of milliseconds.
  void JumpWall(int64_t ms) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_wall = static_cast<uint64_t>(static_cast<int64_t>(m_wall) + ms * static_cast<int64_t>(kTimerMsUnits));
  }
  uint64_t WallUnits() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_wall;
  }
  int64_t Sleeps() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sleeps;
  }
  // Waits (really) until the wall clock has reached units; false after
  // a generous real-time limit.
  bool WaitUntil(uint64_t units, int seconds = 60) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (WallUnits() < units) {
      if (std::chrono::steady_clock::now() > limit) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

 private:
  std::mutex m_lock;
  uint64_t m_wall;
  int64_t m_mono = 1000000;
  int64_t m_sleeps = 0;
  std::atomic<int64_t> m_step{0};
  std::atomic<int> m_realPauseUs{100};
  std::atomic<bool> m_frozen{false};
  std::function<bool()> m_hold;
};

inline SYSTEMTIME MakeTime(int year, int month, int day, int hour, int minute, int second = 0) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  return t;
}

inline CTimerDate MakeDate(SYSTEMTIME start, int64_t durationMs, bool everyday = false) {
  CTimerDate d;
  d.start = start;
  d.duration = durationMs;
  d.everyday = everyday ? 1 : 0;
  return d;
}
