// SetTimer/KillTimer. Timers live in the queue of the thread that owns them
// and become WM_TIMER only when that thread looks for a message.
#include <atomic>

#include "message_queue.h"
#include "win32/kernel32.h"
#include "window_table.h"

using namespace win32::detail;

namespace {

std::atomic<UINT_PTR> g_nextThreadTimerId{0x100};

// Thread timer ids come from one counter, so they are unique in the process.
UINT_PTR newThreadTimerId() {
  UINT_PTR id = g_nextThreadTimerId.fetch_add(1);
  if (id == 0) id = g_nextThreadTimerId.fetch_add(1);
  return id;
}

Timer* findTimer(Queue& queue, HWND hwnd, UINT_PTR id) {
  for (Timer& timer : queue.timers) {
    if (timer.hwnd == hwnd && timer.id == id) return &timer;
  }
  return nullptr;
}

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  if (uElapse < USER_TIMER_MINIMUM) uElapse = USER_TIMER_MINIMUM;
  if (uElapse > USER_TIMER_MAXIMUM) uElapse = USER_TIMER_MAXIMUM;
  if (hWnd) {
    auto window = lookupWindow(hWnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (window->threadId != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  std::shared_ptr<Queue> queue = currentQueue();
  const auto period = std::chrono::milliseconds(uElapse);
  const auto due = std::chrono::steady_clock::now() + period;
  UINT_PTR result;
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    // The same window and id (or an existing thread timer id) resets the timer.
    Timer* existing = (hWnd || nIDEvent) ? findTimer(*queue, hWnd, nIDEvent) : nullptr;
    if (existing) {
      existing->period = period;
      existing->proc = lpTimerFunc;
      existing->due = due;
      result = hWnd ? 1 : nIDEvent;
    } else {
      const UINT_PTR id = hWnd ? nIDEvent : newThreadTimerId();
      queue->timers.push_back(Timer{hWnd, id, period, lpTimerFunc, due});
      result = hWnd ? 1 : id;
    }
  }
  queue->wake();
  return result;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  std::shared_ptr<Queue> queue = existingCurrentQueue();
  if (queue) {
    std::lock_guard<std::mutex> lock(queue->mutex);
    auto& timers = queue->timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
      if (it->hwnd == hWnd && it->id == uIDEvent) {
        timers.erase(it);
        return TRUE;
      }
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
