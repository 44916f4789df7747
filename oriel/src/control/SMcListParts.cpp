#include "control/SMcListParts.h"

#include <algorithm>

namespace ORIEL {

McBarLayout LayoutMcBars(int contentW, int contentH, int areaW, int areaH, int barWidth, int vPos, int hPos) {
  McBarLayout out;
  SCROLLINFO& v = out.v;
  SCROLLINFO& h = out.h;
  v.cbSize = h.cbSize = sizeof(SCROLLINFO);
  v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  v.nMin = h.nMin = 0;
  v.nPos = vPos;
  h.nPos = hPos;
  const int cx = std::max(areaW, 0);
  const int cy = std::max(areaH, 0);
  const int s = barWidth;
  if (cy < contentH || (cy < contentH + s && cx < contentW)) {
    out.showV = true;
    v.nMax = contentH - 1;
    v.nPage = cy;
    if (cx - s < contentW) {
      out.showH = true;
      h.nMax = contentW - 1;
      h.nPage = std::max(cx - s, 0);
      v.nPage = std::max(cy - s, 0);
    } else {
      h.nMax = cx - 1;
      h.nPage = cx;
      h.nPos = 0;
    }
  } else {
    v.nMax = cy - 1;
    v.nPage = cy;
    v.nPos = 0;
    h.nPage = cx;
    if (contentW <= cx) {
      h.nMax = cx - 1;
      h.nPos = 0;
    } else {
      out.showH = true;
      h.nMax = contentW - 1;
    }
  }
  if (out.showV && v.nPos + static_cast<int>(v.nPage) > contentH)
    v.nPos = std::max(contentH - static_cast<int>(v.nPage), 0);
  if (out.showH && h.nPos + static_cast<int>(h.nPage) > contentW)
    h.nPos = std::max(contentW - static_cast<int>(h.nPage), 0);
  return out;
}

void ApplyMcBars(SPanel* panel, const McBarLayout& bars) {
  panel->SetBarInfo(bars.v, true);
  panel->SetBarInfo(bars.h, false);
  const int shown = (bars.showV ? SPanel::kBarVert : 0) | (bars.showH ? SPanel::kBarHorz : 0);
  if (panel->GetShownBars() != shown) {
    panel->ShowScrollBar(SPanel::kBarHorz | SPanel::kBarVert, FALSE);
    if (shown) panel->ShowScrollBar(shown, TRUE);
  }
  panel->SendSwndMessage(SWM_NCCALCSIZE);
}

SHeaderCtrl* FindMcHeader(SWindow* view) {
  for (SWindow* child = view->GetRelative(GSW_FIRSTCHILD); child; child = child->GetRelative(GSW_NEXTSIBLING))
    if (child->IsClass(SHeaderCtrl::GetClassName())) return static_cast<SHeaderCtrl*>(child);
  return nullptr;
}

void SetMcHeaderHeight(SHeaderCtrl* header, int height) {
  SStringW pos;
  pos.Format(L"0,0,-0,%d", height);
  header->ApplyAttribute(SStringW(L"pos"), pos, TRUE);
}

RECT McListRect(RECT client, int headerHeight) {
  client.top = std::min<LONG>(client.top + headerHeight, client.bottom);
  return client;
}

void PlaceMcHeader(SHeaderCtrl* header, RECT client, int hScroll, int height) {
  if (!header) return;
  const RECT rc{client.left - hScroll, client.top, client.right, client.top + height};
  header->Move(&rc);
}

void PlaceMcCells(SHeaderCtrl* header, IMcAdapter* adapter, SWindow* panel, int height, bool keepEmptyColumns) {
  if (!header || !adapter || !panel) return;
  int x = 0;
  for (int i = 0; i < header->GetItemCount(); ++i) {
    SHeaderItem item;
    header->QueryColumn(i, &item);
    const bool visible = header->IsItemVisible(i);
    const int w = visible ? header->GetColumnWidth(i) : 0;
    SWindow* cell = panel->FindDescendantByName(adapter->GetColumnName(item.order));
    if (!cell) {
      if (keepEmptyColumns) x += w;
      continue;
    }
    if (visible) {
      cell->SetVisible(TRUE);
      const RECT rc{x, 0, x + w, height};
      cell->Move(&rc);
      x += w;
    } else {
      cell->SetVisible(FALSE);
    }
  }
}

bool SortOnHeaderClick(SHeaderCtrl* header, IMcAdapter* adapter, int clickedItem) {
  if (!header || !adapter) return false;
  const int n = header->GetItemCount();
  std::vector<int> flags(n, 0);
  std::vector<int> placeOf(n, -1);
  int clicked = -1;
  for (int i = 0; i < n; ++i) {
    SHeaderItem item;
    header->QueryColumn(i, &item);
    if (item.order < 0 || item.order >= n) continue;
    flags[item.order] = item.sortFlag;
    placeOf[item.order] = i;
    if (i == clickedItem) clicked = item.order;
  }
  if (!adapter->SortByColumn(clicked, flags.data(), n)) return false;
  for (int id = 0; id < n; ++id)
    if (placeOf[id] >= 0) header->SetItemSort(placeOf[id], flags[id]);
  return true;
}

void RetireRowPanel(SItemPanel* panel, bool hovered) {
  if (hovered || (panel->GetState() & WndState_Hover)) panel->DispatchFrameMessage(WM_MOUSELEAVE, 0, 0);
  panel->GetEventSet()->muted = 1;
  if (panel->GetState() & WndState_Check) {
    panel->ModifyItemState(0, WndState_Check);
    panel->GetFocusManager().ClearFocus();
  }
  panel->SetVisible(FALSE);
  panel->GetEventSet()->muted = 0;
}

SItemPanel* SItemPanelBins::Take(int viewType) {
  if (viewType < 0 || static_cast<size_t>(viewType) >= bins_.size() || bins_[viewType].empty()) return nullptr;
  SItemPanel* panel = bins_[viewType].front();
  bins_[viewType].pop_front();
  return panel;
}

void SItemPanelBins::Put(int viewType, SItemPanel* panel) {
  if (viewType < 0) viewType = 0;
  if (static_cast<size_t>(viewType) >= bins_.size()) bins_.resize(viewType + 1);
  bins_[viewType].push_back(panel);
}

void SItemPanelBins::DestroyPanels() {
  for (auto& bin : bins_)
    for (SItemPanel* panel : bin) panel->Destroy();
  bins_.clear();
}

void SItemPanelBins::ForEach(const std::function<void(SItemPanel*)>& each) const {
  for (const auto& bin : bins_)
    for (SItemPanel* panel : bin) each(panel);
}

bool McScrollToShow(int index, int firstVisible, int visibleCount, int count, IListViewItemLocator* locator,
                    int page, int* code, int* position) {
  if (!locator || index < 0 || index >= count) return false;
  const int last = firstVisible + visibleCount - 1;
  *position = 0;
  if (firstVisible < 0 || index <= firstVisible) {
    *code = SB_THUMBPOSITION;
    *position = locator->PositionOf(index);
  } else if (index < last) {
    return false;
  } else if (index == count - 1) {
    *code = SB_BOTTOM;
  } else {
    *code = SB_THUMBPOSITION;
    *position = locator->PositionOf(index + 1) - page;
  }
  return true;
}

bool McNavigationKey(UINT key, int current, int count, const std::function<void(int code)>& scroll,
                     const std::function<std::pair<int, int>()>& visible, int* target) {
  *target = -1;
  switch (key) {
    case VK_DOWN:
      if (current < count - 1) *target = current + 1;
      return true;
    case VK_UP:
      if (current > 0) *target = current - 1;
      return true;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME: {
      scroll(key == VK_PRIOR ? SB_PAGEUP : key == VK_NEXT ? SB_PAGEDOWN : key == VK_END ? SB_BOTTOM : SB_TOP);
      const auto [first, n] = visible();
      if (n > 0) *target = key == VK_PRIOR || key == VK_HOME ? first : first + n - 1;
      return true;
    }
    default: return false;
  }
}

}  // namespace ORIEL
