#include "windows/TaskTip.h"

#include "controls/SDlgTip.h"

namespace {

void ShowTipDialog(HWND owner, const std::vector<SStringW>& lines) {
  ORIEL::SDlgTip tip(SStringW(L"提示"), SStringW(L"确定"), SStringW());
  for (const SStringW& line : lines) tip.AddText(line);
  tip.DoModal(owner);
}

TaskTipShower& Shower() {
  static TaskTipShower shower = ShowTipDialog;
  return shower;
}

}  // namespace

void ShowTaskTip(HWND owner, const std::vector<SStringW>& lines) {
  if (Shower()) Shower()(owner, lines);
}

TaskTipShower SetTaskTipShower(TaskTipShower shower) {
  TaskTipShower previous = Shower();
  Shower() = shower ? std::move(shower) : TaskTipShower(ShowTipDialog);
  return previous;
}
