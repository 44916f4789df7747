#include "base/WindowActivation.h"

#include "base/SingleInstance.h"
#include "files/WindowRaise.h"
#include "win32/windows.h"

bool ShowAndActivateWindow(HWND window) { return RaiseInstanceWindow(window, RaiseOrder::kActivateFirst); }

BOOL ActivateWindow(HWND window) {
  ShowWindow(window, SW_SHOW);
  if (IsIconic(window)) SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  // X has no per-thread input state to join with the foreground thread's:
  // the foreground request itself asks the window manager (with the
  // server's current time) and sets the input focus, for a window of any
  // process.
  return SetForegroundWindow(window);
}

BOOL ActivateWindowAfter(HWND window, HWND after) {
  const BOOL activated = ActivateWindow(window);
  SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return activated;
}

bool WaitForWindowAndActivate(const std::wstring& title, const std::wstring& className,
                              DWORD timeoutMs) {
  HWND window = WaitForWindow(title, className, timeoutMs);
  if (window == nullptr) return false;
  ActivateWindow(window);
  return true;
}

bool ForceForegroundWindow(HWND after, HWND window, DWORD timeoutMs, const volatile BYTE* stop) {
  ShowWindow(window, SW_RESTORE);
  ShowWindow(window, SW_SHOW);
  ActivateWindow(window);
  SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (timeoutMs == 0) return GetForegroundWindow() == window;
  const DWORD start = GetTickCount();
  for (;;) {
    if (GetForegroundWindow() == window) return true;
    if (stop != nullptr && *stop == 1) return false;
    if (GetTickCount() - start >= timeoutMs) return false;
    // Another thread changes the answer; a short pause spares the core.
    Sleep(10);
  }
}

void MinimizeAndHideWindow(HWND window) {
  ShowWindow(window, SW_MINIMIZE);
  ShowWindow(window, SW_HIDE);
}

bool CWindowTimer::StartWindowTimer(UINT periodMs) {
  return SetTimer(window_, kTimerId, periodMs, nullptr) != 0;
}

bool CWindowTimer::StopWindowTimer() { return KillTimer(window_, kTimerId) != FALSE; }
