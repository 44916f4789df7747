// "group": a titled frame of two rounded outlines; children sit below the
// header.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SGroup : public SWindow {
  SOBJ_CLASS(SGroup, SWindow, L"group", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  void GetLayoutArea(RECT* rc) override;
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;

 private:
  COLORREF line1_ = 0xFFF0F0F0;
  COLORREF line2_ = 0xFFA0A0A0;
  SLayoutSize round_{4.0f, SLayoutSize::dp};
  SLayoutSize header_{20.0f, SLayoutSize::dp};
};

}  // namespace ORIEL
