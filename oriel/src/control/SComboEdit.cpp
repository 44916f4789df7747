#include "control/SComboEdit.h"

#include "control/SComboBase.h"
#include "core/SApplication.h"

namespace ORIEL {

SComboEdit::SComboEdit(SComboBase* owner) { SetOwner(owner); }

SComboEdit* SComboEdit::CreateIn(SComboBase* combo, pugi::xml_node editStyle) {
  auto* edit = new SComboEdit(combo);
  if (SApplication* app = SApplication::getSingletonPtr()) app->ApplyDefaultAttributes(edit);
  combo->AttachChild(edit);
  edit->GetEventSet()->muted = 1;
  // Without a style element the edit is only created. A failed creation
  // (no text engine) has already taken the edit out of the combo.
  if (!edit->LoadXmlNode(editStyle)) return nullptr;
  edit->GetEventSet()->muted = 0;
  edit->ApplyAttribute(SStringW(L"id"), SStringW(L"-100"), TRUE);
  edit->SendSwndMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
  return edit;
}

// An empty cue colour would leave the cue text unreadable: refused.
HRESULT SComboEdit::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"cueColor") && value.IsEmpty()) return E_INVALIDARG;
  return SEdit::ApplyAttribute(name, value, loading);
}

BOOL SComboEdit::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  SWindow* combo = GetOwner();
  if (combo && msg == WM_KEYDOWN && (wParam == VK_DOWN || wParam == VK_ESCAPE)) {
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

BOOL SComboEdit::RaiseEvent(EventArgs* e) {
  SWindow* combo = GetOwner();
  if (combo && e->GetId() == EventRENotify::EventID) {
    e->idFrom = combo->GetId();
    e->nameFrom = combo->GetName();
  }
  return SEdit::RaiseEvent(e);
}

}  // namespace ORIEL
