// "caption": the title area that moves its host window when dragged and
// maximises or restores it on a double click.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SCaption : public SWindow {
  SOBJ_CLASS(SCaption, SWindow, L"caption", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  HWND Host() const;

  BOOL dragPending_ = FALSE;
};

}  // namespace ORIEL
