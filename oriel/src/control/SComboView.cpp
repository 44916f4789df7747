#include <algorithm>

#include "control/ComboListParts.h"
#include "control/SComboBox.h"
#include "control/SItemPanel.h"

namespace ORIEL {

SComboView::~SComboView() {
  if (list_) list_->Release();
}

void SComboView::OnDestroy() {
  SComboBase::OnDestroy();
  if (!list_) return;
  list_->SendSwndMessage(SWM_DESTROY);
  list_->Release();
  list_ = nullptr;
}

BOOL SComboView::CreateList(pugi::xml_node element) {
  if (!list_) list_ = static_cast<SListView*>(BuildComboList(this, element, L"listview"));
  return TRUE;
}

int SComboView::GetCount() const {
  ILvAdapter* adapter = list_ ? list_->GetAdapter() : nullptr;
  return adapter ? adapter->GetCount() : 0;
}

// An index the list view cannot take (past the items) changes nothing and
// raises nothing.
bool SComboView::SetCurSel(int index) {
  if (!list_ || index == list_->GetSel()) return false;
  const int before = list_->GetSel();
  list_->SetSel(index, FALSE);
  if (list_->GetSel() == before) return false;
  FireSelChange();
  return true;
}

SStringW SComboView::GetItemText(int index, bool raw) const {
  ILvAdapter* adapter = list_ ? list_->GetAdapter() : nullptr;
  if (!adapter || index < 0 || index >= adapter->GetCount()) return SStringW();
  const SStringW text = adapter->GetItemDescription(index);
  return raw ? text : TranslateInContext(text);
}

void SComboView::FireSelChange() { ShowSelectionAndFire(); }

int SComboView::GetListHeight() {
  const int limit = GetDropHeightPixels();
  IListViewItemLocator* locator = list_ ? list_->GetItemLocator() : nullptr;
  if (!locator || GetCount() == 0) return limit;
  const RECT margin = list_->GetStyle().GetScaledMargin();
  return std::min(locator->TotalHeight() + margin.top + margin.bottom, limit);
}

// A click on an item reaches the view as its panel's command.
BOOL SComboView::RaiseEvent(EventArgs* e) {
  if (list_ && GetDropDown() && e->sender == list_) {
    if (e->GetId() == EventLVSelChanged::EventID) {
      FireSelChange();
      return TRUE;
    }
    const bool itemCommand = e->GetId() == EventOfPanel::EventID &&
                             static_cast<EventOfPanel*>(e)->pOrgEvt &&
                             static_cast<EventOfPanel*>(e)->pOrgEvt->GetId() == EventCmd::EventID;
    if (e->GetId() == EventCmd::EventID || itemCommand) {
      CloseUp();
      return TRUE;
    }
  }
  return SComboBase::RaiseEvent(e);
}

void SComboView::UpdateScale(int scale) {
  SComboBase::UpdateScale(scale);
  if (list_) list_->SendSwndMessage(SWM_UPDATESCALE, scale);
}

void SComboView::PrepareDropDown(SDropDownWnd* dropDown) {
  SComboBase::PrepareDropDown(dropDown);
  LendComboList(list_, dropDown);
  if (list_ && list_->GetSel() >= 0) list_->EnsureVisible(list_->GetSel());
}

void SComboView::ReleaseDropDown(SDropDownWnd* dropDown) {
  TakeComboListBack(list_, this, dropDown);
  SComboBase::ReleaseDropDown(dropDown);
}

}  // namespace ORIEL
