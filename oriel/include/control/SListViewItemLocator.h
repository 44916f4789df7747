// Item locators: where each item of a list view lies. The fixed locator
// serves items of one height by arithmetic; the flexible one keeps the
// measured heights in a ten-way tree of height sums, so that a lookup or
// a height change walks one path of the tree and at most one segment of
// fifty items, never the whole list.
#pragma once

#include <memory>

#include "control/CSTree.h"
#include "control/SAdapterBase.h"
#include "core/SArray.h"
#include "core/SLayoutSize.h"

namespace ORIEL {

struct IListViewItemLocator : IObjRef {
  virtual void SetAdapter(ILvAdapter* adapter) = 0;
  virtual void OnDataChanged() = 0;
  virtual bool IsFixHeight() const = 0;
  virtual int GetHeightOf(int index) const = 0;
  virtual void SetHeightOf(int index, int height) = 0;
  virtual int TotalHeight() const = 0;
  virtual int PositionOf(int index) const = 0;
  virtual int ItemAt(int position) const = 0;
  virtual int GetLineSize() const = 0;
  virtual int GetDividerSize() const = 0;
  virtual void SetScale(int scale) = 0;
  virtual ~IListViewItemLocator() = default;
};

class SListViewItemLocatorFix : public TObjRefImpl<IListViewItemLocator> {
 public:
  SListViewItemLocatorFix(const SLayoutSize& itemHeight, const SLayoutSize& dividerSize)
      : height_(itemHeight), divider_(dividerSize) {}

  void SetAdapter(ILvAdapter* adapter) override { adapter_ = adapter; }
  void OnDataChanged() override {}
  bool IsFixHeight() const override { return true; }
  int GetHeightOf(int) const override { return height_.ToPixels(scale_); }
  void SetHeightOf(int, int) override {}
  int TotalHeight() const override;
  int PositionOf(int index) const override { return index * GetLineSize(); }
  int ItemAt(int position) const override;
  int GetLineSize() const override { return GetHeightOf(0) + GetDividerSize(); }
  int GetDividerSize() const override { return divider_.ToPixels(scale_); }
  void SetScale(int scale) override { scale_ = scale; }

 private:
  SLayoutSize height_;
  SLayoutSize divider_;
  int scale_ = 100;
  SRefPtr<ILvAdapter> adapter_;
};

// The data of one branch of the flexible locator's tree.
struct BranchInfo {
  int heightSum = 0;  // every item below, each with its divider
  int itemCount = 0;
};

class SListViewItemLocatorFlex : public TObjRefImpl<IListViewItemLocator> {
 public:
  static constexpr int kSegmentSize = 50;
  static constexpr int kFanOut = 10;

  SListViewItemLocatorFlex(const SLayoutSize& defaultHeight, const SLayoutSize& dividerSize)
      : defHeight_(defaultHeight), divider_(dividerSize) {}
  ~SListViewItemLocatorFlex() override;

  void SetAdapter(ILvAdapter* adapter) override;
  void OnDataChanged() override;
  bool IsFixHeight() const override { return false; }
  int GetHeightOf(int index) const override;
  void SetHeightOf(int index, int height) override;
  int TotalHeight() const override;
  int PositionOf(int index) const override;
  int ItemAt(int position) const override;
  int GetLineSize() const override { return DefaultLine(); }
  int GetDividerSize() const override { return divider_.ToPixels(scale_); }
  void SetScale(int scale) override;

  // For inspection: the tree's top branch and the segment count.
  const CSTree<BranchInfo>& Tree() const { return tree_; }
  int SegmentCount() const { return segments_.GetCount(); }
  // Bytes the tree and segments take, for the benchmark.
  size_t MemoryUse() const;

 private:
  struct Segment {
    HSTREEITEM branch = 0;
    int count = 0;
    std::unique_ptr<int[]> heights;  // height + divider, or -1 for the default
  };
  int DefaultLine() const { return defHeight_.ToPixels(scale_) + GetDividerSize(); }
  int StoredOrDefault(int value) const { return value == -1 ? DefaultLine() : value; }
  void Build(HSTREEITEM parent, int count, int span);
  void Clear();

  SLayoutSize defHeight_;
  SLayoutSize divider_;
  int scale_ = 100;
  CSTree<BranchInfo> tree_;
  SArray<Segment*> segments_;
  SRefPtr<ILvAdapter> adapter_;
  size_t branches_ = 0;
};

}  // namespace ORIEL
