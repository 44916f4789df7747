// The edit part of an editable combo: an edit whose Down and Esc go to the
// combo, whose hover shows on the combo, and whose change notices speak as
// the combo.
#pragma once

#include "control/SEdit.h"

namespace ORIEL {

class SComboEdit : public SEdit {
  // Answers "edit" first, so that the edit's default attributes apply.
  SOBJ_CLASS(SComboEdit, SEdit, L"edit", kObjWindow)

 public:
  // The edit part's id inside its combo.
  static constexpr int kId = -100;

  // The combo is the owner: events and forwarded keys go to it.
  explicit SComboEdit(SWindow* combo);

  // Makes the edit part of `combo` as its last child: the edit's default
  // attributes, then `editStyle` (or just the create message without one)
  // loaded with its events muted, id -100 and change notices asked for.
  // Null when the edit could not be created (it has left the tree then).
  static SComboEdit* CreateIn(SWindow* combo, pugi::xml_node editStyle);

  // Writes the text of the entry chosen in the combo's list; its change
  // notice is muted, so that the choice does not read as typing.
  void ShowChosenText(const SStringW& text);

  // Change notices carry the combo's id and name.
  BOOL RaiseEvent(EventArgs* e) override;

 protected:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace ORIEL
