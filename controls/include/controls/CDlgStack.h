// The one stack of open modal dialogs. While any dialog is open the
// registered top-level windows are disabled; ending a dialog first ends
// every dialog above it, so no dialog outlives the one below it.
#pragma once

#include <vector>

#include "win32/windows.h"

namespace ORIEL {

// What the stack can hold: something with a modal loop it can end.
struct IDlgRecall {
  virtual ~IDlgRecall() = default;
  // Ends the modal loop with 100; answers 100.
  virtual INT_PTR Recall() = 0;
  // The object's window, or null when it has none.
  virtual HWND GetRecallHwnd() = 0;
};

class CDlgStack {
 public:
  static constexpr INT_PTR kRecalled = 100;
  static constexpr INT_PTR kPushed = 101;

  static CDlgStack& Instance();

  INT_PTR Push(IDlgRecall* dialog);
  // Removes the dialog and all above it, recalling those above whose window
  // is alive or not made yet (a dead window is skipped); answers 100.
  INT_PTR Pop(IDlgRecall* dialog);
  // The window a new dialog should be owned by.
  HWND Top() const;
  void RegisterWindow(HWND hwnd);
  void UnregisterWindow(HWND hwnd);
  // 100 when nothing is open, else recalls every dialog top-down and 101.
  INT_PTR RecallAll();
  size_t Count() const { return dialogs_.size(); }
  bool IsEmpty() const { return dialogs_.empty(); }

 private:
  CDlgStack() = default;
  void EnableRegistered(BOOL enable);

  std::vector<IDlgRecall*> dialogs_;
  std::vector<HWND> windows_;
};

}  // namespace ORIEL
