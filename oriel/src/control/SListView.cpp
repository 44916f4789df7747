#include "control/SListView.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

// --- construction -------------------------------------------------------

SListView::SListView() : observer_(new SListViewDataSetObserver(this)) {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  SetUpdateInterval(40);
  GetEventSet()->AddEvent(EventLVSelChanging::EventID, EventLVSelChanging::EventName());
  GetEventSet()->AddEvent(EventLVSelChanged::EventID, EventLVSelChanged::EventName());
  GetEventSet()->AddEvent(EventOfPanel::EventID, EventOfPanel::EventName());
}

SListView::~SListView() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  locator_.reset();
  observer_->Release();
  adapter_.reset();
}

HRESULT SListView::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"dividerSkin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    dividerSkin_ = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    hr = S_OK;
  } else if (AttrNameIs(name, L"dividerSize")) {
    dividerSize_ = SResProviderMgr::LookupNamedDimension(value);
  } else {
    return SIndexedItemView::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

// The item template decides the locator: a height above 0 gives items of
// one height, otherwise each item is measured.
BOOL SListView::CreateChildren(pugi::xml_node element) {
  pugi::xml_node tpl = XmlChild(element, L"template");
  if (!tpl) return TRUE;
  template_.reset();
  template_.append_copy(tpl);
  IListViewItemLocator* locator = NewRowLocator(tpl, dividerSize_);
  SetItemLocator(locator);
  locator->Release();
  return TRUE;
}

BOOL SListView::SetAdapter(ILvAdapter* adapter) {
  if (!locator_) return FALSE;
  LetAdapterGo(adapter_, observer_);
  adapter_ = adapter;
  locator_->SetAdapter(adapter);
  if (!adapter) return TRUE;
  TakeAdapter(adapter, observer_);
  OnDataChanged();
  return TRUE;
}

void SListView::SetItemLocator(IListViewItemLocator* locator) {
  locator_ = locator;
  if (locator_) {
    locator_->SetAdapter(adapter_);
    locator_->SetScale(GetScale());
  }
  OnDataChanged();
}

// --- data ---------------------------------------------------------------

void SListView::OnDataChanged() {
  if (!adapter_ || DeferWhileHidden(-1)) return;
  if (locator_) locator_->OnDataChanged();
  if (selected_ >= adapter_->GetCount()) selected_ = -1;
  UpdateBars();
  LayoutItems();
}

void SListView::OnItemChanged(int index) {
  if (!adapter_ || DeferWhileHidden(index)) return;
  SItemPanel* panel = GetItemPanelByIndex(index);
  if (!panel) return;  // not shown: it is bound when it scrolls in
  if (locator_ && locator_->IsFixHeight()) {
    adapter_->BindItemView(index, panel, GetTemplate());
    panel->Invalidate();
  } else {
    LayoutItems();
  }
}

SItemPanel* SListView::GetItemPanelByIndex(int index) const {
  if (!adapter_ || index < 0 || index >= adapter_->GetCount()) return nullptr;
  return VisiblePanel(index);
}

// --- layout -------------------------------------------------------------

// The bar covers the whole list; positions run up to the last one that
// shows the last item whole at the bottom.
void SListView::UpdateBars() {
  const RECT own = SWindow::ClientRect();
  const int c = own.bottom - own.top;
  const int total = locator_ ? locator_->TotalHeight() : 0;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nPage = std::max(c, 0);
  int position = GetScrollPos(true);
  const bool bar = c < total;
  if (bar) {
    si.nMax = total - 1;
    position = std::min(position, total - c);
  } else {
    si.nMax = c - 1;
    position = 0;
  }
  SetBarInfo(si, true);
  if (HasScrollBar(true) != bar || HasScrollBar(false)) {
    ShowScrollBar(kBarHorz | kBarVert, FALSE);
    if (bar) ShowScrollBar(kBarVert, TRUE);
  }
  SetScrollPos(true, position, FALSE);
  SendSwndMessage(SWM_NCCALCSIZE);
  Invalidate();
}

// An idle panel of the view type: from its bin, oldest first; else one
// of the panels that showed items now out of view, so that a jump of the
// whole page makes no new panels; else a new one.
SItemPanel* SListView::TakePanel(int viewType, std::vector<ItemInfo>& old, int oldFirst, int index) {
  if (SItemPanel* idle = bins_.Take(viewType)) return idle;
  auto steal = [&](ItemInfo& info) {
    SItemPanel* panel = info.panel;
    info.panel = nullptr;
    RetirePanel(panel);
    return panel;
  };
  // Indices below the one being placed are never shown again in this pass.
  for (size_t k = 0; k < old.size() && oldFirst + static_cast<int>(k) < index; ++k)
    if (old[k].panel && old[k].viewType == viewType) return steal(old[k]);
  for (size_t k = old.size(); k-- > 0;)
    if (old[k].panel && old[k].viewType == viewType) return steal(old[k]);
  return NewItemPanel(Subscriber(&SListView::OnItemClick, this));
}

void SListView::LayoutItems() {
  if (!adapter_ || !locator_) return;
  const int oldFirst = firstVisible_;
  const int oldTotal = locator_->TotalHeight();
  const SCROLLINFO& si = GetBarInfo(true);
  const int bottom = si.nPos + static_cast<int>(si.nPage);
  const int first = locator_->ItemAt(si.nPos);
  int y = first >= 0 ? locator_->PositionOf(first) : 0;
  const int hoverIndex = hoverPanel_ ? hoverPanel_->GetItemIndex() : -1;
  hoverPanel_ = nullptr;
  std::vector<ItemInfo> old;
  old.swap(visible_);

  const int count = adapter_->GetCount();
  const RECT client = ClientRect();
  const int width = client.right - client.left;
  const pugi::xml_node tpl = GetTemplate();
  if (first != -1 && y < bottom) {
    for (int i = first; i < count; ++i) {
      const DWORD state = (i == hoverIndex ? DWORD{WndState_Hover} : 0u) | (i == selected_ ? DWORD{WndState_Check} : 0u);
      const int viewType = std::max(adapter_->GetItemViewType(i, state), 0);
      SItemPanel* panel = TakeOverPanel(old, oldFirst, i, viewType);
      if (!panel) panel = TakePanel(viewType, old, oldFirst, i);
      panel->SetItemIndex(i);
      panel->SetVisible(TRUE);
      RECT rc{0, 0, width, client.bottom - client.top};
      if (locator_->IsFixHeight()) {
        rc.bottom = locator_->GetHeightOf(i);
        panel->Move(&rc);
      }
      // A recycled panel may still carry the bits of the item it showed.
      panel->GetEventSet()->muted = 1;
      panel->ModifyItemState(state, (WndState_Hover | WndState_Check) & ~state);
      panel->GetEventSet()->muted = 0;
      if (state & WndState_Hover) hoverPanel_ = panel;
      adapter_->BindItemView(i, panel, tpl);
      if (GetColorizeColor() != 0) panel->BroadcastMessage(SWM_COLORIZE, GetColorizeColor());
      if (!locator_->IsFixHeight()) {
        RECT measure{0, 0, width, 0};
        const SIZE size = adapter_->GetItemDesiredSize(i, panel, &measure);
        RECT sized{0, 0, width, size.cy};
        panel->Move(&sized);
        locator_->SetHeightOf(i, size.cy);
      }
      panel->ApplyLayout();
      visible_.push_back(ItemInfo{panel, viewType});
      y += locator_->GetHeightOf(i) + locator_->GetDividerSize();
      if (y >= bottom) break;
    }
  }

  RetireRest(old);
  firstVisible_ = visible_.empty() ? -1 : first;

  // Measured items may change the total: the bars and the layout follow
  // until it is stable.
  if (!locator_->IsFixHeight() && locator_->TotalHeight() != oldTotal) {
    UpdateBars();
    LayoutItems();
  }
}

void SListView::OnViewSize() {
  UpdateBars();
  const RECT client = ClientRect();
  for (ItemInfo& info : visible_) {
    RECT rc{0, 0, client.right - client.left, locator_ ? locator_->GetHeightOf(info.panel->GetItemIndex()) : 0};
    info.panel->Move(&rc);
  }
  LayoutItems();
}

BOOL SListView::HandleScrollCode(bool vertical, int code, int position) {
  const int before = GetScrollPos(true);
  SPanel::HandleScrollCode(vertical, code, position);
  if (GetScrollPos(true) == before) return FALSE;
  LayoutItems();
  if (code == SB_THUMBTRACK) ThrottledUpdate();
  return TRUE;
}

// --- selection ----------------------------------------------------------

int SListView::SetSel(int index, BOOL notify) {
  if (!adapter_) return 0;
  const int count = adapter_->GetCount();
  if (index >= count) return count;
  if (index < 0) index = -1;
  const int old = selected_;
  selected_ = index;
  // Unlike the other views the list is already at the new index while
  // the changing event is raised.
  if (notify && !RaiseSelChanging(old, index)) {
    selected_ = old;
    return old;
  }
  if (old == index) return index;
  MoveCheck(GetItemPanelByIndex(old), GetItemPanelByIndex(index));
  if (notify) RaiseSelChanged(old, index);
  return index;
}

void SListView::EnsureVisible(int index) {
  if (adapter_) ScrollRowIntoView(index, adapter_->GetCount(), locator_);
}

void SListView::SelectQuietly(int index) {
  EnsureVisible(index);
  SetSel(index, FALSE);
}

bool SListView::OnItemClick(EventArgs* e) {
  auto* panel = dynamic_cast<SItemPanel*>(e->sender);
  if (panel && panel->GetItemIndex() != selected_) SetSel(panel->GetItemIndex(), TRUE);
  return true;
}

// --- item container -----------------------------------------------------

bool SListView::OnItemQueryRect(SItemPanel* item, RECT& rc) const {
  const int index = item->GetItemIndex();
  if (!locator_ || index < 0) return false;
  const RECT client = ClientRect();
  const int top = client.top + locator_->PositionOf(index) - GetScrollPos(true);
  rc = RECT{client.left, top, client.right, top + locator_->GetHeightOf(index)};
  return true;
}

// --- painting -----------------------------------------------------------

void SListView::OnPaint(IRenderTarget* rt) {
  if (rebuildOnPaint_) {
    LayoutItems();
    rebuildOnPaint_ = false;
  }
  const SPaintState saved = ApplyPaintState(this, rt);
  if (firstVisible_ != -1 && locator_) {
    const RECT client = ClientRect();
    rt->PushClipRect(&client, kCombineAnd);
    RECT box;
    rt->GetClipBox(&box);
    const int divider = locator_->GetDividerSize();
    int top = client.top + locator_->PositionOf(firstVisible_) - GetScrollPos(true);
    for (ItemInfo& info : visible_) {
      const RECT rc{client.left, top, client.right, top + locator_->GetHeightOf(info.panel->GetItemIndex())};
      RECT meet;
      if (IntersectRect(&meet, &rc, &box)) info.panel->PaintItem(rt, rc);
      const RECT line{client.left, rc.bottom, client.right, rc.bottom + divider};
      if (dividerSkin_ && divider > 0) dividerSkin_->DrawByIndex(rt, &line, 0);
      top = line.bottom;
    }
    rt->PopClip();
  }
  RestorePaintState(rt, saved);
}

// --- input --------------------------------------------------------------

SItemPanel* SListView::PanelAt(POINT pt) const { return HitVisible(pt); }

// Keyboard moves of the selection are silent: only clicks raise the
// selection events.
bool SListView::OnViewKeyDown(UINT key, LPARAM lParam) {
  if (!adapter_) return false;
  if (SelectedItemTakesKey(key, lParam)) return true;
  if (SWindow* owner = GetOwner(); owner && (key == VK_ESCAPE || key == VK_RETURN)) {
    owner->SendSwndMessage(WM_KEYDOWN, key, lParam);
    return true;
  }
  int target = -1;
  McNavigationKey(
      key, selected_, adapter_->GetCount(), [this](int code) { HandleScrollCode(true, code, 0); },
      [this] { return std::make_pair(firstVisible_, GetVisibleCount()); }, &target);
  if (target >= 0) SelectQuietly(target);
  return true;  // the list keeps every key it is given
}

// --- changes of scale, language and colour ------------------------------

void SListView::UpdateScale(int scale) {
  SPanel::UpdateScale(scale);
  if (locator_) locator_->SetScale(scale);
  BroadcastToPanels(SWM_UPDATESCALE, scale);
}

// --- lifecycle and messages ---------------------------------------------

void SListView::OnDestroy() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  DropPanels();
  SPanel::OnDestroy();
}

}  // namespace ORIEL
