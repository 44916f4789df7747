// The list of finished recordings that the file list shows, kept in
// data-file-list.db (table RecordInfo): loaded when the controller starts,
// rewritten in one transaction at each change and when it ends. A
// history.ini of older versions is added to the list once and then
// deleted.
//
// No recording leaves the list because another program holds the
// database: a database that is busy at start is read when it frees (the
// run's own records kept before its rows), and a save that cannot get the
// database within its wait keeps the list in data-file-list-unsaved.db,
// which the next save or start puts into the database. The recordings
// being written are kept in a journal from the moment their files open
// (CRecordingJournal), so one cut short by a kill is listed at the next
// start.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/DALSQLite.h"
#include "base/FileIni.h"
#include "core/SString.h"
#include "logic/RecordingJournal.h"

// One finished recording; the three last texts are display texts the file
// list makes and the store keeps as they are.
struct CRecordFileInfo {
  SStringW FileName;  // without the folder
  SStringW FilePath;
  SStringW Duration;
  SStringW Size;
  SStringW Date;
};

class CRecordFileStore {
 public:
  // Takes up a list an earlier run could not save, opens the database
  // (creating the table), loads it, then adds what a history.ini holds. A
  // database whose table cannot be made leaves the list in memory (and in
  // the side file). One that SQLite calls foreign or corrupt is set aside
  // and started anew; one that cannot be read otherwise (locked by another
  // program past the wait) is left alone and read when it frees, and never
  // saved over before. Each is written to the debug log.
  CRecordFileStore();
  // Saves the list.
  ~CRecordFileStore();
  CRecordFileStore(const CRecordFileStore&) = delete;
  CRecordFileStore& operator=(const CRecordFileStore&) = delete;

  // Appends every row whose file still exists and that the list does not
  // hold yet; false when the table could not be read.
  bool LoadFromDb();
  // Replaces the table's rows by the list, all or nothing, after reading
  // rows still waiting to be read; false when the database was not
  // written, and then the list is in the side file and the failure in the
  // debug log.
  bool SaveToDb();
  // Whether the database still owes rows to the list or the list to the
  // database.
  bool HasPendingWork() const { return m_rowsPending || m_unsaved; }
  // One attempt, without waiting for a lock, at the pending work; true
  // when rows were added to the list.
  bool RetryPending();

  // The recordings being written.
  CRecordingJournal& Journal() { return m_journal; }
  // Journal entries that are files on disk but not in the list: recordings
  // a crash or a kill cut short. Entries of vanished files are dropped.
  std::vector<std::wstring> InterruptedRecordings();
  // False when there is no history.ini. Otherwise its entries whose files
  // exist and are not listed yet are appended, the list is saved, and the
  // file is deleted once the save has succeeded.
  bool ImportHistoryIni();

  // What went wrong last; empty when nothing did.
  const std::wstring& GetLastErrorText() const { return m_error; }

  // In display order; the file-list adapter inserts and erases in place.
  std::vector<CRecordFileInfo> m_records;

 private:
  bool OpenDatabase();
  void LoadOrKeepAside();
  bool Lists(const std::wstring& path) const;
  // The list an earlier run could not save; true when it replaces the
  // database's rows rather than going before them.
  bool TakeUpUnsaved();
  bool WriteUnsaved();
  void Fail(const std::wstring& text);

  CFileIni m_historyIni;
  std::shared_ptr<DALSQLite> m_db;
  std::wstring m_error;
  CRecordingJournal m_journal;
  // The database could not be read yet: it is never written before it is.
  bool m_rowsPending = false;
  // The last save did not reach the database.
  bool m_unsaved = false;
};
