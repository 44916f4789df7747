#pragma once
// Edits a recording's title, artist, genre, album and year. The file's
// current tags fill the edits (an absent tag leaves its edit empty with the
// hint "无"); saving rewrites the file on the dialog's own worker
// (CTaskId3) behind a loading overlay, and UM_ID3_RESULT ends the dialog
// (1) or, on a failure, tells the user and keeps the edits.

#include <string>

#include "base/TaskThreadPool.h"
#include "control/SEdit.h"
#include "controls/SDlgBase.h"
#include "mediaconvert/MCMediaTags.h"

class SDlgOptionID3 : public ORIEL::SDlgBase {
 public:
  explicit SDlgOptionID3(const std::wstring& filePath);
  ~SDlgOptionID3() override;

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  BOOL OnHostEvent(ORIEL::EventArgs* e) override;

  void LoadTags();
  void StartSave();

 private:
  void StopWorker();
  void ShowLoading(bool show);

  MCMediaTags tags_;
  CTaskThreadPool pool_;
  std::wstring path_;
  ORIEL::SWindow* loading_ = nullptr;
  ORIEL::SEdit* title_ = nullptr;
  ORIEL::SEdit* artist_ = nullptr;
  ORIEL::SEdit* genre_ = nullptr;
  ORIEL::SEdit* album_ = nullptr;
  ORIEL::SEdit* year_ = nullptr;
};

// The notices of the file list's dialogs: "提示" with one line, OK "确认",
// owned by the top of the modal-dialog stack; the answer is not used.
void ShowFileListTip(const std::wstring& text);
