// The parts of a scroll bar from one grid image of square cells: nine
// columns (vertical parts 0-3, horizontal 4-7, extras 8) and one row per
// state (normal, hover, pushed, disabled, inactive).
#pragma once

#include "res.mgr/SSkinImgList.h"

namespace ORIEL {

enum {
  kSbLineUp = 0, kSbLineDown = 1, kSbPageUp = 2, kSbPageDown = 3, kSbThumb = 5,
  kSbCorner = 10, kSbGripper = 11,
};
// The drawing index: part in bits 0-15, state 16-23, vertical 24-31.
inline int MakeScrollbarIndex(int part, int state, bool vertical) {
  return (part & 0xFFFF) | ((state & 0xFF) << 16) | ((vertical ? 1 : 0) << 24);
}

class SSkinScrollbar : public SSkinImgList {
  SOBJ_CLASS(SSkinScrollbar, SSkinImgList, L"scrollbar", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"imglist"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinImgList::ApplyAttribute;
  bool HasIdealSize() const { return true; }
  // The image width / 9: a bar's thickness and arrow length.
  int GetIdealSize() const;
  RECT PartRectangle(int part, int state, bool vertical) const;

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
  void CopyToScaled(ISkinObj* copy, int scale) override;
  int margin_ = 0;
  bool hasGripper_ = false;
  bool hasInactive_ = false;
};

}  // namespace ORIEL
