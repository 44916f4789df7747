// What the two combo boxes do alike with their list: build it from the
// "listStyle" element, lend it to an opening drop-down and take it back.
#pragma once

#include "control/SComboBase.h"
#include "control/SListBox.h"

namespace ORIEL {

// A window of the class "wndclass" names (else `defaultClass`), kept only
// when it is of `defaultClass`; initialised from "listStyle", filling its
// parent, hot-tracking, owned by the combo with id -200 and hidden. Null
// (with a warning) when the class is not a list of the kind wanted.
SWindow* BuildComboList(SComboBase* combo, pugi::xml_node comboElement, LPCWSTR defaultClass);

// The list becomes the drop-down root's last child, laid out, shown and
// focused.
void LendComboList(SWindow* list, SDropDownWnd* dropDown);

// The drop-down's height for a list box: `limit` for an empty or missing
// list, else its rows and margins when they need less.
int ComboListBoxHeight(SListBox* list, int limit);

// The list leaves the drop-down, hidden, back in the combo's container.
void TakeComboListBack(SWindow* list, SComboBase* combo, SDropDownWnd* dropDown);

}  // namespace ORIEL
