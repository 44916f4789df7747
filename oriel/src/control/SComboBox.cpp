#include "control/SComboBox.h"

#include <algorithm>

#include "control/ComboListParts.h"

namespace ORIEL {

SComboBox::~SComboBox() {
  if (list_) list_->Release();
}

void SComboBox::OnDestroy() {
  SComboBase::OnDestroy();  // closes an open drop-down first
  if (!list_) return;
  list_->SendSwndMessage(SWM_DESTROY);
  list_->Release();
  list_ = nullptr;
}

BOOL SComboBox::CreateList(pugi::xml_node element) {
  if (list_) return TRUE;
  list_ = static_cast<SListBox*>(BuildComboList(this, element, L"listbox"));
  if (!list_) return TRUE;
  list_->SendSwndMessage(SWM_UPDATESCALE, GetScale());
  if (pugi::xml_node items = XmlChild(element, L"items")) {
    for (pugi::xml_node n = items.first_child(); n; n = n.next_sibling()) {
      if (n.type() != pugi::node_element || !XmlNameIs(n.name(), L"item")) continue;
      const int icon = ParseAttrInt(XmlValue(XmlAttr(n, L"icon")));
      const LPARAM data = static_cast<LPARAM>(ParseAttrInt(XmlValue(XmlAttr(n, L"data"))));
      list_->AddEntry(XmlValue(XmlAttr(n, L"text")), icon, data);
    }
  }
  if (GetInitialSel() != -1) SetCurSel(GetInitialSel());
  return TRUE;
}

bool SComboBox::SetCurSel(int index) {
  if (!list_ || !list_->SetCurSel(index)) return false;
  FireSelChange();
  return true;
}

SStringW SComboBox::GetItemText(int index, bool raw) const {
  return list_ ? list_->GetEntryText(index, raw) : SStringW();
}

void SComboBox::FireSelChange() { ShowSelectionAndFire(); }

int SComboBox::GetListHeight() { return ComboListBoxHeight(list_, GetDropHeightPixels()); }

int SComboBox::InsertItem(int index, const SStringW& text, int icon, LPARAM data) {
  return list_ ? list_->InsertEntry(index, text, icon, data) : -1;
}

bool SComboBox::DeleteString(int index) {
  if (!list_ || !list_->DeleteEntry(index)) return false;
  Invalidate();
  return true;
}

void SComboBox::ResetContent() {
  if (!list_) return;
  list_->DeleteAll();
  Invalidate();
}

// While the drop-down is open the list's choice is the combo's; a click
// on an entry closes it.
BOOL SComboBox::RaiseEvent(EventArgs* e) {
  if (list_ && GetDropDown() && e->sender == list_) {
    if (e->GetId() == EventLBSelChanged::EventID) {
      FireSelChange();
      return TRUE;
    }
    if (e->GetId() == EventCmd::EventID) {
      CloseUp();
      return TRUE;
    }
  }
  return SComboBase::RaiseEvent(e);
}

BOOL SComboBox::RefreshTranslation() {
  const BOOL result = SComboBase::RefreshTranslation();
  if (list_) list_->SendSwndMessage(SWM_LANGUAGECHANGED);
  return result;
}

void SComboBox::UpdateScale(int scale) {
  SComboBase::UpdateScale(scale);
  if (list_) list_->SendSwndMessage(SWM_UPDATESCALE, scale);
}

void SComboBox::PrepareDropDown(SDropDownWnd* dropDown) {
  SComboBase::PrepareDropDown(dropDown);
  LendComboList(list_, dropDown);
  if (list_) list_->EnsureVisible(list_->GetCurSel());
}

void SComboBox::ReleaseDropDown(SDropDownWnd* dropDown) {
  TakeComboListBack(list_, this, dropDown);
  SComboBase::ReleaseDropDown(dropDown);
}

}  // namespace ORIEL
