// Queue records, the per-thread queue registry, and retrieving messages in
// Windows priority order.
#include "message_queue.h"
#include "timer_wake.h"
#include "wait_timeout.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "backend_hooks.h"
#include "win32/poll_hook.h"
#include "win32/kernel32.h"
#include "window_table.h"

namespace win32::detail {
namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<Queue>> byThread;
};

Registry& registry() {
  static Registry* r = new Registry();
  return *r;
}

void complete(SentMessage& sent, LRESULT result) {
  {
    std::lock_guard<std::mutex> lock(sent.sender->mutex);
    sent.result = result;
    sent.done = true;
  }
  sent.sender->wake();
}

// Ends the thread's queue with the thread: senders still waiting get 0, and
// the thread's windows leave the table (Windows destroys them too).
struct QueueHolder {
  std::shared_ptr<Queue> queue;
  ~QueueHolder() {
    if (!queue) return;
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
      std::lock_guard<std::mutex> lock(queue->mutex);
      queue->alive = false;
      pending.swap(queue->incoming);
      queue->posted.clear();
      queue->timers.clear();
    }
    for (auto& sent : pending) complete(*sent, 0);
    {
      Registry& r = registry();
      std::lock_guard<std::mutex> lock(r.mutex);
      r.byThread.erase(queue->threadId);
    }
    std::vector<HWND> orphans;
    {
      std::lock_guard<std::mutex> lock(windowLock());
      for (auto& [value, window] : windowsLocked()) {
        if (window->threadId == queue->threadId) orphans.push_back(window->hwnd);
      }
    }
    // Out of the table first, so nothing is sent to them while their native
    // windows, grabs and surfaces are released.
    for (HWND hwnd : orphans) {
      removeWindow(hwnd);
      forgetWindowState(hwnd, false);
    }
  }
};

thread_local QueueHolder t_queue;

bool passesRange(UINT message, UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  if (first <= last) return message >= first && message <= last;
  return message >= first || message <= last;  // a reversed range wraps, as on Windows
}

// Call with windowLock() held.
bool passesWindowLocked(HWND hwnd, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) return hwnd == nullptr;
  return hwnd == filter || (hwnd && isDescendantLocked(filter, hwnd));
}

}  // namespace

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  return msg;
}

Queue::Queue(DWORD thread) : threadId(thread), wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (wakeFd < 0) std::fprintf(stderr, "message queue: eventfd failed: %s\n", std::strerror(errno));
}

Queue::~Queue() {
  if (wakeFd >= 0) ::close(wakeFd);
}

void Queue::wake() {
  const uint64_t one = 1;
  ssize_t written = ::write(wakeFd, &one, sizeof one);
  (void)written;  // a saturated counter still wakes the reader
}

void Queue::drainWake() {
  if (!wakeSeen) return;
  wakeSeen = false;
  uint64_t count;
  ssize_t got = ::read(wakeFd, &count, sizeof count);
  (void)got;  // EAGAIN: nothing to drain
}

std::shared_ptr<Queue> currentQueue() {
  if (!t_queue.queue) {
    auto queue = std::make_shared<Queue>(GetCurrentThreadId());
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.byThread[queue->threadId] = queue;
    t_queue.queue = queue;
  }
  return t_queue.queue;
}

std::shared_ptr<Queue> existingCurrentQueue() { return t_queue.queue; }

std::shared_ptr<Queue> queueOfThread(DWORD threadId) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.byThread.find(threadId);
  return it == r.byThread.end() ? nullptr : it->second;
}

LRESULT callWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    proc = window->proc;
  }
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

namespace {
thread_local int t_handlingForeignSend = 0;
}

bool inForeignSend() { return t_handlingForeignSend > 0; }

