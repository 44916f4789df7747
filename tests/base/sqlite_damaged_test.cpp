// Database files that DALSQLite cannot use: damaged ones are set aside and
// started anew at construction; files it can use are never moved; a file
// damaged later makes statements fail with a message, never crash.
#include <random>

#include <gtest/gtest.h>

#include "base/DALSQLite.h"
#include "base/RecordInfoTable.h"
#include "sqlite_test_files.h"

namespace {

using sqlite_test::ReadBytes;
using sqlite_test::Scalar;
using sqlite_test::SqliteFolder;
using sqlite_test::WriteBytes;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes(n, '\0');
  for (char& b : bytes) b = static_cast<char>(gen() & 0xFF);
  return bytes;
}

// A real database of several pages: the table of recordings with rows.
std::string DatabaseBytes(const std::filesystem::path& scratch, int rows) {
  {
    DALSQLite dal(scratch.wstring(), g_recordInfoCreateSql);
    DALSQLite::RowSet all;
    for (int i = 0; i < rows; ++i) {
      all.push_back({{L"FileName", std::to_wstring(i) + L".mp3"},
                     {L"FilePath", std::wstring(500, L'p')},
                     {L"Duration", L"1"},
                     {L"Size", L"2"},
                     {L"Date", L"3"}});
    }
    EXPECT_TRUE(dal.Exec(nullptr, nullptr, L"BEGIN"));
    dal.Insert(all, L"RecordInfo");
  }
  std::string bytes = ReadBytes(scratch);
  std::filesystem::remove(scratch);
  return bytes;
}

class SqliteDamaged : public SqliteFolder {};

TEST_F(SqliteDamaged, ADamagedFileIsSetAsideAndStartedAnew) {
  const std::string healthy = DatabaseBytes(Path("scratch.db"), 60);
  ASSERT_GT(healthy.size(), 16u * 1024u);
  std::string badHeader = healthy;
  badHeader.replace(0, 16, "not a database!!");
  std::string badPage = healthy;
  badPage.replace(4096, 8, "ZZZZZZZZ");  // the header of the table's first page

  const std::pair<const char*, std::string> cases[] = {
      {"random bytes", RandomBytes(4096, 7)},
      {"a text file", "FileName,FilePath\r\n会议.mp3,/home/a\r\n"},
      {"a damaged header", badHeader},
      {"a truncated database", healthy.substr(0, healthy.size() / 2)},
      {"a damaged page", badPage},
  };
  int round = 0;
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const std::filesystem::path file = Path("list-" + std::to_string(round++) + ".db");
    WriteBytes(file, bytes);

    std::unique_ptr<DALSQLite> dal;
    ASSERT_NO_THROW(dal = std::make_unique<DALSQLite>(file.wstring(), g_recordInfoCreateSql));
    EXPECT_NE(dal->GetLastErrorText().find(L".damaged"), std::wstring::npos) << dal->GetLastErrorText();
    EXPECT_TRUE(ReadBytes(file.string() + ".damaged") == bytes) << "the old bytes are kept";
    EXPECT_EQ(Scalar(file, "PRAGMA quick_check"), "ok");
    EXPECT_EQ(dal->Insert({{{L"FileName", L"a"}, {L"FilePath", L"b"}, {L"Duration", L"c"},
                            {L"Size", L"d"}, {L"Date", L"e"}}},
                          L"RecordInfo"),
              std::vector<bool>{true});
    EXPECT_EQ(dal->Query(L"select * from RecordInfo").size(), 1u);
  }
}

TEST_F(SqliteDamaged, UsableFilesAreKeptAndGetTheTableWhenTheyLackIt) {
  const std::filesystem::path empty = Path("empty.db");
  WriteBytes(empty, "");
  DALSQLite fromEmpty(empty.wstring(), g_recordInfoCreateSql);
  EXPECT_EQ(Scalar(empty, "SELECT count(*) FROM RecordInfo"), "0");

  const std::filesystem::path foreign = Path("foreign.db");
  {
    DALSQLite other(foreign.wstring(), L"CREATE TABLE Notes (Text VARCHAR)");
    ASSERT_TRUE(other.Exec(nullptr, nullptr, L"INSERT INTO Notes VALUES ('keep me')"));
  }
  DALSQLite onForeign(foreign.wstring(), g_recordInfoCreateSql);
  EXPECT_EQ(Scalar(foreign, "SELECT Text FROM Notes"), "keep me");
  EXPECT_EQ(Scalar(foreign, "SELECT count(*) FROM RecordInfo"), "0");

  const std::filesystem::path ours = Path("ours.db");
  WriteBytes(ours, DatabaseBytes(Path("scratch.db"), 5));
  const std::string before = ReadBytes(ours);
  DALSQLite onOurs(ours.wstring(), g_recordInfoCreateSql);
  EXPECT_EQ(ReadBytes(ours), before);
  EXPECT_EQ(onOurs.Query(L"select * from recordinfo").size(), 5u);

  for (const char* kept : {"empty.db.damaged", "foreign.db.damaged", "ours.db.damaged"}) {
    EXPECT_FALSE(std::filesystem::exists(Path(kept))) << kept;
  }
}

TEST_F(SqliteDamaged, AFileDamagedLaterMakesStatementsFailWithAMessage) {
  const std::filesystem::path file = Path("data-file-list.db");
  DALSQLite dal(file.wstring(), g_recordInfoCreateSql);
  const std::string garbage = RandomBytes(8192, 3);
  WriteBytes(file, garbage);

  DALSQLite::RowSet rows;
  EXPECT_NO_THROW(rows = dal.Query(L"select * from RecordInfo"));
  EXPECT_TRUE(rows.empty());
  EXPECT_NE(dal.GetLastErrorText().find(L"not a database"), std::wstring::npos) << dal.GetLastErrorText();
  EXPECT_EQ(dal.Insert({{{L"FileName", L"a"}}}, L"RecordInfo"), std::vector<bool>{false});
  EXPECT_TRUE(dal.Select(L"RecordInfo", {}, {}, L"=", true).empty());
  EXPECT_TRUE(ReadBytes(file) == garbage) << "statements leave the bytes alone";
}

TEST_F(SqliteDamaged, AFileLockedPastTheWaitIsLeftAloneWithItsReason) {
  const std::filesystem::path file = Path("locked.db");
  WriteBytes(file, DatabaseBytes(Path("scratch.db"), 3));
  const std::string before = ReadBytes(file);
  // Another connection holds the file against every reader.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  std::unique_ptr<DALSQLite> dal;
  EXPECT_NO_THROW(dal = std::make_unique<DALSQLite>(file.wstring(), g_recordInfoCreateSql));
  ASSERT_TRUE(dal);
  EXPECT_EQ(dal->GetLastErrorCode(), SQLITE_BUSY) << dal->GetLastErrorText();
  EXPECT_NE(dal->GetLastErrorText().find(L"locked"), std::wstring::npos) << dal->GetLastErrorText();
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".damaged"));

  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(ReadBytes(file) == before);
  EXPECT_EQ(dal->Query(L"select * from RecordInfo").size(), 3u);
  EXPECT_EQ(dal->GetLastErrorCode(), SQLITE_OK);
}

}  // namespace
