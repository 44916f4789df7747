#include "control/STreeCtrl.h"

#include <algorithm>
#include <vector>

#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "crt/qsort_s.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

POINT PointOfLParam(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

ISkinObj* SystemSkin(const wchar_t* name) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins ? skins->GetSkin(SStringW(name), 100) : nullptr;
}

// States come in groups of three (normal, hover, pushed). A skin drawn
// with two states per group (no pushed look) shows pushed as hover.
int SkinState(const ISkinObj* skin, int state) {
  const int count = skin->StateCount();
  if (state < count) return state;
  const int group = state / 3, mode = state % 3;
  if (group * 2 + 1 < count) return group * 2 + (mode ? 1 : 0);
  return std::max(count - 1, 0);
}

// The connector states, for a lines skin of four (vertical, tee, corner,
// horizontal) instead of nine.
int LinesState(const ISkinObj* skin, int state) {
  if (state < skin->StateCount()) return state;
  switch (state) {
    case 6: return 0;
    case 1: case 4: case 7: return 1;
    case 2: case 5: case 8: return 2;
    default: return std::min(3, skin->StateCount() - 1);
  }
}

bool ParseBool(const SStringW& v) { return !(v == L"0" || v.CompareNoCase(L"false") == 0); }

}  // namespace

STreeCtrl::STreeCtrl() {
  toggleSkin_ = SystemSkin(L"_skin.sys.tree.toggle");
  checkSkin_ = SystemSkin(L"_skin.sys.tree.checkbox");
  linesSkin_ = SystemSkin(L"_skin.sys.tree.lines");
  GetEventSet()->AddEvent(EventTCSelChanging::EventID, EventTCSelChanging::EventName());
  GetEventSet()->AddEvent(EventTCSelChanged::EventID, EventTCSelChanged::EventName());
  GetEventSet()->AddEvent(EventTCExpand::EventID, EventTCExpand::EventName());
  GetEventSet()->AddEvent(EventTCCheckState::EventID, EventTCCheckState::EventName());
  GetEventSet()->AddEvent(EventTCDbClick::EventID, EventTCDbClick::EventName());
}

STreeCtrl::~STreeCtrl() = default;

HRESULT STreeCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
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
  if (AttrNameIs(name, L"indent")) indent_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"itemHeight")) itemHeight_ = std::max(ParseAttrInt(value), 1);
  else if (AttrNameIs(name, L"itemMargin")) itemMargin_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"checkBox")) checkBox_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"rightClickSel")) rightClickSel_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"itemBkgndSkin")) skin(itemBkgndSkin_);
  else if (AttrNameIs(name, L"itemSelSkin")) skin(itemSelSkin_);
  else if (AttrNameIs(name, L"toggleSkin")) skin(toggleSkin_);
  else if (AttrNameIs(name, L"iconSkin")) skin(iconSkin_);
  else if (AttrNameIs(name, L"checkSkin")) skin(checkSkin_);
  else if (AttrNameIs(name, L"colorItemBkgnd")) { if (!color(colorItemBkgnd_)) return E_FAIL; }
  else if (AttrNameIs(name, L"colorItemSelBkgnd")) { if (!color(colorItemSelBkgnd_)) return E_FAIL; }
  else if (AttrNameIs(name, L"colorItemText")) { if (!color(colorItemText_)) return E_FAIL; }
  else if (AttrNameIs(name, L"colorItemSelText")) { if (!color(colorItemSelText_)) return E_FAIL; }
  else if (AttrNameIs(name, L"hasLines")) hasLines_ = ParseBool(value);
  else return SScrollView::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, hr);
}

BOOL STreeCtrl::CreateChildren(pugi::xml_node element) {
  if (!element) return FALSE;
  RemoveAllItems();
  ItemLayout();
  LoadBranch(STVI_ROOT, XmlChild(element, L"item"));
  return TRUE;
}

