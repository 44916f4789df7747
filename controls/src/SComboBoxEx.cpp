#include "controls/SComboBoxEx.h"

#include <algorithm>

#include "control/ComboListParts.h"
#include "control/SControlPaint.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

SComboBoxEx::SComboBoxEx() {
  GetEventSet()->AddEvent(EventCBSelChanging::EventID, EventCBSelChanging::EventName());
}

SComboBoxEx::~SComboBoxEx() {
  if (list_) list_->Release();
}

void SComboBoxEx::OnDestroy() {
  SComboBase::OnDestroy();  // closes an open drop-down first
  if (!list_) return;
  list_->SendSwndMessage(SWM_DESTROY);
  list_->Release();
  list_ = nullptr;
}

HRESULT SComboBoxEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"x-offset")) xOffset_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"y-offset")) yOffset_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"spacing")) spacing_ = ParseAttrInt(value);
  else return SComboBase::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_OK);
}

BOOL SComboBoxEx::CreateList(pugi::xml_node element) {
  if (list_) return TRUE;
  list_ = static_cast<SListBoxEx*>(BuildComboList(this, element, SListBoxEx::GetClassName()));
  if (!list_) return TRUE;
  list_->SendSwndMessage(SWM_UPDATESCALE, GetScale());
  if (pugi::xml_node items = XmlChild(element, L"items")) {
    for (pugi::xml_node n = items.first_child(); n; n = n.next_sibling()) {
      if (n.type() != pugi::node_element || !XmlNameIs(n.name(), L"item")) continue;
      const int icon = ParseAttrInt(XmlValue(XmlAttr(n, L"icon")));
      const LPARAM data = static_cast<LPARAM>(ParseAttrInt(XmlValue(XmlAttr(n, L"data"))));
      list_->AddEntry(SResProviderMgr::LookupNamedString(XmlValue(XmlAttr(n, L"text"))), icon, data);
    }
  }
  if (GetInitialSel() != -1 && list_->SetCurSel(GetInitialSel())) FireSelChange();
  return TRUE;
}

bool SComboBoxEx::SetCurSel(int index) {
  if (!list_ || !list_->SetCurSel(index)) return false;
  FireSelChange();
  return true;
}

SStringW SComboBoxEx::GetItemText(int index, bool raw) const {
  return list_ ? list_->GetEntryText(index, raw) : SStringW();
}

void SComboBoxEx::FireSelChange() { ShowSelectionAndFire(); }

int SComboBoxEx::GetListHeight() { return ComboListBoxHeight(list_, GetDropHeightPixels()); }

int SComboBoxEx::GetItemIcon(int index) const {
  if (!list_ || index < 0 || index >= list_->GetCount()) return 0;
  return list_->GetEntryIcon(index);
}

// A choice in the open list is the combo's selection, then its own
// "changing" event follows with the list's old and new entry; a click in
// the list closes it.
BOOL SComboBoxEx::RaiseEvent(EventArgs* e) {
  if (list_ && GetDropDown() && e->sender && e->sender->GetId() == kComboListId) {
    if (e->GetId() == EventLBSelChanged::EventID) {
      const auto* changed = static_cast<EventLBSelChanged*>(e);
      FireSelChange();
      EventCBSelChanging changing(this);
      changing.nOldSel = changed->nOldSel;
      changing.nNewSel = changed->nNewSel;
      SComboBase::RaiseEvent(&changing);
      return TRUE;
    }
    if (e->GetId() == EventCmd::EventID) {
      CloseUp();
      return TRUE;
    }
  }
  return SComboBase::RaiseEvent(e);
}

BOOL SComboBoxEx::RefreshTranslation() {
  const BOOL result = SComboBase::RefreshTranslation();
  if (list_) list_->SendSwndMessage(SWM_LANGUAGECHANGED);
  return result;
}

void SComboBoxEx::UpdateScale(int scale) {
  SComboBase::UpdateScale(scale);
  if (list_) list_->SendSwndMessage(SWM_UPDATESCALE, scale);
}

void SComboBoxEx::PrepareDropDown(SDropDownWnd* dropDown) {
  SComboBase::PrepareDropDown(dropDown);
  LendComboList(list_, dropDown);
  if (list_) list_->EnsureVisible(list_->GetCurSel());
}

void SComboBoxEx::ReleaseDropDown(SDropDownWnd* dropDown) {
  TakeComboListBack(list_, this, dropDown);
  SComboBase::ReleaseDropDown(dropDown);
}

// --- painting ---------------------------------------------------------------

RECT SComboBoxEx::IconRect() const {
  const RECT client = ClientRect();
  ISkinObj* skin = list_ ? list_->GetIconSkin() : nullptr;
  const SIZE size = skin ? skin->NaturalSize() : SIZE{0, 0};
  const int top = client.top + (client.bottom - client.top - size.cy) / 2;
  return RECT{client.left, top, client.left + size.cx, top + size.cy};
}

// The text keeps its place whether or not the entry has an icon.
RECT SComboBoxEx::TextRect() const {
  RECT rc = GetEditTextRect();
  ISkinObj* skin = list_ ? list_->GetIconSkin() : nullptr;
  rc.left += xOffset_ + (skin ? skin->NaturalSize().cx : 0);
  rc.top += yOffset_;
  rc.right -= spacing_;
  return rc;
}

void SComboBoxEx::OnPaint(IRenderTarget* rt) {
  if (GetCurSel() != -1 && !GetEditPart()) {
    const int icon = GetCurItemIcon();
    ISkinObj* skin = list_ ? list_->GetIconSkin() : nullptr;
    if (icon != -1 && skin) {
      const RECT rc = IconRect();
      skin->DrawByIndex(rt, &rc, icon);
    }
    const SPaintState saved = ApplyPaintState(this, rt);
    const SStringW text = GetText();
    RECT rc = TextRect();
    rt->DrawText(text.c_str(), text.GetLength(), &rc, GetStyle().GetDrawTextFormat());
    RestorePaintState(rt, saved);
  }
  if (ISkinObj* button = GetButtonSkin()) {
    const RECT rc = GetDropButtonRect();
    const int state = GetButtonState() == 2 || (GetState() & WndState_Check) ? 2 : GetButtonState() == 1 ? 1 : 0;
    button->DrawByIndex(rt, &rc, std::min(state, std::max(button->StateCount() - 1, 0)));
  }
}

}  // namespace ORIEL
