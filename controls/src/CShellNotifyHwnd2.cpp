#include "controls/SShellNotifyIcon.h"
#include "core/SLog.h"

namespace ORIEL {

CShellNotifyHwnd2::CShellNotifyHwnd2(HWND host, SShellNotifyIcon* icon)
    : host_(host), icon_(icon), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

CShellNotifyHwnd2* CShellNotifyHwnd2::Make(HWND host, SShellNotifyIcon* icon) {
  auto* wnd = new CShellNotifyHwnd2(host, icon);
  if (!wnd->Create(kWindowName, 0, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr)) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CShellNotifyHwnd2::Make", L"the tray's message window was not created, error %d",
          static_cast<int>(GetLastError()));
    delete wnd;
    return nullptr;
  }
  return wnd;
}

void CShellNotifyHwnd2::ReleaseThunk(HWND oldHwnd) {
  CSimpleWnd::ReleaseThunk(oldHwnd);
  delete this;
}

BOOL CShellNotifyHwnd2::HandleWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                            DWORD) {
  if (!icon_) return FALSE;
  if (msg == taskbarCreated_) {
    // A new tray: the icon goes back in.
    result = icon_->AddToTray();
    return TRUE;
  }
  if (msg == WM_TIMER) {
    if (wParam == SShellNotifyIcon::kAnimationTimer) icon_->ShowNextFrame();
    result = 0;
    return TRUE;
  }
  if (msg != UM_TRAY_NOTIFY && msg != WM_COMMAND) return FALSE;
  // The main window answers first; it may take the control down meanwhile.
  if (CSimpleWnd* host = CSimpleWnd::FromHandle(host_)) {
    if (host->HandleWindowMessage(host_, msg, wParam, lParam, result, 0)) return TRUE;
  }
  if (msg == WM_COMMAND) return FALSE;
  if (!icon_) {
    result = 0;
    return TRUE;
  }
  result = OnTrayNotify(lParam);
  return TRUE;
}

LRESULT CShellNotifyHwnd2::OnTrayNotify(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
      if (IsWindowVisible(host_)) {
        ShowWindow(host_, SW_HIDE);
      } else {
        ShowWindow(host_, SW_SHOW);
        SetForegroundWindow(host_);
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      // Its first press may have hidden the window: a double click always
      // ends with the window shown.
      ShowWindow(host_, SW_SHOW);
      SetForegroundWindow(host_);
      return 0;
    case WM_RBUTTONDOWN:
      icon_->ShowMenu();
      return 0;
    default:
      return 1;
  }
}

}  // namespace ORIEL
