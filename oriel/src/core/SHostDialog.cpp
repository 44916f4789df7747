#include "core/SHostDialog.h"

#include "core/SApplication.h"
#include "core/SMessageLoop.h"

namespace ORIEL {

namespace {

// Hide without activating anything: SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER
// | SWP_NOACTIVATE | SWP_HIDEWINDOW.
constexpr UINT kHideFlags = 0x97;

}  // namespace

SHostDialog::SHostDialog(LPCWSTR layoutName) : SHostWnd(layoutName) {
  if (SApplication* app = SApplication::getSingletonPtr()) loop_ = app->GetMsgLoopFactory()->CreateMsgLoop();
}

SHostDialog::~SHostDialog() {
  if (SApplication* app = SApplication::getSingletonPtr(); app && loop_) app->GetMsgLoopFactory()->DestroyMsgLoop(loop_);
}

INT_PTR SHostDialog::DoModal(HWND owner) {
  if (!owner) owner = GetActiveWindow();
  bool reenable = false;
  if (owner && owner != GetDesktopWindow() && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    reenable = true;
  }
  HWND hwnd = Create(owner, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
  if (!hwnd) {
    if (reenable) EnableWindow(owner, TRUE);
    return 0;
  }
  CenterOnOwner(owner);
  SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(hwnd), 0);
  bool ran = false;
  HWND previous = nullptr;
  if (endCode_ == kNotEnded && loop_) {
    ran = true;
    previous = SetActiveWindow(hwnd);
    ShowWindow(hwnd, (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL);
    const int exitCode = loop_->Run();
    // Not ended by EndDialog: a WM_QUIT ended the loop, and the outer loop
    // must end too.
    if (endCode_ == kNotEnded) PostQuitMessage(exitCode);
    if (IsWindow(hwnd)) SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, kHideFlags);
  }
  if (reenable) EnableWindow(owner, TRUE);
  if (ran && previous && IsWindow(previous)) SetActiveWindow(previous);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return endCode_;
}

BOOL SHostDialog::EndDialog(INT_PTR code) {
  if (endCode_ != kNotEnded) return FALSE;
  endCode_ = code;
  if (loop_) loop_->Quit();
  if (GetHwnd()) {
    SetWindowPos(GetHwnd(), nullptr, 0, 0, 0, 0, kHideFlags);
    PostMessageW(GetHwnd(), WM_NULL, 0, 0);
  }
  return TRUE;
}

BOOL SHostDialog::OnHostEvent(EventArgs* e) {
  if (!e || e->GetId() != EventCmd::EventID) return FALSE;
  if (e->idFrom == 1) {
    e->bubbleUp = 0;
    EndDialog(1);
    return TRUE;
  }
  if (e->idFrom == 2) {
    e->bubbleUp = 0;
    OnCancel();
    return TRUE;
  }
  return FALSE;
}

BOOL SHostDialog::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                      DWORD mapId) {
  if (mapId != 0) return FALSE;
  const BOOL saved = dlgHandled_;
  const BOOL handled = ProcessDialogMessage(hwnd, msg, wParam, lParam, result);
  dlgHandled_ = saved;
  return handled;
}

BOOL SHostDialog::ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  dlgHandled_ = TRUE;
  if (msg == WM_CLOSE) {
    OnCancel();
    result = 0;
    return TRUE;
  }
  if (msg == WM_KEYDOWN) {
    HandleDialogKeys(hwnd, msg, wParam, lParam, result);
    return TRUE;
  }
  if (SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, 0)) return TRUE;
  BOOL reflected = FALSE;
  result = ReflectChildNotify(msg, wParam, lParam, reflected);
  // A colour request answered with no brush was not handled.
  if (reflected && msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC && result == 0) reflected = FALSE;
  return reflected;
}

LRESULT SHostDialog::HandleDialogKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, 0)) return result;
  if (wParam != VK_ESCAPE && wParam != VK_RETURN) return result;
  SWindow* control = FindDescendantById(wParam == VK_ESCAPE ? 2 : 1);
  if (!control) return result;
  // As if the control had been clicked.
  EventCmd e(control);
  control->RaiseEvent(&e);
  return result;
}

}  // namespace ORIEL
