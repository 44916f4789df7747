// The edit part of an editable combo box: a plain edit whose owner is the
// combo. Down and Esc go to the combo, its hover shows on the combo, and
// its notices reach subscribers as the combo's own.
#pragma once

#include "control/SEdit.h"

namespace ORIEL {

class SComboBase;

class SComboEdit : public SEdit {
  SOBJ_CLASS(SComboEdit, SEdit, L"edit", kObjWindow)

 public:
  explicit SComboEdit(SComboBase* owner);

  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL RaiseEvent(EventArgs* e) override;
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SEdit::ApplyAttribute;
};

}  // namespace ORIEL