void STreeCtrl::LoadBranch(HSTREEITEM parent, pugi::xml_node node) {
  for (; node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element || !XmlNameIs(node.name(), L"item")) continue;
    const HSTREEITEM item = InsertItem(node, parent);
    if (!item) continue;
    if (pugi::xml_node child = XmlChild(node, L"item")) {
      LoadBranch(item, child);
      pugi::xml_attribute expand = XmlAttr(node, L"expand");
      Expand(item, !expand || ParseBool(XmlValue(expand)) ? TVE_EXPAND : TVE_COLLAPSE);
    }
  }
}

void STreeCtrl::LoadItemAttribute(pugi::xml_node element, tagTVITEM& item) {
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    const SStringW name = XmlText(a.name());
    if (name == L"text") item.strText = XmlValue(a);
    else if (name == L"img") item.nImage = ParseAttrInt(XmlValue(a));
    else if (name == L"selImg") item.nSelectedImage = ParseAttrInt(XmlValue(a));
    else if (name == L"data") item.lParam = static_cast<LPARAM>(wcstoul(XmlValue(a).c_str(), nullptr, 10));
  }
}

// The parts of a row left to right, each centred in the row's height.
void STreeCtrl::ItemLayout() {
  parts_ = 0;
  int x = 0;
  auto place = [&](RECT& rc, SIZE size, UINT bit) {
    const int top = (itemHeight_ - size.cy) / 2;
    rc = RECT{x, top, x + size.cx, top + size.cy};
    x = rc.right;
    parts_ |= bit;
  };
  toggleRect_ = checkRect_ = iconRect_ = RECT{0, 0, 0, 0};
  if (hasLines_) place(toggleRect_, SIZE{indent_, indent_}, kHasToggle);
  else if (toggleSkin_) place(toggleRect_, toggleSkin_->NaturalSize(), kHasToggle);
  if (checkBox_ && checkSkin_) place(checkRect_, checkSkin_->NaturalSize(), kHasCheck);
  if (iconSkin_) place(iconRect_, iconSkin_->NaturalSize(), kHasIcon);
  partsRight_ = x;
}

void STreeCtrl::CalcItemContentWidth(tagTVITEM& item) {
  IRenderTarget* rt = nullptr;
  SIZE size{0, 0};
  if (SApplication* app = SApplication::getSingletonPtr()) {
    app->GetRenderFactory()->CreateRenderTarget(&rt, 1, 1);
    if (rt) {
      const SPaintState saved = ApplyPaintState(this, rt);
      rt->MeasureText(item.strText.c_str(), item.strText.GetLength(), &size);
      RestorePaintState(rt, saved);
      rt->Release();
    }
  }
  item.nContentWidth = partsRight_ + 2 * itemMargin_ + size.cx;
}

// --- items --------------------------------------------------------------

HSTREEITEM STreeCtrl::InsertItem(const SStringW& text, int image, int selImage, LPARAM data, HSTREEITEM parent,
                                 HSTREEITEM after, BOOL ensureVisible) {
  tagTVITEM item;
  item.strText = text;
  item.nImage = image;
  item.nSelectedImage = selImage;
  item.lParam = data;
  if (after != STVI_FIRST && after != STVI_LAST) {
    const HSTREEITEM owner = GetParentItem(after);
    if (!after || (parent == STVI_ROOT ? owner != 0 : owner != parent)) return 0;
  }
  if (parent != STVI_ROOT) {
    if (!parent) return 0;
    tagTVITEM& p = GetItem(parent);
    item.nLevel = p.nLevel + 1;
    if (p.bCollapsed || !p.bVisible) item.bVisible = FALSE;
    if (!p.bHasChildren) {
      p.bHasChildren = TRUE;
      CalcItemContentWidth(p);
    }
  }
  CalcItemContentWidth(item);
  const HSTREEITEM h = CSTree<tagTVITEM>::InsertItem(item, parent, after);
  if (!h) return 0;
  GetItem(h).hItem = h;
  OnInsertItem(h);
  // A new unchecked child makes a checked parent partly checked.
  if (checkBox_ && parent != STVI_ROOT) PropagateUp(h, 0);
  if (item.bVisible) {
    ++visibleRows_;
    maxWidth_ = std::max(maxWidth_, GetItemWidth(GetItem(h)));
    RenewViewSize();
    Invalidate();
  }
  if (ensureVisible) EnsureVisible(h);
  return h;
}

