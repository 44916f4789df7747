// The installed display backend. Installing keeps every earlier record alive,
// so a thread that already read the pointer can still call through it.
#include <atomic>
#include <chrono>

#include "backend_hooks.h"
#include "message_queue.h"
#include "window_table.h"

namespace win32::detail {
namespace {
std::atomic<const Win32DisplayBackend*> g_backend{nullptr};

// What the calling thread knows of the backend's descriptor: whether its
// last wait saw input there, and when it last read it or saw it empty. A
// thread woken by a timer with nothing on the descriptor need not read it;
// one that stays busy without waiting still reads it this often, so input
// is never held back for long.
struct BackendWatch {
  bool readable = true;
  std::chrono::steady_clock::time_point checked{};
};
thread_local BackendWatch t_watch;
constexpr std::chrono::milliseconds kReadAtLeastEvery{10};
}  // namespace

const Win32DisplayBackend* displayBackend() { return g_backend.load(std::memory_order_acquire); }

void pumpBackend() {
  const Win32DisplayBackend* backend = displayBackend();
  if (!backend || !backend->pump) return;
  const auto now = std::chrono::steady_clock::now();
  if (backend->pumpQueued && !t_watch.readable && now - t_watch.checked < kReadAtLeastEvery) {
    backend->pumpQueued(backend->context);
    return;
  }
  t_watch.readable = false;
  t_watch.checked = now;
  backend->pump(backend->context);
}

bool backendMayHaveInput() {
  return t_watch.readable || std::chrono::steady_clock::now() - t_watch.checked >= kReadAtLeastEvery;
}

void noteBackendWait(bool readable) {
  if (readable) t_watch.readable = true;
  else t_watch.checked = std::chrono::steady_clock::now();
}

bool isForeignWindow(HWND hwnd) {
  const Win32DisplayBackend* backend = displayBackend();
  return backend && backend->isForeignWindow && hwnd &&
         backend->isForeignWindow(hwnd, backend->context);
}

int backendFd() {
  const Win32DisplayBackend* backend = displayBackend();
  return backend ? backend->fd : -1;
}

}  // namespace win32::detail

using namespace win32::detail;

void Win32SetDisplayBackend(const Win32DisplayBackend* backend) {
  g_backend.store(backend ? new Win32DisplayBackend(*backend) : nullptr,
                  std::memory_order_release);
}

void Win32SetNeedsPaint(HWND hwnd, BOOL needsPaint) {
  std::shared_ptr<Queue> owner;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (!window) return;
    window->needsPaint = needsPaint != FALSE;
    if (needsPaint) owner = window->queue;
  }
  if (owner) owner->wake();
}

BOOL Win32NeedsPaint(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hwnd);
  return window && window->needsPaint ? TRUE : FALSE;
}
