// The anchor layout every window starts with: each child's four edges are
// given relative to the layout area, to its neighbours or to a sibling by
// id, and all children's edges are solved together until nothing more
// resolves, so a child may refer to siblings that come after it.
#pragma once

#include "layout/ILayout.h"

namespace ORIEL {

class OrielLayout : public SObjectImpl<TObjRefImpl<ILayout>> {
  SOBJ_CLASS(OrielLayout, SObjectImpl<TObjRefImpl<ILayout>>, L"OrielLayout", kObjLayout)
 public:
  static LPCWSTR BaseClassName() { return L"object"; }

  BOOL IsParamAcceptable(const ILayoutParam* param) const override;
  void PlaceAll(IWindow* window) override;
  ILayoutParam* CreateLayoutParam() const override;
  SIZE MeasureAll(IWindow* window, int width, int height) override;

  // Edges not known: not computed yet, and waiting for what they refer to.
  static constexpr int kNotComputed = 0x11000000;
  static constexpr int kWaiting = 0x12000000;
  static bool IsResolved(int edge) { return edge != kNotComputed && edge != kWaiting; }
};

}  // namespace ORIEL
