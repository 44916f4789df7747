#include "controls/SDlgFileChooser.h"

#include "control/SComboBox.h"
#include "control/SEdit.h"
#include "control/SListCtrl.h"
#include "core/SApplication.h"
#include "core/SLog.h"
#include "core/SXml.h"
#include "event/SWndEvents.h"

namespace ORIEL {

namespace {

enum Column { kColumnName = 0, kColumnSize = 1, kColumnModified = 2 };

SStringW StartingFolder(const SStringW& wanted) {
  if (!wanted.IsEmpty() && IsFolderPath(wanted)) return ResolveTypedPath(wanted, SStringW(L"/"));
  const SStringW home = HomeFolder();
  return IsFolderPath(home) ? home : SStringW(L"/");
}

}  // namespace

SDlgFileChooser::SDlgFileChooser(DWORD options, std::vector<FileChooserFilter> filters, const SStringW& startFolder)
    : SHostDialog(kLayoutName), options_(options), filters_(std::move(filters)), folder_(StartingFolder(startFolder)) {}

SDlgFileChooser::~SDlgFileChooser() = default;

bool SDlgFileChooser::CanBeMade(SStringW* why) {
  SApplication* app = SApplication::getSingletonPtr();
  SStringW missing;
  if (!app) {
    missing = L"there is no application to run it";
  } else {
    SXmlDoc doc;
    if (!app->LoadXmlDocument(doc, L"dlg_filechooser", L"LAYOUTGLOBAL") || !XmlChild(doc, L"ORIEL"))
      missing = SStringW(L"its layout ") + kLayoutName + L" is not among the resources";
  }
  if (why) *why = missing;
  return missing.IsEmpty();
}

BOOL SDlgFileChooser::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                          DWORD mapId) {
  if (mapId == 0 && msg == WM_INITDIALOG) OnInit();
  if (SHostDialog::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId)) return TRUE;
  if (mapId == 0) HandleDpiMessage(msg, wParam, lParam, result);
  return FALSE;
}

void SDlgFileChooser::OnInit() {
  list_ = FindChildByName2<SListCtrl>(L"lc_files");
  edit_ = FindChildByName2<SEdit>(L"edit_path");
  filter_ = FindChildByName2<SComboBox>(L"cbb_filter");
  if (!list_ || !edit_) {
    SLOGW(SLOG_LEVEL_ERROR, "SDlgFileChooser::OnInit", L"the chooser's layout %s lacks its list or path field",
          kLayoutName);
    OnCancel();
    return;
  }
  const wchar_t* title = PickFolders() ? L"选择文件夹" : L"选择文件";
  SetWindowTextW(GetHwnd(), title);
  if (SWindow* caption = FindDescendantByName(L"title_name")) caption->SetText(title);
  list_->ApplyAttribute(SStringW(L"multiSelection"), SStringW((options_ & FOS_ALLOWMULTISELECT) ? L"1" : L"0"), FALSE);
  if (filter_) {
    filter_->ResetContent();
    for (size_t i = 0; i < filters_.size(); ++i)
      filter_->InsertItem(static_cast<int>(i), filters_[i].name, -1, static_cast<LPARAM>(i));
    if (!filters_.empty()) filter_->SetCurSel(0);
    // Folders have no types to choose from.
    filter_->SetVisible(!PickFolders() && !filters_.empty(), TRUE);
  }
  if (!OpenFolder(folder_) && !OpenFolder(HomeFolder())) OpenFolder(SStringW(L"/"));
  edit_->SetFocus();
}

bool SDlgFileChooser::OpenFolder(const SStringW& folder) {
  std::vector<FolderEntry> entries;
  if (!ReadFolderEntries(folder, entries)) {
    SLOGW(SLOG_LEVEL_WARN, "SDlgFileChooser::OpenFolder", L"folder %s cannot be read", folder.c_str());
    return false;
  }
  folder_ = folder;
  entries_ = std::move(entries);
  if (edit_) edit_->SetText(folder_);
  Refill();
  return true;
}

