// "hr": one line across the window: along its top, down its left side, or
// corner to corner, in a pen style, width and colour.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SLine : public SWindow {
  SOBJ_CLASS(SLine, SWindow, L"hr", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  enum Mode { kHorizontal = 0, kVertical = 1, kTilt = 2 };

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  int GetLineStyle() const { return style_; }
  int GetMode() const { return mode_; }
  COLORREF GetLineColor() const { return color_; }

 protected:
  void OnPaint(IRenderTarget* rt) override;

 private:
  BYTE style_ = 0;  // PS_SOLID
  int width_ = 1;
  COLORREF color_ = 0xFF000000;
  BYTE mode_ = kHorizontal;
};

}  // namespace ORIEL
