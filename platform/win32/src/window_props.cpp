// Window properties. They are kept beside the window table, keyed by handle;
// each entry remembers the record it was made for, so the properties of a
// destroyed window are never seen by a later window with the same handle.
#include <cwctype>
#include <map>
#include <string>

#include "win32/errors.h"
#include "window_table.h"

using namespace win32::detail;

namespace {

struct Props {
  std::weak_ptr<Window> owner;
  std::map<std::wstring, HANDLE> values;
};

// Guarded by windowLock().
std::map<uintptr_t, Props>& propsLocked() {
  static auto* map = new std::map<uintptr_t, Props>();
  return *map;
}

std::wstring keyOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
  std::wstring key(name);
  // Every message's dispatch looks its window's object up here: plain ASCII
  // names skip the locale's tables.
  for (auto& c : key) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    else if (c > 0x7F) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  }
  return key;
}

// The live properties of the window, or null; drops those left by a
// destroyed window of the same handle. With windowLock() held.
Props* findLocked(HWND hwnd, const std::shared_ptr<Window>& window) {
  auto& all = propsLocked();
  auto it = all.find(reinterpret_cast<uintptr_t>(hwnd));
  if (it == all.end()) return nullptr;
  if (it->second.owner.lock() != window) {
    all.erase(it);
    return nullptr;
  }
  return &it->second;
}

}  // namespace

BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData) {
  if (!lpString) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Props* props = findLocked(hWnd, window);
  if (!props) {
    props = &propsLocked()[reinterpret_cast<uintptr_t>(hWnd)];
    props->owner = window;
  }
  props->values[keyOf(lpString)] = hData;
  return TRUE;
}

HANDLE GetPropW(HWND hWnd, LPCWSTR lpString) {
  if (!lpString) return nullptr;
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) return nullptr;
  Props* props = findLocked(hWnd, window);
  if (!props) return nullptr;
  auto it = props->values.find(keyOf(lpString));
  return it == props->values.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString) {
  if (!lpString) return nullptr;
  std::lock_guard<std::mutex> lock(windowLock());
  auto window = lookupWindowLocked(hWnd);
  if (!window) return nullptr;
  Props* props = findLocked(hWnd, window);
  if (!props) return nullptr;
  auto it = props->values.find(keyOf(lpString));
  if (it == props->values.end()) return nullptr;
  HANDLE value = it->second;
  props->values.erase(it);
  if (props->values.empty()) propsLocked().erase(reinterpret_cast<uintptr_t>(hWnd));
  return value;
}
