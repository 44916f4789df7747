#include "control/SMCListView.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "core/SLog.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

SMCListView::SMCListView() : observer_(new SMCListViewDataSetObserver(this)) {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  SWindow::ApplyAttribute(SStringW(L"clipClient"), SStringW(L"1"), TRUE);
  SetUpdateInterval(40);
  rebuildOnPaint_ = true;
  GetEventSet()->AddEvent(EventLVSelChanging::EventID, EventLVSelChanging::EventName());
  GetEventSet()->AddEvent(EventLVSelChanged::EventID, EventLVSelChanged::EventName());
}

SMCListView::~SMCListView() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  locator_.reset();
  observer_->Release();
  adapter_.reset();
}

HRESULT SMCListView::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"headerHeight")) {
    headerHeight_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"hotTrack")) {
    hotTrack_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"dividerSkin")) {
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

// The template is set aside, every other child is created; the first
// header becomes the column header and the template picks the locator.
BOOL SMCListView::CreateChildren(pugi::xml_node element) {
  pugi::xml_node tpl = XmlChild(element, L"template");
  if (tpl) XmlSetMark(tpl, 1);
  SPanel::CreateChildren(element);
  if (tpl) XmlSetMark(tpl, 0);
  header_ = FindMcHeader(this);
  if (!header_) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SMCListView", L"a multi-column list needs a child header");
    return FALSE;
  }
  SetMcHeaderHeight(header_, GetHeaderHeight());
  header_->GetEventSet()->SubscribeEvent(EventHeaderClick::EventID, Subscriber(&SMCListView::OnHeaderClick, this));
  header_->GetEventSet()->SubscribeEvent(EventHeaderItemChanging::EventID,
                                         Subscriber(&SMCListView::OnHeaderResizeOrSwap, this));
  header_->GetEventSet()->SubscribeEvent(EventHeaderItemSwap::EventID,
                                         Subscriber(&SMCListView::OnHeaderResizeOrSwap, this));
  if (!tpl) return TRUE;
  template_.reset();
  template_.append_copy(tpl);
  IListViewItemLocator* locator = NewRowLocator(tpl, dividerSize_);
  SetItemLocator(locator);
  locator->Release();
  return TRUE;
}

BOOL SMCListView::SetAdapter(IMcAdapter* adapter) {
  if (!locator_ || !header_) return FALSE;
  LetAdapterGo(adapter_, observer_);
  adapter_ = adapter;
  locator_->SetAdapter(adapter);
  if (!adapter) return TRUE;
  TakeAdapter(adapter, observer_);
  OnDataChanged();
  return TRUE;
}

void SMCListView::SetItemLocator(IListViewItemLocator* locator) {
  locator_ = locator;
  if (locator_) {
    locator_->SetAdapter(adapter_);
    locator_->SetScale(GetScale());
  }
  OnDataChanged();
}

int SMCListView::InsertColumn(int index, const SStringW& text, int widthPx, ULONG_PTR data) {
  if (!header_) return -1;
  const int at = header_->AddColumn(index, text, widthPx, 0, data);
  UpdateBars();
  return at;
}

void SMCListView::DeleteColumn(int index) {
  if (header_ && header_->DeleteItem(index)) UpdateBars();
}

// --- data ---------------------------------------------------------------

void SMCListView::OnDataChanged() {
  if (!adapter_ || DeferWhileHidden(-1)) return;
  if (header_) {
    header_->GetEventSet()->muted = 1;
    for (int i = 0; i < header_->GetItemCount(); ++i) {
      SHeaderItem item;
      header_->QueryColumn(i, &item);
      header_->SetItemVisible(i, adapter_->IsColumnVisible(item.order));
    }
    header_->GetEventSet()->muted = 0;
  }
  if (locator_) locator_->OnDataChanged();
  if (selected_ >= adapter_->GetCount()) selected_ = -1;
  UpdateBars();
  LayoutItems();
}

void SMCListView::OnItemChanged(int index) {
  if (!adapter_ || DeferWhileHidden(index)) return;
  if (!GetItemPanel(index)) return;
  if (locator_ && locator_->IsFixHeight()) UpdateItem(index);
  else LayoutItems();
}

void SMCListView::UpdateItem(int index) {
  SItemPanel* panel = GetItemPanel(index);
  if (!panel) return;
  adapter_->BindItemView(index, panel, GetTemplate());
  panel->Invalidate();
}

SItemPanel* SMCListView::GetItemPanel(int index) const {
  if (!adapter_ || index < 0 || index >= adapter_->GetCount()) return nullptr;
  return VisiblePanel(index);
}

SItemPanel* SMCListView::HitTest(POINT& pt) const { return HitVisible(pt); }

// --- geometry -----------------------------------------------------------

