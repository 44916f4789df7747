#include "base/DALSQLite.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <exception>
#include <stdexcept>

#include "base/CodePage.h"
#include "damaged/SetAside.h"
#include "sqlite/CreateTableName.h"

namespace {

// SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
// SQLITE_OPEN_FULLMUTEX: SQLite lets NOMUTEX win, and every statement has a
// connection of its own anyway.
constexpr int kOpenFlags = 0x18006;

// Messages of set-up failures are GBK, as the rest of the program expects
// of exception texts.
[[noreturn]] void ThrowGbk(const wchar_t* text) { throw std::runtime_error(WStringToOemRet(text)); }

std::wstring Wide(const char* utf8) { return utf8 ? Utf8ToWStringRet(utf8) : std::wstring(); }

bool FileExists(const std::wstring& path) {
  struct stat st {};
  return ::stat(WStringToUtf8Ret(path).c_str(), &st) == 0;
}

// Runs one query whose first column of the first row is the answer; false
// with SQLite's error code in errorCode when it fails.
bool QueryFirstText(sqlite3* db, const char* sql, const std::string* parameter, std::string& answer,
                    bool& hasRow, int& errorCode) {
  sqlite3_stmt* stmt = nullptr;
  hasRow = false;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    errorCode = sqlite3_errcode(db);
    return false;
  }
  if (parameter) sqlite3_bind_text(stmt, 1, parameter->c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(stmt);
  hasRow = rc == SQLITE_ROW;
  if (hasRow) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    answer = text ? reinterpret_cast<const char*>(text) : "";
  }
  errorCode = sqlite3_errcode(db);
  sqlite3_finalize(stmt);
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

}  // namespace

DALSQLite::DALSQLite(const std::wstring& databasePath, const std::wstring& createTableSql, int busyTimeoutMs)
    : m_createSql(createTableSql), m_path(databasePath), m_busyTimeoutMs(busyTimeoutMs) {
  EnsureTable();
}

DALSQLite::~DALSQLite() { Close(); }

void DALSQLite::SetLastError(const std::wstring& text, int code) {
  std::lock_guard<std::mutex> lock(m_errorLock);
  m_lastError = text;
  m_lastCode = code;
}

std::wstring DALSQLite::GetLastErrorText() const {
  std::lock_guard<std::mutex> lock(m_errorLock);
  return m_lastError;
}

int DALSQLite::GetLastErrorCode() const {
  std::lock_guard<std::mutex> lock(m_errorLock);
  return m_lastCode;
}

sqlite3* DALSQLite::Open() {
  const std::string file = WStringToUtf8Ret(m_path);
  // SQLite takes these for a private database that dies with its
  // connection; as every statement has a connection of its own, each row
  // written would be gone at once while the statement reported success.
  if (file.empty() || file == ":memory:") {
    SetLastError(L"cannot open database \"" + m_path + L"\": it names no file", SQLITE_CANTOPEN);
    return nullptr;
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, kOpenFlags, nullptr);
  if (rc != SQLITE_OK) {
    SetLastError(L"cannot open database " + m_path + L": " + Wide(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)),
                 rc);
    sqlite3_close(db);  // SQLite hands out a handle even when opening fails
    return nullptr;
  }
  sqlite3_busy_timeout(db, m_busyTimeoutMs.load());
  return db;
}

bool DALSQLite::Exec(RowCallback callback, void* context, const std::wstring& sql) {
  sqlite3* db = Open();
  if (!db) return false;
  const std::string text = WStringToUtf8Ret(sql);
  const char* tail = text.c_str();
  std::wstring failure;
  int failureCode = SQLITE_OK;
  // Our own loop rather than sqlite3_exec: a callback that throws must not
  // unwind through SQLite's C frames.
  while (failure.empty() && *tail) {
    sqlite3_stmt* stmt = nullptr;
    const char* next = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &stmt, &next) != SQLITE_OK) {
      failure = Wide(sqlite3_errmsg(db));
      failureCode = sqlite3_errcode(db);
      break;
    }
    tail = next;
    if (!stmt) continue;  // only blanks or a comment
    const int count = sqlite3_column_count(stmt);
    std::vector<char*> values(static_cast<size_t>(count));
    std::vector<char*> names(static_cast<size_t>(count));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      if (!callback) continue;
      for (int i = 0; i < count; ++i) {
        values[i] = const_cast<char*>(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
        names[i] = const_cast<char*>(sqlite3_column_name(stmt, i));
      }
      int stop = 1;
      try {
        stop = callback(context, count, values.data(), names.data());
      } catch (const std::exception& e) {
        failure = L"the row handler failed: " + ExceptionTextToWString(e);
      } catch (...) {
        failure = L"the row handler failed";
      }
      if (stop != 0 && failure.empty()) failure = L"the row handler stopped the statement";
      if (!failure.empty()) {
        failureCode = SQLITE_ABORT;
        break;
      }
    }
    if (failure.empty() && rc != SQLITE_DONE) {
      failure = Wide(sqlite3_errmsg(db));
      failureCode = sqlite3_errcode(db);
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close_v2(db);
  if (!failure.empty()) {
    SetLastError(failure + L" (" + m_path + L"; " + sql + L")", failureCode);
    return false;
  }
  SetLastError(L"", SQLITE_OK);
  return true;
}

int DALSQLite::OnRow(void* context, int count, char** values, char** names) {
  RowSet* rows = static_cast<RowSet*>(context);
  Row row;
  for (int i = 0; i < count; ++i) row[Wide(names[i])] = Wide(values[i]);
  rows->push_back(std::move(row));
  return 0;
}

