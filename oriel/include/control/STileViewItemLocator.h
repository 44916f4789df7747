// Where the tiles of a tile view lie: equal tiles in rows that wrap at the
// view's width, a margin around each. Sizes are layout sizes, turned into
// pixels at the locator's scale whenever they are used.
#pragma once

#include "control/SAdapterBase.h"
#include "core/SLayoutSize.h"

namespace ORIEL {

class STileViewItemLocator : public TObjRefImpl<IObjRef> {
 public:
  STileViewItemLocator(int heightPx, int widthPx, int marginPx);
  STileViewItemLocator(const SStringW& height, const SStringW& width, const SLayoutSize& margin);
  STileViewItemLocator(const SLayoutSize& height, const SLayoutSize& width, const SLayoutSize& margin);

  void SetAdapter(ILvAdapter* adapter) { adapter_ = adapter; }
  void SetScale(int scale) { scale_ = scale; }
  int GetScale() const { return scale_; }
  // The view's width decides how many tiles fit in a row, at least one.
  void SetTileViewWidth(int widthPx);
  void SetTileViewWidth(const SStringW& width);
  int GetCountInRow() const { return countInRow_; }
  // A row of tiles with the margin under it; also the scroll line size.
  int GetItemLineHeight() const { return Height() + Margin(); }
  int GetMarginSize() const { return Margin(); }
  int GetTileWidth() const { return Width(); }
  int GetTileHeight() const { return Height(); }
  // The tile's rectangle in the whole grid (before scrolling).
  RECT GetItemRect(int index) const;
  int ItemToPosition(int index) const { return GetItemLineHeight() * (index / countInRow_); }
  int PositionToItem(int position) const;
  int GetTotalHeight() const;
  int GetUpItem(int index) const;
  int GetDownItem(int index) const;
  bool IsLastInRow(int index) const { return index % countInRow_ == countInRow_ - 1; }
  void OnDataSetChanged() {}

 private:
  int Height() const { return height_.ToPixels(scale_); }
  int Width() const { return width_.ToPixels(scale_); }
  int Margin() const { return margin_.ToPixels(scale_); }
  int Count() const { return adapter_ ? adapter_->GetCount() : 0; }

  int scale_ = 100;
  SLayoutSize height_;
  SLayoutSize width_;
  SLayoutSize viewWidth_;
  SLayoutSize margin_;
  int countInRow_ = 1;
  SRefPtr<ILvAdapter> adapter_;
};

}  // namespace ORIEL
