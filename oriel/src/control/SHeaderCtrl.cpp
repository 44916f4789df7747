#include "control/SHeaderCtrl.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

POINT PointOfLParam(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

ISkinObj* SkinNamed(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins ? skins->GetSkin(name, scale) : nullptr;
}

}  // namespace

SHeaderCtrl::SHeaderCtrl() {
  SWindow::ApplyAttribute(SStringW(L"clipClient"), SStringW(L"1"), TRUE);
  itemSkin_ = SkinNamed(SStringW(L"_skin.sys.header"), 100);
  SEventSet* events = GetEventSet();
  events->AddEvent(EventHeaderClick::EventID, EventHeaderClick::EventName());
  events->AddEvent(EventHeaderItemChanged::EventID, EventHeaderItemChanged::EventName());
  events->AddEvent(EventHeaderItemChanging::EventID, EventHeaderItemChanging::EventName());
  events->AddEvent(EventHeaderItemSwap::EventID, EventHeaderItemSwap::EventName());
  events->AddEvent(EventHeaderRelayout::EventID, EventHeaderRelayout::EventName());
}

HRESULT SHeaderCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"itemSkin")) itemSkin_ = SkinNamed(value, GetScale());
  else if (AttrNameIs(name, L"sortSkin")) sortSkin_ = SkinNamed(value, GetScale());
  else if (AttrNameIs(name, L"fixWidth")) fixWidth_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"itemSwapEnable")) swapEnable_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"sortHeader")) sortHeader_ = ParseAttrInt(value);
  else return SWindow::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_FALSE);
}

BOOL SHeaderCtrl::CreateChildren(pugi::xml_node element) {
  pugi::xml_node items = XmlChild(element, L"items");
  if (items) XmlSetMark(items, 1);
  SWindow::CreateChildren(element);
  if (!items) return TRUE;
  for (pugi::xml_node n = XmlChild(items, L"item"); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element || !XmlNameIs(n.name(), L"item")) continue;
    SHeaderItem item;
    SStringW text = XmlText(n.text().get());
    text.Trim();
    item.text = SResProviderMgr::LookupNamedString(text);
    item.textShown = TranslateInContext(item.text);
    pugi::xml_attribute width = XmlAttr(n, L"width");
    item.width = SResProviderMgr::LookupNamedDimension(width ? XmlValue(width) : SStringW(L"50"));
    item.userData = wcstoul(XmlValue(XmlAttr(n, L"userData")).c_str(), nullptr, 10);
    item.sortFlag = static_cast<int>(wcstoul(XmlValue(XmlAttr(n, L"sortFlag")).c_str(), nullptr, 10));
    pugi::xml_attribute visible = XmlAttr(n, L"visible");
    item.visible = !visible || ParseAttrBool(XmlValue(visible));
    item.order = GetItemCount();
    items_.push_back(item);
  }
  return TRUE;
}

// --- columns ------------------------------------------------------------

void SHeaderCtrl::RaiseRelayout() {
  EventHeaderRelayout e(this);
  RaiseEvent(&e);
}

int SHeaderCtrl::AddColumn(int index, const SStringW& text, int widthPx, int sortFlag, ULONG_PTR data) {
  if (index < 0 || index > GetItemCount()) index = GetItemCount();
  for (SHeaderItem& other : items_)
    if (other.order >= index) ++other.order;
  SHeaderItem item;
  item.width = SLayoutSize(static_cast<float>(widthPx), SLayoutSize::px);
  item.text = text;
  item.textShown = TranslateInContext(text);
  item.sortFlag = sortFlag;
  item.userData = data;
  item.order = index;
  items_.insert(items_.begin() + index, item);
  RaiseRelayout();
  Invalidate();
  return index;
}

bool SHeaderCtrl::DeleteItem(int index) {
  if (index < 0 || index >= GetItemCount()) return false;
  const int order = items_[index].order;
  items_.erase(items_.begin() + index);
  for (SHeaderItem& other : items_)
    if (other.order > order) --other.order;
  RaiseRelayout();
  Invalidate();
  return true;
}

void SHeaderCtrl::RemoveAllColumns() {
  items_.clear();
  RaiseRelayout();
  Invalidate();
}

bool SHeaderCtrl::QueryColumn(int index, SHeaderItem* item) const {
  if (index < 0 || index >= GetItemCount() || !item) return false;
  const SHeaderItem& from = items_[index];
  if (item->mask & SHDI_TEXT) {
    item->text = from.text;
    item->textShown = from.textShown;
  }
  if (item->mask & SHDI_WIDTH) item->width = from.width;
  if (item->mask & SHDI_LPARAM) item->userData = from.userData;
  if (item->mask & SHDI_SORTFLAG) item->sortFlag = from.sortFlag;
  if (item->mask & SHDI_ORDER) item->order = from.order;
  return true;
}

