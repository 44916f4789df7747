// Everything of a combo box but its list: a field that shows the selected
// entry (or holds an edit part for typing), a drop-down button drawn by a
// button skin, and the drop-down window that pops up below or above the
// field and hosts the list. The derived class supplies the list.
#pragma once

#include "control/SDropDownWnd.h"
#include "core/SWnd.h"

namespace ORIEL {

class SComboEdit;

class EventCBSelChange : public TplEventArgs<EventCBSelChange> {
  ORIEL_EVENT(EventCBSelChange, 19000, L"on_combobox_sel_change")
  int nCurSel = -1;
};
// Raised before the drop-down shows, so that subscribers can fill it.
class EventCBDropdown : public TplEventArgs<EventCBDropdown> {
  ORIEL_EVENT(EventCBDropdown, 19001, L"on_combobox_dropdown")
  SDropDownWnd* pDropDown = nullptr;
};

// The child ids of the combo's parts.
enum : int { kComboEditId = -100, kComboListId = -200 };

class SComboBase : public SWindow, public ISDropDownOwner {
  SOBJ_CLASS(SComboBase, SWindow, L"combobase", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  SComboBase();
  ~SComboBase() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL RaiseEvent(EventArgs* e) override;
  UINT GetDlgCode() const override { return 1; }
  BOOL TakesFocus() const override;
  SStringW GetText(bool raw = false) const override;
  void SetText(const SStringW& text) override;
  RECT TextRectangle() const override { return GetEditTextRect(); }
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;
  void ArrangeChildren() override;
  void Colorize(COLORREF color) override;
  BOOL RefreshTranslation() override;
  void UpdateScale(int scale) override;

  // The list operations of the derived class.
  virtual int GetCurSel() const = 0;
  virtual int GetCount() const = 0;
  // True when the selection changed.
  virtual bool SetCurSel(int index) = 0;
  virtual SStringW GetItemText(int index, bool raw = false) const = 0;
  // The first index from `start` whose text as written is `text`; -1.
  virtual int FindString(const SStringW& text, int start = 0) const;
  virtual void FireSelChange();
  virtual BOOL CreateList(pugi::xml_node element) = 0;
  // The pop-up's height in pixels.
  virtual int GetListHeight() = 0;

  void OpenDropDown();
  // Ends an open drop-down with code 2.
  void CloseUp();
  bool IsDroppedDown() const { return dropDown_ != nullptr && buttonState_ == 2; }
  SDropDownWnd* GetDropDown() const { return dropDown_; }
  // The pop-up's rectangle on the screen for a list `height` high; true
  // when it lies below the combo.
  bool GetDropDownRect(int height, RECT* rc) const;
  RECT GetDropButtonRect() const;
  RECT GetEditTextRect() const;
  bool IsReadOnly() const { return readOnly_ != 0; }
  SComboEdit* GetEditPart() const { return edit_; }
  int GetDropHeightPixels() const { return dropHeight_.ToPixels(GetScale()); }
  int GetButtonState() const { return buttonState_; }
  ISkinObj* GetButtonSkin() const { return buttonSkin_; }

  // ISDropDownOwner
  SWindow* GetDropDownOwner() override { return this; }
  void PrepareDropDown(SDropDownWnd* dropDown) override;
  void ReleaseDropDown(SDropDownWnd* dropDown) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  // The "curSel" the layout gave, -1 for none.
  int GetInitialSel() const { return initialSel_; }
  // Whether the edit part's events are muted (a change being written).
  bool EditMuted() const;
  void SetEditTextQuietly(const SStringW& text);
  // The selection change of the framework's combos: an edit part shows
  // the selected entry (quietly), the field is redrawn, then the event.
  void ShowSelectionAndFire();

 private:
  void InvalidateButton();
  void OnLButtonDownCombo(POINT pt);
  void OnMouseMoveCombo(POINT pt);
  void OnMouseLeaveCombo();
  void StepSelection(int by);
  int ButtonWidth() const;

  SComboEdit* edit_ = nullptr;  // a child of the combo, released with it
  int buttonState_ = 0;
  ISkinObj* buttonSkin_ = nullptr;  // skins belong to their pools
  SStringW buttonSkinName_;
  int readOnly_ = 1;
  SLayoutSize dropHeight_{200, SLayoutSize::dp};
  int animateTime_ = 200;
  int initialSel_ = -1;
  SDropDownWnd_ComboBox* dropDown_ = nullptr;
  SXmlDoc dropDownStyle_;
  int autoFitDropBtn_ = 1;
  bool clearingByTyping_ = false;
};

}  // namespace ORIEL
