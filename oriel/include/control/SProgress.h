// "progress": a bar over a background, horizontal (growing right) or
// vertical (growing down), with an optional percentage.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SProgress : public SWindow {
  SOBJ_CLASS(SProgress, SWindow, L"progress", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SProgress();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // The value is kept inside the range.
  BOOL SetValue(int value);
  int GetValue() const { return value_; }
  void SetRange(int minimum, int maximum);
  void GetRange(int* minimum, int* maximum) const;
  // The part of the client area the bar covers; empty with no progress.
  RECT BarRect() const;
  // The text of showPercent: "0%" for an empty range.
  SStringW PercentText() const;

  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

 protected:
  int OnCreate() override;
  void OnPaint(IRenderTarget* rt) override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  ISkinObj* SkinNamed(const SStringW& name) const;

  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  int showPercent_ = 0;
  int vertical_ = 0;
  ISkinObj* bkgndSkin_ = nullptr;
  ISkinObj* posSkin_ = nullptr;
  SStringW bkgndName_, posName_;
};

}  // namespace ORIEL
