#include "logic/RecordFileStore.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <vector>

#include <sqlite3.h>

#include "../settings/SetAside.h"
#include "base/CodePage.h"
#include "base/DebugStr.h"
#include "base/IniEngine.h"
#include "base/PathHelpers.h"
#include "base/RecordInfoTable.h"
#include "base/SqlText.h"
#include "logic/DataFiles.h"

namespace {

const wchar_t kTable[] = L"RecordInfo";
// How long a save or the start waits for another program's lock on the
// database: long enough for a reader's moment, short enough not to hold up
// the window or the exit.
constexpr int kStoreBusyWaitMs = 1000;
// The side file's user_version: its list replaces the database's rows (the
// run had read them), or goes before them (it never could).
constexpr int kUnsavedWhole = 1;
constexpr int kUnsavedAdditions = 2;

std::wstring Column(const SqlRow& row, const wchar_t* name) {
  auto it = row.find(name);
  return it == row.end() ? L"" : it->second;
}

// The sections of history.ini named by an index below count ("0", "1",
// ...), in ascending order.
std::vector<int> HistoryIndices(const std::wstring& path, int count) {
  std::vector<wchar_t> names(4096);
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileStringW(nullptr, nullptr, L"", names.data(), static_cast<DWORD>(names.size()),
                                      path.c_str());
    if (length + 2 < names.size() || names.size() >= (1u << 24)) break;
    names.resize(names.size() * 2);  // the list was cut short
  }
  std::vector<int> indices;
  for (const wchar_t* name = names.data(); *name && name < names.data() + length; name += wcslen(name) + 1) {
    wchar_t* end = nullptr;
    long index = std::wcstol(name, &end, 10);
    if (*end || index < 0 || index >= count || std::to_wstring(index) != name) continue;
    indices.push_back(static_cast<int>(index));
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

std::wstring LastComponent(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Only these say the file itself is unusable; a lock held past the wait, a
// read error or a missing table say nothing of the rows in it.
bool IsDamagedCode(int code) {
  int primary = code & 0xFF;
  return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}


std::wstring RowsSql(const std::vector<CRecordFileInfo>& records) {
  std::wstring sql = L"BEGIN IMMEDIATE;DELETE FROM RecordInfo;";
  for (const CRecordFileInfo& info : records) {
    SqlRow row{{L"FileName", info.FileName.c_str()},
               {L"FilePath", info.FilePath.c_str()},
               {L"Duration", info.Duration.c_str()},
               {L"Size", info.Size.c_str()},
               {L"Date", info.Date.c_str()}};
    sql += sql_text::Insert(kTable, row);
  }
  return sql;
}

CRecordFileInfo RecordOfRow(const SqlRow& row) {
  CRecordFileInfo info;
  info.FileName = Column(row, L"FileName").c_str();
  info.FilePath = Column(row, L"FilePath").c_str();
  info.Duration = Column(row, L"Duration").c_str();
  info.Date = Column(row, L"Date").c_str();
  info.Size = Column(row, L"Size").c_str();
  return info;
}

// Sets a database's wait for the length of a scope.
class ScopedBusyWait {
 public:
  ScopedBusyWait(DALSQLite* db, int milliseconds) : m_db(db) {
    if (m_db) m_db->SetBusyTimeout(milliseconds);
  }
  ~ScopedBusyWait() {
    if (m_db) m_db->SetBusyTimeout(kStoreBusyWaitMs);
  }

 private:
  DALSQLite* m_db;
};

}  // namespace

CRecordFileStore::CRecordFileStore() : m_journal(GetOpenRecordingsPath()) {
  EnsureDataFolder();
  const bool unsavedIsWhole = TakeUpUnsaved();
  // A whole list left by the last run is newer than every row of the file.
  if (OpenDatabase() && !unsavedIsWhole) LoadOrKeepAside();
  ImportHistoryIni();
  if (m_unsaved) SaveToDb();
}

CRecordFileStore::~CRecordFileStore() { SaveToDb(); }

void CRecordFileStore::Fail(const std::wstring& text) {
  m_error = text;
  base::OutputDebugText(m_error + L"\r\n");
}

bool CRecordFileStore::Lists(const std::wstring& path) const {
  for (const CRecordFileInfo& info : m_records)
    if (path == info.FilePath.c_str()) return true;
  return false;
}

void CRecordFileStore::LoadOrKeepAside() {
  // A file the database layer could not even examine is not read either:
  // it has already been waited for.
  int code = m_db->GetLastErrorCode();
  if (code == SQLITE_OK) {
    if (LoadFromDb()) return;
    code = m_db->GetLastErrorCode();
  } else {
    m_error = L"reading the list of recordings failed: " + m_db->GetLastErrorText();
  }
  std::wstring problem = m_error;
  if (!IsDamagedCode(code)) {
    // Rows that could not be read must not be replaced: they are read
    // when the file frees, and this run's records go before them.
    m_rowsPending = true;
    Fail(problem + L"; the file is left as it is and read again when it frees");
    return;
  }
  // A damaged file: keep its bytes under another name and start anew.
  std::wstring aside = logic::SetFileAside(GetFileListDbPath());
  m_db.reset();
  if (!aside.empty()) OpenDatabase();
  Fail(problem + L"; set aside as " + (aside.empty() ? L"(could not be moved)" : aside));
}

bool CRecordFileStore::OpenDatabase() {
  std::wstring path = GetFileListDbPath();
  if (path.empty()) {
    m_error = L"no data folder for the list of recordings";
    return false;
  }
  try {
    m_db = std::make_shared<DALSQLite>(path, g_recordInfoCreateSql, kStoreBusyWaitMs);
    return true;
  } catch (const std::exception& e) {
    // The list then lives in memory (and in the side file) for now.
    m_error = L"database of recordings unusable: " + Utf8ToWStringRet(AnsiToUtf8(e.what()));
    m_db.reset();
    return false;
  }
}

bool CRecordFileStore::LoadFromDb() {
  if (!m_db) return false;
  DALSQLite::RowSet rows;
  bool ok = m_db->Exec(&DALSQLite::OnRow, &rows, L"select * from RecordInfo");
  if (!ok) m_error = L"reading the list of recordings failed: " + m_db->GetLastErrorText();
  for (const SqlRow& row : rows) {
    CRecordFileInfo info = RecordOfRow(row);
    if (FileExists(info.FilePath.c_str()) && !Lists(info.FilePath.c_str())) m_records.push_back(info);
  }
  return ok;
}

bool CRecordFileStore::SaveToDb() {
  if (!m_db) OpenDatabase();
  if (m_rowsPending && m_db && LoadFromDb()) m_rowsPending = false;
  if (!m_rowsPending && m_db) {
    // One connection, one transaction: a failure anywhere leaves the old
    // rows as they were (the open transaction is rolled back on close).
    if (m_db->Exec(nullptr, nullptr, RowsSql(m_records) + L"COMMIT;")) {
      if (m_unsaved) std::remove(WStringToUtf8Ret(GetFileListUnsavedPath()).c_str());
      m_unsaved = false;
      return true;
    }
    m_error = L"saving the list of recordings failed: " + m_db->GetLastErrorText();
  } else if (m_db) {
    m_error = L"the list of recordings was not saved: " + GetFileListDbPath() + L" could not be read yet (" +
              m_db->GetLastErrorText() + L")";
  }
  const bool kept = WriteUnsaved();
  m_unsaved = true;
  Fail(m_error + (kept ? L"; the list is kept in " + GetFileListUnsavedPath() + L" until it can be saved"
                       : L"; the list could not be kept in " + GetFileListUnsavedPath() + L" either"));
  return false;
}

bool CRecordFileStore::RetryPending() {
  if (!HasPendingWork()) return false;
  if (!m_db && !OpenDatabase()) return false;
  ScopedBusyWait noWait(m_db.get(), 0);
  const size_t before = m_records.size();
  const bool wasPending = m_rowsPending;
  if (m_rowsPending && LoadFromDb()) m_rowsPending = false;
  const bool added = m_records.size() != before;
  if (!m_rowsPending && m_db->Exec(nullptr, nullptr, RowsSql(m_records) + L"COMMIT;")) {
    std::remove(WStringToUtf8Ret(GetFileListUnsavedPath()).c_str());
    m_unsaved = false;
    m_error.clear();
    base::OutputDebugText(L"the list of recordings is saved in " + GetFileListDbPath() + L" again\r\n");
  } else if (added || wasPending != m_rowsPending) {
    // The side file follows what the list now is; an unchanged list is
    // not written again at every attempt.
    WriteUnsaved();
    m_unsaved = true;
  }
  return added;
}

bool CRecordFileStore::WriteUnsaved() {
  const std::wstring path = GetFileListUnsavedPath();
  if (path.empty()) return false;
  try {
    DALSQLite side(path, g_recordInfoCreateSql, kStoreBusyWaitMs);
    const int kind = m_rowsPending ? kUnsavedAdditions : kUnsavedWhole;
    return side.Exec(nullptr, nullptr,
                     RowsSql(m_records) + L"PRAGMA user_version=" + std::to_wstring(kind) + L";COMMIT;");
  } catch (const std::exception&) {
    return false;
  }
}

bool CRecordFileStore::TakeUpUnsaved() {
  const std::wstring path = GetFileListUnsavedPath();
  if (path.empty() || !FileExists(path)) return false;
  DALSQLite::RowSet rows, version;
  try {
    DALSQLite side(path, g_recordInfoCreateSql, kStoreBusyWaitMs);
    if (!side.Exec(&DALSQLite::OnRow, &rows, L"select * from RecordInfo") ||
        !side.Exec(&DALSQLite::OnRow, &version, L"PRAGMA user_version")) {
      Fail(L"the list an earlier run could not save is unreadable: " + side.GetLastErrorText());
      return false;
    }
  } catch (const std::exception& e) {
    Fail(L"the list an earlier run could not save is unreadable: " + Utf8ToWStringRet(AnsiToUtf8(e.what())));
    return false;
  }
  for (const SqlRow& row : rows) {
    CRecordFileInfo info = RecordOfRow(row);
    if (FileExists(info.FilePath.c_str()) && !Lists(info.FilePath.c_str())) m_records.push_back(info);
  }
  // Saved into the database by the start, and then removed.
  m_unsaved = true;
  return !version.empty() && Column(version.front(), L"user_version") == std::to_wstring(kUnsavedWhole);
}

std::vector<std::wstring> CRecordFileStore::InterruptedRecordings() {
  std::vector<std::wstring> found;
  for (const std::wstring& path : m_journal.Entries()) {
    if (FileExists(path) && !Lists(path))
      found.push_back(path);
    else
      m_journal.Remove(path);  // gone, or listed after all
  }
  return found;
}

bool CRecordFileStore::ImportHistoryIni() {
  std::wstring path = GetHistoryIniPath();
  if (path.empty() || !FileExists(path)) return false;
  m_historyIni.SetFile(path.c_str());
  m_historyIni.SetSection(L"size");
  int count = m_historyIni.ReadInt(L"size", 0);
  // Only the sections the file holds are read: a damaged count of two
  // thousand million would otherwise hold up the start for hours.
  for (int i : HistoryIndices(path, count)) {
    m_historyIni.SetSection(std::to_wstring(i).c_str());
    std::wstring name = m_historyIni.ReadString(L"name", L"");
    if (name.empty() || !FileExists(name)) continue;
    if (Lists(name)) continue;  // already taken over by an earlier start
    CRecordFileInfo info;
    info.FileName = LastComponent(name).c_str();
    info.FilePath = name.c_str();
    info.Duration = m_historyIni.ReadString(L"time", L"").c_str();
    info.Size = m_historyIni.ReadString(L"size", L"").c_str();
    info.Date = m_historyIni.ReadString(L"data", L"").c_str();
    m_records.push_back(info);
  }
  // Deleted only once its entries are safely in the database.
  if (SaveToDb()) std::remove(WStringToUtf8Ret(path).c_str());
  return true;
}
