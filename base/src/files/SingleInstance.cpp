#include "base/SingleInstance.h"

#include "base/CodePage.h"
#include "files/WindowRaise.h"
#include "win32/windows.h"

namespace {

const wchar_t kInstanceMutex[] = L"MUTEX_QuorvalePROJECT";
const wchar_t kMainWindowClass[] = L"MainClsPXReord";
const wchar_t kMainWindowTitle[] = L"Velmora电脑录音软件";

const wchar_t* NullIfEmpty(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

bool CheckRunningInstance() {
  // The handle stays open for the life of the process: holding it is what
  // tells later starts that this instance runs.
  CreateMutexW(nullptr, FALSE, kInstanceMutex);
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  HWND window = FindWindowW(kMainWindowClass, kMainWindowTitle);
  if (!IsWindow(window)) return true;
  RaiseInstanceWindow(window, RaiseOrder::kActivateFirst);
  return true;
}

int BringWindowToFront(HWND window) {
  if (!IsWindow(window)) return 0;
  return RaiseInstanceWindow(window, RaiseOrder::kShowFirst) ? 1 : 0;
}

HWND FindWindowByNames(const std::wstring& className, const std::wstring& title) {
  return FindWindowW(NullIfEmpty(className), NullIfEmpty(title));
}

HWND WaitForWindow(const std::wstring& title, const std::wstring& className, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowByNames(className, title)) return window;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(100);
  }
}

std::wstring WindowTextW(HWND window) {
  if (window == nullptr) return std::wstring();
  wchar_t buffer[MAX_PATH] = {};
  const int n = GetWindowTextW(window, buffer, MAX_PATH);
  return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string WindowTextOem(HWND window) { return WStringToOemRet(WindowTextW(window)); }

std::wstring WindowClassW(HWND window) {
  if (window == nullptr) return std::wstring();
  wchar_t buffer[MAX_PATH] = {};
  const int n = GetClassNameW(window, buffer, MAX_PATH);
  return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string WindowClassOem(HWND window) { return WStringToOemRet(WindowClassW(window)); }
