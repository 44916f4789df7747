#include "control/SListCtrl.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "control/SControlPaint.h"
#include "core/SLog.h"
#include "crt/qsort_s.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

POINT PointOfLParam(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

}  // namespace

SListCtrl::SListCtrl() {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  checkSkin_ = skins ? skins->GetSkin(SStringW(L"_skin.sys.checkbox"), GetScale()) : nullptr;
  GetEventSet()->AddEvent(EventLCSelChanging::EventID, EventLCSelChanging::EventName());
  GetEventSet()->AddEvent(EventLCSelChanged::EventID, EventLCSelChanged::EventName());
  GetEventSet()->AddEvent(EventLCItemDeleted::EventID, EventLCItemDeleted::EventName());
  GetEventSet()->AddEvent(EventLCDbClick::EventID, EventLCDbClick::EventName());
}

SListCtrl::~SListCtrl() {
  for (DXLVITEM& item : items_) FreeItem(item);
}

HRESULT SListCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  auto color = [&](COLORREF& target) {
    if (value.IsEmpty()) return false;
    target = SResProviderMgr::LookupNamedColor(value);
    return true;
  };
  auto skin = [&](ISkinObj*& target) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    target = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    hr = S_OK;
  };
  if (AttrNameIs(name, L"headerHeight")) {
    headerHeight_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"itemHeight")) {
    const int h = ParseAttrInt(value);
    if (h <= 0) return E_INVALIDARG;  // rows must have a height
    itemHeight_ = h;
  } else if (AttrNameIs(name, L"checkBox")) {
    checkBox_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"multiSelection")) {
    multiSelection_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"itemSkin")) {
    skin(itemSkin_);
  } else if (AttrNameIs(name, L"iconSkin")) {
    skin(iconSkin_);
  } else if (AttrNameIs(name, L"checkSkin")) {
    skin(checkSkin_);
  } else if (AttrNameIs(name, L"colorItemBkgnd")) {
    if (!color(colorBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorItemBkgnd2")) {
    if (!color(colorBack2_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorItemHotBkgnd")) {
    if (!color(colorHotBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorItemSelBkgnd")) {
    if (!color(colorSelBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorText")) {
    if (!color(colorText_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorSelText")) {
    if (!color(colorSelText_)) return E_FAIL;
  } else if (AttrNameIs(name, L"icon-x")) {
    iconX_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"icon-y")) {
    iconY_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"text-x")) {
    textX_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"text-y")) {
    textY_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"hotTrack")) {
    hotTrack_ = ParseAttrInt(value);
  } else {
    return SPanel::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

BOOL SListCtrl::CreateChildren(pugi::xml_node element) {
  SPanel::CreateChildren(element);
  for (SWindow* child = GetRelative(GSW_FIRSTCHILD); child; child = child->GetRelative(GSW_NEXTSIBLING)) {
    if (child->IsClass(SHeaderCtrl::GetClassName())) {
      header_ = static_cast<SHeaderCtrl*>(child);
      break;
    }
  }
  if (!header_) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SListCtrl", L"a report list needs a child header");
    return FALSE;
  }
  SStringW pos;
  pos.Format(L"0,0,-0,%d", headerHeight_);
  header_->ApplyAttribute(SStringW(L"pos"), pos, TRUE);
  header_->GetEventSet()->SubscribeEvent(EventHeaderItemChanging::EventID,
                                         Subscriber(&SListCtrl::OnHeaderChanging, this));
  header_->GetEventSet()->SubscribeEvent(EventHeaderItemSwap::EventID, Subscriber(&SListCtrl::OnHeaderSwap, this));
  return TRUE;
}

bool SListCtrl::OnHeaderChanging(EventArgs*) {
  UpdateBars();
  InvalidateRect(GetListRect());
  return true;
}

bool SListCtrl::OnHeaderSwap(EventArgs*) {
  InvalidateRect(GetListRect());
  return true;
}

// --- columns and items --------------------------------------------------

int SListCtrl::InsertColumn(int index, const SStringW& text, int widthPx, LPARAM data) {
  if (!header_) return -1;
  const int at = header_->AddColumn(index, text, widthPx, 0, data);
  const size_t columns = header_->GetItemCount();
  for (DXLVITEM& item : items_) item.arSubItems->resize(columns);
  UpdateBars();
  return at;
}

// The cells of a deleted column go with it; when it was the last one the
// rows go too, and their owners hear of each.
bool SListCtrl::DeleteColumn(int index) {
  if (!header_) return false;
  SHeaderItem column;
  if (!header_->QueryColumn(index, &column) || !header_->DeleteItem(index)) return false;
  if (header_->GetItemCount() == 0) {
    DeleteAllItems();
  } else {
    for (DXLVITEM& item : items_)
      if (column.order < static_cast<int>(item.arSubItems->size()))
        item.arSubItems->erase(item.arSubItems->begin() + column.order);
  }
  UpdateBars();
  return true;
}

int SListCtrl::InsertItem(int index, const SStringW& text, int image) {
  const int columns = GetColumnCount();
  if (columns == 0) return -1;
  if (index < 0 || index > static_cast<int>(items_.size())) index = static_cast<int>(items_.size());
  DXLVITEM item;
  item.arSubItems = new std::vector<DXLVSUBITEM>(columns);
  (*item.arSubItems)[0].text = text;
  (*item.arSubItems)[0].nImage = image;
  items_.insert(items_.begin() + index, item);
  UpdateBars();
  return index;
}

bool SListCtrl::SetItemCount(int count, int growStep) {
  if (count < static_cast<int>(items_.size())) return false;
  if (growStep > 0) items_.reserve(count + growStep);
  const int columns = GetColumnCount();
  while (static_cast<int>(items_.size()) < count) {
    DXLVITEM item;
    item.arSubItems = new std::vector<DXLVSUBITEM>(columns);
    items_.push_back(item);
  }
  UpdateBars();
  return true;
}

void SListCtrl::DeleteItem(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  EventLCItemDeleted e(this);
  e.nItem = index;
  e.dwData = items_[index].lParam;
  RaiseEvent(&e);
  FreeItem(items_[index]);
  items_.erase(items_.begin() + index);
  if (selected_ == index) selected_ = -1;
  else if (selected_ > index) --selected_;
  hot_ = -1;
  UpdateBars();
}

void SListCtrl::DeleteAllItems() {
  selected_ = -1;
  hot_ = -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    EventLCItemDeleted e(this);
    e.nItem = static_cast<int>(i);
    e.dwData = items_[i].lParam;
    RaiseEvent(&e);
  }
  for (DXLVITEM& item : items_) FreeItem(item);
  items_.clear();
  UpdateBars();
}

bool SListCtrl::SetItemData(int index, LPARAM data) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return false;
  items_[index].lParam = data;
  return true;
}

LPARAM SListCtrl::GetItemData(int index) const {
  return index >= 0 && index < static_cast<int>(items_.size()) ? items_[index].lParam : 0;
}

bool SListCtrl::SetSubItem(int row, int column, const DXLVSUBITEMINFO* info) {
  if (!info || row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return false;
  DXLVSUBITEM& cell = (*items_[row].arSubItems)[column];
  if (info->mask & S_LVIF_TEXT) cell.text = info->strText ? SStringW(info->strText) : SStringW();
  if (info->mask & S_LVIF_IMAGE) cell.nImage = info->nImage;
  if (info->mask & S_LVIF_PARAM) cell.lParam = info->lParam;
  RedrawItem(row);
  return true;
}

// The text never overruns the caller's buffer and always ends there.
bool SListCtrl::GetSubItem(int row, int column, DXLVSUBITEMINFO* info) const {
  if (!info || row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return false;
  const DXLVSUBITEM& cell = (*items_[row].arSubItems)[column];
  if ((info->mask & S_LVIF_TEXT) && info->strText && info->cchTextMax > 0) {
    const int n = std::min(cell.text.GetLength(), info->cchTextMax - 1);
    std::memcpy(info->strText, cell.text.c_str(), n * sizeof(wchar_t));
    info->strText[n] = 0;
  }
  if (info->mask & S_LVIF_IMAGE) info->nImage = cell.nImage;
  if (info->mask & S_LVIF_PARAM) info->lParam = cell.lParam;
  return true;
}

bool SListCtrl::SetSubItemText(int row, int column, const SStringW& text) {
  if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return false;
  (*items_[row].arSubItems)[column].text = text;
  InvalidateRect(GetItemRect(row, column));
  return true;
}

SStringW SListCtrl::GetSubItemText(int row, int column) const {
  if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return SStringW();
  return (*items_[row].arSubItems)[column].text;
}

// --- geometry -----------------------------------------------------------

RECT SListCtrl::GetListRect() const {
  RECT rc = ClientRect();
  rc.top = std::min(rc.top + headerHeight_, rc.bottom);
  return rc;
}

RECT SListCtrl::GetItemRect(int row, int column) const {
  RECT rc{0, 0, 0, 0};
  if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return rc;
  int x = 0;
  for (int i = 0; i < header_->GetItemCount(); ++i) {
    SHeaderItem item;
    header_->QueryColumn(i, &item);
    const int w = header_->GetColumnWidth(i);
    if (item.order == column) {
      const RECT list = GetListRect();
      rc = RECT{x, row * itemHeight_, x + w, (row + 1) * itemHeight_};
      OffsetRect(&rc, list.left - offsetX_, list.top - offsetY_);
      return rc;
    }
    x += w;
  }
  return rc;
}

int SListCtrl::HitTest(POINT pt) const {
  const RECT list = GetListRect();
  if (pt.y < list.top) return -1;  // the header strip is no row
  const int row = (offsetY_ + pt.y - list.top) / itemHeight_;
  return row < GetItemCount() ? row : -1;
}

int SListCtrl::GetTopIndex() const { return offsetY_ / itemHeight_; }

int SListCtrl::GetCountPerPage(bool roundUp) const {
  const RECT list = GetListRect();
  const int h = list.bottom - list.top;
  int n = h / itemHeight_;
  if (roundUp && h % itemHeight_) ++n;
  return std::max(n, 1);
}

void SListCtrl::PlaceHeader() {
  if (!header_) return;
  const RECT client = ClientRect();
  const RECT rc{client.left - offsetX_, client.top, client.right, client.top + headerHeight_};
  header_->Move(&rc);
}

// As the multi-column list decides them, on the area without bars; with
// only the vertical bar a page is a whole number of rows.
void SListCtrl::UpdateBars() {
  const RECT whole = SWindow::ClientRect();
  const int total = header_ ? header_->GetTotalWidth() : 0;
  const int height = GetItemCount() * itemHeight_;
  const int cx = std::max<int>(whole.right - whole.left, 0);
  const int cy = std::max<int>(whole.bottom - whole.top - headerHeight_, 0);
  const int s = GetScrollBarWidth();
  SCROLLINFO v = GetBarInfo(true);
  SCROLLINFO h = GetBarInfo(false);
  v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  v.nMin = h.nMin = 0;
  bool showV = false;
  bool showH = false;
  if (cy < height || (cy < height + s && cx < total)) {
    showV = true;
    v.nMax = height - 1;
    v.nPage = cy / itemHeight_ * itemHeight_;
    if (cx - s < total) {
      showH = true;
      h.nMax = total - 1;
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
    if (total <= cx) {
      h.nMax = cx - 1;
      h.nPos = 0;
    } else {
      showH = true;
      h.nMax = total - 1;
    }
  }
  SetBarInfo(v, true);
  SetBarInfo(h, false);
  const int bars = (showV ? kBarVert : 0) | (showH ? kBarHorz : 0);
  if (GetShownBars() != bars) {
    ShowScrollBar(kBarHorz | kBarVert, FALSE);
    if (bars) ShowScrollBar(bars, TRUE);
  }
  SendSwndMessage(SWM_NCCALCSIZE);
  offsetY_ = showV ? GetScrollPos(true) : 0;
  offsetX_ = showH ? GetScrollPos(false) : 0;
  if (showV && offsetY_ + static_cast<int>(v.nPage) > height) offsetY_ = std::max(height - static_cast<int>(v.nPage), 0);
  if (showH && offsetX_ + static_cast<int>(h.nPage) > total) offsetX_ = std::max(total - static_cast<int>(h.nPage), 0);
  PlaceHeader();
  Invalidate();
}

BOOL SListCtrl::HandleScrollCode(bool vertical, int code, int position) {
  if (!SPanel::HandleScrollCode(vertical, code, position)) return FALSE;
  if (vertical) {
    offsetY_ = GetScrollPos(true);
  } else {
    offsetX_ = GetScrollPos(false);
    PlaceHeader();
  }
  Invalidate();
  if (code == SB_THUMBTRACK) ThrottledUpdate();
  return TRUE;
}

// --- selection and checks -----------------------------------------------

BOOL SListCtrl::GetCheckState(int index) const {
  return index >= 0 && index < static_cast<int>(items_.size()) && (items_[index].dwState & kItemFlag) ? TRUE : FALSE;
}

bool SListCtrl::SetCheckState(int index, BOOL checked) {
  if (!checkBox_ || index < 0 || index >= static_cast<int>(items_.size())) return false;
  if (checked) items_[index].dwState |= kItemFlag;
  else items_[index].dwState &= ~kItemFlag;
  RedrawItem(index);  // the box must show what it holds
  return true;
}

int SListCtrl::GetCheckedItemCount() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const DXLVITEM& i) { return i.dwState & kItemFlag; }));
}

int SListCtrl::GetFirstCheckedItem() const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].dwState & kItemFlag) return static_cast<int>(i);
  return -1;
}

