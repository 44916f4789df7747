#include "control/STileView.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SApplication.h"

namespace ORIEL {

// --- construction -------------------------------------------------------

STileView::STileView() : observer_(new STileViewDataSetObserver(this)) {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  SetUpdateInterval(40);
  GetEventSet()->AddEvent(EventLVSelChanging::EventID, EventLVSelChanging::EventName());
  GetEventSet()->AddEvent(EventLVSelChanged::EventID, EventLVSelChanged::EventName());
}

STileView::~STileView() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  locator_.reset();
  observer_->Release();
  adapter_.reset();
}

HRESULT STileView::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"marginSize")) {
    marginSize_ = SResProviderMgr::LookupNamedDimension(value);
  } else {
    return SIndexedItemView::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

// The template's tile size, 10dp each way unless given, with the view's
// margin makes the locator.
BOOL STileView::CreateChildren(pugi::xml_node element) {
  pugi::xml_node tpl = XmlChild(element, L"template");
  if (!tpl) return TRUE;
  template_.reset();
  template_.append_copy(tpl);
  pugi::xml_attribute height = XmlAttr(tpl, L"itemHeight");
  pugi::xml_attribute width = XmlAttr(tpl, L"itemWidth");
  auto* locator = new STileViewItemLocator(height ? XmlValue(height) : SStringW(L"10dp"),
                                           width ? XmlValue(width) : SStringW(L"10dp"), marginSize_);
  SetItemLocator(locator);
  locator->Release();
  return TRUE;
}

BOOL STileView::SetAdapter(ILvAdapter* adapter) {
  if (!locator_) return FALSE;
  LetAdapterGo(adapter_, observer_);
  adapter_ = adapter;
  const RECT client = ClientRect();
  locator_->SetTileViewWidth(static_cast<int>(client.right - client.left));
  locator_->SetAdapter(adapter);
  if (!adapter) return TRUE;
  TakeAdapter(adapter, observer_);
  OnDataChanged();
  return TRUE;
}

void STileView::SetItemLocator(STileViewItemLocator* locator) {
  locator_ = locator;
  if (locator_) {
    locator_->SetAdapter(adapter_);
    locator_->SetScale(GetScale());
  }
  OnDataChanged();
}

// --- data ---------------------------------------------------------------

void STileView::OnDataChanged() {
  if (!adapter_ || DeferWhileHidden(-1)) return;
  if (locator_) locator_->OnDataSetChanged();
  if (selected_ >= adapter_->GetCount()) selected_ = -1;
  UpdateBar();
  UpdateVisibleItems();
}

void STileView::OnItemChanged(int index) {
  if (!adapter_ || DeferWhileHidden(index)) return;
  UpdateItem(index);
}

void STileView::UpdateItem(int index) {
  SItemPanel* panel = GetItemPanel(index);
  if (!panel) return;  // not shown: it is bound when it scrolls in
  adapter_->BindItemView(index, panel, GetTemplate());
  panel->Invalidate();
}

SItemPanel* STileView::GetItemPanel(int index) const {
  if (!adapter_ || index < 0 || index >= adapter_->GetCount()) return nullptr;
  return VisiblePanel(index);
}

SItemPanel* STileView::HitTest(POINT& pt) const { return HitVisible(pt); }

RECT STileView::CalcItemDrawRect(int index) const {
  RECT rc = locator_ ? locator_->GetItemRect(index) : RECT{0, 0, 0, 0};
  const RECT client = ClientRect();
  OffsetRect(&rc, client.left, client.top - GetScrollPos(true));
  return rc;
}

// --- layout -------------------------------------------------------------

// Vertical only. The last position shows the grid's last pixel row at the
// bottom of the page.
void STileView::UpdateBar() {
  const RECT own = SWindow::ClientRect();
  const int page = std::max(static_cast<int>(own.bottom - own.top), 0);
  const int total = locator_ ? locator_->GetTotalHeight() : 0;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nPage = page;
  int position = GetScrollPos(true);
  const bool bar = total > page;
  if (bar) {
    si.nMax = total - 1;
    position = std::clamp(position, 0, total - page);
  } else {
    si.nMax = page - 1;
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

SItemPanel* STileView::TakePanel(int viewType) {
  if (SItemPanel* idle = bins_.Take(viewType)) return idle;
  return NewItemPanel(Subscriber(&STileView::OnItemClick, this));
}

// Old panels at the same tile are taken over; the others go back to
// their bins before new tiles take panels, so that a jump of a whole page
// reuses them instead of making new ones.
void STileView::UpdateVisibleItems() {
  if (!adapter_ || !locator_) return;
  const int oldFirst = firstVisible_;
  const int hoverIndex = hoverPanel_ ? hoverPanel_->GetItemIndex() : -1;
  hoverPanel_ = nullptr;
  std::vector<ItemInfo> old;
  old.swap(visible_);

  const SCROLLINFO& si = GetBarInfo(true);
  const int bottom = si.nPos + static_cast<int>(si.nPage);
  const int count = adapter_->GetCount();
  const int first = locator_->PositionToItem(si.nPos);
  const int perRow = locator_->GetCountInRow();
  int rowTop = locator_->ItemToPosition(first);

  // Tiles that stay in view keep their panels.
  std::vector<SItemPanel*> kept;
  int last = first;
  for (int y = rowTop; last < count && y < bottom;) {
    ++last;
    if (last % perRow == 0) y += locator_->GetItemLineHeight();
  }
  RetireOutside(old, oldFirst, first, last);

  const pugi::xml_node tpl = GetTemplate();
  const RECT tile{0, 0, locator_->GetTileWidth(), locator_->GetTileHeight()};
  for (int i = first; i < last; ++i) {
    const DWORD state = (i == hoverIndex ? DWORD{WndState_Hover} : 0u) | (i == selected_ ? DWORD{WndState_Check} : 0u);
    const int viewType = std::max(adapter_->GetItemViewType(i, state), 0);
    SItemPanel* panel = TakeOverPanel(old, oldFirst, i, viewType);
    if (!panel) panel = TakePanel(viewType);
    panel->SetItemIndex(i);
    panel->GetEventSet()->muted = 1;
    panel->SetVisible(TRUE);
    panel->Move(&tile);
    panel->ModifyItemState(state, (WndState_Hover | WndState_Check) & ~state);
    panel->GetEventSet()->muted = 0;
    if (state & WndState_Hover) hoverPanel_ = panel;
    adapter_->BindItemView(i, panel, tpl);
    if (GetColorizeColor() != 0) panel->BroadcastMessage(SWM_COLORIZE, GetColorizeColor());
    panel->ApplyLayout();
    visible_.push_back(ItemInfo{panel, viewType});
  }
  RetireRest(old);  // panels of the old range whose view type changed
  firstVisible_ = visible_.empty() ? -1 : first;
}

// Without a locator (no template) there is no tile width to divide by:
// only the bar follows the size.
void STileView::OnViewSize() {
  if (locator_) {
    const RECT client = ClientRect();
    locator_->SetTileViewWidth(static_cast<int>(client.right - client.left));
  }
  UpdateBar();
  UpdateVisibleItems();
}

BOOL STileView::HandleScrollCode(bool vertical, int code, int position) {
  const int before = GetScrollPos(true);
  SPanel::HandleScrollCode(vertical, code, position);
  if (GetScrollPos(true) == before) return FALSE;
  UpdateVisibleItems();
  if (code == SB_THUMBTRACK) ThrottledUpdate();
  return TRUE;
}

// --- selection ----------------------------------------------------------

void STileView::SetSel(int index, BOOL notify) {
  if (!adapter_ || index >= adapter_->GetCount()) return;
  MoveSelection(selected_, index, notify);
}

void STileView::EnsureVisible(int index) {
  if (!adapter_ || !locator_ || index < 0 || index >= adapter_->GetCount()) return;
  const RECT rc = locator_->GetItemRect(index);
  if (rc.top < GetScrollPos(true)) HandleScrollCode(true, SB_THUMBPOSITION, rc.top);
  const int page = static_cast<int>(GetBarInfo(true).nPage);
  if (rc.bottom > GetScrollPos(true) + page) HandleScrollCode(true, SB_THUMBPOSITION, rc.bottom - page);
}

void STileView::SelectQuietly(int index) {
  EnsureVisible(index);
  SetSel(index, FALSE);
}

bool STileView::OnItemClick(EventArgs* e) {
  auto* panel = dynamic_cast<SItemPanel*>(e->sender);
  if (panel && panel->GetItemIndex() != selected_) SetSel(panel->GetItemIndex(), TRUE);
  return true;
}

// --- item container -----------------------------------------------------

bool STileView::OnItemQueryRect(SItemPanel* item, RECT& rc) const {
  const int index = item->GetItemIndex();
  if (!locator_ || index < 0) return false;
  rc = CalcItemDrawRect(index);
  return true;
}

// --- painting -----------------------------------------------------------

void STileView::OnPaint(IRenderTarget* rt) {
  if (rebuildOnPaint_) {
    UpdateVisibleItems();
    rebuildOnPaint_ = false;
  }
  const SPaintState saved = ApplyPaintState(this, rt);
  if (firstVisible_ != -1 && locator_) {
    const RECT client = ClientRect();
    rt->PushClipRect(&client, kCombineAnd);
    RECT box;
    rt->GetClipBox(&box);
    for (ItemInfo& info : visible_) {
      const RECT rc = CalcItemDrawRect(info.panel->GetItemIndex());
      RECT meet;
      if (IntersectRect(&meet, &rc, &box)) info.panel->PaintItem(rt, rc);
    }
    rt->PopClip();
  }
  RestorePaintState(rt, saved);
}

// --- input --------------------------------------------------------------

// Keyboard moves of the selection are silent: only clicks raise the
// selection events.
bool STileView::OnViewKeyDown(UINT key, LPARAM lParam) {
  if (!adapter_ || !locator_) return false;
  if (SelectedItemTakesKey(key, lParam)) return true;
  if (SWindow* owner = GetOwner(); owner && (key == VK_ESCAPE || key == VK_RETURN)) {
    owner->SendSwndMessage(WM_KEYDOWN, key, lParam);
    return true;
  }
  const int count = adapter_->GetCount();
  switch (key) {
    case VK_RIGHT:
      if (selected_ < count - 1) SelectQuietly(selected_ + 1);
      return true;
    case VK_LEFT:
      if (selected_ > 0) SelectQuietly(selected_ - 1);
      return true;
    case VK_UP:
      if (selected_ > 0) SelectQuietly(locator_->GetUpItem(selected_));
      return true;
    case VK_DOWN:
      if (selected_ < count - 1) SelectQuietly(locator_->GetDownItem(selected_));
      return true;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME: {
      const int code = key == VK_PRIOR ? SB_PAGEUP : key == VK_NEXT ? SB_PAGEDOWN : key == VK_END ? SB_BOTTOM : SB_TOP;
      HandleScrollCode(true, code, 0);
      if (!visible_.empty()) {
        const bool toFirst = key == VK_PRIOR || key == VK_HOME;
        SelectQuietly(toFirst ? firstVisible_ : firstVisible_ + GetVisibleCount() - 1);
      }
      return true;
    }
    default: return false;
  }
}

// --- changes of scale, language and colour ------------------------------

void STileView::UpdateScale(int scale) {
  if (locator_) locator_->SetScale(scale);
  SPanel::UpdateScale(scale);
  BroadcastToPanels(SWM_UPDATESCALE, scale);
}

// --- lifecycle and messages ---------------------------------------------

void STileView::OnDestroy() {
  if (adapter_) adapter_->UnregisterObserver(observer_);
  DropPanels();
  SPanel::OnDestroy();
}

}  // namespace ORIEL