SStringW SDlgFileChooser::CurrentPattern() const {
  if (filters_.empty()) return SStringW();
  const int sel = filter_ ? filter_->GetCurSel() : 0;
  return filters_[sel >= 0 && sel < static_cast<int>(filters_.size()) ? sel : 0].pattern;
}

void SDlgFileChooser::Refill() {
  rows_ = VisibleEntries(entries_, PickFolders(), CurrentPattern());
  if (!list_) return;
  list_->DeleteAllItems();
  for (size_t i = 0; i < rows_.size(); ++i) {
    const FolderEntry& e = rows_[i];
    const int row = list_->InsertItem(static_cast<int>(i), e.name);
    list_->SetItemData(row, static_cast<LPARAM>(i));
    list_->SetSubItemText(row, kColumnSize, e.isFolder ? SStringW(L"文件夹") : FormatEntrySize(e.size));
    list_->SetSubItemText(row, kColumnModified, FormatEntryTime(e.modified));
  }
}

int SDlgFileChooser::FindRow(const SStringW& name) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].name == name) return static_cast<int>(i);
  return -1;
}

BOOL SDlgFileChooser::OnHostEvent(EventArgs* e) {
  if (!e) return FALSE;
  const SStringW& from = e->nameFrom;
  if (e->GetId() == EventCmd::EventID) {
    if (from == L"btn_ok") {
      e->bubbleUp = 0;
      OnOk();
      return TRUE;
    }
    if (from == L"btn_cancel" || from == L"btn_close") {
      e->bubbleUp = 0;
      OnCancel();
      return TRUE;
    }
    if (from == L"btn_up") {
      OpenFolder(ParentFolder(folder_));
      return TRUE;
    }
  }
  if (e->GetId() == EventLCDbClick::EventID && from == L"lc_files") {
    OnRowActivated(static_cast<EventLCDbClick*>(e)->nCurSel);
    return TRUE;
  }
  if (e->GetId() == EventCBSelChange::EventID && from == L"cbb_filter") {
    Refill();
    return TRUE;
  }
  return SHostDialog::OnHostEvent(e);
}

void SDlgFileChooser::OnRowActivated(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  const FolderEntry entry = rows_[row];
  const SStringW path = JoinPath(folder_, entry.name);
  if (entry.isFolder) OpenFolder(path);
  else if (!PickFolders()) Answer({path});
}

void SDlgFileChooser::OnOk() {
  if (!edit_ || !list_) return;
  const SStringW typed = ResolveTypedPath(edit_->GetText(), folder_);
  if (typed != folder_) {
    // A path the user typed wins over the list.
    if (IsFolderPath(typed)) {
      if (PickFolders()) Answer({typed});
      else if (!OpenFolder(typed)) Refuse();
      return;
    }
    const bool mustExist = (options_ & FOS_FILEMUSTEXIST) != 0;
    if (!PickFolders() && IsFilePath(typed)) Answer({typed});
    else if (!mustExist && IsFolderPath(ParentFolder(typed))) Answer({typed});
    else Refuse();
    return;
  }
  std::vector<SStringW> files, folders;
  for (int row = 0; row < list_->GetItemCount() && row < static_cast<int>(rows_.size()); ++row) {
    if (!list_->GetCheckState(row)) continue;
    (rows_[row].isFolder ? folders : files).push_back(JoinPath(folder_, rows_[row].name));
  }
  if (PickFolders()) {
    if (folders.empty()) folders.push_back(folder_);
    Answer(folders);
    return;
  }
  if (!files.empty()) Answer(files);
  else if (folders.size() == 1) OpenFolder(folders.front());
}

void SDlgFileChooser::Answer(std::vector<SStringW> paths) {
  chosen_ = std::move(paths);
  EndDialog(IDOK);
}

void SDlgFileChooser::Refuse() {
  MessageBeep(0);
  if (edit_) edit_->SetFocus();
}

}  // namespace ORIEL
