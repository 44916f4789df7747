// A child's place in a linear layout: size, outer extends, weight and
// cross-axis alignment.
#pragma once

#include "layout/SLayoutParamDecl.h"

namespace ORIEL {

// Cross-axis alignments of the linear layout; -1 where none is given.
enum LinearGravity { kGravityNone = -1, kGravityLeft = 0, kGravityCenter = 1, kGravityRight = 2 };

struct SLinearLayoutParamStruct {
  SLayoutSize width{SLayoutSize::kWrapContent, SLayoutSize::px};
  SLayoutSize height{SLayoutSize::kWrapContent, SLayoutSize::px};
  // An outer margin: added when the child's space is reserved, taken off
  // when its rectangle is handed to it.
  SLayoutSize extend_left;
  SLayoutSize extend_right;
  SLayoutSize extend_top;
  SLayoutSize extend_bottom;
  float weight = 0.0f;
  int gravity = kGravityNone;
};

class SLinearLayoutParam : public SObjectImpl<TObjRefImpl<ILayoutParam>> {
  SOBJ_CLASS(SLinearLayoutParam, SObjectImpl<TObjRefImpl<ILayoutParam>>, L"LinearLayoutParam", kObjNone)
  ORIEL_LAYOUT_PARAM_DECL()
  static LPCWSTR BaseClassName() { return L""; }

  SLinearLayoutParamStruct data;
};

// "left"/"top" 0, "center" 1, "right"/"bottom" 2, exact case; -1 otherwise.
int ParseLinearGravity(const SStringW& value);

}  // namespace ORIEL