HSTREEITEM STreeCtrl::InsertItem(pugi::xml_node element, HSTREEITEM parent, HSTREEITEM after, BOOL ensureVisible) {
  tagTVITEM attrs;
  LoadItemAttribute(element, attrs);
  return InsertItem(attrs.strText, attrs.nImage, attrs.nSelectedImage, attrs.lParam, parent, after, ensureVisible);
}

bool STreeCtrl::InSubtree(HSTREEITEM item, HSTREEITEM top) const {
  for (HSTREEITEM at = item; at; at = GetParentItem(at))
    if (at == top) return true;
  return false;
}

BOOL STreeCtrl::RemoveItem(HSTREEITEM item) {
  if (!item || item == STVI_ROOT) return FALSE;
  tagTVITEM& t = GetItem(item);
  const bool visible = t.bVisible;
  const int widest = visible ? GetMaxItemWidth(item) : 0;
  if (visible && !t.bCollapsed) ShowChildren(item, false);
  if (InSubtree(selected_, item)) selected_ = 0;
  if (InSubtree(hover_, item)) hover_ = 0;
  if (InSubtree(captured_, item)) captured_ = 0;
  const HSTREEITEM parent = GetParentItem(item);
  EraseNode(item);
  if (parent) {
    tagTVITEM& p = GetItem(parent);
    if (!GetChildItem(parent)) {
      p.bHasChildren = FALSE;
      p.bCollapsed = FALSE;
      CalcItemContentWidth(p);
    } else if (checkBox_) {
      PropagateUp(GetChildItem(parent), GetItem(GetChildItem(parent)).nCheckBoxValue);
    }
  }
  if (visible) {
    --visibleRows_;
    if (widest >= maxWidth_) maxWidth_ = GetMaxItemWidth();
    RenewViewSize();
    Invalidate();
  }
  return TRUE;
}

void STreeCtrl::RemoveAllItems() {
  DeleteAllItems();
  selected_ = hover_ = captured_ = 0;
  visibleRows_ = 0;
  maxWidth_ = 0;
  SetViewSize(SIZE{0, 0});
  SetViewOrigin(POINT{0, 0});
}

void STreeCtrl::ShowChildren(HSTREEITEM item, bool show) {
  for (HSTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c)) {
    tagTVITEM& t = GetItem(c);
    t.bVisible = show;
    visibleRows_ += show ? 1 : -1;
    if (!t.bCollapsed) ShowChildren(c, show);
  }
}

void STreeCtrl::RenewViewSize() { SetViewSize(SIZE{maxWidth_, itemHeight_ * visibleRows_}); }

BOOL STreeCtrl::Expand(HSTREEITEM item, UINT code) {
  if (!item || item == STVI_ROOT || !GetChildItem(item)) return FALSE;
  tagTVITEM& t = GetItem(item);
  const BOOL collapse = code == TVE_COLLAPSE ? TRUE : code == TVE_EXPAND ? FALSE : !t.bCollapsed;
  if (collapse == t.bCollapsed) return FALSE;
  t.bCollapsed = collapse;
  if (t.bVisible) ShowChildren(item, !collapse);
  EventTCExpand e(this);
  e.hItem = item;
  e.bCollapsed = collapse;
  RaiseEvent(&e);
  maxWidth_ = GetMaxItemWidth();
  RenewViewSize();
  Invalidate();
  return TRUE;
}

int STreeCtrl::RowOf(HSTREEITEM item) const {
  int row = 0;
  for (HSTREEITEM at = GetRootItem(); at; ++row) {
    if (at == item) return row;
    const tagTVITEM& t = GetItem(at);
    HSTREEITEM next = !t.bCollapsed ? GetChildItem(at) : 0;
    for (HSTREEITEM up = at; !next && up; up = GetParentItem(up)) next = GetNextSiblingItem(up);
    at = next;
  }
  return -1;
}

