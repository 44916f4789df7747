#include "res.mgr/SSkinScrollbar.h"

#include "res.mgr/SkinBitmaps.h"

namespace ORIEL {

HRESULT SSkinScrollbar::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"margin"))
    margin_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"hasGripper"))
    hasGripper_ = ParseAttrInt(value) != 0;
  else if (AttrNameIs(name, L"hasInactive"))
    hasInactive_ = ParseAttrInt(value) != 0;
  else
    return SSkinImgList::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_FALSE);
}

int SSkinScrollbar::GetIdealSize() const { return image_ ? static_cast<int>(image_->Width()) / 9 : 0; }

RECT SSkinScrollbar::PartRectangle(int part, int state, bool vertical) const {
  const int b = NaturalSize().cx / 9;
  int col, row;
  if (part == kSbCorner) {
    col = 8;
    row = 0;
  } else if (part == kSbGripper) {
    col = 8;
    row = vertical ? 1 : 2;
  } else {
    if (state == 4 && !hasInactive_) state = 0;
    switch (part) {
      case kSbLineUp: col = 0; break;
      case kSbLineDown: col = 1; break;
      case kSbThumb: col = 2; break;
      default: col = 3; break;  // the rail: page up and page down
    }
    if (!vertical) col += 4;
    row = state;
  }
  return RECT{col * b, row * b, (col + 1) * b, (row + 1) * b};
}

void SSkinScrollbar::DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) {
  if (!image_) return;
  const int part = index & 0xFFFF;
  const int state = (index >> 16) & 0xFF;
  const bool vertical = ((index >> 24) & 0xFF) != 0;
  const UINT mode = tile_ ? EM_TILE : EM_STRETCH;
  const RECT margins = vertical ? RECT{0, margin_, 0, margin_} : RECT{margin_, 0, margin_, 0};
  RECT src = PartRectangle(part, state, vertical);
  rt->DrawBitmap9Patch(&rc, image_, &src, &margins, mode, alpha);
  if (part != kSbThumb || !hasGripper_) return;
  src = PartRectangle(kSbGripper, state, vertical);
  RECT grip = rc;
  if (vertical) {
    const int len = src.bottom - src.top;
    grip.top = rc.top + (rc.bottom - rc.top - len) / 2;
    grip.bottom = grip.top + len;
  } else {
    const int len = src.right - src.left;
    grip.left = rc.left + (rc.right - rc.left - len) / 2;
    grip.right = grip.left + len;
  }
  const RECT none{0, 0, 0, 0};
  rt->DrawBitmap9Patch(&grip, image_, &src, &none, mode, alpha);
}

void SSkinScrollbar::CopyToScaled(ISkinObj* copyObj, int scale) {
  SSkinImgList::CopyToScaled(copyObj, scale);
  if (auto* copy = dynamic_cast<SSkinScrollbar*>(copyObj)) {
    copy->margin_ = MulDivRound(margin_, scale, 100);
    copy->hasGripper_ = hasGripper_;
    copy->hasInactive_ = hasInactive_;
  }
}

}  // namespace ORIEL
