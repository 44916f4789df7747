// "check": a box of eight frames (unchecked and checked, four states each)
// beside its text; a click or Space flips it.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SCheckBox : public SWindow {
  SOBJ_CLASS(SCheckBox, SWindow, L"check", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SCheckBox();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  UINT GetDlgCode() const override { return 8; }
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }
  RECT TextRectangle() const override;
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

  RECT BoxRect() const;
  // The box's frame for the current state: 0-3 unchecked, 4-7 checked.
  int FrameIndex() const;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  ISkinObj* skin_ = nullptr;
  ISkinObj* focusSkin_ = nullptr;
  SStringW skinName_{L"_skin.sys.checkbox"};
  SStringW focusSkinName_{L"_skin.sys.focuscheckbox"};
};

// The frame of a two-valued box by state: disabled, pushed, hover, normal;
// plus 4 when checked.
int CheckFrameIndex(DWORD state);

}  // namespace ORIEL
