#include "control/SListViewItemLocator.h"

#include <algorithm>

namespace ORIEL {

// --- fixed heights ------------------------------------------------------

int SListViewItemLocatorFix::TotalHeight() const {
  const int n = adapter_ ? adapter_->GetCount() : 0;
  if (n <= 0) return 0;
  return n * GetLineSize() - GetDividerSize();
}

// A position below the last item gives the count, one past the last row.
int SListViewItemLocatorFix::ItemAt(int position) const {
  if (!adapter_) return -1;
  const int line = GetLineSize();
  if (line <= 0) return 0;
  return std::clamp(position / line, 0, adapter_->GetCount());
}

// --- measured heights ---------------------------------------------------

SListViewItemLocatorFlex::~SListViewItemLocatorFlex() { Clear(); }

void SListViewItemLocatorFlex::Clear() {
  tree_.EraseNode(STVI_ROOT);
  for (int i = 0; i < segments_.GetCount(); ++i) delete segments_[i];
  segments_.RemoveAll();
  branches_ = 0;
}

void SListViewItemLocatorFlex::SetAdapter(ILvAdapter* adapter) {
  adapter_ = adapter;
  OnDataChanged();
}

void SListViewItemLocatorFlex::SetScale(int scale) {
  scale_ = scale;
  OnDataChanged();
}

void SListViewItemLocatorFlex::OnDataChanged() {
  Clear();
  if (!adapter_) return;
  const int n = std::max(adapter_->GetCount(), 0);
  const int segments = (n + kSegmentSize - 1) / kSegmentSize;
  // The smallest depth whose span of 50 × 10^depth covers every segment.
  int depth = 0;
  for (long long reach = 1; reach < segments; reach *= kFanOut) ++depth;
  int span = kSegmentSize;
  for (int i = 0; i < depth; ++i) span *= kFanOut;
  Build(STVI_ROOT, n, span);
}

void SListViewItemLocatorFlex::Build(HSTREEITEM parent, int count, int span) {
  const HSTREEITEM branch = tree_.InsertItem(BranchInfo{DefaultLine() * count, count}, parent, STVI_LAST);
  ++branches_;
  if (count > kSegmentSize) {
    const int childSpan = span / kFanOut;
    for (int placed = 0; placed < count;) {
      const int chunk = std::min(count - placed, childSpan);
      Build(branch, chunk, childSpan);
      placed += chunk;
    }
    return;
  }
  auto* segment = new Segment;
  segment->branch = branch;
  segment->count = count;
  segment->heights.reset(new int[std::max(count, 1)]);
  std::fill_n(segment->heights.get(), count, -1);
  segments_.Add(segment);
}

int SListViewItemLocatorFlex::GetHeightOf(int index) const {
  if (!adapter_ || index < 0 || index / kSegmentSize >= segments_.GetCount()) return 0;
  const Segment* s = segments_[index / kSegmentSize];
  return StoredOrDefault(s->heights[index % kSegmentSize]) - GetDividerSize();
}

void SListViewItemLocatorFlex::SetHeightOf(int index, int height) {
  if (!adapter_ || index < 0 || index / kSegmentSize >= segments_.GetCount()) return;
  Segment* s = segments_[index / kSegmentSize];
  int& entry = s->heights[index % kSegmentSize];
  const int old = StoredOrDefault(entry);
  entry = height + GetDividerSize();
  const int delta = entry - old;
  if (delta == 0) return;
  for (HSTREEITEM b = s->branch; b; b = tree_.GetParentItem(b)) tree_.GetItem(b).heightSum += delta;
}

int SListViewItemLocatorFlex::TotalHeight() const {
  const HSTREEITEM top = tree_.GetRootItem();
  if (!adapter_ || !top) return 0;
  const BranchInfo& info = tree_.GetItem(top);
  return info.itemCount > 0 ? info.heightSum - GetDividerSize() : 0;
}

int SListViewItemLocatorFlex::PositionOf(int index) const {
  if (!adapter_ || index < 0 || index / kSegmentSize >= segments_.GetCount()) return 0;
  const Segment* s = segments_[index / kSegmentSize];
  int position = 0;
  for (HSTREEITEM b = s->branch; b; b = tree_.GetParentItem(b))
    for (HSTREEITEM p = tree_.GetPrevSiblingItem(b); p; p = tree_.GetPrevSiblingItem(p))
      position += tree_.GetItem(p).heightSum;
  for (int i = 0; i < index % kSegmentSize; ++i) position += StoredOrDefault(s->heights[i]);
  return position;
}

// An item covers [its top, its top + height + divider): a position exactly
// at an item's end belongs to the next item, as with fixed heights.
int SListViewItemLocatorFlex::ItemAt(int position) const {
  if (!adapter_ || position < 0 || position >= TotalHeight()) return -1;
  HSTREEITEM branch = tree_.GetRootItem();
  int remaining = position;
  int first = 0;
  for (HSTREEITEM child = tree_.GetChildItem(branch); child; child = tree_.GetChildItem(branch)) {
    while (child && remaining >= tree_.GetItem(child).heightSum) {
      remaining -= tree_.GetItem(child).heightSum;
      first += tree_.GetItem(child).itemCount;
      child = tree_.GetNextSiblingItem(child);
    }
    if (!child) return -1;
    branch = child;
  }
  if (first / kSegmentSize >= segments_.GetCount()) return -1;
  const Segment* s = segments_[first / kSegmentSize];
  for (int i = 0; i < s->count; ++i) {
    const int h = StoredOrDefault(s->heights[i]);
    if (remaining < h) return first + i;
    remaining -= h;
  }
  return -1;
}

size_t SListViewItemLocatorFlex::MemoryUse() const {
  // A tree node is five links and the branch data.
  size_t bytes = branches_ * (5 * sizeof(void*) + sizeof(BranchInfo));
  bytes += static_cast<size_t>(segments_.GetCapacity()) * sizeof(Segment*);
  for (int i = 0; i < segments_.GetCount(); ++i)
    bytes += sizeof(Segment) + sizeof(int) * static_cast<size_t>(std::max(segments_[i]->count, 1));
  return bytes;
}

}  // namespace ORIEL
