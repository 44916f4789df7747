#include "windows/SDlgTipClose.h"

#include "control/SCheckBox.h"
#include "control/SRadioBox.h"
#include "event/SWndEvents.h"

using namespace ORIEL;

BOOL SDlgTipClose::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                       DWORD mapId) {
  if (mapId == 0 && msg == WM_INITDIALOG) {
    if (auto* exitRadio = FindChildByName2<SRadioBox>(L"custom_folder")) {
      // Checking one radio of the group unchecks the other.
      if (exitChosen) exitRadio->SetChecked(TRUE);
      else if (auto* minimise = FindChildByName2<SRadioBox>(L"original_folder")) minimise->SetChecked(TRUE);
    }
  }
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDlgTipClose::OnHostEvent(EventArgs* e) {
  if (!e || e->GetId() != EventCmd::EventID) return SDlgBase::OnHostEvent(e);
  const SStringW& name = e->nameFrom;
  if (name == L"btn_close") {
    EndDialog(8);
  } else if (name == L"btn_ok") {
    EndDialog(1);
  } else if (name == L"original_folder") {
    exitChosen = false;
  } else if (name == L"custom_folder") {
    exitChosen = true;
  } else if (name == L"chk_auto") {
    auto* box = FindChildByName2<SCheckBox>(L"chk_auto");
    remember = box && box->IsChecked();
  } else {
    return SDlgBase::OnHostEvent(e);
  }
  e->handled++;
  return TRUE;
}
