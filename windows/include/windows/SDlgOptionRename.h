#pragma once
// Renames one recording's file within its folder, keeping its extension.
// It shows the current name as the edit's hint; a refused name leaves the
// dialog open with the reason under the edit. 1 after a rename (the new
// path in GetNewPath), 8 when closed or cancelled.

#include <string>

#include "control/SEdit.h"
#include "controls/SDlgBase.h"

class SDlgOptionRename : public ORIEL::SDlgBase {
 public:
  explicit SDlgOptionRename(const std::wstring& filePath);

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  BOOL OnHostEvent(ORIEL::EventArgs* e) override;

  const std::wstring& GetNewPath() const { return newPath_; }

 private:
  void OnInitDialog();
  void OnOk();

  std::wstring path_;
  std::wstring newPath_;
  ORIEL::SEdit* name_ = nullptr;
  ORIEL::SEdit* error_ = nullptr;
};
