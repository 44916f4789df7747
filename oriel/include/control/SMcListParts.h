// What the multi-column lists share, and with them the other item views
// where it fits: the scroll bars decided from the content's width and
// height (the tree's too), the header strip and the cells placed under
// its columns, the bins of idle item panels, and where a row scrolls to
// be seen or which row a navigation key picks (the plain list's too).
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "control/SAdapterBase.h"
#include "control/SHeaderCtrl.h"
#include "control/SItemPanel.h"
#include "control/SListViewItemLocator.h"
#include "control/SPanel.h"

namespace ORIEL {

// Both bars of a list whose content is `contentW` x `contentH` in a rows
// area of `areaW` x `areaH`, `barWidth` wide bars, from the current
// positions. A vertical bar that steals the width may call for the
// horizontal one too; a shown bar's position never passes its end.
struct McBarLayout {
  bool showV = false;
  bool showH = false;
  SCROLLINFO v{};
  SCROLLINFO h{};
};
McBarLayout LayoutMcBars(int contentW, int contentH, int areaW, int areaH, int barWidth, int vPos, int hPos);
// Writes the layout into the panel's bars, shows and hides them and lets
// the panel recompute its non-client area.
void ApplyMcBars(SPanel* panel, const McBarLayout& bars);

// The view's first child that is a header, null without one.
SHeaderCtrl* FindMcHeader(SWindow* view);
// The header's layout: a strip `height` pixels tall across the top.
void SetMcHeaderHeight(SHeaderCtrl* header, int height);
// The rows' area: the client rectangle below the header strip.
RECT McListRect(RECT client, int headerHeight);
// The header strip moves with the horizontal scroll position.
void PlaceMcHeader(SHeaderCtrl* header, RECT client, int hScroll, int height);

// Each column's cell, the descendant the adapter names for the column's
// identity, moved under its title in the header's order, as tall as the
// row; hidden columns hide their cell. A column without a cell is skipped;
// with `keepEmptyColumns` the columns after it still start under their own
// titles, else they close up.
void PlaceMcCells(SHeaderCtrl* header, IMcAdapter* adapter, SWindow* panel, int height, bool keepEmptyColumns);

// A click on the header's column `clickedItem`: the adapter is asked to
// sort by that column's identity with every column's sort flag indexed by
// identity; when it sorted, the flags it wrote go back to the header.
// True when it sorted.
bool SortOnHeaderClick(SHeaderCtrl* header, IMcAdapter* adapter, int clickedItem);

// A row panel leaving the screen: it loses the hover (told) and the
// checked state (its focus cleared), quietly, and hides.
void RetireRowPanel(SItemPanel* panel, bool hovered);

// Idle row panels, one bin per view type.
class SItemPanelBins {
 public:
  void Reset(int viewTypes) { bins_.assign(viewTypes > 0 ? viewTypes : 1, {}); }
  // A panel of that view type, or null when its bin is empty.
  SItemPanel* Take(int viewType);
  void Put(int viewType, SItemPanel* panel);
  // Destroys every idle panel and forgets the bins.
  void DestroyPanels();
  void ForEach(const std::function<void(SItemPanel*)>& each) const;

 private:
  std::vector<std::deque<SItemPanel*>> bins_;
};

// Where the list scrolls for row `index` to be seen: false when it stays.
// Rows before the first visible one, and the first itself, go to the top;
// the last visible row and rows after it go to the bottom of the page (the
// data's last row to the very bottom); rows in between need nothing.
bool McScrollToShow(int index, int firstVisible, int visibleCount, int count, IListViewItemLocator* locator,
                    int page, int* code, int* position);

// The row a navigation key makes current, -1 when it picks none. Down and
// Up step from `current`; Page Up, Page Down, Home and End first `scroll`
// with their scroll code, then pick the first visible row (Page Up, Home)
// or the last one (Page Down, End) as `visible` gives them (first, count).
// False when the key is not a navigation key.
bool McNavigationKey(UINT key, int current, int count, const std::function<void(int code)>& scroll,
                     const std::function<std::pair<int, int>()>& visible, int* target);

}  // namespace ORIEL
