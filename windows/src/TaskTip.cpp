#include "windows/TaskTip.h"

#include "win32/windows.h"

namespace {

void ShowTipDialog(HWND owner, const std::vector<SStringW>& lines) {
  SStringW text;
  for (const SStringW& line : lines) {
    if (line.IsEmpty()) continue;
    if (!text.IsEmpty()) text += L"\n";
    text += line;
  }
  MessageBoxW(owner, text.c_str(), L"提示", MB_OK);
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
