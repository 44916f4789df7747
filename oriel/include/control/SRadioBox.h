// "radio": a box in a group made of the radio boxes under one parent;
// checking one unchecks the others, and taking the focus by key checks it.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class SRadioBox : public SWindow {
  SOBJ_CLASS(SRadioBox, SWindow, L"radio", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SRadioBox();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  UINT GetDlgCode() const override { return 0; }
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }
  BOOL IsGroupMember() const override { return TRUE; }
  SWindow* GetGroupSelection() override;
  RECT TextRectangle() const override;
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

  RECT BoxRect() const;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  // Unchecks the checked sibling quietly: only the box being checked
  // reports a change.
  void UncheckGroup();
  void Check();

  ISkinObj* skin_ = nullptr;
  ISkinObj* focusSkin_ = nullptr;
  SStringW skinName_{L"_skin.sys.radio"};
  SStringW focusSkinName_{L"_skin.sys.focusradio"};
  WORD align_ = 0;       // left 0, center 0x100, right 0x200
  WORD valign_ = 0x1000; // top 0, middle 0x1000, bottom 0x2000
};

}  // namespace ORIEL