DALSQLite::RowSet DALSQLite::Query(const std::wstring& sql) {
  RowSet rows;
  Exec(&DALSQLite::OnRow, &rows, sql);
  return rows;
}

std::vector<bool> DALSQLite::Insert(const RowSet& rows, const std::wstring& table) {
  std::vector<bool> results;
  for (const Row& row : rows) results.push_back(Exec(nullptr, nullptr, sql_text::Insert(table, row)));
  return results;
}

std::vector<bool> DALSQLite::Delete(const std::wstring& table, const RowSet& rows, bool joinWithAnd) {
  std::vector<bool> results;
  for (const Row& row : rows) {
    results.push_back(Exec(nullptr, nullptr, sql_text::Delete(table, row, joinWithAnd)));
  }
  return results;
}

std::vector<bool> DALSQLite::Update(const std::wstring& table, const RowSet& rows,
                                    const Row& condition, const std::wstring& comparison,
                                    bool joinWithAnd) {
  std::vector<bool> results;
  for (const Row& row : rows) {
    if (row.empty()) {
      // Its text would run straight into the conditions and turn them into
      // assignments to every row.
      SetLastError(L"an update without new values is refused (" + table + L")", SQLITE_MISUSE);
      results.push_back(false);
      continue;
    }
    results.push_back(
        Exec(nullptr, nullptr, sql_text::Update(table, row, condition, comparison, joinWithAnd)));
  }
  return results;
}

DALSQLite::RowSet DALSQLite::Select(const std::wstring& table, const Row& columns,
                                    const Row& condition, const std::wstring& comparison,
                                    bool joinWithAnd) {
  return Query(sql_text::Select(table, columns, condition, comparison, joinWithAnd));
}

void DALSQLite::Connect() {
  Close();
  m_connection = Open();
  if (!m_connection) ThrowGbk(L"打开数据库连接失败");
}

void DALSQLite::Close() {
  if (m_connection) {
    sqlite3_close(m_connection);
    m_connection = nullptr;
  }
}

void DALSQLite::CreateTableOrThrow() {
  if (Exec(nullptr, nullptr, m_createSql)) return;
  ThrowGbk(L"创建数据库表异常");
}

DALSQLite::Health DALSQLite::CheckHealth(std::wstring& problem, int& problemCode) {
  sqlite3* db = Open();
  if (!db) {
    problem = GetLastErrorText();
    problemCode = GetLastErrorCode();
    return Health::kUnknown;
  }
  std::string answer;
  bool hasRow = false;
  int errorCode = SQLITE_OK;
  Health health = Health::kHealthy;
  if (!QueryFirstText(db, "PRAGMA quick_check", nullptr, answer, hasRow, errorCode)) {
    problem = Wide(sqlite3_errmsg(db));
    problemCode = errorCode;
    // Only a file SQLite calls foreign or corrupt is damaged; a lock held
    // too long or a read error says nothing about the file itself.
    int primary = errorCode & 0xFF;
    health = (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) ? Health::kDamaged
                                                                     : Health::kUnknown;
  } else if (!hasRow || answer != "ok") {
    problem = L"the integrity check says: " + Wide(answer.c_str());
    problemCode = SQLITE_CORRUPT;
    health = Health::kDamaged;
  }
  sqlite3_close_v2(db);
  return health;
}

bool DALSQLite::TableExists(const std::wstring& table, bool& exists) {
  sqlite3* db = Open();
  if (!db) return false;
  const std::string name = WStringToUtf8Ret(table);
  std::string answer;
  int errorCode = SQLITE_OK;
  bool ran = QueryFirstText(
      db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE", &name,
      answer, exists, errorCode);
  if (!ran) SetLastError(Wide(sqlite3_errmsg(db)) + L" (" + m_path + L")", errorCode);
  sqlite3_close_v2(db);
  return ran;
}

void DALSQLite::EnsureTable() {
  if (!FileExists(m_path)) {
    CreateTableOrThrow();
    return;
  }
  std::wstring problem;
  int problemCode = SQLITE_OK;
  Health health = CheckHealth(problem, problemCode);
  if (health == Health::kUnknown) {
    // Not ours to judge: leave the file alone; statements will report.
    SetLastError(L"cannot examine " + m_path + L": " + problem, problemCode);
    return;
  }
  if (health == Health::kDamaged) {
    // A file we cannot use would leave every later statement failing; keep
    // its bytes under another name and start a new database.
    std::wstring aside;
    std::wstring moveProblem;
    // SQLite has already dealt with its own journal or log while checking.
    if (!base::damaged::SetAsideDamagedFile(m_path, aside, moveProblem)) {
      SetLastError(m_path + L" is not a usable database (" + problem + L"); " + moveProblem, problemCode);
      ThrowGbk(L"创建数据库表异常");
    }
    CreateTableOrThrow();
    // Done: the note says what happened to the old file.
    SetLastError(m_path + L" was not a usable database (" + problem + L"); it was kept as " + aside +
                     L" and started anew",
                 SQLITE_OK);
    return;
  }
  const std::wstring table = Utf8ToWStringRet(base::sqlite::CreateTableName(WStringToUtf8Ret(m_createSql)));
  bool exists = false;
  if (!table.empty()) {
    // A look that fails (the file locked meanwhile) proves nothing: the
    // file is left alone as above.
    if (!TableExists(table, exists)) return;
    if (exists) return;
  }
  // An existing database without the table (an empty file, another
  // program's database) gets it now.
  CreateTableOrThrow();
}