bool handleIncomingSends(Queue& queue) {
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      std::lock_guard<std::mutex> lock(queue.mutex);
      if (queue.incoming.empty()) break;
      sent = queue.incoming.front();
      queue.incoming.pop_front();
    }
    ++t_handlingForeignSend;
    LRESULT result = callWindow(sent->hwnd, sent->message, sent->wParam, sent->lParam);
    --t_handlingForeignSend;
    complete(*sent, result);
    any = true;
  }
  return any;
}

bool takeMessage(Queue& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  std::unique_lock<std::mutex> lock(queue.mutex);
  for (auto it = queue.posted.begin(); it != queue.posted.end();) {
    bool alive = true;
    bool passes = false;
    {
      std::lock_guard<std::mutex> windows(windowLock());
      alive = it->hwnd == nullptr || lookupWindowLocked(it->hwnd) != nullptr;
      passes = alive && passesWindowLocked(it->hwnd, filter);
    }
    if (!alive) {  // posted just before its window went away
      it = queue.posted.erase(it);
      continue;
    }
    if (passes && passesRange(it->message, first, last)) {
      *out = *it;
      if (remove) {
        if (it->keys) queue.keys = it->keys;  // the key state moves with the input
        queue.posted.erase(it);
      }
      return true;
    }
    ++it;
  }

  // WM_QUIT ignores the filter, as on Windows.
  if (queue.quitPending) {
    *out = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quitPending = false;
    return true;
  }

  // Timers: one WM_TIMER per due timer however late it is, earliest first.
  if (passesRange(WM_TIMER, first, last)) {
    const auto now = std::chrono::steady_clock::now();
    Timer* chosen = nullptr;
    {
      std::lock_guard<std::mutex> windows(windowLock());
      for (Timer& timer : queue.timers) {
        if (systemTickAtOrAfter(timer.due) > now || !passesWindowLocked(timer.hwnd, filter)) continue;
        if (!chosen || timer.due < chosen->due) chosen = &timer;
      }
    }
    if (chosen) {
      *out = makeMessage(chosen->hwnd, WM_TIMER, chosen->id,
                         reinterpret_cast<LPARAM>(chosen->proc));
      if (remove) {
        chosen->due += chosen->period;
        if (chosen->due <= now) chosen->due = now + chosen->period;
      }
      return true;
    }
  }

  // WM_PAINT last; the flag stays until the window is validated.
  if (passesRange(WM_PAINT, first, last)) {
    std::lock_guard<std::mutex> windows(windowLock());
    for (auto& [value, window] : windowsLocked()) {
      if (window->threadId != queue.threadId || !window->needsPaint || window->destroying) continue;
      if (!passesWindowLocked(window->hwnd, filter)) continue;
      *out = makeMessage(window->hwnd, WM_PAINT, 0, 0);
      return true;
    }
  }
  return false;
}

int nextTimerWait(Queue& queue, HWND filter, UINT first, UINT last) {
  if (!passesRange(WM_TIMER, first, last)) return -1;
  std::vector<TimerDue> due;
  {
    std::lock_guard<std::mutex> lock(queue.mutex);
    std::lock_guard<std::mutex> windows(windowLock());
    for (const Timer& timer : queue.timers) {
      if (passesWindowLocked(timer.hwnd, filter))
        due.push_back({systemTickAtOrAfter(timer.due), timerTolerance(timer.period)});
    }
  }
  if (due.empty()) return -1;
  return pollTimeoutMs(timerWakeTime(std::move(due)) - std::chrono::steady_clock::now());
}

namespace {

// The calling thread's extra descriptors; `inside` keeps a wait run from
// the hook's own dispatch from entering the hook again.
struct ThreadPollHook {
  Win32PollHook hook{};
  bool installed = false;
  bool inside = false;
};
thread_local ThreadPollHook t_pollHook;
thread_local std::chrono::steady_clock::time_point t_connectionQuietAt{};

int earlierTimeout(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return a < b ? a : b;
}

}  // namespace

