#include "base/PathHelpers.h"
#include "logic/BllMain.h"
#include "registry/registry.h"

int SetAutoStart(bool on) {
  std::wstring exe;
  if (on && !GetModuleFilePath(exe)) return ERROR_FILE_NOT_FOUND;
  HKEY key = nullptr;
  LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                              KEY_ALL_ACCESS, &key);
  if (result != ERROR_SUCCESS) return result;
  if (on) {
    // Quoted, so a path with blanks stays one program, and stored with its
    // ending zero, as every reader of a REG_SZ expects.
    std::wstring command = L"\"" + exe + L"\"";
    result = RegSetValueExW(key, L"Quorvale", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * 2));
  } else {
    result = RegDeleteValueW(key, L"Quorvale");
    if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return result;
}
