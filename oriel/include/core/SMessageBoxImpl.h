// The framework's message box: a modal host dialog drawn from a layout
// template installed once at start-up. Callers pass the usual text, caption
// and MB_* type and get the usual button ids back; without a template, or
// with one that lacks what the box needs, the plain MessageBoxW answers.
#pragma once

#include "core/SHostDialog.h"

namespace ORIEL {

// Takes a copy of an "ORIEL" element with a non-empty "minSize" as the
// template; anything else is refused and the old template stays.
BOOL InstallMessageBoxTemplate(pugi::xml_node element);
// Forgets the template (the application does so when it ends).
void ClearMessageBoxTemplate();
// The installed template's "ORIEL" element; empty when none is installed.
pugi::xml_node GetMessageBoxTemplate();

class SMessageBoxImpl : public SHostDialog {
  SOBJ_CLASS(SMessageBoxImpl, SHostDialog, L"msgbox", kObjWindow)

 public:
  explicit SMessageBoxImpl(LPCWSTR layoutName = nullptr) : SHostDialog(layoutName) {}

  // The pressed button's id; `scale` is the host scale in percent.
  int Show(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, int scale = 100);

  BOOL OnHostEvent(EventArgs* e) override;
  // False when the template has no "msgicon".
  virtual BOOL ApplyIcon(UINT type);
  // A button's own text; empty keeps the template's text for it.
  virtual SStringW CustomButtonText(int /*id*/) { return SStringW(); }

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 protected:
  // Fills the loaded template; false (logged) when a name the box needs
  // is missing.
  BOOL PrepareDialog();

 private:
  BOOL handled_ = FALSE;
  bool unusable_ = false;
};

// One box for one call, destroyed afterwards.
int ShowFrameworkMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, int scale = 100);

}  // namespace ORIEL
