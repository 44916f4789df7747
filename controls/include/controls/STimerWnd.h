// "timerWnd": a text window that counts elapsed whole seconds and shows
// them as hours, minutes and seconds. Paused time is left out. Time comes
// from a monotonic millisecond clock that tests can replace.
#pragma once

#include <cstdint>
#include <functional>

#include "core/SWnd.h"
#include "event/EventArgs.h"

namespace ORIEL {

// Fired each time the shown count advances, with the new count.
class EventTwTiming : public TplEventArgs<EventTwTiming> {
  ORIEL_EVENT(EventTwTiming, 10030001, L"on_event_tw_timing")
  int seconds = 0;
};

class STimerWnd : public SWindow {
  SOBJ_CLASS(STimerWnd, SWindow, L"timerWnd", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  using Clock = std::function<int64_t()>;

  STimerWnd();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  void Start();
  void Stop();
  // Only while running and not already paused.
  void Pause();
  // Only while paused.
  void Resume();
  void SetSpace(bool space);
  void SetSeconds(int seconds);

  int GetSeconds() const { return seconds_; }
  bool IsRunning() const { return running_; }
  bool IsPaused() const { return paused_; }
  // Milliseconds of a monotonic clock for this window; without one the
  // process-wide clock is read, steady_clock unless replaced.
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  static void SetDefaultClock(Clock clock);

  // "HH : MM : SS" (or "HH:MM:SS" without space); hours keep all their
  // digits past 99, a negative count shows zeros.
  static SStringW FormatElapsed(int seconds, bool space);

  // One poll: turns whole elapsed seconds into the count.
  void OnTick();

  static constexpr UINT kTimerId = 1;

 protected:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;

 private:
  int64_t Now() const;
  UINT PollPeriod() const { return static_cast<UINT>(speed_ > 0 ? speed_ / 4 : 1); }
  void RefreshText();

  Clock clock_;
  int64_t start_ = 0;
  int64_t pausedAt_ = 0;
  int64_t counted_ = 0;    // milliseconds already turned into seconds
  int64_t pausedMs_ = 0;   // time spent paused since the start
  int seconds_ = 0;
  int speed_ = 1000;
  bool autoStart_ = true;
  bool running_ = false;
  bool paused_ = false;
  bool space_ = true;
};

}  // namespace ORIEL
