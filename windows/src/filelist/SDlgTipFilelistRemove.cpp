#include "windows/SDlgTipFilelistRemove.h"

#include "control/SCheckBox.h"

using namespace ORIEL;

SDlgTipFilelistRemove::SDlgTipFilelistRemove() : SDlgBase(L"LAYOUT:dlg_option_listitemRemove") {}

BOOL SDlgTipFilelistRemove::OnHostEvent(EventArgs* e) {
  if (!e || e->GetId() != EventCmd::EventID) return SDlgBase::OnHostEvent(e);
  const SStringW& name = e->nameFrom;
  if (name == L"btn_close" || name == L"btn_cancel" || name == L"btn_ok") {
    e->bubbleUp = 0;
    EndDialog(name == L"btn_ok" ? 1 : name == L"btn_cancel" ? 2 : 8);
    return TRUE;
  }
  if (name == L"chk_auto") {
    if (SCheckBox* box = FindChildByName2<SCheckBox>(L"chk_auto")) deleteFile_ = box->IsChecked() != FALSE;
    return TRUE;
  }
  return SDlgBase::OnHostEvent(e);
}
