// "comboboxEx": a drop-down list combo whose box shows the current entry's
// icon (from its list's icon skin) left of the text, and that follows each
// selection made in the open list with one more event, on the combo base
// with the program's list box ("listboxEx") as its list.
#pragma once

#include "control/SListBoxComboBase.h"
#include "controls/SListCtrlsEx.h"

namespace ORIEL {

// After the selection-change event of a choice made in the open list.
class EventCBSelChanging : public TplEventArgs<EventCBSelChanging> {
  ORIEL_EVENT(EventCBSelChanging, 10114514, L"on_combobox_sel_changing")
  int nOldSel = -1;
  int nNewSel = -1;
  int bFlag = 1;
};

class SComboBoxEx : public SListBoxComboBase {
  SOBJ_CLASS(SComboBoxEx, SListBoxComboBase, L"comboboxEx", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"combobase"; }

  SComboBoxEx();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SListBoxComboBase::ApplyAttribute;
  BOOL CreateList(pugi::xml_node element) override;
  BOOL RaiseEvent(EventArgs* e) override;

  // Null until the children are made, or when "listStyle" names a class
  // that is not a "listboxEx".
  SListBoxEx* GetListBox() const { return static_cast<SListBoxEx*>(listBox_); }
  // The entry's icon index, 0 outside the entries.
  int GetItemIcon(int index) const;
  int GetCurItemIcon() const { return GetItemIcon(GetCurSel()); }
  // Where the closed box draws the current entry's icon and its text.
  RECT IconRect() const;
  RECT TextRect() const;

 protected:
  void OnPaint(IRenderTarget* rt) override;

 private:
  int xOffset_ = 0;
  int yOffset_ = 0;
  int spacing_ = 0;
};

}  // namespace ORIEL