int SHeaderCtrl::ColumnWidth(const SHeaderItem& item) const { return item.visible ? item.width.ToPixels(GetScale()) : 0; }

void SHeaderCtrl::SetColumnWidthQuietly(int index, int widthPx) {
  if (index < 0 || index >= GetItemCount()) return;
  items_[index].width = SLayoutSize(static_cast<float>(widthPx), SLayoutSize::px);
}

int SHeaderCtrl::GetColumnWidth(int index) const {
  if (index < 0 || index >= GetItemCount()) return -1;
  return ColumnWidth(items_[index]);
}

int SHeaderCtrl::GetTotalWidth() const {
  int total = 0;
  for (const SHeaderItem& item : items_) total += ColumnWidth(item);
  return total;
}

RECT SHeaderCtrl::GetColumnRect(int index) const {
  if (index < 0 || index >= GetItemCount() || !items_[index].visible) return RECT{0, 0, 0, 0};
  const RECT client = ClientRect();
  int x = client.left;
  for (int i = 0; i < index; ++i) x += ColumnWidth(items_[i]);
  return RECT{x, client.top, x + ColumnWidth(items_[index]), client.bottom};
}

int SHeaderCtrl::GetIndexByOrder(int order) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (items_[i].order == order) return i;
  return -1;
}

void SHeaderCtrl::SetItemSort(int index, int flag) {
  if (index < 0 || index >= GetItemCount() || items_[index].sortFlag == flag) return;
  items_[index].sortFlag = flag;
  InvalidateRect(GetColumnRect(index));
}

bool SHeaderCtrl::IsItemVisible(int index) const { return index >= 0 && index < GetItemCount() && items_[index].visible; }

void SHeaderCtrl::SetItemVisible(int index, bool visible) {
  if (index < 0 || index >= GetItemCount()) return;
  items_[index].visible = visible;
  Invalidate();
  EventHeaderItemChanged e(this);
  e.iItem = index;
  e.nWidth = GetColumnWidth(index);
  RaiseEvent(&e);
}

// A divider's left column is the previous column that shows, so that a
// hidden or empty column in between is never resized.
DWORD SHeaderCtrl::HitTestColumn(POINT pt) const {
  const RECT client = ClientRect();
  if (!PtInRect(&client, pt)) return kHitNone;
  const int zone = sortHeader_ ? 4 : 2;
  int x = client.left;
  int previous = -1;
  for (int i = 0; i < GetItemCount(); ++i) {
    const int w = ColumnWidth(items_[i]);
    if (w == 0) continue;
    if (pt.x < x + zone) return previous < 0 ? MakeHit(i, i) : MakeHit(previous, i);
    if (pt.x < x + w - zone) return MakeHit(i, i);
    if (pt.x < x + w) return MakeHit(i, i + 1 < GetItemCount() ? i + 1 : 0xFFFF);
    x += w;
    previous = i;
  }
  return kHitNone;
}

// --- painting -----------------------------------------------------------

void SHeaderCtrl::DrawItem(IRenderTarget* rt, const RECT& rc, const SHeaderItem& item) {
  if (!item.visible) return;
  if (itemSkin_) itemSkin_->DrawByIndex(rt, &rc, std::min(item.state, std::max(itemSkin_->StateCount() - 1, 0)));
  RECT text = rc;
  const UINT format = GetStyle().GetDrawTextFormat();
  rt->DrawText(item.textShown.c_str(), item.textShown.GetLength(), &text, format);
  if (item.sortFlag == 0 || !sortSkin_) return;
  const SIZE mark = sortSkin_->NaturalSize();
  const int x = (format & DT_RIGHT) ? rc.left + 2 : rc.right - 2 - mark.cx;
  const int y = rc.top + (rc.bottom - rc.top - mark.cy) / 2;
  const RECT where{x, y, x + mark.cx, y + mark.cy};
  sortSkin_->DrawByIndex(rt, &where, item.sortFlag == 1 ? 0 : 1);
}

void SHeaderCtrl::OnPaint(IRenderTarget* rt) {
  const SPaintState saved = ApplyPaintState(this, rt);
  const RECT client = ClientRect();
  int x = client.left;
  for (const SHeaderItem& item : items_) {
    if (!item.visible) continue;
    const RECT rc{x, client.top, x + ColumnWidth(item), client.bottom};
    DrawItem(rt, rc, item);
    x = rc.right;
    if (x >= client.right) break;
  }
  if (x < client.right && itemSkin_) {
    const RECT rest{x, client.top, client.right, client.bottom};
    itemSkin_->DrawByIndex(rt, &rest, std::min(3, std::max(itemSkin_->StateCount() - 1, 0)));
  }
  RestorePaintState(rt, saved);
}

