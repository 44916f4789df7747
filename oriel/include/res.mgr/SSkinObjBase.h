// The common base of every skin: alpha, colourise state, scale and name,
// the attributes "alpha", "enableColorize", "scale" and "name", and scaled
// copies made through the application by class name.
#pragma once

#include "res.mgr/ISkinObj.h"

namespace ORIEL {

using SSkinObjImpl = SObjectImpl<TObjRefImpl<ISkinObj>>;

class SSkinObjBase : public SSkinObjImpl {
  SOBJ_CLASS(SSkinObjBase, SSkinObjImpl, L"skinObjBase", kObjSkin)
 public:
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjImpl::ApplyAttribute;
  SStringW GetName() const override { return name_; }

  void DrawByIndex(IRenderTarget* rt, const RECT* rc, int index) override {
    DrawByIndexAlpha(rt, rc, index, alpha_);
  }
  void DrawByIndexAlpha(IRenderTarget* rt, const RECT* rc, int index, BYTE alpha) override {
    if (rt && rc) DrawCell(rt, *rc, index, alpha);
  }
  SIZE NaturalSize() const override { return SIZE{0, 0}; }
  BOOL IgnoreState() const override { return TRUE; }
  int StateCount() const override { return 1; }
  BYTE GetAlpha() const override { return alpha_; }
  void SetAlpha(BYTE alpha) override { alpha_ = alpha; }
  void ApplyColorize(COLORREF) override {}
  int GetScale() const override { return scale_; }
  ISkinObj* Scale(int scale) override;

  void SetName(const SStringW& name) { name_ = name; }

 protected:
  // Copies this skin's settings into a copy made for `scale`.
  virtual void CopyToScaled(ISkinObj* copy, int scale);
  virtual void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) = 0;

  BYTE alpha_ = 255;
  COLORREF colorize_ = 0;
  bool enableColorize_ = true;
  int scale_ = 100;
  SStringW name_;
};

// Colour attributes of skins: "@color/" references or literals; an empty
// value is refused.
HRESULT ReadSkinColor(const SStringW& value, COLORREF& out);
// The colour with the alpha argument applied: its alpha × a / 256 unless a
// is 255.
COLORREF AlphaWeighted(COLORREF color, BYTE alpha);

}  // namespace ORIEL
