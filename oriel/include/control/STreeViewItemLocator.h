// The tree view's adapter and the geometry of its rows. Items are handles
// the adapter chooses; the adapter also keeps six integers per item that
// the locator reads and writes: height, width, branch height, branch
// width, one free slot and the offset from the top of the parent's branch.
// With those a row's position is a walk up its ancestors, and the row at a
// position a walk down from the root.
#pragma once

#include "control/CSTree.h"
#include "control/SAdapterBase.h"

namespace ORIEL {

constexpr HSTREEITEM ITEM_NULL = 0;
constexpr HSTREEITEM ITEM_ROOT = 0xFFFF0000;

struct ITvDataSetObserver : IObjRef {
  // The children of `item` changed.
  virtual void OnBranchChanged(HSTREEITEM item) = 0;
  virtual void OnBranchInvalidated(HSTREEITEM item) = 0;
  virtual void OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) = 0;
  virtual ~ITvDataSetObserver() = default;
};

// Codes of ExpandItem.
enum : UINT { TVC_COLLAPSE = 1, TVC_EXPAND = 2, TVC_TOGGLE = 3 };

struct ITvAdapter : IObjRef {
  // The layout values the locator keeps per item.
  enum : int { kHeight = 0, kWidth = 1, kBranchHeight = 2, kBranchWidth = 3, kFree = 4, kOffset = 5, kValueCount = 6 };

  virtual void RegisterObserver(ITvDataSetObserver* observer) = 0;
  virtual void UnregisterObserver(ITvDataSetObserver* observer) = 0;
  virtual int GetLayoutValue(HSTREEITEM item, int index) const = 0;
  virtual void SetLayoutValue(HSTREEITEM item, int index, int value) = 0;
  virtual HSTREEITEM GetParentItem(HSTREEITEM item) const = 0;
  virtual HSTREEITEM GetFirstChildItem(HSTREEITEM item) const = 0;
  virtual HSTREEITEM GetLastChildItem(HSTREEITEM item) const = 0;
  virtual HSTREEITEM GetPrevSiblingItem(HSTREEITEM item) const = 0;
  virtual HSTREEITEM GetNextSiblingItem(HSTREEITEM item) const = 0;
  virtual BOOL HasChildren(HSTREEITEM item) const = 0;
  // Every ancestor expanded.
  virtual BOOL IsItemVisible(HSTREEITEM item) const = 0;
  virtual HSTREEITEM GetFirstVisibleItem() const = 0;
  // Kept for adapters; the view never asks it.
  virtual HSTREEITEM GetLastVisibleItem() const = 0;
  virtual HSTREEITEM GetPrevVisibleItem(HSTREEITEM item) const = 0;
  virtual HSTREEITEM GetNextVisibleItem(HSTREEITEM item) const = 0;
  virtual void ExpandItem(HSTREEITEM item, UINT code) = 0;
  // The root answers true.
  virtual BOOL IsItemExpanded(HSTREEITEM item) const = 0;
  // Kept for adapters; the view never asks it.
  virtual void SetItemExpanded(HSTREEITEM item, BOOL expanded) = 0;
  virtual void BindItemView(HSTREEITEM item, SWindow* panel, pugi::xml_node xmlTemplate) = 0;
  virtual int GetItemViewType(HSTREEITEM item) = 0;
  virtual int GetViewTypeCount() = 0;
  virtual SIZE GetItemDesiredSize(HSTREEITEM item, SWindow* panel, const RECT* container) = 0;
  // Rows always as wide as the view: no horizontal scrolling.
  virtual BOOL IsWidthMatchParent() const = 0;
  virtual void InitFromTemplate(pugi::xml_node xmlTemplate) = 0;
  virtual ~ITvAdapter() = default;
};

struct ITreeViewItemLocator : IObjRef {
  virtual void SetAdapter(ITvAdapter* adapter) = 0;
  virtual void OnBranchChanged(HSTREEITEM item) = 0;
  virtual void OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) = 0;
  virtual int GetTotalHeight() const = 0;
  virtual int GetTotalWidth() const = 0;
  // -1 when a collapsed ancestor hides the item.
  virtual int ItemToPosition(HSTREEITEM item) const = 0;
  // 0 past the last row.
  virtual HSTREEITEM PositionToItem(int y) const = 0;
  virtual int GetScrollLineSize() const = 0;
  virtual void SetItemWidth(HSTREEITEM item, int width) = 0;
  virtual int GetItemWidth(HSTREEITEM item) const = 0;
  virtual void SetItemHeight(HSTREEITEM item, int height) = 0;
  virtual int GetItemHeight(HSTREEITEM item) const = 0;
  virtual int GetItemIndent(HSTREEITEM item) const = 0;
  virtual ~ITreeViewItemLocator() = default;
};

// Branch heights hold the rows a branch shows: a change below a collapsed
// item changes that item's branch and no total above it, so every total,
// scroll range and row position stays true.
class STreeViewItemLocator : public TObjRefImpl<ITreeViewItemLocator> {
 public:
  explicit STreeViewItemLocator(int indent = 10, int lineSize = 50, int defWidth = 10, int defHeight = 50)
      : indent_(indent), lineSize_(lineSize), defWidth_(defWidth), defHeight_(defHeight) {}

  void SetAdapter(ITvAdapter* adapter) override;
  void OnBranchChanged(HSTREEITEM item) override;
  void OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) override;
  int GetTotalHeight() const override;
  int GetTotalWidth() const override;
  int ItemToPosition(HSTREEITEM item) const override;
  HSTREEITEM PositionToItem(int y) const override;
  int GetScrollLineSize() const override { return lineSize_; }
  void SetItemWidth(HSTREEITEM item, int width) override;
  int GetItemWidth(HSTREEITEM item) const override;
  void SetItemHeight(HSTREEITEM item, int height) override;
  int GetItemHeight(HSTREEITEM item) const override;
  int GetItemIndent(HSTREEITEM item) const override;
  int GetIndent() const { return indent_; }

 private:
  int Value(HSTREEITEM item, int index) const { return adapter_->GetLayoutValue(item, index); }
  void Store(HSTREEITEM item, int index, int value) { adapter_->SetLayoutValue(item, index, value); }
  bool Expanded(HSTREEITEM item) const { return item == ITEM_ROOT || adapter_->IsItemExpanded(item); }
  // The item's row plus, when expanded, the rows of its branch.
  int FullHeight(HSTREEITEM item) const;
  // How far right the item's row and its shown branch reach, from its left.
  int ReachWidth(HSTREEITEM item) const;
  void BuildBranch(HSTREEITEM item);
  // Adds `delta` to the branch heights above `item`, up to and including
  // the first collapsed ancestor.
  void AddToAncestors(HSTREEITEM item, int delta);
  void RenewOffsets(HSTREEITEM item);
  void RenewWidths(HSTREEITEM item);

  SRefPtr<ITvAdapter> adapter_;
  int indent_;
  int lineSize_;
  int defWidth_;
  int defHeight_;
};

}  // namespace ORIEL
