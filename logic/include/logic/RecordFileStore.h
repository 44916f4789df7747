// The list of finished recordings that the file list shows, kept in
// data-file-list.db (table RecordInfo): loaded when the controller starts,
// rewritten in one transaction when it ends. A history.ini of older
// versions is added to the list once and then deleted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/DALSQLite.h"
#include "base/FileIni.h"
#include "core/SString.h"

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
  // Opens the database (creating the table), loads it, then adds what a
  // history.ini holds. A database whose table cannot be made leaves the
  // list in memory only. One that SQLite calls foreign or corrupt is set
  // aside and started anew; one that cannot be read otherwise (locked by
  // another program past the wait) is left alone and never saved over in
  // this run. Either is written to the debug log.
  CRecordFileStore();
  // Saves the list.
  ~CRecordFileStore();
  CRecordFileStore(const CRecordFileStore&) = delete;
  CRecordFileStore& operator=(const CRecordFileStore&) = delete;

  // Appends every row whose file still exists; false when the table could
  // not be read.
  bool LoadFromDb();
  // Replaces the table's rows by the list, all or nothing; false when
  // nothing was written.
  bool SaveToDb();
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

  CFileIni m_historyIni;
  std::shared_ptr<DALSQLite> m_db;
  std::wstring m_error;
  // The file could not be read at start: this run never writes over it.
  bool m_keepFile = false;
};
