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

}  // namespace

CRecordFileStore::CRecordFileStore() {
  EnsureDataFolder();
  if (OpenDatabase()) LoadOrKeepAside();
  ImportHistoryIni();
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
    // Rows that could not be read must not be replaced at exit: the list
    // lives in memory for this run and the file stays as it is.
    m_keepFile = true;
    m_error = problem + L"; the file is left as it is and this run's list will not be saved";
    base::OutputDebugText(m_error + L"\r\n");
    return;
  }
  // A damaged file: keep its bytes under another name and start anew.
  std::wstring aside = logic::SetFileAside(GetFileListDbPath());
  m_db.reset();
  if (!aside.empty()) OpenDatabase();
  m_error = problem + L"; set aside as " + (aside.empty() ? L"(could not be moved)" : aside);
  base::OutputDebugText(m_error + L"\r\n");
}

CRecordFileStore::~CRecordFileStore() { SaveToDb(); }

bool CRecordFileStore::OpenDatabase() {
  std::wstring path = GetFileListDbPath();
  if (path.empty()) {
    m_error = L"no data folder for the list of recordings";
    return false;
  }
  try {
    m_db = std::make_shared<DALSQLite>(path, g_recordInfoCreateSql);
    return true;
  } catch (const std::exception& e) {
    // The list then lives in memory only, for this run.
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
    CRecordFileInfo info;
    info.FileName = Column(row, L"FileName").c_str();
    info.FilePath = Column(row, L"FilePath").c_str();
    info.Duration = Column(row, L"Duration").c_str();
    info.Date = Column(row, L"Date").c_str();
    info.Size = Column(row, L"Size").c_str();
    if (FileExists(info.FilePath.c_str())) m_records.push_back(info);
  }
  return ok;
}

bool CRecordFileStore::SaveToDb() {
  if (!m_db) return false;
  if (m_keepFile) {
    m_error = L"the list of recordings was not saved: " + GetFileListDbPath() +
              L" could not be read at start and is left as it is";
    base::OutputDebugText(m_error + L"\r\n");
    return false;
  }
  std::wstring sql = L"BEGIN TRANSACTION;DELETE FROM RecordInfo;";
  for (const CRecordFileInfo& info : m_records) {
    SqlRow row{{L"FileName", info.FileName.c_str()},
               {L"FilePath", info.FilePath.c_str()},
               {L"Duration", info.Duration.c_str()},
               {L"Size", info.Size.c_str()},
               {L"Date", info.Date.c_str()}};
    sql += sql_text::Insert(kTable, row);
  }
  sql += L"COMMIT;";
  // One connection, one transaction: a failure anywhere leaves the old
  // rows as they were (the open transaction is rolled back on close).
  if (m_db->Exec(nullptr, nullptr, sql)) return true;
  m_error = L"saving the list of recordings failed: " + m_db->GetLastErrorText();
  return false;
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
    bool listed = false;
    for (const CRecordFileInfo& info : m_records) listed = listed || name == info.FilePath.c_str();
    if (listed) continue;  // already taken over by an earlier start
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
