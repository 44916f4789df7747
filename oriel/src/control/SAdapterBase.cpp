#include "control/SAdapterBase.h"

#include <algorithm>

namespace ORIEL {

SMcAdapterBaseEx::~SMcAdapterBaseEx() {
  selection_.RemoveAll();
  ReleaseObservers();
}

void SMcAdapterBaseEx::FillRange(int start, int end) {
  selection_.RemoveAll();
  const int step = end >= start ? 1 : -1;
  for (int i = start;; i += step) {
    selection_.AddTail(i);
    if (i == end) break;
  }
}

void SMcAdapterBaseEx::ToggleSelection(int index) {
  if (SPOSITION pos = selection_.Find(index)) selection_.RemoveAt(pos);
  else selection_.AddTail(index);
}

// Both ends are held to the rows there are: a range past them, or over an
// adapter without rows, never stores rows that do not exist.
void SMcAdapterBaseEx::SelectRangeFromLast(int index) {
  if (selection_.IsEmpty()) return;
  const int count = GetCount();
  if (count <= 0) selection_.RemoveAll();
  else FillRange(std::clamp(selection_.GetTail(), 0, count - 1), std::clamp(index, 0, count - 1));
  notifyDataSetInvalidated();
}

void SMcAdapterBaseEx::SelectOnly(int index) {
  selection_.RemoveAll();
  selection_.AddTail(index);
  notifyDataSetInvalidated();
}

void SMcAdapterBaseEx::SetAnchorAndSelect(int index) {
  anchor_ = anchorCopy_ = index;
  selection_.RemoveAll();
  selection_.AddHead(index);
  notifyDataSetInvalidated();
}

// A range never starts from an entry that is not there: with an empty
// list it runs from the anchor, and without an anchor it selects the row
// alone. Both ends stay inside the rows the adapter has; without rows
// nothing is selected.
void SMcAdapterBaseEx::SelectRangeFromAnchor(int index) {
  if (index == -1) return;
  const int count = GetCount();
  if (count <= 0) {
    selection_.RemoveAll();
    notifyDataSetInvalidated();
    return;
  }
  auto clamp = [count](int i) { return std::clamp(i, 0, count - 1); };
  index = clamp(index);
  if (!selection_.IsEmpty() && selection_.GetHead() == -1) {
    if (index >= count - 1) {
      selection_.GetHead() = index;
      notifyDataSetInvalidated();
      return;
    }
    selection_.GetHead() = count - 1;
  }
  int start = anchor_;
  if (start == -1) {
    if (selection_.IsEmpty()) {
      SelectOnly(index);
      return;
    }
    start = selection_.GetHead();
  }
  FillRange(clamp(start), index);
  notifyDataSetInvalidated();
}

void SMcAdapterBaseEx::RequestSelect(int index) {
  if (index == -1 || IsSelected(index)) return;
  if (OnRequestSelect(index, selection_)) notifyDataSetInvalidated();
}

}  // namespace ORIEL
