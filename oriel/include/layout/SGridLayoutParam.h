// A child's place in a grid: spans, alignment in its cell box, size and
// the weights of its columns and rows.
#pragma once

#include "layout/SLayoutParamDecl.h"

namespace ORIEL {

struct SGridLayoutParamStruct {
  int iColumnSpan = 1;
  int iRowSpan = 1;
  int layoutGravityX = -1;  // -1: the layout's
  int layoutGravityY = -1;
  SLayoutSize width{SLayoutSize::kWrapContent, SLayoutSize::px};
  SLayoutSize height{SLayoutSize::kWrapContent, SLayoutSize::px};
  float fColumnWeight = 0.0f;
  float fRowWeight = 0.0f;
};

class SGridLayoutParam : public SObjectImpl<TObjRefImpl<ILayoutParam>> {
  SOBJ_CLASS(SGridLayoutParam, SObjectImpl<TObjRefImpl<ILayoutParam>>, L"GridLayoutParam", kObjNone)
  ORIEL_LAYOUT_PARAM_DECL()
  static LPCWSTR BaseClassName() { return L""; }

  SGridLayoutParamStruct data;
};

// Grid alignments: "left"/"top" 0, "center" 1, "right"/"bottom" 2, "fill"
// 3 (any case); -1 for any other word.
enum GridGravity { kGridNone = -1, kGridLeft = 0, kGridCenter = 1, kGridRight = 2, kGridFill = 3 };
int ParseGridGravity(const SStringW& value);

}  // namespace ORIEL
