#include "control/SComboBox.h"

#include <algorithm>

#include "control/ComboListParts.h"

namespace ORIEL {

BOOL SComboBox::CreateList(pugi::xml_node element) { return BuildListBox(element, L"listbox", false); }

int SComboBox::InsertItem(int index, const SStringW& text, int icon, LPARAM data) {
  return listBox_ ? listBox_->InsertEntry(index, text, icon, data) : -1;
}

bool SComboBox::DeleteString(int index) {
  if (!listBox_ || !listBox_->DeleteEntry(index)) return false;
  Invalidate();
  return true;
}

void SComboBox::ResetContent() {
  if (!listBox_) return;
  listBox_->DeleteAll();
  Invalidate();
}

// While the drop-down is open the list's choice is the combo's; a click
// on an entry closes it.
BOOL SComboBox::RaiseEvent(EventArgs* e) {
  if (listBox_ && GetDropDown() && e->sender == listBox_) {
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

}  // namespace ORIEL
