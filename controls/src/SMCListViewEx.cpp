#include "controls/SMCListViewEx.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SLog.h"
#include "core/STimer2.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

RECT Grown(RECT rc, int by) {
  InflateRect(&rc, by, by);
  return rc;
}

}  // namespace

COLORREF RubberBandFill(COLORREF color, int alphaScale) {
  if ((alphaScale & 0xFF) == 255) return color;
  const DWORD alpha = (color >> 24) * static_cast<DWORD>(alphaScale & 0xFF) / 256;
  return (color & 0x00FFFFFF) | (alpha << 24);
}

void SMCListViewDataSetObserverEx::OnDataChanged() { view_->OnAdapterChanged(); }
void SMCListViewDataSetObserverEx::OnItemDataChanged(int) { view_->OnAdapterChanged(); }
void SMCListViewDataSetObserverEx::OnDataInvalidated() {
  view_->MarkDataSetInvalidated();
  view_->Invalidate();
}

SMCListViewEx::SMCListViewEx() : observer_(new SMCListViewDataSetObserverEx(this)) {
  SetUpdateInterval(40);
  rebuildOnPaint_ = true;
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  SWindow::ApplyAttribute(SStringW(L"clipClient"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventLVSelChanging::EventID, EventLVSelChanging::EventName());
  GetEventSet()->AddEvent(EventLVSelChanged::EventID, EventLVSelChanged::EventName());
}

SMCListViewEx::~SMCListViewEx() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  observer_->Release();
  locator_.reset();
  adapter_.reset();
}

