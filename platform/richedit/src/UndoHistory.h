// Undo and redo: each step remembers what a replace removed and inserted
// and the selection before it. A run of typing (characters entered one
// after another, each just after the last) is one step. At most 100 steps
// are kept; the oldest go first.
#pragma once

#include <deque>
#include <string>

namespace richedit {

struct EditStep {
  long start = 0;
  std::wstring removed;
  std::wstring inserted;
  long anchorBefore = 0;
  long caretBefore = 0;
};

class UndoHistory {
 public:
  static constexpr size_t kLimit = 100;

  // A new step; clears what could be redone. `typing` may join the open
  // typing run instead of starting a step.
  void record(const EditStep& step, bool typing);
  // Ends the open typing run (a caret move, a click, another edit).
  void closeRun() { runOpen_ = false; }
  void clear();

  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  // Moves the newest step to the redo side and answers it.
  EditStep takeUndo();
  // Moves the newest undone step back and answers it.
  EditStep takeRedo();
  size_t undoCount() const { return undo_.size(); }

 private:
  std::deque<EditStep> undo_;
  std::deque<EditStep> redo_;
  bool runOpen_ = false;
};

}  // namespace richedit
