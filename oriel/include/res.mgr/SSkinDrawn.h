// Skins drawn from colours: SSkinButton (a gradient face with a border),
// SSkinColorRect (a colour per state with an optional border) and
// SSkinGradation (a two-colour gradient). States: 0 normal, 1 hover,
// 2 pushed, 3 disabled. None makes scaled copies.
#pragma once

#include "res.mgr/SSkinObjBase.h"

namespace ORIEL {

class SSkinButton : public SSkinObjBase {
  SOBJ_CLASS(SSkinButton, SSkinObjBase, L"button", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  SSkinButton();
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjBase::ApplyAttribute;
  BOOL IgnoreState() const override { return FALSE; }
  int StateCount() const override { return 4; }
  ISkinObj* Scale(int) override { return nullptr; }
  void ApplyColorize(COLORREF color) override;

  enum { kBorder = 0, kUp = 4, kDown = 8 };  // rows of four state colours
  COLORREF Color(int row, int state) const { return colors_[row + state]; }
  // The radius for a rectangle (cornerPercent of its smaller side, if set).
  int RadiusFor(const RECT& rc) const;

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;

 private:
  COLORREF colors_[12];
  COLORREF backup_[12];
  bool hasBackup_ = false;
  int cornerRadius_ = 2;
  float cornerPercent_ = 0.0f;
};

class SSkinColorRect : public SSkinObjBase {
  SOBJ_CLASS(SSkinColorRect, SSkinObjBase, L"colorrect", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjBase::ApplyAttribute;
  int StateCount() const override;
  BOOL IgnoreState() const override { return StateCount() < 2; }
  ISkinObj* Scale(int) override { return nullptr; }

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;

 private:
  int cornerRadius_ = 0;
  float cornerPercent_ = 0.0f;
  COLORREF fill_[4] = {0xFFFFFFFF, kRenderNoColor, kRenderNoColor, kRenderNoColor};
  COLORREF border_[4] = {kRenderNoColor, kRenderNoColor, kRenderNoColor, kRenderNoColor};
  int borderWidth_ = 0;
};

class SSkinGradation : public SSkinObjBase {
  SOBJ_CLASS(SSkinGradation, SSkinObjBase, L"gradation", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjBase::ApplyAttribute;
  ISkinObj* Scale(int) override { return nullptr; }
  void ApplyColorize(COLORREF color) override;

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;

 private:
  COLORREF from_ = kRenderNoColor, to_ = kRenderNoColor;
  COLORREF backup_[2] = {kRenderNoColor, kRenderNoColor};
  bool hasBackup_ = false;
  bool vertical_ = true;
};

// Outlines with a solid pen of `width` in `color` (no alpha applied).
void DrawOutline(IRenderTarget* rt, const RECT& rc, int radius, COLORREF color, int width);

}  // namespace ORIEL
