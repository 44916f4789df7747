#include "files/WindowRaise.h"

#include "win32/windows.h"

// Raising to the topmost band and back puts the window above every other
// window without leaving it topmost. A window of another process (the first
// instance's) is restored and raised by that process on our request.
bool RaiseInstanceWindow(HWND window, RaiseOrder order) {
  if (!IsWindow(window)) return false;
  auto restoreAndShow = [window] {
    if (IsIconic(window)) SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(window, SW_SHOW);
  };
  auto activateAndFocus = [window] {
    SetActiveWindow(window);
    SetFocus(window);
  };
  if (order == RaiseOrder::kActivateFirst) {
    activateAndFocus();
    restoreAndShow();
  } else {
    restoreAndShow();
    activateAndFocus();
  }
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  return true;
}