int SListCtrl::GetLastCheckedItem() const {
  for (size_t i = items_.size(); i-- > 0;)
    if (items_[i].dwState & kItemFlag) return static_cast<int>(i);
  return -1;
}

void SListCtrl::SetSelectedItem(int index) {
  if (index != selected_) ChangeSelection(selected_, index, false);
}

bool SListCtrl::IsKeyDown(int vk) const { return (GetKeyState(vk) & 0x8000) != 0; }

void SListCtrl::ChangeSelection(int oldSel, int newSel, bool checkBoxHit) {
  EventLCSelChanging changing(this);
  changing.nOldSel = oldSel;
  changing.nNewSel = newSel;
  RaiseEvent(&changing);
  if (changing.bCancel) return;
  const int count = static_cast<int>(items_.size());
  const bool extended = multiSelection_ || checkBox_;
  if (checkBoxHit || (extended && IsKeyDown(VK_CONTROL))) {
    if (newSel >= 0 && newSel < count) {
      items_[newSel].dwState ^= kItemFlag;
      selected_ = newSel;
      RedrawItem(newSel);
    }
  } else if (!extended || !IsKeyDown(VK_SHIFT)) {
    selected_ = -1;
    for (int i = 0; i < count; ++i) {
      if (i != newSel && (items_[i].dwState & kItemFlag)) {
        items_[i].dwState &= ~kItemFlag;
        RedrawItem(i);
      }
    }
    if (newSel >= 0 && newSel < count) {
      items_[newSel].dwState |= kItemFlag;
      selected_ = newSel;
      RedrawItem(newSel);
    }
  } else if (newSel != -1) {
    if (oldSel == -1) oldSel = 0;
    const int lo = std::min(oldSel, newSel);
    const int hi = std::max(oldSel, newSel);
    for (int i = 0; i < count; ++i) {
      const bool want = i >= lo && i <= hi;
      if (((items_[i].dwState & kItemFlag) != 0) != want) {
        items_[i].dwState ^= kItemFlag;
        RedrawItem(i);
      }
    }
  }
  EventLCSelChanged changed(this);
  changed.nOldSel = oldSel;
  changed.nNewSel = newSel;
  RaiseEvent(&changed);
}

