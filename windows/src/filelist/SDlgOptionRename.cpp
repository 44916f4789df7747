#include "windows/SDlgOptionRename.h"

#include "online/UsageEvents.h"
#include "windows/FileListTexts.h"

using namespace ORIEL;

SDlgOptionRename::SDlgOptionRename(const std::wstring& filePath)
    : SDlgBase(L"LAYOUT:dlg_option_renameFile"), path_(filePath) {}

BOOL SDlgOptionRename::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                           DWORD mapId) {
  if (mapId == 0 && msg == WM_INITDIALOG) OnInitDialog();
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDlgOptionRename::OnHostEvent(EventArgs* e) {
  if (!e || e->GetId() != EventCmd::EventID) return SDlgBase::OnHostEvent(e);
  if (e->nameFrom == L"btn_close" || e->nameFrom == L"btn_no") {
    e->bubbleUp = 0;
    EndDialog(8);
    return TRUE;
  }
  if (e->nameFrom == L"btn_ok") {
    e->bubbleUp = 0;
    OnOk();
    return TRUE;
  }
  return SDlgBase::OnHostEvent(e);
}

void SDlgOptionRename::OnInitDialog() {
  name_ = FindChildByName2<SEdit>(L"edit_filename");
  error_ = FindChildByName2<SEdit>(L"edit_error");
  if (name_ && !path_.empty()) name_->ApplyAttribute(SStringW(L"cueText"), SStringW(RenameCueText(path_).c_str()), FALSE);
}

void SDlgOptionRename::OnOk() {
  if (path_.empty() || !name_) return;
  const std::wstring name = name_->GetText().c_str();
  std::wstring target;
  const RenameFault fault = RenameRecordingFile(path_, name, target);
  if (fault != RenameFault::kNone) {
    if (error_) error_->SetText(SStringW(RenameFaultText(fault)));
    return;
  }
  newPath_ = target;
  ReportTaskWindowEvent(false, true);
  EndDialog(1);
}