HRESULT SMCListViewEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  auto color = [&](COLORREF& target) {
    if (value.IsEmpty()) return false;
    target = SResProviderMgr::LookupNamedColor(value);
    return true;
  };
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
  } else if (AttrNameIs(name, L"canSwapItem")) {
    canSwapItem_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"colorSwapLine")) {
    if (!color(colorSwapLine_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorDropBk")) {
    if (!color(colorDropBk_)) return E_FAIL;
  } else if (AttrNameIs(name, L"dropBkAlpha")) {
    dropBkAlpha_ = ParseAttrInt(value);
  } else {
    return SIndexedItemView::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SMCListViewEx::MakeLocator(pugi::xml_node tpl) {
  IListViewItemLocator* locator = NewRowLocator(tpl, dividerSize_);
  locator->SetScale(GetScale());
  locator_ = locator;
  locator->Release();
}

// The template is set aside, every other child is created; the first
// child that is a header becomes the column header.
BOOL SMCListViewEx::CreateChildren(pugi::xml_node element) {
  pugi::xml_node tpl = XmlChild(element, L"template");
  if (tpl) XmlSetMark(tpl, 1);
  SPanel::CreateChildren(element);
  if (tpl) XmlSetMark(tpl, 0);
  if (tpl) {
    template_.reset();
    template_.append_copy(tpl);
    MakeLocator(tpl);
  }
  header_ = FindMcHeader(this);
  if (!header_) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SMCListViewEx", L"a multi-column list needs a child header");
    return FALSE;
  }
  SetMcHeaderHeight(header_, GetHeaderHeight());
  SEventSet* events = header_->GetEventSet();
  events->SubscribeEvent(EventHeaderItemChanging::EventID, Subscriber(&SMCListViewEx::OnHeaderResizeOrSwap, this));
  events->SubscribeEvent(EventHeaderItemSwap::EventID, Subscriber(&SMCListViewEx::OnHeaderResizeOrSwap, this));
  events->SubscribeEvent(EventHeaderClick::EventID, Subscriber(&SMCListViewEx::OnHeaderClick, this));
  return TRUE;
}

// --- adapter ------------------------------------------------------------

BOOL SMCListViewEx::SetAdapter(IMcAdapterEx* adapter) {
  if (!locator_) return FALSE;
  LetAdapterGo(adapter_, observer_);
  adapter_ = adapter;
  locator_->SetAdapter(adapter);
  if (adapter) TakeAdapter(adapter, observer_);
  locator_->OnDataChanged();
  if (!adapter || current_ >= adapter->GetCount()) current_ = -1;
  UpdateScrollBar();
  UpdateVisibleItems();
  PlaceHeader();
  return TRUE;
}

void SMCListViewEx::OnAdapterChanged() {
  if (!adapter_ || !locator_) return;
  locator_->OnDataChanged();
  if (current_ >= adapter_->GetCount()) current_ = -1;
  UpdateScrollBar();
  UpdateVisibleItems();
  PlaceHeader();
}

int SMCListViewEx::InsertColumn(int index, const SStringW& text, int widthPx, int sortFlag, ULONG_PTR data) {
  if (!header_) return -1;
  const int at = header_->AddColumn(index, text, widthPx, sortFlag, data);
  UpdateScrollBar();
  return at;
}

bool SMCListViewEx::DeleteColumn(int index) {
  if (!header_ || !header_->DeleteItem(index)) return false;
  UpdateScrollBar();
  return true;
}

int SMCListViewEx::SetColumnWidth(int index, int widthPx) {
  if (!header_ || index < 0 || index >= header_->GetItemCount()) return -1;
  header_->SetColumnWidthQuietly(index, std::max(widthPx, 0));
  header_->Invalidate();
  OnHeaderResizeOrSwap(nullptr);
  return header_->GetColumnWidth(index);
}

// --- geometry -----------------------------------------------------------

RECT SMCListViewEx::GetListRect() const { return McListRect(ClientRect(), GetHeaderHeight()); }

RECT SMCListViewEx::RowRect(int index) const {
  const RECT client = ClientRect();
  RECT rc;
  rc.left = client.left - GetScrollPos(false);
  rc.right = rc.left + (header_ ? header_->GetTotalWidth() : 0);
  rc.top = client.top + GetHeaderHeight() + (locator_ ? locator_->PositionOf(index) : 0) - GetScrollPos(true);
  rc.bottom = rc.top + (locator_ ? locator_->GetHeightOf(index) : 0);
  return rc;
}

void SMCListViewEx::PlaceHeader() { PlaceMcHeader(header_, ClientRect(), GetScrollPos(false), GetHeaderHeight()); }

void SMCListViewEx::UpdateScrollBar() {
  const RECT whole = SWindow::ClientRect();
  ApplyMcBars(this, LayoutMcBars(header_ ? header_->GetTotalWidth() : 0, locator_ ? locator_->TotalHeight() : 0,
                                 whole.right - whole.left, whole.bottom - whole.top - GetHeaderHeight(),
                                 GetScrollBarWidth(), GetScrollPos(true), GetScrollPos(false)));
  Invalidate();
}

SItemPanel* SMCListViewEx::HitRow(POINT pt) const {
  const RECT area = GetListRect();
  if (!PtInRect(&area, pt)) return nullptr;
  for (const ItemInfo& info : visible_) {
    const RECT rc = RowRect(info.panel->GetItemIndex());
    if (PtInRect(&rc, pt)) return info.panel;
  }
  return nullptr;
}

int SMCListViewEx::RowAtY(int x, int y) const {
  SItemPanel* panel = HitRow(POINT{x, y});
  return panel ? panel->GetItemIndex() : -1;
}

// --- rows ---------------------------------------------------------------

SItemPanel* SMCListViewEx::TakePanel(int viewType) {
  if (SItemPanel* idle = bins_.Take(viewType)) return idle;
  return NewItemPanel(Subscriber(&SMCListViewEx::OnItemClick, this));
}

void SMCListViewEx::UpdateVisibleItems() {
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
  // Old rows that will not show again are idle at once, so that a jump
  // reuses their panels.
  const int lastGuess = first >= 0 ? locator_->ItemAt(std::max(bottom - 1, si.nPos)) : -1;
  if (first < 0) RetireRest(old);
  else RetireOutside(old, oldFirst, first, lastGuess + 1);

  int y = first >= 0 ? locator_->PositionOf(first) : 0;
  for (int i = first; first >= 0 && i < count && y < bottom; ++i) {
    const DWORD state =
        (i == hoverIndex ? DWORD{WndState_Hover} : 0u) | (adapter_->IsSelected(i) ? DWORD{WndState_Check} : 0u);
    const int viewType = std::max(adapter_->GetItemViewType(i, state), 0);
    SItemPanel* panel = TakeOverPanel(old, oldFirst, i, viewType);
    if (!panel) panel = TakePanel(viewType);
    panel->SetItemIndex(i);
    panel->GetEventSet()->muted = 1;
    panel->SetVisible(TRUE);
    panel->GetEventSet()->muted = 0;
    int height = locator_->GetHeightOf(i);
    if (!locator_->IsFixHeight()) {
      const RECT measure{0, 0, width, 100000};
      height = adapter_->GetItemDesiredSize(i, panel, &measure).cy;
      locator_->SetHeightOf(i, height);
    }
    const RECT rc{0, 0, width, height};
    panel->Move(&rc);
    panel->GetEventSet()->muted = 1;
    panel->ModifyItemState(state, (WndState_Hover | WndState_Check) & ~state);
    panel->GetEventSet()->muted = 0;
    if (state & WndState_Hover) hoverPanel_ = panel;
    adapter_->BindItemView(i, panel, tpl);
    panel->ApplyLayout();
    PlaceMcCells(header_, adapter_, panel, height, true);
    visible_.push_back(ItemInfo{panel, viewType});
    y += height + locator_->GetDividerSize();
  }
  RetireRest(old);
  firstVisible_ = visible_.empty() ? -1 : first;
  if (!locator_->IsFixHeight() && locator_->TotalHeight() != oldTotal) {
    UpdateScrollBar();
    UpdateVisibleItems();
  }
}

void SMCListViewEx::OnViewSize() {
  PlaceHeader();
  UpdateScrollBar();
  PlaceHeader();
  const int width = header_ ? header_->GetTotalWidth() : 0;
  for (ItemInfo& info : visible_) {
    const RECT rc{0, 0, width, locator_ ? locator_->GetHeightOf(info.panel->GetItemIndex()) : 0};
    info.panel->Move(&rc);
  }
  UpdateVisibleItems();
}

BOOL SMCListViewEx::HandleScrollCode(bool vertical, int code, int position) {
  const int before = GetScrollPos(vertical);
  SPanel::HandleScrollCode(vertical, code, position);
  const int after = GetScrollPos(vertical);
  if (after == before) {
    if (bandActive_) ExtendWhileScrolling(false);
    return FALSE;
  }
  if (vertical) {
    UpdateVisibleItems();
    if (bandActive_) {
      ExtendWhileScrolling(true);
      start_.y += before - after;
    }
  } else {
    PlaceHeader();
  }
  if (code == SB_THUMBTRACK) ThrottledUpdate();
  return TRUE;
}

// --- header -------------------------------------------------------------

bool SMCListViewEx::OnHeaderClick(EventArgs* e) {
  if (SortOnHeaderClick(header_, adapter_, static_cast<EventHeaderClick*>(e)->iItem)) OnAdapterChanged();
  return true;
}

bool SMCListViewEx::OnHeaderResizeOrSwap(EventArgs*) {
  UpdateScrollBar();
  PlaceHeader();
  const int width = header_ ? header_->GetTotalWidth() : 0;
  for (ItemInfo& info : visible_) {
    const RECT rc = info.panel->GetWindowRect();
    const RECT placed{0, 0, width, rc.bottom - rc.top};
    info.panel->Move(&placed);
    PlaceMcCells(header_, adapter_, info.panel, rc.bottom - rc.top, true);
  }
  InvalidateRect(GetListRect());
  return true;
}

// --- the current row ------------------------------------------------------

void SMCListViewEx::SetSel(int index) {
  if (!adapter_ || index >= adapter_->GetCount()) return;
  if (index < 0) index = -1;
  const int old = current_;
  current_ = index;
  adapter_->SelectOnly(index);
  if (!RaiseSelChanging(old, index)) {
    current_ = old;
    adapter_->SelectOnly(old);
    return;
  }
  if (index == old) return;
  MoveCheck(GetItemPanel(old), GetItemPanel(index));
  RaiseSelChanged(old, index);
}

void SMCListViewEx::EnsureVisible(int index) {
  if (adapter_) ScrollRowIntoView(index, adapter_->GetCount(), locator_);
}

void SMCListViewEx::MakeCurrentAndVisible(int index) {
  EnsureVisible(index);
  SetSel(index);
}

bool SMCListViewEx::OnItemClick(EventArgs* e) {
  auto* panel = dynamic_cast<SItemPanel*>(e->sender);
  if (panel && panel->GetItemIndex() != current_) SetSel(panel->GetItemIndex());
  return true;
}

// --- item container -------------------------------------------------------

bool SMCListViewEx::OnItemQueryRect(SItemPanel* item, RECT& rc) const {
  const int index = item->GetItemIndex();
  if (!locator_ || index < 0) return false;
  rc = RowRect(index);
  return true;
}

void SMCListViewEx::OnItemRequestRelayout(SItemPanel* item) { item->ApplyLayout(); }

// --- gestures -------------------------------------------------------------

RECT SMCListViewEx::BandRect() const {
  return RECT{std::min(start_.x, current_point_.x), std::min(start_.y, current_point_.y),
              std::max(start_.x, current_point_.x), std::max(start_.y, current_point_.y)};
}

void SMCListViewEx::InvalidateBand() { InvalidateRect(Grown(BandRect(), 1)); }

void SMCListViewEx::InvalidateDropLine() {
  if (SItemPanel* panel = GetItemPanel(dropRow_)) InvalidateRect(Grown(RowRect(panel->GetItemIndex()), 1));
}

bool SMCListViewEx::SelectionGesture(UINT msg, WPARAM wParam, POINT pt, SItemPanel* hit) {
  const int row = hit ? hit->GetItemIndex() : -1;
  if (msg == WM_MOUSEMOVE && wParam == MK_LBUTTON) {
    if (bandActive_) {
      scrollLeft_ = scrollRight_ = scrollUp_ = scrollDown_ = false;
      InvalidateBand();
      current_point_ = pt;
      InvalidateBand();
      if (row >= 0) {
        adapter_->SelectRangeFromAnchor(row);
      } else {
        const int at = RowAtY(start_.x, pt.y);
        if (at >= 0) adapter_->SelectRangeFromAnchor(at);
        const RECT area = GetListRect();
        if (pt.x < area.left) scrollLeft_ = true;
        else if (pt.x > area.right) scrollRight_ = true;
        if (pt.y < area.top) scrollUp_ = true;
        else if (pt.y > area.bottom) scrollDown_ = true;
      }
      if (!timerRunning_) timerRunning_ = SetTimer2(kAutoScrollTimer, 10);
    } else if (dragging_) {
      moved_ = true;
      InvalidateDropLine();
      dropRow_ = row;
      current_point_ = pt;
      if (hit) {
        const RECT rc = RowRect(row);
        insertAbove_ = pt.y < rc.top + (rc.bottom - rc.top) / 2;
        InvalidateDropLine();
        const RECT client = ClientRect();
        if (rc.bottom >= client.bottom) HandleScrollCode(true, SB_LINEDOWN, 0);
        else if (rc.top <= client.top + GetHeaderHeight()) HandleScrollCode(true, SB_LINEUP, 0);
      }
    }
    return false;
  }
  if (msg != WM_LBUTTONDOWN) return false;
  if (wParam == MK_LBUTTON) {
    if (!hit) {
      start_ = current_point_ = pt;
      bandActive_ = true;
      adapter_->SetAnchorAndSelect(-1);
    } else if (canSwapItem_ && adapter_->IsSelected(row)) {
      // The drop side comes from this press, never from an earlier drag.
      dragging_ = true;
      moved_ = false;
      dropRow_ = row;
      current_point_ = pt;
      const RECT rc = RowRect(row);
      insertAbove_ = pt.y < rc.top + (rc.bottom - rc.top) / 2;
    } else {
      SetSel(-1);
      start_ = current_point_ = pt;
      bandActive_ = true;
      adapter_->SetAnchorAndSelect(row);
    }
    return false;
  }
  if (wParam == (MK_SHIFT) || wParam == (MK_SHIFT | MK_LBUTTON)) {
    if (hit) adapter_->SelectRangeFromLast(row);
    return true;
  }
  if (wParam == MK_CONTROL || wParam == (MK_CONTROL | MK_LBUTTON)) {
    if (hit) {
      adapter_->ToggleSelection(row);
      if (adapter_->IsSelected(row)) hit->ModifyItemState(WndState_Check, 0);
      else hit->ModifyItemState(0, WndState_Check);
      hit->Invalidate();
    }
    return true;
  }
  return false;
}

void SMCListViewEx::RouteToRows(UINT msg, WPARAM wParam, LPARAM lParam, POINT pt, SItemPanel* hit) {
  TrackHover(hit, wParam, lParam);
  if (!hit && IsMouseButtonDown(msg)) SetSel(-1);
  if (hoverPanel_ && !dragging_) hoverPanel_->DispatchFrameMessage(msg, wParam, RelativeTo(hoverPanel_, lParam));
  (void)pt;
}

void SMCListViewEx::EndRubberBand() {
  bandActive_ = false;
  scrollLeft_ = scrollRight_ = scrollUp_ = scrollDown_ = false;
  KillTimer2(kAutoScrollTimer);
  timerRunning_ = false;
  InvalidateBand();
  adapter_->SelectionHook();
}

// A press and release on a selected row without moving is a click on the
// row; only a moved drag asks for a drop.
void SMCListViewEx::EndGesturesOnRelease(POINT pt) {
  if (dragging_) {
    SItemPanel* hit = HitRow(pt);
    dragging_ = false;
    InvalidateDropLine();
    dropRow_ = -1;
    if (!moved_) {
      if (hit) {
        const LPARAM at = RelativeTo(hit, MAKELPARAM(pt.x, pt.y));
        hit->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        hit->DispatchFrameMessage(WM_LBUTTONUP, 0, at);
      }
    } else {
      const int drop = hit ? (insertAbove_ ? hit->GetItemIndex() : hit->GetItemIndex() + 1) : -1;
      adapter_->RequestSelect(drop);
    }
  }
  if (bandActive_) EndRubberBand();
  if (capturePanel_) capturePanel_ = nullptr;
}

void SMCListViewEx::EndGesturesOnFocusLoss() {
  if (dragging_) {
    dragging_ = false;
    InvalidateDropLine();
    dropRow_ = -1;
  }
  if (bandActive_ && adapter_) EndRubberBand();
  KillTimer2(kAutoScrollTimer);
  timerRunning_ = false;
}

void SMCListViewEx::ExtendWhileScrolling(bool positionChanged) {
  if (!adapter_ || visible_.empty()) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  if (ISwndContainer* container = GetContainer())
    if (HWND host = container->GetHostHwnd()) ScreenToClient(host, &cursor);
  const int at = RowAtY(start_.x, cursor.y);
  if (at >= 0) {
    adapter_->SelectRangeFromAnchor(at);
    return;
  }
  if (cursor.y < GetListRect().top) {
    adapter_->SelectRangeFromAnchor(firstVisible_);
    return;
  }
  if (!positionChanged) {
    SList<int>& selection = adapter_->GetSelection();
    if (selection.IsEmpty() || selection.GetHead() == -1) return;
  }
  adapter_->SelectRangeFromAnchor(firstVisible_ + GetVisibleCount() - 1);
}

void SMCListViewEx::OnAutoScrollTick() {
  if (scrollDown_) HandleScrollCode(true, SB_LINEDOWN, 0);
  if (scrollUp_) HandleScrollCode(true, SB_LINEUP, 0);
}

LRESULT SMCListViewEx::DispatchMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  AddRef();  // a click's subscribers may change the list
  const POINT pt = ItemViewPointOf(lParam);
  SItemPanel* hit = HitRow(pt);
  if (!SelectionGesture(msg, wParam, pt, hit)) {
    RouteToRows(msg, wParam, lParam, pt, hit);
    LRESULT ignored = 0;
    if (msg == WM_LBUTTONUP) {
      EndGesturesOnRelease(pt);
      ReleaseCapture();
    }
    SPanel::HandleSwndMessage(msg, wParam, lParam, ignored);
  }
  Release();
  return 0;
}

// --- painting -------------------------------------------------------------

void SMCListViewEx::PaintBandOrDropLine(IRenderTarget* rt) {
  if (bandActive_) {
    const RECT area = GetListRect();
    RECT band = BandRect();
    const bool left = band.left >= area.left, right = band.right <= area.right;
    const bool top = band.top >= area.top, bottom = band.bottom <= area.bottom;
    if (!IntersectRect(&band, &band, &area)) return;
    rt->FillSolidRect(&band, RubberBandFill(colorDropBk_, dropBkAlpha_));
    auto line = [&](RECT rc) {
      if (!IsRectEmpty(&rc)) rt->FillSolidRect(&rc, colorDropBk_);
    };
    if (top) line(RECT{band.left, band.top, band.right, band.top + 1});
    if (bottom) line(RECT{band.left + 1, band.bottom - 1, band.right - 1, band.bottom});
    if (left) line(RECT{band.left, band.top, band.left + 1, band.bottom});
    if (right) line(RECT{band.right - 1, band.top + 1, band.right, band.bottom - 1});
    return;
  }
  if (!dragging_ || !GetItemPanel(dropRow_)) return;
  const RECT rc = RowRect(dropRow_);
  RECT strip = insertAbove_ ? RECT{rc.left, rc.top, rc.right, rc.top + 1}
                            : RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom};
  const RECT client = ClientRect();
  if (IntersectRect(&strip, &strip, &client)) rt->FillSolidRect(&strip, colorSwapLine_);
}