void SHeaderCtrl::RedrawTitle(int index) {
  if (index < 0 || index >= GetItemCount()) return;
  PaintAtOnce(this, GetColumnRect(index), true, [&](IRenderTarget* rt) {
    const SPaintState saved = ApplyPaintState(this, rt);
    DrawItem(rt, GetColumnRect(index), items_[index]);
    RestorePaintState(rt, saved);
  });
}

// The titles in the order the drop would give, the dragged one's place
// left empty.
void SHeaderCtrl::PaintDragging() {
  const RECT client = ClientRect();
  PaintAtOnce(this, client, false, [&](IRenderTarget* rt) {
    const SPaintState saved = ApplyPaintState(this, rt);
    if (itemSkin_) itemSkin_->DrawByIndex(rt, &client, 0);
    const int dragged = LOWORD(hit_);
    std::vector<int> order;
    for (int i = 0; i < GetItemCount(); ++i)
      if (i != dragged) order.push_back(i);
    order.insert(order.begin() + std::min<int>(LOWORD(dropTarget_), static_cast<int>(order.size())), dragged);
    int x = client.left;
    for (int i : order) {
      const RECT rc{x, client.top, x + ColumnWidth(items_[i]), client.bottom};
      if (i != dragged) DrawItem(rt, rc, items_[i]);
      x = rc.right;
    }
    RestorePaintState(rt, saved);
  });
}

void SHeaderCtrl::MakeDragImage(int index) {
  EndDragImage();
  SApplication* app = SApplication::getSingletonPtr();
  const RECT client = ClientRect();
  const int w = ColumnWidth(items_[index]), h = client.bottom - client.top;
  if (!app || w <= 0 || h <= 0 || !app->GetRenderFactory()->CreateRenderTarget(&dragImage_, w, h)) return;
  const SPaintState saved = ApplyPaintState(this, dragImage_);
  DrawItem(dragImage_, RECT{0, 0, w, h}, items_[index]);
  RestorePaintState(dragImage_, saved);
}

void SHeaderCtrl::EndDragImage() {
  if (dragImage_) dragImage_->Release();
  dragImage_ = nullptr;
}

// --- mouse --------------------------------------------------------------

void SHeaderCtrl::OnPress(POINT pt) {
  SetCapture();
  pressed_ = true;
  pressPoint_ = pt;
  hit_ = HitTestColumn(pt);
  if (IsTitle(hit_) && sortHeader_) {
    items_[LOWORD(hit_)].state = 2;
    RedrawTitle(LOWORD(hit_));
  } else if (IsDivider(hit_)) {
    widthAtPress_ = GetColumnWidth(LOWORD(hit_));
  }
}

void SHeaderCtrl::OnMove(POINT pt) {
  if (!pressed_) {
    const DWORD hit = HitTestColumn(pt);
    if (hit != hit_ && sortHeader_) {
      if (IsTitle(hit_) && LOWORD(hit_) < GetItemCount()) {
        items_[LOWORD(hit_)].state = 0;
        RedrawTitle(LOWORD(hit_));
      }
      if (IsTitle(hit)) {
        items_[LOWORD(hit)].state = 1;
        RedrawTitle(LOWORD(hit));
      }
    }
    hit_ = hit;
    return;
  }
  if (IsTitle(hit_) && swapEnable_) {
    if (!dragging_) {
      dropTarget_ = hit_;
      PaintDragging();
      MakeDragImage(LOWORD(hit_));
      dragging_ = true;
      return;
    }
    const DWORD over = HitTestColumn(pt);
    if (IsTitle(over) && over != dropTarget_) {
      dropTarget_ = over;
      PaintDragging();
    }
    return;
  }
  if (hit_ != kHitNone && IsDivider(hit_) && !fixWidth_) {
    const int column = LOWORD(hit_);
    const int width = std::max(pt.x - pressPoint_.x + widthAtPress_, 0);
    SLayoutSize& size = items_[column].width;
    if (size.unit == SLayoutSize::px) size.fSize = static_cast<float>(width);
    else if (size.unit == SLayoutSize::dp) size.fSize = static_cast<float>(width) * 100.0f / GetScale();
    Invalidate();
    if (ISwndContainer* c = GetContainer()) c->UpdateNow();
    EventHeaderItemChanging e(this);
    e.iItem = column;
    e.nWidth = width;
    RaiseEvent(&e);
    RaiseRelayout();
  }
}

