#include "windows/UpdateTipDialog.h"

#include "controls/SDlgTip.h"

int ShowUpdateTipDialog(HWND owner, const UpdateTip& tip) {
  ORIEL::SDlgTip dialog(SStringW(tip.title.c_str()), SStringW(tip.okText.c_str()), SStringW(tip.noText.c_str()));
  dialog.AddText(SStringW(tip.text.c_str()));
  dialog.closable = tip.closable;
  switch (dialog.DoModal(owner)) {
    case ORIEL::SDlgTip::kOk:
      return kTipOk;
    case ORIEL::SDlgTip::kNo:
      return kTipNo;
    default:
      return kTipClose;
  }
}