RECT SMCListView::GetListRect() const { return McListRect(ClientRect(), GetHeaderHeight()); }

RECT SMCListView::RowRect(int index) const {
  const RECT client = ClientRect();
  RECT rc;
  rc.top = client.top + GetHeaderHeight() + locator_->PositionOf(index) - GetScrollPos(true);
  rc.bottom = rc.top + locator_->GetHeightOf(index);
  rc.left = client.left - GetScrollPos(false);
  rc.right = rc.left + (header_ ? header_->GetTotalWidth() : 0);
  return rc;
}

void SMCListView::PlaceHeader() { PlaceMcHeader(header_, ClientRect(), GetScrollPos(false), GetHeaderHeight()); }

void SMCListView::UpdateBars() {
  const RECT whole = SWindow::ClientRect();
  const McBarLayout bars =
      LayoutMcBars(header_ ? header_->GetTotalWidth() : 0, locator_ ? locator_->TotalHeight() : 0,
                   whole.right - whole.left, whole.bottom - whole.top - GetHeaderHeight(), GetScrollBarWidth(),
                   GetScrollPos(true), GetScrollPos(false));
  ApplyMcBars(this, bars);
  PlaceHeader();
  Invalidate();
}

// --- rows ---------------------------------------------------------------

SItemPanel* SMCListView::TakePanel(int viewType) {
  if (SItemPanel* idle = bins_.Take(viewType)) return idle;
  return NewItemPanel(Subscriber(&SMCListView::OnItemClick, this));
}

void SMCListView::PlaceCells(SItemPanel* panel, int height) {
  PlaceMcCells(header_, adapter_, panel, height, false);
}

void SMCListView::LayoutItems() {
  if (!adapter_ || !locator_) return;
  std::vector<ItemInfo> old;
  old.swap(visible_);
  const int oldFirst = firstVisible_;
  const int oldTotal = locator_->TotalHeight();
  const int hoverIndex = hoverPanel_ ? hoverPanel_->GetItemIndex() : -1;
  hoverPanel_ = nullptr;

  const SCROLLINFO& si = GetBarInfo(true);
  const int bottom = si.nPos + static_cast<int>(si.nPage);
  const int count = adapter_->GetCount();
  const int first = count > 0 ? locator_->ItemAt(si.nPos) : -1;
  const int width = header_ ? header_->GetTotalWidth() : 0;
  const pugi::xml_node tpl = GetTemplate();
  // Old rows outside the rows about to show are idle at once, so that a
  // jump reuses their panels instead of making a second set.
  const int lastGuess = first >= 0 ? locator_->ItemAt(std::max(bottom - 1, si.nPos)) : -1;
  if (first < 0) RetireRest(old);
  else RetireOutside(old, oldFirst, first, lastGuess + 1);

  int y = first >= 0 ? locator_->PositionOf(first) : 0;
  for (int i = first; first >= 0 && i < count && y < bottom; ++i) {
    const DWORD state = (i == hoverIndex ? DWORD{WndState_Hover} : 0u) | (i == selected_ ? DWORD{WndState_Check} : 0u);
    const int viewType = std::max(adapter_->GetItemViewType(i, state), 0);
    SItemPanel* panel = TakeOverPanel(old, oldFirst, i, viewType);
    if (!panel) panel = TakePanel(viewType);
    panel->SetItemIndex(i);
    panel->GetEventSet()->muted = 1;
    panel->SetVisible(TRUE);
    panel->GetEventSet()->muted = 0;
    if (locator_->IsFixHeight()) {
      const RECT rc{0, 0, width, locator_->GetHeightOf(i)};
      panel->Move(&rc);
    }
    panel->GetEventSet()->muted = 1;
    panel->ModifyItemState(state, (WndState_Hover | WndState_Check) & ~state);
    panel->GetEventSet()->muted = 0;
    if (state & WndState_Hover) hoverPanel_ = panel;
    adapter_->BindItemView(i, panel, tpl);
    if (GetColorizeColor() != 0) panel->BroadcastMessage(SWM_COLORIZE, GetColorizeColor());
    if (!locator_->IsFixHeight()) {
      const RECT measure{0, 0, width, 100000};
      const SIZE size = adapter_->GetItemDesiredSize(i, panel, &measure);
      locator_->SetHeightOf(i, size.cy);
      const RECT rc{0, 0, width, size.cy};
      panel->Move(&rc);
    }
    panel->ApplyLayout();
    PlaceCells(panel, locator_->GetHeightOf(i));
    visible_.push_back(ItemInfo{panel, viewType});
    y += locator_->GetHeightOf(i) + locator_->GetDividerSize();
  }

  RetireRest(old);
  firstVisible_ = visible_.empty() ? -1 : first;
  if (!locator_->IsFixHeight() && locator_->TotalHeight() != oldTotal) {
    UpdateBars();
    LayoutItems();
  }
}