void SHeaderCtrl::OnRelease(POINT pt) {
  if (!pressed_) return;
  pressed_ = false;
  if (IsTitle(hit_)) {
    const int pressedColumn = LOWORD(hit_);
    if (dragging_) {
      EndDragImage();
      items_[pressedColumn].state = 0;
      if (IsTitle(dropTarget_) && dropTarget_ != hit_) {
        // Removed, then inserted at the drop target's index counted
        // without it: the order the drag showed.
        const int landing = std::min<int>(LOWORD(dropTarget_), GetItemCount() - 1);
        const SHeaderItem moved = items_[pressedColumn];
        items_.erase(items_.begin() + pressedColumn);
        items_.insert(items_.begin() + landing, moved);
        EventHeaderItemSwap swap(this);
        swap.iOldIndex = pressedColumn;
        swap.iNewIndex = landing;
        RaiseEvent(&swap);
        RaiseRelayout();
      }
      hit_ = HitTestColumn(pt);
      dropTarget_ = kHitNone;
      Invalidate();
    } else if (sortHeader_) {
      items_[pressedColumn].state = 1;
      RedrawTitle(pressedColumn);
      Invalidate();
      EventHeaderClick click(this);
      click.iItem = pressedColumn;
      RaiseEvent(&click);
    }
  } else if (IsDivider(hit_)) {
    EventHeaderItemChanged changed(this);
    changed.iItem = LOWORD(hit_);
    changed.nWidth = GetColumnWidth(LOWORD(hit_));
    RaiseEvent(&changed);
    RaiseRelayout();
  }
  dragging_ = false;
  ReleaseCapture();
}

void SHeaderCtrl::OnMouseLeaveHeader() {
  if (dragging_) return;
  if (IsTitle(hit_) && sortHeader_ && LOWORD(hit_) < GetItemCount()) {
    items_[LOWORD(hit_)].state = 0;
    RedrawTitle(LOWORD(hit_));
  }
  hit_ = kHitNone;
}

void SHeaderCtrl::CancelDrag() {
  if (!dragging_) return;
  if (sortHeader_ && IsTitle(hit_)) items_[LOWORD(hit_)].state = 0;
  hit_ = kHitNone;
  dropTarget_ = kHitNone;
  dragging_ = false;
  pressed_ = false;
  EndDragImage();
  ReleaseCapture();
  Invalidate();
}

BOOL SHeaderCtrl::ApplyStyleCursor(POINT pt) {
  if (fixWidth_ || !IsDivider(HitTestColumn(pt))) return SWindow::ApplyStyleCursor(pt);
  SApplication* app = SApplication::getSingletonPtr();
  HCURSOR cursor = app ? app->LoadCursorByName(IDC_SIZEWE, FALSE) : LoadCursorW(nullptr, IDC_SIZEWE);
  ::SetCursor(cursor);
  return TRUE;
}

// --- the rest -----------------------------------------------------------

BOOL SHeaderCtrl::RelayoutTo(const RECT* rc) {
  const RECT before = GetWindowRect();
  const BOOL done = SWindow::RelayoutTo(rc);
  const RECT after = GetWindowRect();
  if (!EqualRect(&before, &after)) RaiseRelayout();
  return done;
}

BOOL SHeaderCtrl::RefreshTranslation() {
  const BOOL result = SWindow::RefreshTranslation();
  for (SHeaderItem& item : items_) item.textShown = TranslateInContext(item.text);
  return result;
}

void SHeaderCtrl::Colorize(COLORREF color) {
  SWindow::Colorize(color);
  if (itemSkin_) itemSkin_->ApplyColorize(color);
  if (sortSkin_) sortSkin_->ApplyColorize(color);
}

void SHeaderCtrl::OnDestroy() {
  GetEventSet()->muted = 1;
  items_.clear();
  GetEventSet()->muted = 0;
  EndDragImage();
  SWindow::OnDestroy();
}

BOOL SHeaderCtrl::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_LBUTTONDOWN: OnPress(PointOfLParam(lParam)); return TRUE;
    case WM_LBUTTONUP: OnRelease(PointOfLParam(lParam)); return TRUE;
    case WM_MOUSEMOVE: OnMove(PointOfLParam(lParam)); return TRUE;
    case WM_MOUSELEAVE: OnMouseLeaveHeader(); return TRUE;
    case WM_ACTIVATEAPP: CancelDrag(); return TRUE;
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

}  // namespace ORIEL