BOOL STreeCtrl::EnsureVisible(HSTREEITEM item) {
  if (!item || item == STVI_ROOT) return FALSE;
  if (!GetItem(item).bVisible) {
    std::vector<HSTREEITEM> closed;
    for (HSTREEITEM p = GetParentItem(item); p; p = GetParentItem(p))
      if (GetItem(p).bCollapsed) closed.push_back(p);
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) Expand(*it, TVE_EXPAND);
  }
  const int y = RowOf(item) * itemHeight_;
  const RECT client = ClientRect();
  POINT origin = GetViewOrigin();
  if (y + itemHeight_ > origin.y + (client.bottom - client.top)) origin.y = y + itemHeight_ - (client.bottom - client.top);
  else if (y >= origin.y) return TRUE;
  else origin.y = y;
  SetViewOrigin(origin);
  return TRUE;
}

BOOL STreeCtrl::SelectItem(HSTREEITEM item, BOOL ensureVisible) {
  if (!item) return FALSE;
  EventTCSelChanging changing(this);
  changing.hOldSel = selected_;
  changing.hNewSel = item;
  RaiseEvent(&changing);
  if (changing.bCancel) return FALSE;
  if (ensureVisible) EnsureVisible(item);
  const HSTREEITEM old = selected_;
  selected_ = item;
  EventTCSelChanged changed(this);
  changed.hOldSel = old;
  changed.hNewSel = item;
  RaiseEvent(&changed);
  RedrawItem(old);
  RedrawItem(item);
  return TRUE;
}

HSTREEITEM STreeCtrl::GetNextItem(HSTREEITEM item) const {
  if (!item) return 0;
  if (HSTREEITEM c = GetChildItem(item)) return c;
  for (HSTREEITEM up = item; up; up = GetParentItem(up))
    if (HSTREEITEM n = GetNextSiblingItem(up)) return n;
  return 0;
}

BOOL STreeCtrl::ItemHasChildren(HSTREEITEM item) const {
  if (item == STVI_ROOT) return GetRootItem() != 0;
  return item && GetChildItem(item) != 0;
}

int STreeCtrl::GetChildrenCount(HSTREEITEM item) const {
  int n = 0;
  for (HSTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c)) ++n;
  return n;
}

BOOL STreeCtrl::SetItemText(HSTREEITEM item, const SStringW& text) {
  if (!item) return FALSE;
  GetItem(item).strText = text;
  CalcItemContentWidth(GetItem(item));
  RedrawItem(item);
  return TRUE;
}

BOOL STreeCtrl::GetItemImage(HSTREEITEM item, int* image, int* selImage) const {
  if (!item) return FALSE;
  if (image) *image = GetItem(item).nImage;
  if (selImage) *selImage = GetItem(item).nSelectedImage;
  return TRUE;
}

BOOL STreeCtrl::SetItemImage(HSTREEITEM item, int image, int selImage) {
  if (!item) return FALSE;
  GetItem(item).nImage = image;
  GetItem(item).nSelectedImage = selImage;
  RedrawItem(item);
  return TRUE;
}

BOOL STreeCtrl::SetItemData(HSTREEITEM item, LPARAM data) {
  if (!item) return FALSE;
  GetItem(item).lParam = data;
  return TRUE;
}

int STreeCtrl::GetMaxItemWidth(HSTREEITEM item) const {
  int widest = GetItemWidth(GetItem(item));
  if (GetItem(item).bCollapsed) return widest;
  for (HSTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c)) widest = std::max(widest, GetMaxItemWidth(c));
  return widest;
}

int STreeCtrl::GetMaxItemWidth() const {
  int widest = 0;
  for (HSTREEITEM c = GetRootItem(); c; c = GetNextSiblingItem(c)) widest = std::max(widest, GetMaxItemWidth(c));
  return widest;
}

