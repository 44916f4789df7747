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

  // Makes the edit part of `combo` as its last child: the edit's default
  // attributes, then `editStyle` (or just the create message without one)
  // loaded with its events muted, id -100 and change notices asked for.
  // Null when the edit could not be created; it has left the tree then.
  static SComboEdit* CreateIn(SComboBase* combo, pugi::xml_node editStyle);

  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL RaiseEvent(EventArgs* e) override;
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SEdit::ApplyAttribute;
};

}  // namespace ORIEL
