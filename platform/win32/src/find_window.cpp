// FindWindowW: this process's top-level windows first, then whatever the
// display backend can see of other processes.
#include "atoms.h"
#include "backend_hooks.h"
#include "window_table.h"

using namespace win32::detail;

namespace {

// Call with windowLock() held. Class and title compare without case; a null
// class or title matches any.
bool matchesLocked(const Window& window, LPCWSTR className, LPCWSTR title) {
  if (className) {
    if (IS_INTRESOURCE(className)) {
      if (window.windowClass->atom != static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className)))
        return false;
    } else if (!sameNameIgnoringCase(window.windowClass->name.c_str(), className)) {
      return false;
    }
  }
  return !title || sameNameIgnoringCase(window.text.c_str(), title);
}

HWND findOwnTopLevelWindow(LPCWSTR className, LPCWSTR title) {
  std::lock_guard<std::mutex> lock(windowLock());
  for (auto& [value, window] : windowsLocked()) {
    // Children and message-only windows are not top-level windows.
    if ((window->style & WS_CHILD) || window->messageOnly || window->destroying) continue;
    if (matchesLocked(*window, className, title)) return window->hwnd;
  }
  return nullptr;
}

}  // namespace

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
  if (HWND own = findOwnTopLevelWindow(lpClassName, lpWindowName)) return own;
  // A second instance looks before it has windows of its own.
  openDisplayOnFirstUse();
  const Win32DisplayBackend* backend = displayBackend();
  if (backend && backend->findForeignWindow)
    return backend->findForeignWindow(lpClassName, lpWindowName, backend->context);
  return nullptr;
}
