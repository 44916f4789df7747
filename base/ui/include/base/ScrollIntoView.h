#pragma once
// Scrolling a panel so that one of its items can be seen.
//
// Kept apart from the base library: it needs the UI framework's panel,
// and the framework itself builds on the base library.

#include "control/SPanel.h"
#include "core/SLayoutSize.h"

// What a scrolling panel tells about the items it lays out. A panel that
// can bring an item into view derives from it beside SPanel.
struct IPanelItemLayout {
  // The rectangle in which the item is seen (the panel's view), and the
  // band at its top that covers items (a header, say) in layout units.
  virtual RECT GetItemViewRect(int index) const = 0;
  virtual ORIEL::SLayoutSize GetViewInsetTop() const = 0;
  // The item's start and size along an axis, in the scrolled coordinates
  // of the panel's content, and the spacing between two items.
  virtual int GetItemStart(int index, bool vertical) const = 0;
  virtual int GetItemSize(int index, bool vertical) const = 0;
  virtual int GetItemSpacing(bool vertical) const = 0;

 protected:
  ~IPanelItemLayout() = default;
};

// Scrolls the panel (redrawing it) by the least that brings the item
// inside the view along one axis: an item above or left of the view, or
// one larger than the view, comes to the view's start; one below or right
// of it to the view's end (with the spacing after it). With alignToStart
// the item always comes to the view's start when it is not wholly seen.
// Nothing moves when it is already wholly seen. 0 for a null panel, a
// negative index or a panel that does not lay out items; 1 otherwise.
int ScrollItemIntoView(ORIEL::SPanel* panel, int index, bool vertical, bool alignToStart);
