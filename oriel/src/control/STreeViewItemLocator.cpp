#include "control/STreeViewItemLocator.h"

#include <algorithm>
#include <vector>

namespace ORIEL {

void STreeViewItemLocator::SetAdapter(ITvAdapter* adapter) {
  adapter_ = adapter;
  if (adapter_) BuildBranch(ITEM_ROOT);
}

int STreeViewItemLocator::FullHeight(HSTREEITEM item) const {
  return Value(item, ITvAdapter::kHeight) + (Expanded(item) ? Value(item, ITvAdapter::kBranchHeight) : 0);
}

int STreeViewItemLocator::ReachWidth(HSTREEITEM item) const {
  const int own = Value(item, ITvAdapter::kWidth);
  if (!Expanded(item) || !adapter_->HasChildren(item)) return own;
  return std::max(own, Value(item, ITvAdapter::kBranchWidth) + (item == ITEM_ROOT ? 0 : indent_));
}

// Walks the branch with an explicit stack: a deep tree must not exhaust
// the call stack.
void STreeViewItemLocator::BuildBranch(HSTREEITEM top) {
  struct Frame {
    HSTREEITEM item;
    HSTREEITEM child;  // the next child to place, 0 once all are placed
    int sum;
    int width;
  };
  auto start = [&](HSTREEITEM item) {
    const bool root = item == ITEM_ROOT;
    Store(item, ITvAdapter::kHeight, root ? 0 : defHeight_);
    Store(item, ITvAdapter::kWidth, root ? 0 : defWidth_);
    return Frame{item, adapter_->GetFirstChildItem(item), 0, 0};
  };
  std::vector<Frame> stack{start(top)};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.child) {
      Store(f.child, ITvAdapter::kOffset, f.sum);
      stack.push_back(start(f.child));
      continue;
    }
    Store(f.item, ITvAdapter::kBranchHeight, f.sum);
    Store(f.item, ITvAdapter::kBranchWidth, f.width);
    const HSTREEITEM done = f.item;
    stack.pop_back();
    if (stack.empty()) break;
    Frame& parent = stack.back();
    parent.sum += FullHeight(done);
    parent.width = std::max(parent.width, ReachWidth(done));
    parent.child = adapter_->GetNextSiblingItem(done);
  }
}

void STreeViewItemLocator::AddToAncestors(HSTREEITEM item, int delta) {
  if (delta == 0) return;
  for (HSTREEITEM p = adapter_->GetParentItem(item); p; p = adapter_->GetParentItem(p)) {
    Store(p, ITvAdapter::kBranchHeight, Value(p, ITvAdapter::kBranchHeight) + delta);
    if (p == ITEM_ROOT || !Expanded(p)) break;
  }
}

// The siblings after the item follow its new height; a parent whose shown
// height changed moves its own following siblings, up to the root or the
// first collapsed ancestor.
void STreeViewItemLocator::RenewOffsets(HSTREEITEM item) {
  for (HSTREEITEM at = item; at && at != ITEM_ROOT;) {
    int y = Value(at, ITvAdapter::kOffset) + FullHeight(at);
    for (HSTREEITEM s = adapter_->GetNextSiblingItem(at); s; s = adapter_->GetNextSiblingItem(s)) {
      Store(s, ITvAdapter::kOffset, y);
      y += FullHeight(s);
    }
    const HSTREEITEM parent = adapter_->GetParentItem(at);
    if (!parent || parent == ITEM_ROOT || !Expanded(parent)) break;
    at = parent;
  }
}

// Each ancestor's branch width is the widest reach among its children;
// above a collapsed ancestor nothing shows the change.
void STreeViewItemLocator::RenewWidths(HSTREEITEM item) {
  for (HSTREEITEM p = adapter_->GetParentItem(item); p; p = adapter_->GetParentItem(p)) {
    int widest = 0;
    for (HSTREEITEM c = adapter_->GetFirstChildItem(p); c; c = adapter_->GetNextSiblingItem(c))
      widest = std::max(widest, ReachWidth(c));
    if (widest == Value(p, ITvAdapter::kBranchWidth)) break;
    Store(p, ITvAdapter::kBranchWidth, widest);
    if (p == ITEM_ROOT || !Expanded(p)) break;
  }
}