void SMCListView::OnViewSize() {
  UpdateBars();
  LayoutItems();
}

BOOL SMCListView::HandleScrollCode(bool vertical, int code, int position) {
  const int before = GetScrollPos(vertical);
  SPanel::HandleScrollCode(vertical, code, position);
  if (GetScrollPos(vertical) == before) return FALSE;
  if (vertical) LayoutItems();
  else PlaceHeader();
  if (code == SB_THUMBTRACK) ThrottledUpdate();
  return TRUE;
}

// --- header -------------------------------------------------------------

bool SMCListView::OnHeaderClick(EventArgs* e) {
  if (SortOnHeaderClick(header_, adapter_, static_cast<EventHeaderClick*>(e)->iItem)) OnDataChanged();
  return true;
}

bool SMCListView::OnHeaderResizeOrSwap(EventArgs*) {
  UpdateBars();
  const int width = header_ ? header_->GetTotalWidth() : 0;
  for (ItemInfo& info : visible_) {
    RECT rc = info.panel->GetWindowRect();
    const RECT placed{0, 0, width, rc.bottom - rc.top};
    info.panel->Move(&placed);
    PlaceCells(info.panel, rc.bottom - rc.top);
  }
  InvalidateRect(GetListRect());
  return true;
}

// --- selection ----------------------------------------------------------

void SMCListView::SetSel(int index, BOOL notify) {
  if (!adapter_ || index >= adapter_->GetCount()) return;
  MoveSelection(selected_, index, notify);
}

void SMCListView::EnsureVisible(int index) {
  if (adapter_) ScrollRowIntoView(index, adapter_->GetCount(), locator_);
}

void SMCListView::SelectWithNotify(int index) {
  EnsureVisible(index);
  SetSel(index, TRUE);
}

bool SMCListView::OnItemClick(EventArgs* e) {
  auto* panel = dynamic_cast<SItemPanel*>(e->sender);
  if (panel && panel->GetItemIndex() != selected_) SetSel(panel->GetItemIndex(), TRUE);
  return true;
}

// --- item container -----------------------------------------------------

bool SMCListView::OnItemQueryRect(SItemPanel* item, RECT& rc) const {
  const int index = item->GetItemIndex();
  if (!locator_ || index < 0) return false;
  rc = RowRect(index);
  return true;
}

// --- painting -----------------------------------------------------------

void SMCListView::OnPaint(IRenderTarget* rt) {
  if (rebuildOnPaint_) {
    LayoutItems();
    rebuildOnPaint_ = false;
  }
  const SPaintState saved = ApplyPaintState(this, rt);
  if (firstVisible_ != -1 && locator_) {
    const RECT area = GetListRect();
    rt->PushClipRect(&area, kCombineAnd);
    RECT box;
    rt->GetClipBox(&box);
    const int divider = locator_->GetDividerSize();
    for (ItemInfo& info : visible_) {
      const RECT rc = RowRect(info.panel->GetItemIndex());
      RECT meet;
      if (IntersectRect(&meet, &rc, &box)) info.panel->PaintItem(rt, rc);
      const RECT line{rc.left, rc.bottom, rc.right, rc.bottom + divider};
      if (dividerSkin_ && divider > 0) dividerSkin_->DrawByIndex(rt, &line, 0);
    }
    rt->PopClip();
  }
  RestorePaintState(rt, saved);
}

// --- input --------------------------------------------------------------

SItemPanel* SMCListView::PanelAt(POINT pt) const {
  const RECT area = GetListRect();
  return PtInRect(&area, pt) ? HitTest(pt) : nullptr;
}

bool SMCListView::OnViewKeyDown(UINT key, LPARAM lParam) {
  if (SelectedItemTakesKey(key, lParam)) return true;
  if (key == VK_ESCAPE || key == VK_RETURN) {
    if (SWindow* owner = GetOwner()) owner->SendSwndMessage(WM_KEYDOWN, key, lParam);
    return true;
  }
  int target = -1;
  const bool navigation = McNavigationKey(
      key, selected_, adapter_->GetCount(), [this](int code) { HandleScrollCode(true, code, 0); },
      [this] { return std::make_pair(firstVisible_, GetVisibleCount()); }, &target);
  if (target >= 0) SelectWithNotify(target);
  return navigation;
}

// --- scale, language and colour -----------------------------------------

void SMCListView::UpdateScale(int scale) {
  SPanel::UpdateScale(scale);
  if (locator_) locator_->SetScale(scale);
  BroadcastToPanels(SWM_UPDATESCALE, scale);
}

// --- lifecycle and messages ---------------------------------------------

void SMCListView::OnDestroy() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  DropPanels();
  SPanel::OnDestroy();
}

}  // namespace ORIEL
