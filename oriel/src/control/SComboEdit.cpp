#include "control/SComboEdit.h"

#include "control/SComboBase.h"

namespace ORIEL {

SComboEdit::SComboEdit(SComboBase* owner) { SetOwner(owner); }

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
