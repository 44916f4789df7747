#pragma once
// The list of finished recordings as the file-list window's rows: it works
// on the store's records in place (newest first), fills each row, carries
// out the row buttons, and saves the store after each change it makes, so a
// crash loses no row and a renamed file is found under its new name at the
// next start.
//
// A row button acts on the recording whose path it showed when it was
// clicked: the path, not the row index, is looked up again after a modal
// dialog, since a recording that ends meanwhile moves every row down.

#include <cstdint>
#include <string>

#include "control/SAdapterBase.h"
#include "event/SWndEvents.h"
#include "logic/MainWindowLinks.h"
#include "logic/RecordFileStore.h"

class SDlgFilelist;

class CAdpaterFilelist : public ORIEL::SAdapterBase, public IFileListAdapter {
 public:
  // The program's one adapter; it lives as long as the process, like the
  // controller it is attached to.
  static CAdpaterFilelist& Instance();

  CAdpaterFilelist() = default;

  // IFileListAdapter: the store whose records the rows show; null detaches.
  // Recordings a kill cut short in an earlier run are listed first.
  void SetStore(CRecordFileStore* store) override;
  CRecordFileStore* GetStore() const { return store_; }

  // The window whose page and list view follow the count; null detaches.
  void SetOwner(SDlgFilelist* owner) { owner_ = owner; }
  SDlgFilelist* GetOwner() const { return owner_; }

  int GetCount() override;
  void BindItemView(int position, ORIEL::SWindow* item, pugi::xml_node xmlTemplate) override;

  // Probes the finished recording and puts it at the top: false (nothing
  // added) when it cannot be opened as media.
  bool AddRecord(const std::wstring& path);
  // Each recording the store's journal holds that the list does not gets
  // its header repaired where the format allows and is listed with the
  // length it really has (an unreadable one with none); the number listed.
  int ListInterruptedRecordings();
  // One attempt at the store's pending load or save; the rows follow when
  // the load brought any.
  void RetryPendingStore();
  // The page by the count, then the observers rebuild their rows; nothing
  // while no window is attached.
  void NotifyChanged();
  // Takes row `index` out (first deleting its file when asked); false for
  // a row that does not exist.
  bool RemoveRecord(int index, bool deleteFile);

  // The row of the recording at `path` now; -1 when it is gone.
  int FindRecord(const std::wstring& path) const;
  // RemoveRecord of the recording at `path`; false when it is gone.
  bool RemoveRecordByPath(const std::wstring& path, bool deleteFile);
  // The recording moved from `oldPath` to `newPath` on disk: its path and
  // name follow and the store is saved; false when it is gone.
  bool ApplyRename(const std::wstring& oldPath, const std::wstring& newPath);

  // Row buttons. Each finds its row by the button's user data.
  bool OnPlay(ORIEL::EventCmd* e);
  bool OnRemove(ORIEL::EventCmd* e);
  bool OnRename(ORIEL::EventCmd* e);
  bool OnOpenFolder(ORIEL::EventCmd* e);
  bool OnEditId3(ORIEL::EventCmd* e);
  bool OnOpenEditor(ORIEL::EventCmd* e);

 protected:
  // The list holds the one reference the process keeps: never deleted on
  // its last release.
  void OnLastRelease() override {}

 private:
  // The path of the row whose button raised `e`; empty when the row is gone.
  std::wstring PathOfSender(ORIEL::EventCmd* e) const;
  HWND OwnerHwnd() const;
  void Save();
  void InsertRecord(const std::wstring& path, const std::wstring& duration, uint64_t bytes);

  CRecordFileStore* store_ = nullptr;
  SDlgFilelist* owner_ = nullptr;
};
