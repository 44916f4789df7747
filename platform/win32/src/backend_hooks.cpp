// The installed display backend. Installing keeps every earlier record alive,
// so a thread that already read the pointer can still call through it.
#include <atomic>

#include "backend_hooks.h"
#include "message_queue.h"
#include "window_table.h"

namespace win32::detail {
namespace {
std::atomic<const Win32DisplayBackend*> g_backend{nullptr};
}

const Win32DisplayBackend* displayBackend() { return g_backend.load(std::memory_order_acquire); }

void pumpBackend(bool connectionQuiet) {
  const Win32DisplayBackend* backend = displayBackend();
  if (!backend) return;
  if (connectionQuiet && backend->pumpQueued) backend->pumpQueued(backend->context);
  else if (backend->pump) backend->pump(backend->context);
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
