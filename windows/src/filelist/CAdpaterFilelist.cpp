#include "windows/CAdpaterFilelist.h"

#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "base/CodePage.h"
#include "base/DebugStr.h"
#include "base/FileInfo.h"
#include "control/SButton.h"
#include "control/SStatic.h"
#include "controls/CDlgStack.h"
#include "event/SEventSlot.h"
#include "logic/BllMain.h"
#include "logic/InterruptedRecording.h"
#include "shell/shellapi.h"
#include "win32/windows.h"
#include "windows/FileListTexts.h"
#include "windows/SDlgFilelist.h"
#include "windows/SDlgOptionID3.h"
#include "windows/SDlgOptionRename.h"
#include "windows/SDlgTipFilelistRemove.h"
#include "z_tolvane/FFmpegFile.h"

using namespace ORIEL;

CAdpaterFilelist& CAdpaterFilelist::Instance() {
  static CAdpaterFilelist adapter;
  return adapter;
}

void CAdpaterFilelist::SetStore(CRecordFileStore* store) {
  store_ = store;
  if (store_) ListInterruptedRecordings();
  NotifyChanged();
}

int CAdpaterFilelist::ListInterruptedRecordings() {
  if (!store_) return 0;
  const std::vector<std::wstring> found = store_->InterruptedRecordings();
  for (const std::wstring& path : found) {
    const CInterruptedRecording recording = RecoverInterruptedRecording(path);
    // One that does not open as media is listed all the same: the user
    // finds the file and decides what becomes of it.
    InsertRecord(path, FormatRecordDuration(recording.seconds), recording.bytes);
    base::OutputDebugText(L"a recording cut short was listed: " + path + L"\r\n");
  }
  if (found.empty()) return 0;
  // Out of the journal only once saved (to the database or its side file).
  Save();
  for (const std::wstring& path : found) store_->Journal().Remove(path);
  return static_cast<int>(found.size());
}

void CAdpaterFilelist::RetryPendingStore() {
  if (store_ && store_->HasPendingWork() && store_->RetryPending()) NotifyChanged();
}

void CAdpaterFilelist::InsertRecord(const std::wstring& path, const std::wstring& duration, uint64_t bytes) {
  CFileInfo facts(path);
  CRecordFileInfo record;
  const size_t slash = path.find_last_of(L"/\\");
  record.FileName = (slash == std::wstring::npos ? path : path.substr(slash + 1)).c_str();
  record.FilePath = path.c_str();
  record.Date = facts.FormatTime(CFileInfo::kCreationTime, true, true, true, true, true, true, L"-").c_str();
  record.Size = FormatRecordSize(bytes).c_str();
  record.Duration = duration.c_str();
  store_->m_records.insert(store_->m_records.begin(), record);
}

int CAdpaterFilelist::GetCount() { return store_ ? static_cast<int>(store_->m_records.size()) : 0; }

void CAdpaterFilelist::BindItemView(int position, SWindow* item, pugi::xml_node xmlTemplate) {
  if (!item || !store_ || position < 0 || position >= GetCount()) return;
  // A fresh row takes the template whole: its own attributes (the box
  // layout, padding, centring, hover colour) as well as its children.
  if (item->GetChildrenCount() == 0) item->LoadXmlNode(xmlTemplate);
  const CRecordFileInfo& record = store_->m_records[static_cast<size_t>(position)];
  const struct {
    const wchar_t* name;
    const SStringW& text;
  } texts[] = {{L"filename", record.FileName},
               {L"filesize", record.Size},
               {L"filetime", record.Duration},
               {L"filedata", record.Date}};
  for (const auto& t : texts) {
    if (SStatic* w = item->FindChildByName2<SStatic>(t.name)) {
      w->SetText(t.text);
      w->SetTipText(t.text);
      if (wcscmp(t.name, L"filename") == 0) w->SetUserData(static_cast<ULONG_PTR>(position));
    }
  }
  using Handler = bool (CAdpaterFilelist::*)(EventCmd*);
  const struct {
    const wchar_t* name;
    Handler handler;
  } buttons[] = {{L"btn_play", &CAdpaterFilelist::OnPlay},           {L"btn_remove", &CAdpaterFilelist::OnRemove},
                 {L"btn_rename", &CAdpaterFilelist::OnRename},       {L"btn_folder", &CAdpaterFilelist::OnOpenFolder},
                 {L"btn_id3", &CAdpaterFilelist::OnEditId3},         {L"btn_edit", &CAdpaterFilelist::OnOpenEditor}};
  for (const auto& b : buttons) {
    SImageButton* button = item->FindChildByName2<SImageButton>(b.name);
    if (!button) continue;
    button->SetUserData(static_cast<ULONG_PTR>(position));
    // The event set ignores a subscription it already has, so a reused
    // row keeps one handler per button.
    button->GetEventSet()->SubscribeEvent(EventCmd::EventID, Subscriber(b.handler, this));
  }
}

