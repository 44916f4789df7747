#include "controls/STimerWnd.h"

#include <chrono>

namespace ORIEL {

STimerWnd::STimerWnd() { GetEventSet()->AddEvent(EventTwTiming::EventID, EventTwTiming::EventName()); }

HRESULT STimerWnd::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"space")) {
    space_ = !(value == L"0" || value == L"false");
  } else if (AttrNameIs(name, L"speed")) {
    speed_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"autoStart")) {
    autoStart_ = ParseAttrInt(value) != 0;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

namespace {
STimerWnd::Clock& DefaultClock() {
  static STimerWnd::Clock clock;
  return clock;
}
}  // namespace

void STimerWnd::SetDefaultClock(Clock clock) { DefaultClock() = std::move(clock); }

int64_t STimerWnd::Now() const {
  if (clock_) return clock_();
  if (const Clock& clock = DefaultClock()) return clock();
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void STimerWnd::Start() {
  if (running_) return;
  SetTimer(kTimerId, PollPeriod());
  running_ = true;
  paused_ = false;
  EventAnimateStart start(this);
  RaiseEvent(&start);
  start_ = Now();
  pausedMs_ = counted_ = 0;
  seconds_ = 0;
}

void STimerWnd::Stop() {
  if (!running_) return;
  KillTimer(kTimerId);
  const int64_t now = Now();
  // A stop during a pause ends the pause first, so it is not counted.
  if (paused_) pausedMs_ += now - pausedAt_;
  paused_ = false;
  running_ = false;
  counted_ = now - pausedMs_ - start_;
  EventAnimateStop stop(this);
  RaiseEvent(&stop);
}

void STimerWnd::Pause() {
  if (!running_ || paused_) return;
  KillTimer(kTimerId);
  pausedAt_ = Now();
  paused_ = true;
}

void STimerWnd::Resume() {
  if (!running_ || !paused_) return;
  SetTimer(kTimerId, PollPeriod());
  pausedMs_ += Now() - pausedAt_;
  paused_ = false;
}

void STimerWnd::SetSpace(bool space) {
  space_ = space;
  RefreshText();
}

void STimerWnd::SetSeconds(int seconds) {
  seconds_ = seconds;
  RefreshText();
}

void STimerWnd::OnTick() {
  if (!running_ || paused_) return;
  const int64_t elapsed = Now() - pausedMs_ - start_ - counted_;
  if (elapsed <= 1000) return;
  const int64_t whole = elapsed / 1000;
  seconds_ += static_cast<int>(whole);
  counted_ += whole * 1000;
  RefreshText();
  EventTwTiming timing(this);
  timing.seconds = seconds_;
  RaiseEvent(&timing);
}

SStringW STimerWnd::FormatElapsed(int seconds, bool space) {
  int hours = 0, minutes = 0, secs = 0;
  if (seconds > 0) {
    hours = seconds / 3600;
    minutes = seconds / 60 % 60;
    secs = seconds % 60;
  }
  SStringW text;
  text.Format(space ? L"%02d : %02d : %02d" : L"%02d:%02d:%02d", hours, minutes, secs);
  return text;
}

void STimerWnd::RefreshText() { SetText(FormatElapsed(seconds_, space_)); }

BOOL STimerWnd::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_TIMER) {
    // Every tick is this window's own; only timer 1 counts.
    if (wParam == kTimerId) OnTick();
    result = 0;
    return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void STimerWnd::OnShowWindow(BOOL show, UINT status) {
  SWindow::OnShowWindow(show, status);
  RefreshText();
  if (show && autoStart_) {
    autoStart_ = false;
    if (!running_) Start();
  }
}

void STimerWnd::OnDestroy() {
  Stop();
  SWindow::OnDestroy();
}

}  // namespace ORIEL
