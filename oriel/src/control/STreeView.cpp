#include "control/STreeView.h"

#include <algorithm>

#include "control/SControlPaint.h"

namespace ORIEL {

void STreeViewDataSetObserver::OnBranchChanged(HSTREEITEM item) { view_->OnBranchChanged(item); }
void STreeViewDataSetObserver::OnBranchInvalidated(HSTREEITEM item) { view_->OnBranchChanged(item); }
void STreeViewDataSetObserver::OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) {
  view_->OnBranchExpandedChanged(item, wasExpanded, isExpanded);
}

STreeView::STreeView() : observer_(new STreeViewDataSetObserver(this)) {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventTVSelChanging::EventID, EventTVSelChanging::EventName());
  GetEventSet()->AddEvent(EventTVSelChanged::EventID, EventTVSelChanged::EventName());
  ITreeViewItemLocator* locator = new STreeViewItemLocator(10, 50, 10, 50);
  locator_ = locator;
  locator->Release();
}

STreeView::~STreeView() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  locator_.reset();
  observer_->Release();
  adapter_.reset();
}

HRESULT STreeView::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"indent")) {
    if (!loading) return E_FAIL;  // the locator's geometry is fixed once rows exist
    ITreeViewItemLocator* locator = new STreeViewItemLocator(ParseAttrInt(value), 50, 10, 50);
    locator_ = locator;
    locator->Release();
  } else {
    return SItemViewBase::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

BOOL STreeView::CreateChildren(pugi::xml_node element) {
  if (pugi::xml_node tpl = XmlChild(element, L"template")) {
    template_.reset();
    template_.append_copy(tpl);
  }
  return TRUE;
}

BOOL STreeView::SetAdapter(ITvAdapter* adapter) {
  if (!adapter) return FALSE;
  if (adapter_) adapter_->UnregisterObserver(observer_);
  DropPanels();
  adapter_ = adapter;
  adapter->RegisterObserver(observer_);
  adapter->InitFromTemplate(template_.first_child());
  locator_->SetAdapter(adapter);
  bins_.Reset(adapter->GetViewTypeCount());
  panelsMade_ = 0;
  OnBranchChanged(ITEM_ROOT);
  return TRUE;
}

void STreeView::DropPanels() {
  bins_.DestroyPanels();
  for (auto& [item, info] : shown_) info.panel->Destroy();
  shown_.clear();
  visible_.clear();
  hoverPanel_ = capturePanel_ = nullptr;
}

void STreeView::OnBranchChanged(HSTREEITEM item) {
  if (!adapter_) return;
  locator_->OnBranchChanged(item);
  UpdateBars();
  LayoutItems();
}

void STreeView::OnBranchExpandedChanged(HSTREEITEM item, BOOL wasExpanded, BOOL isExpanded) {
  if (!adapter_) return;
  locator_->OnBranchExpandedChanged(item, wasExpanded, isExpanded);
  UpdateBars();
  LayoutItems();
}

SItemPanel* STreeView::GetItemPanel(HSTREEITEM item) const {
  auto it = shown_.find(item);
  return it == shown_.end() ? nullptr : it->second.panel;
}

SItemPanel* STreeView::HitTest(POINT& pt) const {
  for (const ItemInfo& info : visible_) {
    const RECT rc = info.panel->GetItemRect();
    if (PtInRect(&rc, pt)) {
      pt.x -= rc.left;
      pt.y -= rc.top;
      return info.panel;
    }
  }
  return nullptr;
}

// --- geometry -----------------------------------------------------------

RECT STreeView::RowRect(HSTREEITEM item) const {
  const RECT client = ClientRect();
  const int indent = locator_->GetItemIndent(item);
  const int top = client.top + locator_->ItemToPosition(item) - GetScrollPos(true);
  const int left = client.left + indent - GetScrollPos(false);
  return RECT{left, top, left + locator_->GetItemWidth(item), top + locator_->GetItemHeight(item)};
}

// As the multi-column list decides them, with the whole client as the
// list; rows as wide as the view never scroll sideways.
void STreeView::UpdateBars() {
  const RECT whole = SWindow::ClientRect();
  const bool matchParent = adapter_ && adapter_->IsWidthMatchParent();
  ApplyMcBars(this, LayoutMcBars(matchParent ? 0 : locator_->GetTotalWidth(), locator_->GetTotalHeight(),
                                 whole.right - whole.left, whole.bottom - whole.top, GetScrollBarWidth(),
                                 GetScrollPos(true), GetScrollPos(false)));
  Invalidate();
}

// --- rows ---------------------------------------------------------------

// An idle panel of the view type: from its bin; else one that showed a
// row now out of view, so that a jump of a whole page makes no new
// panels; else a new one.
SItemPanel* STreeView::TakePanel(int viewType, std::unordered_map<HSTREEITEM, ItemInfo>& old, int top, int bottom) {
  if (SItemPanel* idle = bins_.Take(viewType)) return idle;
  for (auto it = old.begin(); it != old.end(); ++it) {
    if (it->second.viewType != viewType) continue;
    const int y = locator_->ItemToPosition(it->first);
    if (y >= 0 && y + locator_->GetItemHeight(it->first) > top && y < bottom) continue;  // still in view
    SItemPanel* panel = it->second.panel;
    old.erase(it);
    RetirePanel(panel);
    return panel;
  }
  SItemPanel* panel = SItemPanel::Create(this, pugi::xml_node(), this);
  panel->GetEventSet()->SubscribeEvent(EventItemPanelClick::EventID, Subscriber(&STreeView::OnItemClick, this));
  panel->GetEventSet()->SubscribeEvent(EventItemPanelDbclick::EventID,
                                       Subscriber(&STreeView::OnItemDoubleClick, this));
  ++panelsMade_;
  return panel;
}

void STreeView::LayoutItems() {
  if (!adapter_) return;
  for (int pass = 0; pass < 2; ++pass) {
    const int oldWidth = locator_->GetTotalWidth();
    const int oldHeight = locator_->GetTotalHeight();
    const HSTREEITEM hover = hoverPanel_ ? Item(hoverPanel_) : ITEM_NULL;
    std::unordered_map<HSTREEITEM, ItemInfo> old;
    old.swap(shown_);
    visible_.clear();
    const RECT client = ClientRect();
    const int width = client.right - client.left;
    const int page = client.bottom - client.top;
    const pugi::xml_node tpl = template_.first_child();
    HSTREEITEM item = locator_->PositionToItem(GetScrollPos(true));
    int y = item ? locator_->ItemToPosition(item) - GetScrollPos(true) : 0;
    for (; item && y < page; item = adapter_->GetNextVisibleItem(item)) {
      const int viewType = std::max(adapter_->GetItemViewType(item), 0);
      SItemPanel* panel = nullptr;
      auto it = old.find(item);
      if (it != old.end() && it->second.viewType == viewType) {
        panel = it->second.panel;
        old.erase(it);
      } else {
        panel = TakePanel(viewType, old, GetScrollPos(true), GetScrollPos(true) + page);
      }
      panel->SetItemData(static_cast<LPARAM>(item));
      shown_[item] = ItemInfo{panel, viewType};
      panel->GetEventSet()->muted = 1;
      panel->SetVisible(TRUE);
      const DWORD state = (item == selected_ ? DWORD{WndState_Check} : 0u) | (item == hover ? DWORD{WndState_Hover} : 0u);
      panel->ModifyItemState(state, (WndState_Check | WndState_Hover) & ~state);
      panel->GetEventSet()->muted = 0;
      if (item == hover) hoverPanel_ = panel;
      adapter_->BindItemView(item, panel, tpl);
      if (GetColorizeColor() != 0) panel->BroadcastMessage(SWM_COLORIZE, GetColorizeColor());
      const RECT room{locator_->GetItemIndent(item), 0, width, 10000};
      const SIZE size = adapter_->GetItemDesiredSize(item, panel, &room);
      const RECT placed{0, 0, size.cx, size.cy};
      panel->Move(&placed);
      locator_->SetItemWidth(item, size.cx);
      locator_->SetItemHeight(item, size.cy);
      panel->ApplyLayout();
      visible_.push_back(ItemInfo{panel, viewType});
      y += size.cy;
    }
    for (auto& [gone, info] : old) {
      RetirePanel(info.panel);
      bins_.Put(info.viewType, info.panel);
    }
    if (locator_->GetTotalWidth() == oldWidth && locator_->GetTotalHeight() == oldHeight) break;
    UpdateBars();  // measured rows changed the totals: once more with the new bars
  }
}

BOOL STreeView::HandleScrollCode(bool vertical, int code, int position) {
  const int before = GetScrollPos(vertical);
  SPanel::HandleScrollCode(vertical, code, position);
  if (GetScrollPos(vertical) == before) return FALSE;
  if (vertical) {
    LayoutItems();
    if (code == SB_THUMBTRACK) ThrottledUpdate();
  }
  Invalidate();
  return TRUE;
}

// --- selection ----------------------------------------------------------

void STreeView::SetSel(HSTREEITEM item, BOOL notify) {
  if (!adapter_) return;
  const HSTREEITEM old = selected_;
  if (notify) {
    EventTVSelChanging e(this);
    e.hOldSel = old;
    e.hNewSel = item;
    RaiseEvent(&e);
    if (e.bCancel) return;
  }
  if (item == old) return;
  selected_ = item;
  MoveCheck(GetItemPanel(old), GetItemPanel(item));
  if (notify) {
    EventTVSelChanged e(this);
    e.hOldSel = old;
    e.hNewSel = item;
    RaiseEvent(&e);
  }
}

void STreeView::EnsureVisible(HSTREEITEM item) {
  if (!adapter_ || !item || item == ITEM_ROOT) return;
  std::vector<HSTREEITEM> closed;
  for (HSTREEITEM p = adapter_->GetParentItem(item); p && p != ITEM_ROOT; p = adapter_->GetParentItem(p))
    if (!adapter_->IsItemExpanded(p)) closed.push_back(p);
  for (auto it = closed.rbegin(); it != closed.rend(); ++it) adapter_->ExpandItem(*it, TVC_EXPAND);
  const int top = locator_->ItemToPosition(item);
  if (top < 0) return;
  const int bottom = top + locator_->GetItemHeight(item);
  const SCROLLINFO& v = GetBarInfo(true);
  if (bottom <= v.nPos || top < v.nPos) HandleScrollCode(true, SB_THUMBPOSITION, top);
  else if (bottom > v.nPos + static_cast<int>(v.nPage)) HandleScrollCode(true, SB_THUMBPOSITION, bottom - v.nPage);
  const int left = locator_->GetItemIndent(item);
  const int right = left + locator_->GetItemWidth(item);
  const SCROLLINFO& h = GetBarInfo(false);
  if (right <= h.nPos || left < h.nPos) HandleScrollCode(false, SB_THUMBPOSITION, left);
  else if (left >= h.nPos + static_cast<int>(h.nPage)) HandleScrollCode(false, SB_THUMBPOSITION, right - h.nPage);
}

void STreeView::SelectByKey(HSTREEITEM item) {
  if (!item) return;
  EnsureVisible(item);
  SetSel(item, TRUE);
}

bool STreeView::OnItemClick(EventArgs* e) {
  auto* panel = dynamic_cast<SItemPanel*>(e->sender);
  if (panel && Item(panel) != selected_) SetSel(Item(panel), TRUE);
  return true;
}

bool STreeView::OnItemDoubleClick(EventArgs* e) {
  auto* panel = dynamic_cast<SItemPanel*>(e->sender);
  if (panel && adapter_ && adapter_->HasChildren(Item(panel))) adapter_->ExpandItem(Item(panel), TVC_TOGGLE);
  return true;
}

// --- item container -----------------------------------------------------

bool STreeView::OnItemQueryRect(SItemPanel* item, RECT& rc) const {
  const HSTREEITEM handle = Item(item);
  if (shown_.find(handle) == shown_.end()) return false;
  rc = RowRect(handle);
  return true;
}

// --- painting -----------------------------------------------------------

void STreeView::OnPaint(IRenderTarget* rt) {
  const SPaintState saved = ApplyPaintState(this, rt);
  const RECT client = ClientRect();
  rt->PushClipRect(&client, kCombineAnd);
  RECT box;
  rt->GetClipBox(&box);
  for (ItemInfo& info : visible_) {
    const RECT rc = RowRect(Item(info.panel));
    RECT meet;
    if (IntersectRect(&meet, &rc, &box)) info.panel->PaintItem(rt, rc);
  }
  rt->PopClip();
  RestorePaintState(rt, saved);
}

// --- input --------------------------------------------------------------

void STreeView::OnPressOnNothing() {
  if (SItemPanel* panel = GetItemPanel(selected_)) panel->DispatchFrameMessage(WM_KILLFOCUS, 0, 0);
}

bool STreeView::OnViewKeyDown(UINT key, LPARAM lParam) {
  if (SelectedItemTakesKey(key, lParam)) return true;
  switch (key) {
    case VK_ESCAPE:
    case VK_RETURN:
      if (SWindow* owner = GetOwner()) owner->SendSwndMessage(WM_KEYDOWN, key, lParam);
      return true;
    case VK_PRIOR: HandleScrollCode(true, SB_PAGEUP, 0); return true;
    case VK_NEXT: HandleScrollCode(true, SB_PAGEDOWN, 0); return true;
    case VK_END: HandleScrollCode(true, SB_BOTTOM, 0); return true;
    case VK_HOME: HandleScrollCode(true, SB_TOP, 0); return true;
    case VK_LEFT:
      if (selected_ && adapter_->HasChildren(selected_) && adapter_->IsItemExpanded(selected_))
        adapter_->ExpandItem(selected_, TVC_COLLAPSE);
      else if (selected_)
        SelectByKey(adapter_->GetPrevVisibleItem(selected_));
      return true;
    case VK_RIGHT:
      if (selected_ && adapter_->HasChildren(selected_) && !adapter_->IsItemExpanded(selected_))
        adapter_->ExpandItem(selected_, TVC_EXPAND);
      else if (selected_)
        SelectByKey(adapter_->GetNextVisibleItem(selected_));
      return true;
    case VK_UP:
    case VK_DOWN:
      if (!selected_) SelectByKey(adapter_->GetFirstVisibleItem());
      else SelectByKey(key == VK_UP ? adapter_->GetPrevVisibleItem(selected_) : adapter_->GetNextVisibleItem(selected_));
      return true;
    default: return false;
  }
}

// --- scale, language and colour -----------------------------------------

void STreeView::UpdateScale(int scale) {
  SPanel::UpdateScale(scale);
  BroadcastToPanels(SWM_UPDATESCALE, scale);
}

void STreeView::ForEachPanel(const std::function<void(SItemPanel*)>& each) const {
  for (const auto& [item, info] : shown_) each(info.panel);
  bins_.ForEach(each);
}

// --- lifecycle and messages ---------------------------------------------

void STreeView::OnDestroy() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  DropPanels();
  SPanel::OnDestroy();
}

void STreeView::OnViewSize() {
  if (!adapter_) return;
  UpdateBars();
  LayoutItems();
}

}  // namespace ORIEL