// --- checks -------------------------------------------------------------

BOOL STreeCtrl::GetCheckState(HSTREEITEM item) const {
  return checkBox_ && item && GetItem(item).nCheckBoxValue != 0 ? TRUE : FALSE;
}

void STreeCtrl::SetSubtreeCheck(HSTREEITEM item, int value) {
  GetItem(item).nCheckBoxValue = value;
  for (HSTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c)) SetSubtreeCheck(c, value);
}

// Each ancestor of `from` takes its children's common value, or partly
// checked when they differ; `value` is what `from` holds now.
void STreeCtrl::PropagateUp(HSTREEITEM from, int value) {
  (void)value;
  for (HSTREEITEM p = GetParentItem(from); p; p = GetParentItem(p)) {
    int common = -1;
    for (HSTREEITEM c = GetChildItem(p); c; c = GetNextSiblingItem(c)) {
      const int v = GetItem(c).nCheckBoxValue;
      common = common == -1 || common == v ? v : 2;
    }
    GetItem(p).nCheckBoxValue = common == -1 ? 0 : common;
  }
}

BOOL STreeCtrl::SetCheckState(HSTREEITEM item, BOOL checked) {
  if (!checkBox_ || !item) return FALSE;
  SetSubtreeCheck(item, checked ? 1 : 0);
  PropagateUp(item, checked ? 1 : 0);
  Invalidate();
  return TRUE;
}

// --- geometry -----------------------------------------------------------

BOOL STreeCtrl::GetItemRect(HSTREEITEM item, RECT* rc) const {
  if (!item || !rc || !GetItem(item).bVisible) return FALSE;
  const int row = RowOf(item);
  const RECT client = ClientRect();
  const POINT origin = GetViewOrigin();
  RECT r{indent_ * GetItem(item).nLevel, 0, client.right - client.left, itemHeight_};
  OffsetRect(&r, client.left - origin.x, client.top + row * itemHeight_ - origin.y);
  RECT meet;
  if (!IntersectRect(&meet, &r, &client)) return FALSE;
  *rc = r;
  return TRUE;
}

HSTREEITEM STreeCtrl::HitTest(POINT& pt) const {
  const RECT client = ClientRect();
  const POINT origin = GetViewOrigin();
  const int y = pt.y - client.top + origin.y;
  if (y < 0 || pt.y < client.top) return 0;
  const int row = y / itemHeight_;
  int at = 0;
  for (HSTREEITEM item = GetRootItem(); item; ++at) {
    if (at == row) {
      pt.x -= client.left - origin.x + indent_ * GetItem(item).nLevel;
      pt.y = y - row * itemHeight_;
      return item;
    }
    HSTREEITEM next = !GetItem(item).bCollapsed ? GetChildItem(item) : 0;
    for (HSTREEITEM up = item; !next && up; up = GetParentItem(up)) next = GetNextSiblingItem(up);
    item = next;
  }
  return 0;
}

// qsort_s orders the child handles; the tree links them again.
BOOL STreeCtrl::SortChildren(HSTREEITEM item, CompareFunc compare, void* context) {
  if (!item || !compare) return FALSE;
  hover_ = captured_ = 0;
  SortBelow(item, compare, context);
  Invalidate();
  return TRUE;
}

void STreeCtrl::SortBelow(HSTREEITEM item, CompareFunc compare, void* context) {
  std::vector<HSTREEITEM> children;
  for (HSTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c)) children.push_back(c);
  if (children.size() >= 2) {
    qsort_s(children.data(), children.size(), sizeof(HSTREEITEM), compare, context);
    RelinkChildren(item, children.data(), children.size());
  }
  for (HSTREEITEM c : children)
    if (GetChildrenCount(c) >= 2) SortBelow(c, compare, context);
}

void STreeCtrl::PageUp() { HandleScrollCode(true, SB_PAGEUP, 0); }
void STreeCtrl::PageDown() { HandleScrollCode(true, SB_PAGEDOWN, 0); }