// qsort_s moves the records byte by byte; their cells stay where they are.
bool SListCtrl::SortItems(CompareFunc compare, void* context) {
  if (!compare) return false;
  static_assert(std::is_trivially_copyable_v<DXLVITEM>);
  qsort_s(items_.data(), items_.size(), sizeof(DXLVITEM), compare, context);
  selected_ = -1;
  hot_ = -1;
  InvalidateRect(GetListRect());
  return true;
}

// --- painting -----------------------------------------------------------

void SListCtrl::OnPaint(IRenderTarget* rt) {
  const SPaintState saved = ApplyPaintState(this, rt);
  const RECT list = GetListRect();
  rt->PushClipRect(&list, kCombineAnd);
  const int first = offsetY_ / itemHeight_;
  const int last = first + GetCountPerPage(true);
  RECT rc{list.left, list.top - offsetY_ % itemHeight_, list.right, 0};
  rc.bottom = rc.top + itemHeight_;
  for (int i = first; i < GetItemCount() && i <= last; ++i) {
    DrawItem(rt, rc, i);
    OffsetRect(&rc, 0, itemHeight_);
  }
  rt->PopClip();
  RestorePaintState(rt, saved);
}

void SListCtrl::DrawItem(IRenderTarget* rt, const RECT& row, int index) {
  if (index < 0 || index >= GetItemCount()) return;
  const DXLVITEM& item = items_[index];
  COLORREF back = colorBack_;
  if ((index & 1) && colorBack2_ != kRenderNoColor) back = colorBack2_;
  COLORREF text = colorText_;
  int skinState = 0;
  const bool flagged = (item.dwState & kItemFlag) != 0;
  if (flagged || (hotTrack_ && index == hot_)) {
    if (itemSkin_) skinState = flagged ? 2 : 1;
    else back = flagged ? colorSelBack_ : colorHotBack_;
    text = colorSelText_ != kRenderNoColor ? colorSelText_ : colorText_;
  }
  RECT rc = row;
  if (back != kRenderNoColor) rt->FillSolidRect(&rc, back);
  if (itemSkin_) itemSkin_->DrawByIndex(rt, &rc, std::min(skinState, std::max(itemSkin_->StateCount() - 1, 0)));
  rc.left += 4;
  const COLORREF oldText = text != kRenderNoColor ? rt->SetTextColor(text) : kRenderNoColor;
  int x = rc.left - offsetX_;
  for (int i = 0; i < header_->GetItemCount(); ++i) {
    SHeaderItem column;
    header_->QueryColumn(i, &column);
    const int w = header_->GetColumnWidth(i);
    RECT cell{x, rc.top, x + w, rc.bottom};
    x += w;
    if (w <= 0 || cell.right <= row.left || cell.left >= row.right) continue;
    if (i == 0 && checkBox_ && checkSkin_) {
      const SIZE box = checkSkin_->NaturalSize();
      const int top = cell.top + (itemHeight_ - box.cy) / 2;
      const RECT where{cell.left + 3, top, cell.left + 3 + box.cx, top + box.cy};
      checkSkin_->DrawByIndex(rt, &where, flagged ? 4 : 0);
      cell.left += box.cx + 6;
    }
    if (column.order < 0 || column.order >= static_cast<int>(item.arSubItems->size())) continue;
    const DXLVSUBITEM& sub = (*item.arSubItems)[column.order];
    int textLeft = cell.left;
    if (sub.nImage != -1 && iconSkin_) {
      const SIZE icon = iconSkin_->NaturalSize();
      const int ix = iconX_ != -1 ? iconX_ : itemHeight_ / 6;
      const int iy = iconY_ != -1 ? iconY_ : (itemHeight_ - icon.cy) / 2;
      const RECT where{cell.left + ix, cell.top + iy, cell.left + ix + icon.cx, cell.top + iy + icon.cy};
      iconSkin_->DrawByIndex(rt, &where, sub.nImage);
      textLeft = where.right + itemHeight_ / 6;
    }
    if (textX_ != -1) textLeft = cell.left + textX_;
    RECT area{textLeft, cell.top, cell.right, cell.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (textY_ != -1) {
      area.top = cell.top + textY_;
      format = DT_SINGLELINE;
    }
    rt->DrawText(sub.text.c_str(), sub.text.GetLength(), &area, format);
  }
  if (text != kRenderNoColor) rt->SetTextColor(oldText);
}

void SListCtrl::RedrawItem(int index) {
  if (!IsVisible(TRUE) || index < 0 || index >= GetItemCount()) return;
  const int top = GetTopIndex();
  if (index < top || index > top + GetCountPerPage(true)) return;
  const RECT list = GetListRect();
  const RECT rc{list.left, list.top + index * itemHeight_ - offsetY_, list.right,
                list.top + (index + 1) * itemHeight_ - offsetY_};
  RECT visible;
  if (!IntersectRect(&visible, &rc, &list)) return;
  PaintAtOnce(this, visible, true, [&](IRenderTarget* rt) {
    const SPaintState saved = ApplyPaintState(this, rt);
    DrawItem(rt, rc, index);
    RestorePaintState(rt, saved);
  });
}

// --- input --------------------------------------------------------------

int SListCtrl::FirstColumnLeft() const { return GetListRect().left + 4 + 3 - offsetX_; }

bool SListCtrl::HitsCheckBox(POINT pt) const {
  if (!checkBox_ || !checkSkin_) return false;
  const int left = FirstColumnLeft();
  return pt.x >= left && pt.x < left + checkSkin_->NaturalSize().cx;
}

void SListCtrl::OnPress(POINT pt) {
  LRESULT ignored = 0;
  SPanel::HandleSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y), ignored);
  hot_ = HitTest(pt);
  if (hot_ != -1 && HitsCheckBox(pt)) ChangeSelection(selected_, hot_, true);
  else if (selected_ != -1 || hot_ != -1) ChangeSelection(selected_, hot_, false);
}

