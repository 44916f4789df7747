// A rectangle, oval or ring with fill, gradient and stroke, described by
// child elements ("solid", "size", "corners", "stroke", "gradient", "ring").
#pragma once

#include "core/SLayoutSize.h"
#include "res.mgr/SSkinObjBase.h"

namespace ORIEL {

using SShapeRecordImpl = SObjectImpl<TObjRefImpl<IObject>>;

class SSkinShape : public SSkinObjBase {
  SOBJ_CLASS(SSkinShape, SSkinObjBase, L"shape", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  enum Kind { kRectangle = 0, kOval = 1, kRing = 2 };

  class SShapeSize : public SShapeRecordImpl {
    SOBJ_CLASS(SShapeSize, SShapeRecordImpl, L"size", kObjNone)
   public:
    HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
    using SShapeRecordImpl::ApplyAttribute;
    SLayoutSize width, height;
  };
  class SCornerSize : public SShapeRecordImpl {
    SOBJ_CLASS(SCornerSize, SShapeRecordImpl, L"corners", kObjNone)
   public:
    HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
    using SShapeRecordImpl::ApplyAttribute;
    SLayoutSize radiusX, radiusY;
  };
  class SStroke : public SShapeRecordImpl {
    SOBJ_CLASS(SStroke, SShapeRecordImpl, L"stroke", kObjNone)
   public:
    HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
    using SShapeRecordImpl::ApplyAttribute;
    SLayoutSize width;
    COLORREF color = kRenderNoColor;
    int style = 0;
  };
  class SGradient : public SShapeRecordImpl {
    SOBJ_CLASS(SGradient, SShapeRecordImpl, L"gradient", kObjNone)
   public:
    HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
    using SShapeRecordImpl::ApplyAttribute;
    int type = 0;
    float angle = 0.0f, centerX = 0.5f, centerY = 0.5f;
    // Left out, a colour stays unset; the plug-in then uses its neighbour.
    COLORREF start = kRenderNoColor, center = kRenderNoColor, end = kRenderNoColor;
    SLayoutSize radius;
  };
  class SShapeRing : public SShapeRecordImpl {
    SOBJ_CLASS(SShapeRing, SShapeRecordImpl, L"ring", kObjNone)
   public:
    HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
    using SShapeRecordImpl::ApplyAttribute;
    float startAngle = 0.0f, sweepAngle = 360.0f;
  };

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjBase::ApplyAttribute;
  void OnXmlLoaded(pugi::xml_node element) override;
  SIZE NaturalSize() const override;

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
  void CopyToScaled(ISkinObj* copy, int scale) override;

 private:
  int kind_ = kRectangle;
  COLORREF fill_ = kRenderNoColor;
  SRefPtr<SShapeSize> size_;
  SRefPtr<SCornerSize> corners_;
  SRefPtr<SStroke> stroke_;
  SRefPtr<SGradient> gradient_;
  SRefPtr<SShapeRing> ring_;
};

// A state-by-state combination of other skins, looked up by name when the
// attribute is read.
class SSKinGroup : public SSkinObjBase {
  SOBJ_CLASS(SSKinGroup, SSkinObjBase, L"group", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjBase::ApplyAttribute;
  SIZE NaturalSize() const override;
  BOOL IgnoreState() const override { return FALSE; }
  int StateCount() const override { return 4; }

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
  void CopyToScaled(ISkinObj* copy, int scale) override;

 private:
  SRefPtr<ISkinObj> states_[4];
};

}  // namespace ORIEL
