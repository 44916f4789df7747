// A fresh folder per SQLite test and a direct look into a database file,
// past the layer under test.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "scratch_folder.h"

namespace sqlite_test {

using scratch::ReadBytes;
using scratch::WriteBytes;
using SqliteFolder = scratch::ScratchFolder;

// The first column of the first row of sql, straight from SQLite (UTF-8);
// "<none>" when there is no row, "<error: ...>" when it fails.
inline std::string Scalar(const std::filesystem::path& db, const std::string& sql) {
  sqlite3* handle = nullptr;
  std::string answer = "<none>";
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    answer = std::string("<error: ") + sqlite3_errmsg(handle) + ">";
    sqlite3_close(handle);
    return answer;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    answer = std::string("<error: ") + sqlite3_errmsg(handle) + ">";
  } else if (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    answer = text ? reinterpret_cast<const char*>(text) : "<null>";
  }
  sqlite3_finalize(stmt);
  sqlite3_close(handle);
  return answer;
}

}  // namespace sqlite_test
