// A clock for the timer tasks that tests drive: each scheduler sleep moves
// the wall clock and the clock since boot on by a chosen step at once, so a
// day of schedule passes in moments. The wall clock can also jump alone, as
// a user's change makes it, and the machine can be suspended: both clocks
// move on at once while the scheduler was asleep with it.
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
  int64_t SinceBootMs() override {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_boot;
  }
  // Holds time still while the test says it is not ready (a run still
  // coming up), so virtual time never outruns real threads.
  void Sleep(int64_t ms) override {
    std::function<bool()> hold = Get(m_hold), realtime = Get(m_realtime);
    for (int i = 0; i < 20000 && hold && !hold(); ++i)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (realtime && realtime()) {
      // Real pace while something real (a recording) is going on.
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      Advance(static_cast<uint64_t>(ms) * kTimerMsUnits);
      return;
    }
    if (m_frozen || AtStopMark()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(m_realPauseUs.load()));
    uint64_t step = static_cast<uint64_t>(m_step.load() ? m_step.load() : ms) * kTimerMsUnits;
    std::lock_guard<std::mutex> lock(m_lock);
    // Onto the next whole step, so starts on the step grid are met exactly
    // even after a stretch at real pace; never past the stop mark.
    uint64_t next = (m_wall / step + 1) * step;
    if (m_stopAt > m_wall && next > m_stopAt) next = m_stopAt;
    MoveOn(next - m_wall);
  }

  // Milliseconds of virtual time per scheduler sleep (0: the real interval).
  void SetStep(int64_t ms) { m_step = ms; }
  void SetRealPauseUs(int us) { m_realPauseUs = us; }
  // While the predicate holds, each sleep lasts as long as it says.
  void SetRealtimeWhile(std::function<bool()> predicate) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_realtime = std::move(predicate);
  }
  // A frozen clock stands still whatever the scheduler sleeps.
  void SetFrozen(bool frozen) { m_frozen = frozen; }
  void SetHold(std::function<bool()> ready) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_hold = std::move(ready);
  }
  // The clock stops by itself once the wall clock reaches units (0: never),
  // so a test can look and jump at an exact moment while the scheduler
  // goes on waking.
  void SetStopAt(uint64_t units) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopAt = units;
  }
  // The machine sleeps for ms: the wall clock and the clock since boot
  // move on together, and no scheduler wake-up falls in between.
  void Suspend(int64_t ms) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_wall += static_cast<uint64_t>(ms) * kTimerMsUnits;
    m_boot += ms;
  }
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
  std::function<bool()> Get(const std::function<bool()>& f) {
    std::lock_guard<std::mutex> lock(m_lock);
    return f;
  }
  void Advance(uint64_t units) {
    std::lock_guard<std::mutex> lock(m_lock);
    MoveOn(units);
  }
  // With the lock held: real time passes on every clock.
  void MoveOn(uint64_t units) {
    m_wall += units;
    m_boot += static_cast<int64_t>(units / kTimerMsUnits);
    ++m_sleeps;
  }
  bool AtStopMark() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_stopAt != 0 && m_wall >= m_stopAt;
  }

  std::mutex m_lock;
  uint64_t m_wall;
  int64_t m_boot = 5000000;
  uint64_t m_stopAt = 0;
  int64_t m_sleeps = 0;
  std::atomic<int64_t> m_step{0};
  std::atomic<int> m_realPauseUs{100};
  std::atomic<bool> m_frozen{false};
  std::function<bool()> m_hold;
  std::function<bool()> m_realtime;
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
