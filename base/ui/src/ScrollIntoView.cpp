#include "base/ScrollIntoView.h"

#include <algorithm>

int ScrollItemIntoView(ORIEL::SPanel* panel, int index, bool vertical, bool alignToStart) {
  if (panel == nullptr || index < 0) return 0;
  const auto* layout = dynamic_cast<const IPanelItemLayout*>(panel);
  if (layout == nullptr) return 0;
  const RECT view = layout->GetItemViewRect(index);
  int extent = vertical ? view.bottom - view.top : view.right - view.left;
  extent -= layout->GetViewInsetTop().ToPixels(panel->GetScale());
  extent = std::max(extent, 0);
  const int start = layout->GetItemStart(index, vertical);
  const int size = layout->GetItemSize(index, vertical);
  const int position = panel->GetScrollPos(vertical);
  if (start >= position && start + size <= position + extent) return 1;
  // An item before the view, or one the view cannot hold whole, shows its
  // start: scrolling to its end would hide its beginning.
  int target = start;
  if (!alignToStart && start > position && size <= extent) {
    target = std::max(start + size + layout->GetItemSpacing(vertical) - extent, 0);
  }
  panel->SetScrollPos(vertical, target, TRUE);
  return 1;
}