bool CAdpaterFilelist::AddRecord(const std::wstring& path) {
  const std::string utf8 = WStringToUtf8Ret(path);
  FFmpegFile probe;
  std::unique_ptr<MCMedia> media(probe.Open(utf8.c_str(), true, false));
  if (!media || !store_) return false;
  InsertRecord(path, FormatRecordDuration(media->duration), media->size);
  Save();
  NotifyChanged();
  return true;
}

void CAdpaterFilelist::NotifyChanged() {
  if (!owner_) return;
  owner_->RefreshPage();
  notifyDataSetChanged();
}

bool CAdpaterFilelist::RemoveRecord(int index, bool deleteFile) {
  if (!store_ || index < 0 || index >= GetCount()) return false;
  auto at = store_->m_records.begin() + index;
  // A file that could not be deleted keeps its row: the user would take a
  // vanished row for a deleted file. One already gone leaves its row now.
  if (deleteFile && unlink(WStringToUtf8Ret(at->FilePath.c_str()).c_str()) != 0 && errno != ENOENT) {
    base::OutputDebugText(L"the recording could not be deleted: " + std::wstring(at->FilePath.c_str()) + L"\r\n");
    return false;
  }
  store_->m_records.erase(at);
  Save();
  NotifyChanged();
  return true;
}

int CAdpaterFilelist::FindRecord(const std::wstring& path) const {
  if (!store_ || path.empty()) return -1;
  for (size_t i = 0; i < store_->m_records.size(); ++i)
    if (path == store_->m_records[i].FilePath.c_str()) return static_cast<int>(i);
  return -1;
}

bool CAdpaterFilelist::RemoveRecordByPath(const std::wstring& path, bool deleteFile) {
  return RemoveRecord(FindRecord(path), deleteFile);
}

bool CAdpaterFilelist::ApplyRename(const std::wstring& oldPath, const std::wstring& newPath) {
  const int index = FindRecord(oldPath);
  if (index < 0) return false;
  CRecordFileInfo& record = store_->m_records[static_cast<size_t>(index)];
  record.FilePath = newPath.c_str();
  const size_t slash = newPath.find_last_of(L"/\\");
  record.FileName = (slash == std::wstring::npos ? newPath : newPath.substr(slash + 1)).c_str();
  Save();
  NotifyChanged();
  return true;
}

void CAdpaterFilelist::Save() {
  if (store_ && !store_->SaveToDb())
    base::OutputDebugText(L"the list of recordings was not saved: " + store_->GetLastErrorText() + L"\r\n");
}

std::wstring CAdpaterFilelist::PathOfSender(EventCmd* e) const {
  auto* sender = e ? dynamic_cast<SWindow*>(e->sender) : nullptr;
  if (!sender || !store_) return std::wstring();
  const size_t index = static_cast<size_t>(sender->GetUserData());
  if (index >= store_->m_records.size()) return std::wstring();
  return store_->m_records[index].FilePath.c_str();
}

HWND CAdpaterFilelist::OwnerHwnd() const { return owner_ ? owner_->GetHwnd() : nullptr; }

bool CAdpaterFilelist::OnPlay(EventCmd* e) {
  const std::wstring path = PathOfSender(e);
  if (path.empty()) return false;
  ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return true;
}

bool CAdpaterFilelist::OnRemove(EventCmd* e) {
  const std::wstring path = PathOfSender(e);
  if (path.empty()) return false;
  SDlgTipFilelistRemove dialog;
  if (dialog.DoModal(OwnerHwnd()) == 1) RemoveRecordByPath(path, dialog.GetDeleteFile());
  return true;
}

bool CAdpaterFilelist::OnRename(EventCmd* e) {
  const std::wstring path = PathOfSender(e);
  if (path.empty()) return false;
  SDlgOptionRename dialog(path);
  if (dialog.DoModal(OwnerHwnd()) == 1) ApplyRename(path, dialog.GetNewPath());
  return true;
}

bool CAdpaterFilelist::OnOpenFolder(EventCmd* e) {
  const std::wstring path = PathOfSender(e);
  if (path.empty()) return false;
  const std::wstring parameters = L"/select," + path;
  ShellExecuteW(CDlgStack::Instance().Top(), L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOW);
  return true;
}

bool CAdpaterFilelist::OnEditId3(EventCmd* e) {
  const std::wstring path = PathOfSender(e);
  if (path.empty()) return false;
  SDlgOptionID3 dialog(path);
  dialog.DoModal(OwnerHwnd());
  return true;
}

bool CAdpaterFilelist::OnOpenEditor(EventCmd* e) {
  const std::wstring path = PathOfSender(e);
  if (path.empty()) return false;
  CBllMain& controller = CBllMain::Instance();
  if (controller.RunAudioMontage(path) != 0)
    base::OutputDebugText(L"the audio editor did not start: " + controller.GetLastErrorText() + L"\r\n");
  return true;
}
