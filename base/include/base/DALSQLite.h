// A small data-access object over one SQLite database file.
//
// Every statement opens the database, runs and closes it again, so one
// object may serve several threads; a statement that meets a locked
// database waits for it up to a few seconds. Text is wide on our side and
// UTF-8 at the SQLite boundary.
//
// Construction makes sure the file holds the table: a missing file is
// created with it; an existing file without it gets it; a file SQLite calls
// foreign or corrupt is set aside as "<file>.damaged" and started anew. A
// file that cannot be examined (locked past the wait, a read error) is left
// alone, with its reason in GetLastErrorCode() and GetLastErrorText().
// Only a table that cannot be created, and a kept connection that cannot be
// opened, throw (std::runtime_error with a GBK text); failed statements
// return false and leave a message in GetLastErrorText().
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "base/SqlText.h"

struct sqlite3;

class DALSQLite {
 public:
  using Row = SqlRow;
  using RowSet = std::vector<Row>;
  // As sqlite3_exec's callback: values and names are UTF-8, a NULL value
  // is a null pointer; a non-zero return stops the statement.
  using RowCallback = int (*)(void* context, int count, char** values, char** names);
  static constexpr int kDefaultBusyTimeoutMs = 5000;

  // busyTimeoutMs: how long each statement waits for another connection's
  // lock before it fails with SQLITE_BUSY.
  DALSQLite(const std::wstring& databasePath, const std::wstring& createTableSql,
            int busyTimeoutMs = kDefaultBusyTimeoutMs);
  virtual ~DALSQLite();
  DALSQLite(const DALSQLite&) = delete;
  DALSQLite& operator=(const DALSQLite&) = delete;

  // Throws "创建数据库表异常" (GBK) when the table cannot be created.
  void EnsureTable();
  // A new connection (read-write, created when missing) that the caller
  // closes, or null.
  sqlite3* Open();
  // Runs every statement of sql; true when all of them succeeded.
  bool Exec(RowCallback callback, void* context, const std::wstring& sql);
  // Appends a row of every column (NULL as the empty text) to the RowSet
  // that context points to.
  static int OnRow(void* context, int count, char** values, char** names);
  // The rows sql gives; those read before a failure when it fails.
  RowSet Query(const std::wstring& sql);

  // One statement per row, each with its own result, in row order.
  std::vector<bool> Insert(const RowSet& rows, const std::wstring& table);
  std::vector<bool> Delete(const std::wstring& table, const RowSet& rows, bool joinWithAnd);
  // A row without new values is refused (false) rather than run.
  std::vector<bool> Update(const std::wstring& table, const RowSet& rows, const Row& condition,
                           const std::wstring& comparison, bool joinWithAnd);
  // columns: its keys name the columns (all of them when empty).
  RowSet Select(const std::wstring& table, const Row& columns, const Row& condition,
                const std::wstring& comparison, bool joinWithAnd);

  // The wait of the statements from now on (0: fail at once on a lock).
  void SetBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }

  // Keeps one connection open until Close; throws "打开数据库连接失败"
  // (GBK) when it cannot be opened.
  void Connect();
  void Close();

  // What the last failure was; empty after a statement that succeeded.
  std::wstring GetLastErrorText() const;
  // SQLite's result code of the last failure (SQLITE_BUSY, SQLITE_NOTADB,
  // ...); SQLITE_OK after an operation that succeeded.
  int GetLastErrorCode() const;

 private:
  void SetLastError(const std::wstring& text, int code);
  bool TableExists(const std::wstring& table, bool& exists);
  enum class Health { kHealthy, kDamaged, kUnknown };
  Health CheckHealth(std::wstring& problem, int& problemCode);
  void CreateTableOrThrow();

  std::wstring m_createSql;
  std::wstring m_path;
  sqlite3* m_connection = nullptr;
  mutable std::mutex m_errorLock;
  std::wstring m_lastError;
  int m_lastCode = 0;
  std::atomic<int> m_busyTimeoutMs;
};
