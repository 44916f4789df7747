#include "controls/SComboBoxEx.h"

#include <algorithm>

#include "control/ComboListParts.h"
#include "control/SControlPaint.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

SComboBoxEx::SComboBoxEx() {
  GetEventSet()->AddEvent(EventCBSelChanging::EventID, EventCBSelChanging::EventName());
}

HRESULT SComboBoxEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"x-offset")) xOffset_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"y-offset")) yOffset_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"spacing")) spacing_ = ParseAttrInt(value);
  else return SComboBase::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_OK);
}

// The entries' texts may name strings of the resources.
BOOL SComboBoxEx::CreateList(pugi::xml_node element) {
  return BuildListBox(element, SListBoxEx::GetClassName(), true);
}

int SComboBoxEx::GetItemIcon(int index) const {
  if (!listBox_ || index < 0 || index >= listBox_->GetCount()) return 0;
  return listBox_->GetEntryIcon(index);
}

// A choice in the open list is the combo's selection, then its own
// "changing" event follows with the list's old and new entry; a click in
// the list closes it.
BOOL SComboBoxEx::RaiseEvent(EventArgs* e) {
  if (listBox_ && GetDropDown() && e->sender && e->sender->GetId() == kComboListId) {
    if (e->GetId() == EventLBSelChanged::EventID) {
      const auto* changed = static_cast<EventLBSelChanged*>(e);
      FireSelChange();
      EventCBSelChanging changing(this);
      changing.nOldSel = changed->nOldSel;
      changing.nNewSel = changed->nNewSel;
      SComboBase::RaiseEvent(&changing);
      return TRUE;
    }
    if (e->GetId() == EventCmd::EventID) {
      CloseUp();
      return TRUE;
    }
  }
  return SComboBase::RaiseEvent(e);
}

// --- painting ---------------------------------------------------------------

RECT SComboBoxEx::IconRect() const {
  const RECT client = ClientRect();
  ISkinObj* skin = GetListBox() ? GetListBox()->GetIconSkin() : nullptr;
  const SIZE size = skin ? skin->NaturalSize() : SIZE{0, 0};
  const int top = client.top + (client.bottom - client.top - size.cy) / 2;
  return RECT{client.left, top, client.left + size.cx, top + size.cy};
}

// The text keeps its place whether or not the entry has an icon.
RECT SComboBoxEx::TextRect() const {
  RECT rc = GetEditTextRect();
  ISkinObj* skin = GetListBox() ? GetListBox()->GetIconSkin() : nullptr;
  rc.left += xOffset_ + (skin ? skin->NaturalSize().cx : 0);
  rc.top += yOffset_;
  rc.right -= spacing_;
  return rc;
}

void SComboBoxEx::OnPaint(IRenderTarget* rt) {
  if (GetCurSel() != -1 && !GetEditPart()) {
    const int icon = GetCurItemIcon();
    ISkinObj* skin = GetListBox() ? GetListBox()->GetIconSkin() : nullptr;
    if (icon != -1 && skin) {
      const RECT rc = IconRect();
      skin->DrawByIndex(rt, &rc, icon);
    }
    const SPaintState saved = ApplyPaintState(this, rt);
    const SStringW text = GetText();
    RECT rc = TextRect();
    rt->DrawText(text.c_str(), text.GetLength(), &rc, GetStyle().GetDrawTextFormat());
    RestorePaintState(rt, saved);
  }
  if (ISkinObj* button = GetButtonSkin()) {
    const RECT rc = GetDropButtonRect();
    const int state = GetButtonState() == 2 || (GetState() & WndState_Check) ? 2 : GetButtonState() == 1 ? 1 : 0;
    button->DrawByIndex(rt, &rc, std::min(state, std::max(button->StateCount() - 1, 0)));
  }
}

}  // namespace ORIEL