void STreeViewItemLocator::OnBranchChanged(HSTREEITEM item) {
  if (!adapter_ || !item) return;
  const int before = FullHeight(item);
  BuildBranch(item);
  if (item == ITEM_ROOT) return;
  AddToAncestors(item, FullHeight(item) - before);
  RenewOffsets(item);
  RenewWidths(item);
}

void STreeViewItemLocator::OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) {
  if (!adapter_ || !item || item == ITEM_ROOT || !wasExpanded == !isExpanded) return;
  const int branch = Value(item, ITvAdapter::kBranchHeight);
  AddToAncestors(item, isExpanded ? branch : -branch);
  RenewOffsets(item);
  RenewWidths(item);
}

int STreeViewItemLocator::GetTotalHeight() const { return adapter_ ? Value(ITEM_ROOT, ITvAdapter::kBranchHeight) : 0; }
int STreeViewItemLocator::GetTotalWidth() const { return adapter_ ? Value(ITEM_ROOT, ITvAdapter::kBranchWidth) : 0; }

int STreeViewItemLocator::ItemToPosition(HSTREEITEM item) const {
  if (!adapter_ || !item || item == ITEM_ROOT || !adapter_->IsItemVisible(item)) return -1;
  int y = 0;
  for (HSTREEITEM at = item; at && at != ITEM_ROOT;) {
    y += Value(at, ITvAdapter::kOffset);
    const HSTREEITEM parent = adapter_->GetParentItem(at);
    if (parent && parent != ITEM_ROOT) y += Value(parent, ITvAdapter::kHeight);
    at = parent;
  }
  return y;
}

// Down from the root: in each branch the child that covers y is searched
// from the nearer end.
HSTREEITEM STreeViewItemLocator::PositionToItem(int y) const {
  if (!adapter_) return ITEM_NULL;
  HSTREEITEM item = ITEM_ROOT;
  int top = 0;
  while (y >= top) {
    if (y >= top + FullHeight(item)) return ITEM_NULL;
    top += item == ITEM_ROOT ? 0 : Value(item, ITvAdapter::kHeight);
    if (y < top) return item;
    const int branch = Value(item, ITvAdapter::kBranchHeight);
    HSTREEITEM child = ITEM_NULL;
    if (y - top < branch / 2) {
      for (child = adapter_->GetFirstChildItem(item); child; child = adapter_->GetNextSiblingItem(child)) {
        const int h = FullHeight(child);
        if (y < top + h) break;
        top += h;
      }
    } else {
      int bottom = top + branch;
      for (child = adapter_->GetLastChildItem(item); child; child = adapter_->GetPrevSiblingItem(child)) {
        bottom -= FullHeight(child);
        if (bottom <= y) break;
      }
      top = bottom;
    }
    if (!child) return ITEM_NULL;
    item = child;
  }
  return ITEM_NULL;
}

void STreeViewItemLocator::SetItemWidth(HSTREEITEM item, int width) {
  if (!adapter_ || !item || item == ITEM_ROOT || Value(item, ITvAdapter::kWidth) == width) return;
  Store(item, ITvAdapter::kWidth, width);
  RenewWidths(item);
}

int STreeViewItemLocator::GetItemWidth(HSTREEITEM item) const { return adapter_ ? Value(item, ITvAdapter::kWidth) : 0; }

void STreeViewItemLocator::SetItemHeight(HSTREEITEM item, int height) {
  if (!adapter_ || !item || item == ITEM_ROOT) return;
  const int old = Value(item, ITvAdapter::kHeight);
  if (old == height) return;
  Store(item, ITvAdapter::kHeight, height);
  AddToAncestors(item, height - old);
  RenewOffsets(item);
}

int STreeViewItemLocator::GetItemHeight(HSTREEITEM item) const { return adapter_ ? Value(item, ITvAdapter::kHeight) : 0; }

int STreeViewItemLocator::GetItemIndent(HSTREEITEM item) const {
  if (!adapter_ || !item || item == ITEM_ROOT) return 0;
  int depth = 0;
  for (HSTREEITEM p = adapter_->GetParentItem(item); p && p != ITEM_ROOT; p = adapter_->GetParentItem(p)) ++depth;
  return depth * indent_;
}

}  // namespace ORIEL
