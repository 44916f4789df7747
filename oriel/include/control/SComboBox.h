// The combo boxes over the combo base: "combobox" drops down a list box,
// "comboview" an adapter-driven list view. The list is the combo's own
// (id -200, built from the "listStyle" element); it lives outside the
// window tree while closed and is lent to the drop-down while open.
#pragma once

#include "control/SComboBase.h"
#include "control/SListBox.h"
#include "control/SListBoxComboBase.h"
#include "control/SListView.h"

namespace ORIEL {

class SComboBox : public SListBoxComboBase {
  SOBJ_CLASS(SComboBox, SListBoxComboBase, L"combobox", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"combobase"; }

  BOOL CreateList(pugi::xml_node element) override;
  BOOL RaiseEvent(EventArgs* e) override;

  // Null until the combo's children are made, or when "listStyle" names a
  // class that is not a list box.
  SListBox* GetListBox() const { return listBox_; }
  int InsertItem(int index, const SStringW& text, int icon = -1, LPARAM data = 0);
  bool DeleteString(int index);
  void ResetContent();
  LPARAM GetItemData(int index) const { return listBox_ ? listBox_->GetItemData(index) : 0; }
};

class SComboView : public SComboBase {
  SOBJ_CLASS(SComboView, SComboBase, L"comboview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"combobase"; }

  SComboView() = default;
  ~SComboView() override;

  int GetCurSel() const override { return list_ ? list_->GetSel() : -1; }
  int GetCount() const override;
  bool SetCurSel(int index) override;
  SStringW GetItemText(int index, bool raw = false) const override;
  void FireSelChange() override;
  BOOL CreateList(pugi::xml_node element) override;
  int GetListHeight() override;
  BOOL RaiseEvent(EventArgs* e) override;
  void UpdateScale(int scale) override;

  void PrepareDropDown(SDropDownWnd* dropDown) override;
  void ReleaseDropDown(SDropDownWnd* dropDown) override;

  SListView* GetListView() const { return list_; }

 protected:
  void OnDestroy() override;

 private:

  SListView* list_ = nullptr;
};

}  // namespace ORIEL
