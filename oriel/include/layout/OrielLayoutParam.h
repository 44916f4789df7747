// A child's place in an anchor layout: up to four edge references ("pos"),
// an offset as a fraction of its own size, and a width and height.
#pragma once

#include "layout/SLayoutParamDecl.h"

namespace ORIEL {

enum PosKind {
  PosAbsolute,     // no prefix: from the near edge, or with "-" from the far edge
  PosCenter,       // "|": from the centre
  PosPercent,      // "%": a percentage of the extent
  PosPrevFar,      // "[": the previous child's right or bottom edge
  PosNextNear,     // "]": the next child's left or top edge
  PosPrevNear,     // "{": the previous child's left or top edge
  PosNextFar,      // "}": the next child's right or bottom edge
  PosSize,         // "@": no position, the size (third and fourth items)
  PosSiblingNear,  // "sib.left@" / "sib.top@": a sibling's near edge, by id
  PosSiblingFar,   // "sib.right@" / "sib.bottom@": a sibling's far edge
};

struct OrielPosItem {
  int pit = PosAbsolute;
  int nRefID = -1;     // the sibling's id; -1 when none is named
  signed char cMinus = 1;  // +1 or -1
  SLayoutSize nPos;    // unconverted; converted at the child's scale per run
};

struct OrielLayoutParamStruct {
  int nCount = 0;  // position items given: 0, 2 or 4
  OrielPosItem posLeft, posRight, posTop, posBottom;
  float fOffsetX = 0.0f;
  float fOffsetY = 0.0f;
  SLayoutSize width{SLayoutSize::kWrapContent, SLayoutSize::px};
  SLayoutSize height{SLayoutSize::kWrapContent, SLayoutSize::px};
};

class OrielLayoutParam : public SObjectImpl<TObjRefImpl<ILayoutParam>> {
  SOBJ_CLASS(OrielLayoutParam, SObjectImpl<TObjRefImpl<ILayoutParam>>, L"OrielLayoutParam", kObjNone)
  ORIEL_LAYOUT_PARAM_DECL()
  static LPCWSTR BaseClassName() { return L""; }

  // One "pos" item; false when it is not valid.
  static bool ParsePosItem(const SStringW& text, OrielPosItem& item);

  OrielLayoutParamStruct data;

 private:
  HRESULT ApplyPos(const SStringW& value);
  // Width from items 1 and 3 (or height from 2 and 4) of four.
  static SLayoutSize SizeFromItems(const OrielPosItem& nearItem, const OrielPosItem& farItem);
};

}  // namespace ORIEL
