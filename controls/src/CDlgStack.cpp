#include "controls/CDlgStack.h"

#include <algorithm>

namespace ORIEL {

CDlgStack& CDlgStack::Instance() {
  // Never freed: dialogs may pop during static destruction.
  static CDlgStack* stack = new CDlgStack;
  return *stack;
}

void CDlgStack::EnableRegistered(BOOL enable) {
  for (HWND hwnd : windows_) EnableWindow(hwnd, enable);
}

INT_PTR CDlgStack::Push(IDlgRecall* dialog) {
  if (dialog) dialogs_.push_back(dialog);
  if (!dialogs_.empty()) EnableRegistered(FALSE);
  return kPushed;
}

INT_PTR CDlgStack::Pop(IDlgRecall* dialog) {
  if (!dialog) return kRecalled;
  const auto found = std::find(dialogs_.begin(), dialogs_.end(), dialog);
  if (found == dialogs_.end()) return kRecalled;
  const std::vector<IDlgRecall*> above(found + 1, dialogs_.end());
  dialogs_.erase(found, dialogs_.end());
  // Top-down. Only an entry whose window is gone is dropped unrecalled: one
  // without a window yet (a picker still being made) is recalled too, so it
  // does not open over a dialog that has ended.
  for (auto it = above.rbegin(); it != above.rend(); ++it) {
    HWND hwnd = (*it)->GetRecallHwnd();
    if (!hwnd || IsWindow(hwnd)) (*it)->Recall();
  }
  if (dialogs_.empty()) EnableRegistered(TRUE);
  return kRecalled;
}

HWND CDlgStack::Top() const {
  if (!dialogs_.empty()) return dialogs_.back()->GetRecallHwnd();
  return windows_.empty() ? nullptr : windows_.back();
}

void CDlgStack::RegisterWindow(HWND hwnd) {
  if (std::find(windows_.begin(), windows_.end(), hwnd) != windows_.end()) return;
  windows_.push_back(hwnd);
  if (!dialogs_.empty()) EnableWindow(hwnd, FALSE);
}

void CDlgStack::UnregisterWindow(HWND hwnd) {
  const auto found = std::find(windows_.begin(), windows_.end(), hwnd);
  if (found == windows_.end()) return;
  EnableWindow(hwnd, TRUE);
  windows_.erase(found);
}

INT_PTR CDlgStack::RecallAll() {
  if (dialogs_.empty()) return kRecalled;
  // The dialogs pop themselves as they end; work on a copy.
  const std::vector<IDlgRecall*> open = dialogs_;
  for (auto it = open.rbegin(); it != open.rend(); ++it) (*it)->Recall();
  return kPushed;
}

}  // namespace ORIEL
