#include "control/STileViewItemLocator.h"

#include <algorithm>

#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

STileViewItemLocator::STileViewItemLocator(int heightPx, int widthPx, int marginPx)
    : height_(static_cast<float>(heightPx), SLayoutSize::px),
      width_(static_cast<float>(widthPx), SLayoutSize::px),
      viewWidth_(0.f, SLayoutSize::px),
      margin_(static_cast<float>(marginPx), SLayoutSize::px) {}

STileViewItemLocator::STileViewItemLocator(const SStringW& height, const SStringW& width, const SLayoutSize& margin)
    : height_(SResProviderMgr::LookupNamedDimension(height)),
      width_(SResProviderMgr::LookupNamedDimension(width)),
      viewWidth_(0.f, SLayoutSize::px),
      margin_(margin) {}

STileViewItemLocator::STileViewItemLocator(const SLayoutSize& height, const SLayoutSize& width,
                                           const SLayoutSize& margin)
    : height_(height), width_(width), viewWidth_(0.f, SLayoutSize::px), margin_(margin) {}

void STileViewItemLocator::SetTileViewWidth(int widthPx) {
  viewWidth_ = SLayoutSize(static_cast<float>(widthPx), SLayoutSize::px);
  const int column = Margin() + Width();
  countInRow_ = column > 0 ? std::max(widthPx / column, 1) : 1;
}

void STileViewItemLocator::SetTileViewWidth(const SStringW& width) {
  SetTileViewWidth(SResProviderMgr::LookupNamedDimension(width).ToPixels(scale_));
}

RECT STileViewItemLocator::GetItemRect(int index) const {
  const int row = index / countInRow_;
  const int column = index - row * countInRow_;
  RECT rc;
  rc.left = (Width() + Margin()) * column + Margin();
  rc.top = (Height() + Margin()) * row + Margin();
  rc.right = rc.left + Width();
  rc.bottom = rc.top + Height();
  return rc;
}

int STileViewItemLocator::PositionToItem(int position) const {
  if (!adapter_) return -1;
  const int line = GetItemLineHeight();
  const int index = line > 0 ? position / line * countInRow_ : 0;
  return std::clamp(index, 0, Count());
}

int STileViewItemLocator::GetTotalHeight() const {
  const int count = Count();
  if (count == 0) return 0;
  return Margin() + ((count - 1) / countInRow_ + 1) * GetItemLineHeight();
}

int STileViewItemLocator::GetUpItem(int index) const {
  const int up = index - countInRow_;
  return up < 0 ? index : up;
}

int STileViewItemLocator::GetDownItem(int index) const {
  const int count = Count();
  const int down = index + countInRow_;
  if (down < count) return down;
  const int lastRow = (count - 1) / countInRow_;
  return index / countInRow_ == lastRow ? index : count - 1;
}

}  // namespace ORIEL
