#include "core/SDefServices.h"
#include "core/STipCtrl.h"

namespace ORIEL {

IToolTip* SDefToolTipFactory::CreateToolTip(HWND) {
  auto* tip = new STipCtrl;
  if (!tip->CreateTipWindow()) {
    delete tip;
    return nullptr;
  }
  return tip;
}

void SDefToolTipFactory::DestroyToolTip(IToolTip* tip) {
  if (!tip) return;
  // Only this factory's tips come back here.
  DestroyWindow(static_cast<STipCtrl*>(tip)->GetHwnd());
}

}  // namespace ORIEL
