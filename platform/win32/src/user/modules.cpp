// GetModuleHandleW, GetModuleFileNameW and GetProcAddress for the program
// and the user32 pseudo module.
#include <unistd.h>

#include <cwctype>
#include <string>

#include "crt/utf8.h"
#include "win32/errors.h"
#include "win32/modules.h"
#include "win32/user32.h"

namespace {

// Handles are addresses of these tags: never null, never a real pointer to follow.
char g_programTag;
char g_user32Tag;

HMODULE programHandle() { return reinterpret_cast<HMODULE>(&g_programTag); }
HMODULE user32Handle() { return reinterpret_cast<HMODULE>(&g_user32Tag); }

bool isUser32(LPCWSTR name) {
  std::wstring n;
  for (const wchar_t* p = name; *p; ++p) n += static_cast<wchar_t>(towlower(*p));
  return n == L"user32" || n == L"user32.dll";
}

}  // namespace

FARPROC Win32LibrarySymbol(HMODULE module, const char* name);

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
  if (!lpModuleName) return programHandle();
  if (isUser32(lpModuleName)) return user32Handle();
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  if (hModule && hModule != programHandle()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0 || !lpFilename || nSize == 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const std::wstring path = crt::Utf8ToWide(std::string(buf, static_cast<size_t>(n)));
  if (path.size() + 1 > nSize) {
    path.copy(lpFilename, nSize - 1);
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  path.copy(lpFilename, path.size());
  lpFilename[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (hModule == user32Handle() && lpProcName) {
    const std::string name(lpProcName);
    if (name == "UpdateLayeredWindow") return reinterpret_cast<FARPROC>(&UpdateLayeredWindow);
    if (name == "UpdateLayeredWindowIndirect") return reinterpret_cast<FARPROC>(&UpdateLayeredWindowIndirect);
    if (name == "GetDpiForWindow") return reinterpret_cast<FARPROC>(&GetDpiForWindow);
  } else if (hModule && lpProcName) {
    if (FARPROC symbol = Win32LibrarySymbol(hModule, lpProcName)) return symbol;
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}
