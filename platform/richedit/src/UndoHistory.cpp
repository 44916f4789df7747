#include "UndoHistory.h"

namespace richedit {

void UndoHistory::record(const EditStep& step, bool typing) {
  redo_.clear();
  if (typing && runOpen_ && !undo_.empty()) {
    EditStep& last = undo_.back();
    if (step.removed.empty() && step.start == last.start + static_cast<long>(last.inserted.size())) {
      last.inserted += step.inserted;
      return;
    }
  }
  undo_.push_back(step);
  if (undo_.size() > kLimit) undo_.pop_front();
  runOpen_ = typing;
}

void UndoHistory::clear() {
  undo_.clear();
  redo_.clear();
  runOpen_ = false;
}

EditStep UndoHistory::takeUndo() {
  EditStep step = undo_.back();
  undo_.pop_back();
  redo_.push_back(step);
  runOpen_ = false;
  return step;
}

EditStep UndoHistory::takeRedo() {
  EditStep step = redo_.back();
  redo_.pop_back();
  undo_.push_back(step);
  runOpen_ = false;
  return step;
}

}  // namespace richedit
