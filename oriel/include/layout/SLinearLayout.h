// Stacks the children in one direction, handing spare room out by weight
// and aligning each across by its gravity. "hbox" and "vbox" fix the
// direction; "linearLayout" reads it from "orientation", horizontal unless
// told otherwise.
#pragma once

#include <vector>

#include "layout/ILayout.h"
#include "layout/SLinearLayoutParam.h"

namespace ORIEL {

class SLinearLayout : public SObjectImpl<TObjRefImpl<ILayout>> {
  SOBJ_CLASS(SLinearLayout, SObjectImpl<TObjRefImpl<ILayout>>, L"linearLayout", kObjLayout)
 public:
  static LPCWSTR BaseClassName() { return L"object"; }

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SObjectImpl<TObjRefImpl<ILayout>>::ApplyAttribute;

  BOOL IsParamAcceptable(const ILayoutParam* param) const override;
  void PlaceAll(IWindow* window) override;
  ILayoutParam* CreateLayoutParam() const override;
  SIZE MeasureAll(IWindow* window, int width, int height) override;

  ORIENTATION orientation = Horz;
  int gravity = kGravityNone;
  SLayoutSize interval;

 private:
  struct Child;
  std::vector<Child> Collect(IWindow* window) const;
  // Step one of both operations: each child's outer size, measured where
  // not given. `width`/`height` stand for a match-parent size.
  void Reserve(Child& c, int width, int height) const;
  // Hands `rest` out over the weighted children in order.
  void Distribute(std::vector<Child>& children, int rest, float weightSum, bool measuring) const;
};

class SHBox : public SLinearLayout {
  SOBJ_CLASS(SHBox, SLinearLayout, L"hbox", kObjLayout)
 public:
  static LPCWSTR BaseClassName() { return L"linearLayout"; }
  SHBox() { orientation = Horz; }
};

class SVBox : public SLinearLayout {
  SOBJ_CLASS(SVBox, SLinearLayout, L"vbox", kObjLayout)
 public:
  static LPCWSTR BaseClassName() { return L"linearLayout"; }
  SVBox() { orientation = Vert; }
};

}  // namespace ORIEL
