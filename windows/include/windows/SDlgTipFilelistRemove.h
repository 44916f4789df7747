#pragma once
// Asks whether a recording leaves the list, and whether its file goes too.
// 1 removes; 2 (cancel, Esc, window close) and 8 (the close button) keep it.

#include "controls/SDlgBase.h"

class SDlgTipFilelistRemove : public ORIEL::SDlgBase {
 public:
  SDlgTipFilelistRemove();
  BOOL OnHostEvent(ORIEL::EventArgs* e) override;
  // The check box "删除本地文件" as it was when the dialog ended.
  bool GetDeleteFile() const { return deleteFile_; }

 private:
  bool deleteFile_ = false;
};
