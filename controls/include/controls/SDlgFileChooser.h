// The program's own file and folder chooser, a modal dialog on the UI
// framework: an up button and an editable path over the folder's entries
// (name, size, modified; folders first), a type filter and "确定"/"取消".
// It runs the UI thread's nested message loop like every dialog, so sent
// messages keep arriving while it is open. It is not on the modal-dialog
// stack itself: the picker that shows it stands there in its place.
#pragma once

#include <vector>

#include "controls/FolderListing.h"
#include "controls/SDlgBase.h"

namespace ORIEL {

class SComboBox;
class SEdit;
class SListCtrl;

// The option bits the pickers combine.
enum : DWORD {
  FOS_NOCHANGEDIR = 0x8,
  FOS_PICKFOLDERS = 0x20,
  FOS_ALLOWMULTISELECT = 0x200,
  FOS_FILEMUSTEXIST = 0x1000,
};

struct FileChooserFilter {
  SStringW name;     // what the type combo shows
  SStringW pattern;  // "*.mp3" or "*.mp3;*.wav"
};

class SDlgFileChooser : public SHostDialog, public SDpiHandler<SDlgFileChooser> {
 public:
  static constexpr const wchar_t* kLayoutName = L"LAYOUTGLOBAL:dlg_filechooser";

  // Opens in `startFolder`, or in the home folder when that is no folder.
  SDlgFileChooser(DWORD options, std::vector<FileChooserFilter> filters, const SStringW& startFolder);
  ~SDlgFileChooser() override;

  // Whether a chooser can run now: an application with its message loop
  // and the chooser's layout among its resources. `why` says what is
  // missing.
  static bool CanBeMade(SStringW* why = nullptr);

  // What "确定" answered (the dialog then ends with 1).
  const std::vector<SStringW>& GetChosen() const { return chosen_; }
  // The folder whose entries are listed.
  const SStringW& GetFolder() const { return folder_; }
  // The entries listed, in row order.
  const std::vector<FolderEntry>& GetRows() const { return rows_; }
  // Lists another folder; false (nothing changes) when it cannot be read.
  bool OpenFolder(const SStringW& folder);
  // The row of the entry with this name, or -1.
  int FindRow(const SStringW& name) const;
  SListCtrl* GetList() const { return list_; }
  SEdit* GetPathEdit() const { return edit_; }

  BOOL OnHostEvent(EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 private:
  bool PickFolders() const { return (options_ & FOS_PICKFOLDERS) != 0; }
  void OnInit();
  void Refill();
  SStringW CurrentPattern() const;
  void OnOk();
  void OnRowActivated(int row);
  void Answer(std::vector<SStringW> paths);
  // The typed path was no use: the field keeps it for correcting.
  void Refuse();

  DWORD options_;
  std::vector<FileChooserFilter> filters_;
  SStringW folder_;
  std::vector<FolderEntry> entries_;  // the whole folder
  std::vector<FolderEntry> rows_;     // what the list shows
  std::vector<SStringW> chosen_;
  SListCtrl* list_ = nullptr;
  SEdit* edit_ = nullptr;
  SComboBox* filter_ = nullptr;
};

}  // namespace ORIEL