// --- painting -----------------------------------------------------------

void STreeCtrl::OnPaint(IRenderTarget* rt) {
  if (IsUpdateLocked()) return;
  const SPaintState saved = ApplyPaintState(this, rt);
  const RECT client = ClientRect();
  const POINT origin = GetViewOrigin();
  const int first = origin.y / itemHeight_;
  const int last = first + (client.bottom - client.top) / itemHeight_ + 1;
  int row = 0;
  for (HSTREEITEM item = GetRootItem(); item && row <= last; ++row) {
    if (row >= first) {
      RECT rc{0, 0, GetItemWidth(GetItem(item)), itemHeight_};
      OffsetRect(&rc, client.left - origin.x, row * itemHeight_ + client.top - origin.y);
      DrawLines(rt, rc, item);
      DrawItem(rt, rc, item);
    }
    HSTREEITEM next = !GetItem(item).bCollapsed ? GetChildItem(item) : 0;
    for (HSTREEITEM up = item; !next && up; up = GetParentItem(up)) next = GetNextSiblingItem(up);
    item = next;
  }
  RestorePaintState(rt, saved);
}

void STreeCtrl::DrawLines(IRenderTarget* rt, const RECT& rc, HSTREEITEM item) {
  if (!hasLines_ || indent_ == 0 || !linesSkin_) return;
  std::vector<HSTREEITEM> ancestors;
  for (HSTREEITEM p = GetParentItem(item); p; p = GetParentItem(p)) ancestors.push_back(p);
  int x = rc.left;
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it, x += indent_) {
    if (!GetNextSiblingItem(*it)) continue;
    const RECT cell{x, rc.top, x + indent_, rc.bottom};
    linesSkin_->DrawByIndex(rt, &cell, LinesState(linesSkin_, 6));
  }
  const tagTVITEM& t = GetItem(item);
  const bool hasNext = GetNextSiblingItem(item) != 0;
  int state;
  if (GetChildItem(item)) {
    const bool firstTop = !GetParentItem(item) && !GetPrevSiblingItem(item);
    state = firstTop ? 0 : (hasNext ? 1 : 2);
    if (!t.bCollapsed) state += 3;
  } else {
    state = hasNext ? 7 : 8;
  }
  const RECT cell{x, rc.top, x + indent_, rc.bottom};
  linesSkin_->DrawByIndex(rt, &cell, LinesState(linesSkin_, state));
}

