#include "control/SListBoxComboBase.h"

#include "control/ComboListParts.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

SListBoxComboBase::~SListBoxComboBase() {
  if (listBox_) listBox_->Release();
}

void SListBoxComboBase::OnDestroy() {
  SComboBase::OnDestroy();  // closes an open drop-down first
  if (!listBox_) return;
  listBox_->SendSwndMessage(SWM_DESTROY);
  listBox_->Release();
  listBox_ = nullptr;
}

BOOL SListBoxComboBase::BuildListBox(pugi::xml_node element, LPCWSTR listClass, bool namedTexts) {
  if (listBox_) return TRUE;
  listBox_ = static_cast<SListBox*>(BuildComboList(this, element, listClass));
  if (!listBox_) return TRUE;
  listBox_->SendSwndMessage(SWM_UPDATESCALE, GetScale());
  if (pugi::xml_node items = XmlChild(element, L"items")) {
    for (pugi::xml_node n = items.first_child(); n; n = n.next_sibling()) {
      if (n.type() != pugi::node_element || !XmlNameIs(n.name(), L"item")) continue;
      const int icon = ParseAttrInt(XmlValue(XmlAttr(n, L"icon")));
      const LPARAM data = static_cast<LPARAM>(ParseAttrInt(XmlValue(XmlAttr(n, L"data"))));
      const SStringW text = XmlValue(XmlAttr(n, L"text"));
      listBox_->AddEntry(namedTexts ? SResProviderMgr::LookupNamedString(text) : text, icon, data);
    }
  }
  if (GetInitialSel() != -1) SetCurSel(GetInitialSel());
  return TRUE;
}

bool SListBoxComboBase::SetCurSel(int index) {
  if (!listBox_ || !listBox_->SetCurSel(index)) return false;
  FireSelChange();
  return true;
}

SStringW SListBoxComboBase::GetItemText(int index, bool raw) const {
  return listBox_ ? listBox_->GetEntryText(index, raw) : SStringW();
}

void SListBoxComboBase::FireSelChange() { ShowSelectionAndFire(); }

int SListBoxComboBase::GetListHeight() { return ComboListBoxHeight(listBox_, GetDropHeightPixels()); }

BOOL SListBoxComboBase::RefreshTranslation() {
  const BOOL result = SComboBase::RefreshTranslation();
  if (listBox_) listBox_->SendSwndMessage(SWM_LANGUAGECHANGED);
  return result;
}

void SListBoxComboBase::UpdateScale(int scale) {
  SComboBase::UpdateScale(scale);
  if (listBox_) listBox_->SendSwndMessage(SWM_UPDATESCALE, scale);
}

void SListBoxComboBase::PrepareDropDown(SDropDownWnd* dropDown) {
  SComboBase::PrepareDropDown(dropDown);
  LendComboList(listBox_, dropDown);
  if (listBox_) listBox_->EnsureVisible(listBox_->GetCurSel());
}

void SListBoxComboBase::ReleaseDropDown(SDropDownWnd* dropDown) {
  TakeComboListBack(listBox_, this, dropDown);
  SComboBase::ReleaseDropDown(dropDown);
}

}  // namespace ORIEL
