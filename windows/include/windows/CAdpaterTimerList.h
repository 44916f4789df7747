// The rows of the timer-task dialog's list: the scheduled tasks in the
// order of their start, read from the controller's task manager under its
// lock whenever the list asks, each with a remove button. Removing refuses
// a task that overlaps or touches the one recording now.
#pragma once

#include "control/SAdapterBase.h"
#include "logic/MainWindowLinks.h"
#include "logic/TimertaskInfo.h"

class CTimertaskManager;

namespace ORIEL {

class CAdpaterTimerList : public SMcAdapterBaseEx, public ITimerListAdapter {
 public:
  CAdpaterTimerList() = default;
  ~CAdpaterTimerList() override { ReleaseObservers(); }

  int GetCount() override;
  void BindItemView(int position, SWindow* item, pugi::xml_node xmlTemplate) override;
  SStringW GetColumnName(int column) const override;
  // Rows are never dragged: nothing moves.
  bool OnDropSelection() { return true; }
  bool OnRequestSelect(int, SList<int>&) override { return false; }

  void SetManager(CTimertaskManager* manager) override { manager_ = manager; }
  void NotifyDataChanged() override { NotifyChanged(); }
  void NotifyChanged() { notifyDataSetChanged(); }

  // The remove button of row `index`: false when nothing was removed.
  bool RemoveTaskAt(size_t index, HWND owner);

 private:
  bool OnRemoveTask(EventArgs* e);
  // The task of a row, or none when the row lies past the list's end.
  bool TaskAt(size_t index, CTimertaskInfo& task);

  CTimertaskManager* manager_ = nullptr;
};

}  // namespace ORIEL