void STreeCtrl::DrawItem(IRenderTarget* rt, const RECT& rc, HSTREEITEM item) {
  const tagTVITEM& t = GetItem(item);
  const bool selected = item == selected_;
  const int x0 = rc.left + indent_ * t.nLevel;
  auto at = [&](const RECT& part) {
    RECT r = part;
    OffsetRect(&r, x0, rc.top);
    return r;
  };
  RECT textCell{x0 + partsRight_ + itemMargin_, rc.top, std::min<int>(x0 + t.nContentWidth, rc.right), rc.bottom};
  COLORREF text = colorItemText_;
  if (selected) {
    if (itemSelSkin_) itemSelSkin_->DrawByIndex(rt, &textCell, 0);
    else if (colorItemSelBkgnd_ != kRenderNoColor) rt->FillSolidRect(&textCell, colorItemSelBkgnd_);
    text = colorItemSelText_;
  }
  if (!hasLines_ && toggleSkin_ && (parts_ & kHasToggle) && t.bHasChildren) {
    const int mode = (t.dwToggleState & 2) ? 2 : (t.dwToggleState & 1) ? 1 : 0;
    const RECT r = at(toggleRect_);
    toggleSkin_->DrawByIndex(rt, &r, SkinState(toggleSkin_, mode + (t.bCollapsed ? 0 : 3)));
  }
  if (checkBox_ && checkSkin_ && (parts_ & kHasCheck)) {
    const int mode = (t.dwCheckBoxState & 2) ? 2 : (t.dwCheckBoxState & 1) ? 1 : 0;
    const int group = t.nCheckBoxValue == 1 ? 3 : t.nCheckBoxValue == 2 ? 6 : 0;
    const RECT r = at(checkRect_);
    checkSkin_->DrawByIndex(rt, &r, SkinState(checkSkin_, mode + group));
  }
  if (iconSkin_ && (parts_ & kHasIcon)) {
    int icon = t.nImage;
    if (t.nSelectedImage != -1 && selected) icon = t.nSelectedImage;
    if (icon != -1) {
      const RECT r = at(iconRect_);
      iconSkin_->DrawByIndex(rt, &r, icon);
    }
  }
  const COLORREF old = text != kRenderNoColor ? rt->SetTextColor(text) : kRenderNoColor;
  RECT area = textCell;
  area.left += 0;
  area.right = std::max(area.left, area.right - itemMargin_);
  rt->DrawText(t.strText.c_str(), t.strText.GetLength(), &area, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  if (text != kRenderNoColor) rt->SetTextColor(old);
}

void STreeCtrl::RedrawItem(HSTREEITEM item) {
  if (!item || !IsVisible(TRUE) || !GetItem(item).bVisible) return;
  const RECT client = ClientRect();
  const POINT origin = GetViewOrigin();
  const int row = RowOf(item);
  const int first = origin.y / itemHeight_;
  if (row < first || row > first + (client.bottom - client.top) / itemHeight_ + 1) return;
  RECT rc{0, 0, GetItemWidth(GetItem(item)), itemHeight_};
  OffsetRect(&rc, client.left - origin.x, row * itemHeight_ + client.top - origin.y);
  RECT row_rc{client.left, rc.top, client.right, rc.bottom};
  RECT visible;
  if (!IntersectRect(&visible, &row_rc, &client)) return;
  PaintAtOnce(this, visible, true, [&](IRenderTarget* rt) {
    const SPaintState saved = ApplyPaintState(this, rt);
    DrawLines(rt, rc, item);
    DrawItem(rt, rc, item);
    RestorePaintState(rt, saved);
  });
}

// --- input --------------------------------------------------------------

int STreeCtrl::PartAt(HSTREEITEM item, POINT rowPt) const {
  if ((parts_ & kHasToggle) && GetChildItem(item) && PtInRect(&toggleRect_, rowPt)) return kPartToggle;
  if ((parts_ & kHasCheck) && PtInRect(&checkRect_, rowPt)) return kPartCheck;
  return kPartNone;
}

void STreeCtrl::ItemMouseLeave(HSTREEITEM item) {
  if (!item) return;
  tagTVITEM& t = GetItem(item);
  if (hoverPart_ == kPartToggle) t.dwToggleState &= ~1u;
  if (hoverPart_ == kPartCheck) t.dwCheckBoxState &= ~1u;
  hoverPart_ = kPartNone;
  RedrawItem(item);
}

void STreeCtrl::ItemMouseMove(HSTREEITEM item, POINT rowPt) {
  tagTVITEM& t = GetItem(item);
  const int part = PartAt(item, rowPt);
  if (part == hoverPart_) return;
  if (hoverPart_ == kPartToggle) t.dwToggleState &= ~1u;
  if (hoverPart_ == kPartCheck) t.dwCheckBoxState &= ~1u;
  if (part == kPartToggle) t.dwToggleState |= 1;
  if (part == kPartCheck) t.dwCheckBoxState |= 1;
  hoverPart_ = part;
  RedrawItem(item);
}

void STreeCtrl::ItemButtonDown(HSTREEITEM item, POINT rowPt) {
  tagTVITEM& t = GetItem(item);
  const int part = PartAt(item, rowPt);
  if (part != pushedPart_) {
    if (pushedPart_ == kPartToggle) t.dwToggleState &= ~2u;
    if (pushedPart_ == kPartCheck) t.dwCheckBoxState &= ~2u;
  }
  if (part == kPartToggle && !(t.dwToggleState & 2)) {
    t.dwToggleState |= 2;
    pushedPart_ = part;
    Expand(item, TVE_TOGGLE);
  } else if (part == kPartCheck && !(t.dwCheckBoxState & 2)) {
    t.dwCheckBoxState |= 2;
    pushedPart_ = part;
    SetCheckState(item, t.nCheckBoxValue != 1);
  }
}

void STreeCtrl::ItemButtonUp(HSTREEITEM item) {
  tagTVITEM& t = GetItem(item);
  if (pushedPart_ == kPartToggle) {
    t.dwToggleState &= ~2u;
  } else if (pushedPart_ == kPartCheck) {
    t.dwCheckBoxState &= ~2u;
    EventTCCheckState e(this);
    e.hItem = item;
    e.uCheckState = t.dwCheckBoxState;
    RaiseEvent(&e);
  }
  pushedPart_ = kPartNone;
  RedrawItem(item);
}

void STreeCtrl::OnMove(POINT pt) {
  POINT rowPt = pt;
  const HSTREEITEM item = HitTest(rowPt);
  if (item != hover_) {
    ItemMouseLeave(hover_);
    hover_ = item;
  }
  if (hover_) ItemMouseMove(hover_, rowPt);
}

void STreeCtrl::OnPress(POINT pt) {
  LRESULT ignored = 0;
  SScrollView::HandleSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y), ignored);
  POINT rowPt = pt;
  hover_ = HitTest(rowPt);
  if (!hover_) return;
  if (hover_ != selected_) SelectItem(hover_, FALSE);
  captured_ = hover_;
  ItemButtonDown(captured_, rowPt);
}

