// Window data (Get/SetWindowLong*), titles and relations between windows.
#include <cstring>
#include <cwchar>

#include "win32/errors.h"
#include "win32/messaging.h"
#include "backend_hooks.h"
#include "window_table.h"

using namespace win32::detail;

namespace {

bool validExtraIndex(const Window& window, int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) + size <= window.extra.size();
}

// Call with windowLock() held. False when the index is unknown. Extra bytes
// are read `width` at a time: four for the 32-bit calls, eight for the Ptr ones.
bool readLong(const Window& window, int index, size_t width, LONG_PTR* value) {
  switch (index) {
    case GWLP_WNDPROC: *value = reinterpret_cast<LONG_PTR>(window.proc); return true;
    case GWLP_HINSTANCE: *value = reinterpret_cast<LONG_PTR>(window.instance); return true;
    case GWLP_HWNDPARENT:
      *value = reinterpret_cast<LONG_PTR>((window.style & WS_CHILD) ? window.parent : window.owner);
      return true;
    case GWLP_ID: *value = window.id; return true;
    case GWLP_USERDATA: *value = window.userData; return true;
    case GWL_STYLE: *value = window.style; return true;
    case GWL_EXSTYLE: *value = window.exStyle; return true;
    default:
      if (!validExtraIndex(window, index, width)) return false;
      if (width == sizeof(LONG)) {
        LONG narrow;
        std::memcpy(&narrow, window.extra.data() + index, sizeof narrow);
        *value = narrow;
      } else {
        std::memcpy(value, window.extra.data() + index, sizeof(LONG_PTR));
      }
      return true;
  }
}

bool writeLong(Window& window, int index, size_t width, LONG_PTR value) {
  switch (index) {
    case GWLP_WNDPROC: window.proc = reinterpret_cast<WNDPROC>(value); return true;
    case GWLP_HINSTANCE: window.instance = reinterpret_cast<HINSTANCE>(value); return true;
    case GWLP_HWNDPARENT:
      // Gives a top-level window a new owner; a child keeps its parent.
      if (!(window.style & WS_CHILD)) window.owner = reinterpret_cast<HWND>(value);
      return true;
    case GWLP_ID: window.id = value; return true;
    case GWLP_USERDATA: window.userData = value; return true;
    case GWL_STYLE: window.style = static_cast<LONG>(value); return true;
    case GWL_EXSTYLE: window.exStyle = static_cast<LONG>(value); return true;
    default:
      if (!validExtraIndex(window, index, width)) return false;
      if (width == sizeof(LONG)) {
        const LONG narrow = static_cast<LONG>(value);
        std::memcpy(window.extra.data() + index, &narrow, sizeof narrow);
      } else {
        std::memcpy(window.extra.data() + index, &value, sizeof(LONG_PTR));
      }
      return true;
  }
}

bool holdsPointer(int index) {
  return index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT;
}

LONG_PTR getLong(HWND hWnd, int nIndex, size_t width) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR value = 0;
  if (!readLong(*window, nIndex, width, &value)) SetLastError(ERROR_INVALID_INDEX);
  return value;
}

LONG_PTR setLong(HWND hWnd, int nIndex, size_t width, LONG_PTR dwNewLong) {
  std::unique_lock<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR previous = 0;
  if (!readLong(*window, nIndex, width, &previous) ||
      !writeLong(*window, nIndex, width, dwNewLong)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // The display learns of style and owner changes once the table is
  // unlocked (it reads the table back).
  if (nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE || nIndex == GWLP_HWNDPARENT) {
    lock.unlock();
    if (previous != dwNewLong) windowStyleChanged(hWnd, nIndex, previous);
  }
  return previous;
}

}  // namespace

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) { return getLong(hWnd, nIndex, sizeof(LONG_PTR)); }

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return setLong(hWnd, nIndex, sizeof(LONG_PTR), dwNewLong);
}

LONG GetWindowLongW(HWND hWnd, int nIndex) {
  if (holdsPointer(nIndex)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(getLong(hWnd, nIndex, sizeof(LONG)));
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
  if (holdsPointer(nIndex)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(setLong(hWnd, nIndex, sizeof(LONG), dwNewLong));
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  lpString[0] = L'\0';
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(
      SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthW(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND GetParent(HWND hWnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  // As on Windows: the parent of a child, the owner of a popup.
  if (window->style & WS_CHILD) return window->parent;
  if (window->style & WS_POPUP) return window->owner;
  return nullptr;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  switch (uCmd) {
    case GW_OWNER: return (window->style & WS_CHILD) ? nullptr : window->owner;
    case GW_CHILD:
      for (auto& [value, other] : windowsLocked()) {
        if ((other->style & WS_CHILD) && other->parent == hWnd) return other->hwnd;
      }
      return nullptr;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND GetAncestor(HWND hWnd, UINT gaFlags) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) return nullptr;
  switch (gaFlags) {
    case GA_PARENT:
      return (window->style & WS_CHILD) ? window->parent : desktopHandle();
    case GA_ROOT:
    case GA_ROOTOWNER:
      for (;;) {
        HWND next = nullptr;
        if (window->style & WS_CHILD) next = window->parent;
        else if (gaFlags == GA_ROOTOWNER && (window->style & WS_POPUP)) next = window->owner;
        auto up = next ? lookupWindowLocked(next) : nullptr;
        if (!up) return window->hwnd;
        window = up;
      }
    default:
      return nullptr;
  }
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  return isDescendantLocked(hWndParent, hWnd) ? TRUE : FALSE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
  std::lock_guard<std::mutex> lock(windowLock());
  if (!lookupWindowLocked(hDlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (auto& [value, window] : windowsLocked()) {
    if ((window->style & WS_CHILD) && window->parent == hDlg && window->id == nIDDlgItem)
      return window->hwnd;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return (window->style & WS_CHILD) ? static_cast<int>(window->id) : 0;
}

BOOL AttachThreadInput(DWORD, DWORD, BOOL) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}
