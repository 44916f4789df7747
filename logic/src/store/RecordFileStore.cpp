#include "logic/RecordFileStore.h"

#include <cstdio>
#include <exception>

#include "../settings/SetAside.h"
#include "base/CodePage.h"
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

std::wstring LastComponent(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

CRecordFileStore::CRecordFileStore() {
  EnsureDataFolder();
  if (OpenDatabase() && !LoadFromDb()) {
    // Rows that could not be read must not be replaced at exit: keep the
    // file under another name and start a new one.
    std::wstring aside = logic::SetFileAside(GetFileListDbPath());
    std::wstring problem = m_error;
    m_db.reset();
    if (!aside.empty()) OpenDatabase();
    m_error = problem + L"; set aside as " + (aside.empty() ? L"(could not be moved)" : aside);
  }
  ImportHistoryIni();
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
  // Every entry takes far more than 16 bytes of the file ("[n]", "name="
  // and a path, in UTF-16), so a count beyond that is damage, and reading
  // that many missing sections would hold up the start for hours.
  int64_t bytes = GetFileSizeOfPath(path.c_str());
  if (bytes >= 0 && count > bytes / 16) count = static_cast<int>(bytes / 16);
  for (int i = 0; i < count; ++i) {
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