void STreeCtrl::OnRelease(POINT pt) {
  LRESULT ignored = 0;
  SScrollView::HandleSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y), ignored);
  POINT rowPt = pt;
  const HSTREEITEM item = captured_ ? captured_ : HitTest(rowPt);
  captured_ = 0;
  if (item) ItemButtonUp(item);
}

void STreeCtrl::OnDoubleClick(POINT pt) {
  POINT rowPt = pt;
  hover_ = HitTest(rowPt);
  if (!hover_) return;
  const HSTREEITEM item = hover_;
  if (PartAt(item, rowPt) == kPartCheck) {
    pushedPart_ = kPartNone;
    GetItem(item).dwCheckBoxState &= ~2u;
    ItemButtonDown(item, rowPt);
  }
  EventTCDbClick e(this);
  e.hItem = item;
  RaiseEvent(&e);
  if (!e.bCancel) Expand(item, TVE_TOGGLE);
}

void STreeCtrl::OnRightPress(POINT pt) {
  if (rightClickSel_) {
    POINT rowPt = pt;
    const HSTREEITEM item = HitTest(rowPt);
    if (item && item != selected_) SelectItem(item, FALSE);
  }
  LRESULT ignored = 0;
  SScrollView::HandleSwndMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y), ignored);
}

void STreeCtrl::OnDestroy() {
  RemoveAllItems();
  SScrollView::OnDestroy();
}

BOOL STreeCtrl::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_LBUTTONDOWN: OnPress(PointOfLParam(lParam)); return TRUE;
    case WM_LBUTTONUP: OnRelease(PointOfLParam(lParam)); return TRUE;
    case WM_LBUTTONDBLCLK: OnDoubleClick(PointOfLParam(lParam)); return TRUE;
    case WM_RBUTTONDOWN: OnRightPress(PointOfLParam(lParam)); return TRUE;
    case WM_MOUSEMOVE:
      SScrollView::HandleSwndMessage(msg, wParam, lParam, result);
      OnMove(PointOfLParam(lParam));
      return TRUE;
    case WM_MOUSELEAVE:
      SScrollView::HandleSwndMessage(msg, wParam, lParam, result);
      ItemMouseLeave(hover_);
      hover_ = 0;
      return TRUE;
    default: return SScrollView::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

}  // namespace ORIEL
