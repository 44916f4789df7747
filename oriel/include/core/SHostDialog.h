// A host window run modally: it disables its owner, runs its own message
// loop until EndDialog, and returns the end code. Enter and Esc click the
// controls with ids 1 and 2, whose commands end the dialog.
#pragma once

#include "core/SHostWnd.h"

namespace ORIEL {

class SHostDialog : public SHostWnd {
  SOBJ_CLASS(SHostDialog, SHostWnd, L"hostdlg", kObjWindow)

 public:
  // The end code while the dialog runs, and after a WM_QUIT ended it.
  static constexpr INT_PTR kNotEnded = static_cast<INT_PTR>(0xCCCCCCCC);

  explicit SHostDialog(LPCWSTR layoutName = nullptr);
  ~SHostDialog() override;

  virtual INT_PTR DoModal(HWND owner = nullptr);
  // False when the dialog has already ended (the first code wins).
  virtual BOOL EndDialog(INT_PTR code);
  void OnCancel() { EndDialog(2); }
  BOOL OnHostEvent(EventArgs* e) override;
  SMessageLoop* GetMessageLoop() override { return loop_; }

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 protected:
  // Esc and Enter the focused window left alone click ids 2 and 1.
  LRESULT HandleDialogKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  BOOL ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  BOOL dlgHandled_ = FALSE;
  INT_PTR endCode_ = kNotEnded;
  SMessageLoop* loop_ = nullptr;
};

}  // namespace ORIEL
