#include "control/SComboEdit.h"

#include "core/SApplication.h"

namespace ORIEL {

SComboEdit::SComboEdit(SWindow* combo) { SetOwner(combo); }

SComboEdit* SComboEdit::CreateIn(SWindow* combo, pugi::xml_node editStyle) {
  auto* edit = new SComboEdit(combo);
  if (SApplication* app = SApplication::getSingletonPtr()) app->ApplyDefaultAttributes(edit);
  combo->AttachChild(edit);
  SEventSet* events = edit->GetEventSet();
  events->muted = 1;
  // Without a style element the edit is just created; a failed creation
  // has already taken it out of the combo.
  if (!edit->LoadXmlNode(editStyle)) return nullptr;
  events->muted = 0;
  edit->ApplyAttribute(SStringW(L"id"), SStringW(L"-100"), TRUE);
  edit->SendSwndMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
  return edit;
}

void SComboEdit::ShowChosenText(const SStringW& text) {
  SEventSet* events = GetEventSet();
  const BYTE wasMuted = events->muted;
  events->muted = 1;
  SetText(text);
  events->muted = wasMuted;
}

BOOL SComboEdit::RaiseEvent(EventArgs* e) {
  SWindow* combo = GetOwner();
  if (combo && e->GetId() == EventRENotify::EventID) {
    e->idFrom = combo->GetId();
    e->nameFrom = combo->GetName();
  }
  return SEdit::RaiseEvent(e);
}

BOOL SComboEdit::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  SWindow* combo = GetOwner();
  if (combo && msg == WM_KEYDOWN && (wParam == VK_DOWN || wParam == VK_ESCAPE)) {
    // The combo's keys: Down steps its list, Esc is its own.
    result = combo->SendSwndMessage(msg, wParam, lParam);
    return TRUE;
  }
  if (combo && (msg == WM_MOUSEHOVER || msg == WM_MOUSELEAVE)) {
    SEdit::HandleSwndMessage(msg, wParam, lParam, result);
    combo->SendSwndMessage(msg, wParam, lParam);
    return TRUE;
  }
  return SEdit::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
