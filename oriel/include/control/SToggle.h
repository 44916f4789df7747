// "toggle": an expander of two looks (frames 0-2 closed, 3-5 open by
// state) that flips on a click.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SToggle : public SWindow {
  SOBJ_CLASS(SToggle, SWindow, L"toggle", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SToggle();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

  BOOL GetToggle() const { return toggled_; }
  void SetToggle(BOOL toggled) {
    toggled_ = toggled;
    Invalidate();
  }
  int FrameIndex() const;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  BOOL toggled_ = 0;
  ISkinObj* skin_ = nullptr;
  SStringW skinName_{L"_skin.sys.tree.toggle"};
};

}  // namespace ORIEL
