#include <cwchar>

#include "base/SystemHelpers.h"
#include "registry/registry.h"

namespace {
const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}

bool IsRunValuePresent(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  // Only whether the value exists matters: asking for its size alone needs no
  // buffer, so no stored length can overrun one.
  DWORD size = 0;
  const LONG result = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool SetRunValue(bool set, const wchar_t* name, const wchar_t* value) {
  if (!name || !*name) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  if (set) {
    const wchar_t* text = value ? value : L"";
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::wcslen(text) * 2));
  } else {
    RegDeleteValueW(key, name);
  }
  RegCloseKey(key);
  return true;
}