void SListCtrl::OnDoubleClick(POINT pt) {
  hot_ = HitTest(pt);
  if (hot_ != selected_) ChangeSelection(selected_, hot_, false);
  EventLCDbClick e(this);
  e.nCurSel = hot_;
  RaiseEvent(&e);
}

void SListCtrl::OnMove(POINT pt) {
  if (!hotTrack_) return;
  const int row = HitTest(pt);
  if (row == hot_) return;
  hot_ = row;
  Invalidate();
}

// --- messages -----------------------------------------------------------

void SListCtrl::OnDestroy() {
  DeleteAllItems();
  SPanel::OnDestroy();
}

BOOL SListCtrl::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case SWM_SIZE:
      SPanel::HandleSwndMessage(msg, wParam, lParam, result);
      UpdateBars();
      return TRUE;
    case WM_LBUTTONDOWN: OnPress(PointOfLParam(lParam)); return TRUE;
    case WM_LBUTTONDBLCLK: OnDoubleClick(PointOfLParam(lParam)); return TRUE;
    case WM_MOUSEMOVE:
      SPanel::HandleSwndMessage(msg, wParam, lParam, result);
      OnMove(PointOfLParam(lParam));
      return TRUE;
    case WM_MOUSELEAVE:
      SPanel::HandleSwndMessage(msg, wParam, lParam, result);
      if (hotTrack_) {
        hot_ = -1;
        Invalidate();
      }
      return TRUE;
    default: return SPanel::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

}  // namespace ORIEL