void SMCListViewEx::OnPaint(IRenderTarget* rt) {
  if (rebuildOnPaint_) {
    UpdateVisibleItems();
    rebuildOnPaint_ = false;
  }
  const SPaintState saved = ApplyPaintState(this, rt);
  const RECT area = GetListRect();
  rt->PushClipRect(&area, kCombineAnd);
  if (firstVisible_ != -1 && locator_) {
    RECT box;
    rt->GetClipBox(&box);
    const int divider = locator_->GetDividerSize();
    for (ItemInfo& info : visible_) {
      const RECT rc = RowRect(info.panel->GetItemIndex());
      RECT meet;
      if (IntersectRect(&meet, &rc, &box)) info.panel->PaintItem(rt, rc);
      const RECT strip{rc.left, rc.bottom, rc.right, rc.bottom + divider};
      if (dividerSkin_ && divider > 0) dividerSkin_->DrawByIndex(rt, &strip, 0);
    }
  }
  PaintBandOrDropLine(rt);
  rt->PopClip();
  RestorePaintState(rt, saved);
}

// --- keys -----------------------------------------------------------------

bool SMCListViewEx::OnViewKeyDown(UINT key, LPARAM lParam) {
  if (SelectedItemTakesKey(key, lParam)) return true;
  if (key == VK_ESCAPE || key == VK_RETURN) {
    if (SWindow* owner = GetOwner()) owner->SendSwndMessage(WM_KEYDOWN, key, lParam);
    return true;
  }
  int target = -1;
  const bool navigation = McNavigationKey(
      key, current_, adapter_->GetCount(), [this](int code) { HandleScrollCode(true, code, 0); },
      [this] { return std::make_pair(firstVisible_, GetVisibleCount()); }, &target);
  if (target >= 0) MakeCurrentAndVisible(target);
  return navigation;
}

// --- messages -------------------------------------------------------------

// Idle panels take the new scale too, so that a reused row is never drawn
// at the old one.
void SMCListViewEx::UpdateScale(int scale) {
  SPanel::UpdateScale(scale);
  if (locator_) locator_->SetScale(scale);
  BroadcastToPanels(SWM_UPDATESCALE, scale);
  if (header_) SetMcHeaderHeight(header_, GetHeaderHeight());
  if (adapter_) OnAdapterChanged();
}

void SMCListViewEx::OnDestroy() {
  KillTimer2(kAutoScrollTimer);
  timerRunning_ = false;
  if (adapter_) adapter_->UnregisterObserver(observer_);
  DropPanels();
  SPanel::OnDestroy();
}

void SMCListViewEx::OnFocusLeaving() {
  EndGesturesOnFocusLoss();
  ReleaseCapture();
  capturePanel_ = nullptr;
}

// The horizontal wheel scrolls the list instead of reaching a row.
BOOL SMCListViewEx::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == UM_STIMER && wParam == kAutoScrollTimer) {
    result = 0;
    OnAutoScrollTick();
    return TRUE;
  }
  if (msg == 0x20E) return SPanel::HandleSwndMessage(msg, wParam, lParam, result);
  return SItemViewBase::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
