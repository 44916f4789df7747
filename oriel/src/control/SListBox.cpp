#include "control/SListBox.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

POINT PointOfLParam(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

}  // namespace

SListBox::SListBox() {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventLBSelChanging::EventID, EventLBSelChanging::EventName());
  GetEventSet()->AddEvent(EventLBSelChanged::EventID, EventLBSelChanged::EventName());
  GetEventSet()->AddEvent(EventLBDbClick::EventID, EventLBDbClick::EventName());
}

HRESULT SListBox::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  auto color = [&](COLORREF& target) {
    if (value.IsEmpty()) return false;
    target = SResProviderMgr::LookupNamedColor(value);
    return true;
  };
  if (AttrNameIs(name, L"itemHeight")) {
    const SLayoutSize height = SResProviderMgr::LookupNamedDimension(value);
    if (height.ToPixels(GetScale()) <= 0) return E_INVALIDARG;  // rows must have a height
    rowHeight_ = height;
  } else if (AttrNameIs(name, L"itemSkin") || AttrNameIs(name, L"iconSkin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    (AttrNameIs(name, L"itemSkin") ? rowSkin_ : iconSkin_) = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    hr = S_OK;
  } else if (AttrNameIs(name, L"colorItemBkgnd")) {
    if (!color(rowBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorItemBkgnd2")) {
    if (!color(oddRowBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorItemSelBkgnd")) {
    if (!color(selBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorItemHotBkgnd")) {
    if (!color(hotBack_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorText")) {
    if (!color(text_)) return E_FAIL;
  } else if (AttrNameIs(name, L"colorSelText")) {
    if (!color(selText_)) return E_FAIL;
  } else if (AttrNameIs(name, L"icon-x")) {
    iconX_ = SLayoutSize::FromString(value);
  } else if (AttrNameIs(name, L"icon-y")) {
    iconY_ = SLayoutSize::FromString(value);
  } else if (AttrNameIs(name, L"text-x")) {
    textX_ = SLayoutSize::FromString(value);
  } else if (AttrNameIs(name, L"text-y")) {
    textY_ = SLayoutSize::FromString(value);
  } else if (AttrNameIs(name, L"hotTrack")) {
    hotTrack_ = ParseAttrInt(value);
  } else {
    return SScrollView::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

// Rows come from the "item" elements of "items" only; the window makes
// no child windows.
BOOL SListBox::CreateChildren(pugi::xml_node element) {
  if (pugi::xml_node items = XmlChild(element, L"items")) {
    for (pugi::xml_node n = XmlChild(items, L"item"); n; n = n.next_sibling()) {
      if (n.type() != pugi::node_element || !XmlNameIs(n.name(), L"item")) continue;
      pugi::xml_attribute icon = XmlAttr(n, L"icon");
      const int iconIndex = icon ? ParseAttrInt(XmlValue(icon)) : -1;
      const LPARAM data = static_cast<LPARAM>(wcstoul(XmlValue(XmlAttr(n, L"data")).c_str(), nullptr, 10));
      InsertEntry(-1, SResProviderMgr::LookupNamedString(XmlValue(XmlAttr(n, L"text"))), iconIndex, data);
    }
  }
  pugi::xml_attribute sel = XmlAttr(element, L"curSel");
  SetCurSel(sel ? ParseAttrInt(XmlValue(sel)) : -1);
  return TRUE;
}

// --- rows ---------------------------------------------------------------

int SListBox::InsertEntry(int index, const SStringW& text, int icon, LPARAM data) {
  auto row = std::make_unique<LBITEM>();
  row->text = text;
  row->textShown = TranslateInContext(text);
  row->icon = icon;
  row->data = data;
  return InsertRecord(index, std::move(row));
}

// Any index outside the rows, negative ones included, appends.
int SListBox::InsertRecord(int index, std::unique_ptr<LBITEM> row) {
  const int n = GetCount();
  if (index < 0 || index > n) index = n;
  rows_.insert(rows_.begin() + index, std::move(row));
  if (selected_ >= index) ++selected_;
  if (hover_ >= index) ++hover_;
  UpdateListViewSize();
  return index;
}

bool SListBox::DeleteEntry(int index) {
  if (index < 0 || index >= GetCount()) return false;
  rows_.erase(rows_.begin() + index);
  for (int* mark : {&selected_, &hover_}) {
    if (*mark == index) *mark = -1;
    else if (*mark > index) --*mark;
  }
  UpdateListViewSize();
  return true;
}

void SListBox::DeleteAll() {
  rows_.clear();
  selected_ = hover_ = -1;
  SetViewSize(SIZE{0, 0});
  Invalidate();
}

void SListBox::UpdateListViewSize() {
  const RECT own = SWindow::ClientRect();
  const int height = GetCount() * GetItemPixelHeight();
  int width = own.right - own.left;
  if (height > own.bottom - own.top) width -= GetScrollBarWidth();
  SetViewSize(SIZE{width, height});
  Invalidate();
}

bool SListBox::SetCurSel(int index) {
  if (index >= GetCount()) return false;
  if (index < 0) index = -1;
  if (index == selected_) return false;
  const int old = selected_;
  selected_ = index;
  if (IsVisible(TRUE)) {
    RedrawRow(old);
    RedrawRow(index);
  }
  return true;
}

LPARAM SListBox::GetItemData(int index) const { return index >= 0 && index < GetCount() ? rows_[index]->data : 0; }

bool SListBox::SetItemData(int index, LPARAM data) {
  if (index < 0 || index >= GetCount()) return false;
  rows_[index]->data = data;
  return true;
}

SStringW SListBox::GetEntryText(int index, bool raw) const {
  if (index < 0 || index >= GetCount()) return SStringW();
  return raw ? rows_[index]->text : rows_[index]->textShown;
}

int SListBox::FindString(int start, const SStringW& text) const {
  for (int i = std::max(start + 1, 0); i < GetCount(); ++i)
    if (rows_[i]->text == text) return i;
  return -1;
}

bool SListBox::SetItemPixelHeight(int index, int height) {
  if (height <= 0 || index < 0 || index >= GetCount()) return false;
  rowHeight_ = SLayoutSize(static_cast<float>(height), SLayoutSize::px);
  return true;
}

bool SListBox::ScrollToIndex(int index) {
  if (index < 0 || index >= GetCount()) return false;
  HandleScrollCode(true, SB_THUMBPOSITION, index * GetItemPixelHeight());
  return true;
}

int SListBox::GetFirstVisibleIndex() const { return GetViewOrigin().y / GetItemPixelHeight(); }

int SListBox::HitTest(POINT pt, POINT* relative) const {
  const RECT client = ClientRect();
  if (!PtInRect(&client, pt)) return -1;
  const int h = GetItemPixelHeight();
  const int y = pt.y - client.top + GetViewOrigin().y;
  if (y / h >= GetCount()) return -1;
  if (relative) *relative = POINT{pt.x - client.left, y % h};
  return y / h;
}

void SListBox::EnsureVisible(int index) {
  if (index < 0 || index >= GetCount()) return;
  const int h = GetItemPixelHeight();
  const RECT client = ClientRect();
  const int first = (GetViewOrigin().y + h - 1) / h;
  const int visible = (client.bottom - client.top) / h;
  if (index >= first && index <= first + visible - 1) return;
  const int by = index < first ? (index - first) * h : (index + 1 - visible - first) * h;
  HandleScrollCode(true, SB_THUMBPOSITION, GetScrollPos(true) + by);
}

void SListBox::FireSelectionChange(int oldSel, int newSel) {
  EventLBSelChanging changing(this);
  changing.nOldSel = oldSel;
  changing.nNewSel = newSel;
  RaiseEvent(&changing);
  if (changing.bCancel) return;
  selected_ = newSel;
  if (oldSel != -1) RedrawRow(oldSel);
  if (newSel != -1) RedrawRow(newSel);
  EventLBSelChanged changed(this);
  changed.nOldSel = oldSel;
  changed.nNewSel = newSel;
  RaiseEvent(&changed);
}

// --- painting -----------------------------------------------------------

RECT SListBox::RowRect(int index) const {
  const RECT client = ClientRect();
  const int h = GetItemPixelHeight();
  const int top = client.top + index * h - GetViewOrigin().y;
  return RECT{client.left, top, client.right, top + h};
}

void SListBox::OnPaint(IRenderTarget* rt) {
  const SPaintState saved = ApplyPaintState(this, rt);
  const RECT client = ClientRect();
  const int h = GetItemPixelHeight();
  const int first = GetViewOrigin().y / h;
  const int last = std::min(first + (client.bottom - client.top + h - 1) / h, GetCount() - 1);
  for (int i = first; i <= last; ++i) PaintEntry(rt, RowRect(i), i);
  RestorePaintState(rt, saved);
}

void SListBox::PaintEntry(IRenderTarget* rt, const RECT& rc, int index) {
  if (index < 0 || index >= GetCount()) return;
  const LBITEM& row = *rows_[index];
  const int h = GetItemPixelHeight();
  const int scale = GetScale();
  COLORREF back = rowBack_;
  if ((index & 1) && oddRowBack_ != kRenderNoColor) back = oddRowBack_;
  COLORREF text = text_;
  int skinState = 0;
  if (index == selected_) {
    if (rowSkin_) skinState = 2;
    else if (selBack_ != kRenderNoColor) back = selBack_;
    if (selText_ != kRenderNoColor) text = selText_;
  } else if (index == hover_ && hotTrack_) {
    if (rowSkin_) skinState = 1;
    else if (hotBack_ != kRenderNoColor) back = hotBack_;
    if (selText_ != kRenderNoColor) text = selText_;
  }
  if (back != kRenderNoColor) rt->FillSolidRect(&rc, back);
  if (rowSkin_) rowSkin_->DrawByIndex(rt, &rc, std::min(skinState, std::max(rowSkin_->StateCount() - 1, 0)));
  const COLORREF oldText = text != kRenderNoColor ? rt->SetTextColor(text) : kRenderNoColor;

  int textLeft = rc.left;
  if (row.icon != -1 && iconSkin_) {
    const SIZE icon = iconSkin_->NaturalSize();
    const int x = iconX_.IsValid() ? iconX_.ToPixels(scale) : h / 6;
    const int y = iconY_.IsValid() ? iconY_.ToPixels(scale) : (h - icon.cy) / 2;
    const RECT where{rc.left + x, rc.top + y, rc.left + x + icon.cx, rc.top + y + icon.cy};
    iconSkin_->DrawByIndex(rt, &where, row.icon);
    textLeft = where.right + h / 6;
  }
  if (textX_.IsValid()) textLeft = rc.left + textX_.ToPixels(scale);
  RECT area{textLeft, rc.top, rc.right, rc.bottom};
  UINT format = DT_SINGLELINE | DT_VCENTER;
  if (textY_.IsValid()) {
    area.top = rc.top + textY_.ToPixels(scale);
    format = DT_SINGLELINE;
  }
  rt->DrawText(row.textShown.c_str(), row.textShown.GetLength(), &area, format);
  if (text != kRenderNoColor) rt->SetTextColor(oldText);
}

void SListBox::RedrawRow(int index) {
  if (index < 0 || index >= GetCount() || !IsVisible(TRUE)) return;
  const int h = GetItemPixelHeight();
  const RECT client = ClientRect();
  const int first = GetViewOrigin().y / h;
  const int last = first + (client.bottom - client.top + h - 1) / h;
  if (index < first || index > last) return;
  const RECT rc = RowRect(index);
  RECT visible;
  if (!IntersectRect(&visible, &rc, &client)) return;
  PaintAtOnce(this, visible, true, [&](IRenderTarget* rt) {
    const SPaintState saved = ApplyPaintState(this, rt);
    PaintEntry(rt, rc, index);
    RestorePaintState(rt, saved);
  });
}

// --- input --------------------------------------------------------------

void SListBox::OnPress(POINT pt) {
  LRESULT ignored = 0;
  SScrollView::HandleSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y), ignored);
  if (hotTrack_) return;
  hover_ = HitTest(pt);
  if (hover_ != selected_) FireSelectionChange(selected_, hover_);
}

void SListBox::OnRelease(POINT pt) {
  if (hotTrack_) {
    hover_ = HitTest(pt);
    if (hover_ != selected_) FireSelectionChange(selected_, hover_);
  }
  LRESULT ignored = 0;
  SScrollView::HandleSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y), ignored);
}

void SListBox::OnDoubleClick(POINT pt) {
  hover_ = HitTest(pt);
  if (hover_ != selected_) FireSelectionChange(selected_, hover_);
  EventLBDbClick e(this);
  e.nCurSel = hover_;
  RaiseEvent(&e);
}

void SListBox::OnMove(POINT pt) {
  const int old = hover_;
  hover_ = HitTest(pt);
  if (!hotTrack_ || old == hover_) return;
  RedrawRow(old);
  RedrawRow(hover_);
  RedrawRow(selected_);
}

void SListBox::OnKey(UINT key) {
  const int n = GetCount();
  if (n == 0) return;
  const int from = hotTrack_ && hover_ != -1 ? hover_ : selected_;
  const int page = std::max(1, static_cast<int>((ClientRect().bottom - ClientRect().top) / GetItemPixelHeight()));
  int next = -1;
  switch (key) {
    case VK_DOWN: next = from + 1; break;
    case VK_UP: next = from <= 0 ? -1 : from - 1; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = n - 1; break;
    case VK_NEXT: next = std::min(std::max(from, 0) + page, n - 1); break;
    case VK_PRIOR: next = std::max(from - page, 0); break;
    default: return;
  }
  if (next < 0 || next >= n) return;
  const int oldHover = hover_;
  if (hotTrack_) hover_ = -1;
  EnsureVisible(next);
  if (next != selected_) FireSelectionChange(selected_, next);
  else RedrawRow(next);
  if (oldHover != -1 && oldHover != selected_ && oldHover != next) RedrawRow(oldHover);
}

// --- lifecycle and messages ---------------------------------------------

BOOL SListBox::RefreshTranslation() {
  const BOOL result = SScrollView::RefreshTranslation();
  for (auto& row : rows_) row->textShown = TranslateInContext(row->text);
  Invalidate();
  return result;
}

void SListBox::OnShowWindow(BOOL show, UINT status) {
  if (!show) hover_ = -1;
  SScrollView::OnShowWindow(show, status);
}

void SListBox::OnDestroy() {
  rows_.clear();
  SScrollView::OnDestroy();
}

BOOL SListBox::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case SWM_SIZE:
      SScrollView::HandleSwndMessage(msg, wParam, lParam, result);
      UpdateListViewSize();
      return TRUE;
    case WM_LBUTTONDOWN: OnPress(PointOfLParam(lParam)); return TRUE;
    case WM_LBUTTONUP: OnRelease(PointOfLParam(lParam)); return TRUE;
    case WM_LBUTTONDBLCLK: OnDoubleClick(PointOfLParam(lParam)); return TRUE;
    case WM_MOUSEMOVE: OnMove(PointOfLParam(lParam)); return TRUE;
    case WM_KEYDOWN: OnKey(static_cast<UINT>(wParam)); return TRUE;
    case WM_CHAR:
      if (SWindow* owner = GetOwner()) result = owner->SendSwndMessage(msg, wParam, lParam);
      return TRUE;
    case WM_MOUSELEAVE: {
      SScrollView::HandleSwndMessage(msg, wParam, lParam, result);
      const int old = hover_;
      hover_ = -1;
      RedrawRow(old);
      return TRUE;
    }
    default: return SScrollView::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

}  // namespace ORIEL
