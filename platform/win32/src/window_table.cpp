// HWND allocation and lookup. Handles are even values below 2^24, handed out
// in increasing order and not reused while the process lives (until 8 million
// windows have been made), because the framework packs the low 24 bits of a
// handle into timer ids.
#include "window_table.h"

namespace win32::detail {
namespace {

constexpr uintptr_t kDesktop = 0x10000;
constexpr uintptr_t kFirst = 0x10002;
constexpr uintptr_t kLimit = 0xFFFFFE;

struct Table {
  std::mutex mutex;
  std::map<uintptr_t, std::shared_ptr<Window>> windows;
  uintptr_t next = kFirst;
};

Table& table() {
  static Table* t = new Table();
  return *t;
}

}  // namespace

std::mutex& windowLock() { return table().mutex; }

std::map<uintptr_t, std::shared_ptr<Window>>& windowsLocked() { return table().windows; }

std::shared_ptr<Window> lookupWindowLocked(HWND hwnd) {
  auto& windows = table().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second;
}

std::shared_ptr<Window> lookupWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  return lookupWindowLocked(hwnd);
}

HWND insertWindow(const std::shared_ptr<Window>& window) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  uintptr_t value;
  do {
    value = t.next;
    t.next = t.next + 2 > kLimit ? kFirst : t.next + 2;
  } while (t.windows.count(value) != 0);
  window->hwnd = reinterpret_cast<HWND>(value);
  t.windows.emplace(value, window);
  return window->hwnd;
}

void removeWindow(HWND hwnd) {
  std::shared_ptr<Window> removed;  // released after the lock
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.windows.find(reinterpret_cast<uintptr_t>(hwnd));
  if (it == t.windows.end()) return;
  removed = it->second;
  if (removed->windowClass) --removed->windowClass->windowCount;
  t.windows.erase(it);
}

bool isDescendantLocked(HWND ancestor, HWND descendant) {
  auto w = lookupWindowLocked(descendant);
  while (w && (w->style & WS_CHILD) && w->parent) {
    if (w->parent == ancestor) return true;
    w = lookupWindowLocked(w->parent);
  }
  return false;
}

HWND rootOfLocked(HWND hwnd) {
  auto window = lookupWindowLocked(hwnd);
  while (window && (window->style & WS_CHILD) && window->parent) {
    auto parent = lookupWindowLocked(window->parent);
    if (!parent) break;
    window = parent;
  }
  return window ? window->hwnd : nullptr;
}

HWND desktopHandle() { return reinterpret_cast<HWND>(kDesktop); }

}  // namespace win32::detail
