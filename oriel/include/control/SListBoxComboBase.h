// The combo boxes whose list is a list box: the list is the combo's own
// (built from the "listStyle" element, filled from "items"), its choice is
// the combo's selection, and it follows the combo's scale, language and
// life; it is lent to the drop-down while open.
#pragma once

#include "control/SComboBase.h"
#include "control/SListBox.h"

namespace ORIEL {

class SListBoxComboBase : public SComboBase {
 public:
  ~SListBoxComboBase() override;

  int GetCurSel() const override { return listBox_ ? listBox_->GetCurSel() : -1; }
  int GetCount() const override { return listBox_ ? listBox_->GetCount() : 0; }
  bool SetCurSel(int index) override;
  SStringW GetItemText(int index, bool raw = false) const override;
  void FireSelChange() override;
  int GetListHeight() override;
  BOOL RefreshTranslation() override;
  void UpdateScale(int scale) override;
  void PrepareDropDown(SDropDownWnd* dropDown) override;
  void ReleaseDropDown(SDropDownWnd* dropDown) override;

 protected:
  void OnDestroy() override;
  // Makes the list of `listClass` once, fills it with the element's
  // "items" (their texts looked up as named strings when
  // `namedTexts`) and applies the initial selection. False never: a combo
  // without a list stays usable and empty.
  BOOL BuildListBox(pugi::xml_node element, LPCWSTR listClass, bool namedTexts);

  SListBox* listBox_ = nullptr;
};

}  // namespace ORIEL
