#include "controls/SHeaderCtrlEx.h"

#include <algorithm>

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

std::vector<int> ShareColumnWidths(const std::vector<int>& xmlWidths, const std::vector<int>& current, int total) {
  std::vector<int> widths = current;
  widths.resize(xmlWidths.size(), 0);
  if (xmlWidths.empty()) return widths;
  long long sum = 0;
  for (int w : xmlWidths) sum += w;
  size_t filler = 0;
  while (filler < xmlWidths.size() && xmlWidths[filler] == 0) ++filler;
  if (filler == xmlWidths.size()) filler = 0;
  int rest = total;
  for (size_t i = xmlWidths.size() - 1; i > filler; --i) {
    if (xmlWidths[i] == 0 || sum == 0) continue;
    widths[i] = static_cast<int>(static_cast<long long>(xmlWidths[i]) * total / sum);
    rest -= widths[i];
  }
  widths[filler] = rest;
  return widths;
}

HRESULT SHeaderCtrlEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"matchParent")) {
    matchParent_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  if (AttrNameIs(name, L"dividerSkin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    dividerSkin_ = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    return FinishAttribute(name, value, loading, S_OK);
  }
  if (AttrNameIs(name, L"dividerRight")) {
    dividerRight_ = !(value == L"0" || value.CompareNoCase(L"false") == 0);
    return FinishAttribute(name, value, loading, S_OK);
  }
  return SHeaderCtrl::ApplyAttribute(name, value, loading);
}

BOOL SHeaderCtrlEx::CreateChildren(pugi::xml_node element) {
  pugi::xml_node items = XmlChild(element, L"items");
  if (!items) return FALSE;
  const int before = GetItemCount();
  LockUpdate();
  const BOOL made = SHeaderCtrl::CreateChildren(element);
  UnlockUpdate();
  if (!made) return FALSE;
  if (matchParent_ == 1) {
    int at = before;
    for (pugi::xml_node n = XmlChild(items, L"item"); n; n = n.next_sibling()) {
      if (n.type() != pugi::node_element || !XmlNameIs(n.name(), L"item")) continue;
      pugi::xml_attribute width = XmlAttr(n, L"width");
      const int w = width ? ParseAttrInt(XmlValue(width)) : 50;
      xmlWidths_.insert(xmlWidths_.begin() + std::min<size_t>(at++, xmlWidths_.size()), w);
    }
    SHeaderCtrl::ApplyAttribute(SStringW(L"fixWidth"), SStringW(L"1"), TRUE);
  }
  return TRUE;
}

// Only the columns made from the layout share the width; a header whose
// "items" held none has nothing to share.
void SHeaderCtrlEx::ShareWidth() {
  const int n = std::min<int>(static_cast<int>(xmlWidths_.size()), GetItemCount());
  if (n == 0) return;
  std::vector<int> current(n);
  for (int i = 0; i < n; ++i) current[i] = std::max(GetColumnWidth(i), 0);
  const RECT client = ClientRect();
  const std::vector<int> widths = ShareColumnWidths(
      std::vector<int>(xmlWidths_.begin(), xmlWidths_.begin() + n), current, client.right - client.left);
  for (int i = 0; i < n; ++i) SetColumnWidthQuietly(i, widths[i]);
}

BOOL SHeaderCtrlEx::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == SWM_SIZE) {
    result = 0;
    if (matchParent_ == 1) ShareWidth();
    return TRUE;
  }
  return SHeaderCtrl::HandleSwndMessage(msg, wParam, lParam, result);
}

BOOL SHeaderCtrlEx::ApplyStyleCursor(POINT pt) { return SWindow::ApplyStyleCursor(pt); }

void SHeaderCtrlEx::DrawItem(IRenderTarget* rt, const RECT& rc, const SHeaderItem& item) {
  RECT rest = rc;
  if (dividerSkin_ && item.order > 0) {
    const RECT line{rest.left, rest.top, rest.left + 1, rest.bottom};
    dividerSkin_->DrawByIndex(rt, &line, std::min(item.state, std::max(dividerSkin_->StateCount() - 1, 0)));
    rest.left += 1;
  }
  if (dividerSkin_ && dividerRight_ && item.order + 1 == GetItemCount()) {
    const RECT line{rest.right - 1, rest.top, rest.right, rest.bottom};
    dividerSkin_->DrawByIndex(rt, &line, std::min(item.state, std::max(dividerSkin_->StateCount() - 1, 0)));
    rest.right -= 1;
  }
  SHeaderCtrl::DrawItem(rt, rest, item);
}

}  // namespace ORIEL