bool waitForWake(Queue& queue, int timeoutMs, bool watchBackend) {
  std::vector<pollfd> fds{{queue.wakeFd, POLLIN, 0}};
  const int backend = watchBackend ? backendFd() : -1;
  if (backend >= 0) fds.push_back({backend, POLLIN, 0});
  const size_t own = fds.size();
  ThreadPollHook& hooked = t_pollHook;
  const bool useHook = hooked.installed && !hooked.inside;
  if (useHook) {
    hooked.inside = true;
    int hookTimeout = -1;
    int wanted = 8;
    for (;;) {
      fds.resize(own + static_cast<size_t>(wanted));
      hookTimeout = -1;
      const int got = hooked.hook.prepare(hooked.hook.context, fds.data() + own, wanted, &hookTimeout);
      if (got <= wanted) {
        fds.resize(own + static_cast<size_t>(got < 0 ? 0 : got));
        break;
      }
      wanted = got;
    }
    timeoutMs = earlierTimeout(timeoutMs, hookTimeout);
  }
  int rc = ::poll(fds.data(), fds.size(), timeoutMs);
  if (rc < 0 && errno != EINTR)
    std::fprintf(stderr, "message queue: poll failed: %s\n", std::strerror(errno));
  queue.wakeSeen = rc < 0 || (fds[0].revents & POLLIN) != 0;
  const bool backendQuiet = backend >= 0 && rc >= 0 && fds[1].revents == 0;
  if (backendQuiet) t_connectionQuietAt = std::chrono::steady_clock::now();
  if (useHook) {
    if (rc < 0)
      for (pollfd& fd : fds) fd.revents = 0;
    hooked.hook.dispatch(hooked.hook.context, fds.data() + own, static_cast<int>(fds.size() - own));
    hooked.inside = false;
  }
  return backendQuiet;
}

bool connectionJustQuiet() {
  constexpr std::chrono::milliseconds kStillFresh{2};
  return std::chrono::steady_clock::now() - t_connectionQuietAt < kStillFresh;
}

bool postInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
               std::shared_ptr<const KeyStates> keys) {
  std::shared_ptr<Queue> queue;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (auto window = lookupWindowLocked(hwnd)) queue = window->queue;
  }
  if (!queue) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    if (!queue->alive) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (queue->posted.size() >= kPostedLimit) {
      SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return false;
    }
    PostedMessage posted(makeMessage(hwnd, message, wParam, lParam));
    posted.keys = std::move(keys);
    queue->posted.push_back(std::move(posted));
  }
  queue->wake();
  return true;
}

std::shared_ptr<const KeyStates> retrievedKeyStates() {
  std::shared_ptr<Queue> queue = existingCurrentQueue();
  if (!queue) return nullptr;
  std::lock_guard<std::mutex> lock(queue->mutex);
  return queue->keys;
}

void forgetRetrievedKeyDown(int vk) {
  std::shared_ptr<Queue> queue = existingCurrentQueue();
  if (!queue || vk < 0 || vk >= 256) return;
  std::lock_guard<std::mutex> lock(queue->mutex);
  if (!queue->keys || !((*queue->keys)[static_cast<size_t>(vk)] & 0x80)) return;
  auto copy = std::make_shared<KeyStates>(*queue->keys);
  (*copy)[static_cast<size_t>(vk)] &= static_cast<unsigned char>(~0x80);
  queue->keys = std::move(copy);
}

void purgeWindow(Queue& queue, HWND hwnd) {
  std::lock_guard<std::mutex> lock(queue.mutex);
  std::erase_if(queue.posted, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
  std::erase_if(queue.timers, [hwnd](const Timer& timer) { return timer.hwnd == hwnd; });
}

}  // namespace win32::detail

void Win32SetThreadPollHook(const Win32PollHook* hook) {
  auto& hooked = win32::detail::t_pollHook;
  hooked.installed = hook != nullptr;
  hooked.hook = hook ? *hook : Win32PollHook{};
}
