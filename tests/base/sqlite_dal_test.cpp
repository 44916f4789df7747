// DALSQLite over real database files: the RecordInfo table as created,
// statements built from rows, values with apostrophes, failures reported
// without throwing, and the busy wait.
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/DALSQLite.h"
#include "base/RecordInfoTable.h"
#include "sqlite_test_files.h"

namespace {

using sqlite_test::Scalar;
using sqlite_test::SqliteFolder;
using Row = DALSQLite::Row;

class SqliteDal : public SqliteFolder {};

Row Recording(const std::wstring& name, const std::wstring& size) {
  return {{L"FileName", name},
          {L"FilePath", L"/home/张伟/Music/" + name},
          {L"Duration", L"00:01:05"},
          {L"Size", size},
          {L"Date", L"2026-12-10 09:30:00"}};
}

TEST_F(SqliteDal, ANewFileGetsTheRecordInfoTableWithItsExactStatement) {
  ASSERT_EQ(std::wcslen(g_recordInfoCreateSql), 345u);
  ASSERT_FALSE(std::filesystem::exists(Path("data-file-list.db")));
  DALSQLite dal(WPath("data-file-list.db"), g_recordInfoCreateSql);
  // SQLite keeps the text as written, up to the closing ";" that ends it.
  std::string statement = WStringToUtf8Ret(g_recordInfoCreateSql);
  ASSERT_EQ(statement.back(), ';');
  statement.pop_back();
  EXPECT_EQ(Scalar(Path("data-file-list.db"),
                   "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = 'RecordInfo'"),
            statement);
  EXPECT_EQ(Scalar(Path("data-file-list.db"),
                   "SELECT group_concat(name || ':' || type || ':' || \"notnull\" || ':' || pk, ' ') "
                   "FROM pragma_table_info('RecordInfo')"),
            "RecordFileID:INTEGER:1:1 FilePath:VARCHAR(500):1:0 FileName:VARCHAR(500):1:0 "
            "Duration:VARCHAR:1:0 Size:VARCHAR:1:0 Date:VARCHAR:1:0");
  EXPECT_TRUE(dal.GetLastErrorText().empty()) << dal.GetLastErrorText();
}

TEST_F(SqliteDal, TheStoreOfRecordingsSavesAndLoadsItsRows) {
  DALSQLite dal(WPath("data-file-list.db"), g_recordInfoCreateSql);
  const DALSQLite::RowSet rows = {
      Recording(L"2026-12-10__09-30-00-0123.mp3", L"1.2MB"),
      Recording(L"Tom's 会议 '录音'.mp3", L"3.4MB"),
      Recording(L"x'); DROP TABLE RecordInfo; --", L"0B"),
  };
  for (int pass = 0; pass < 2; ++pass) {  // the store rewrites the whole table each time
    ASSERT_TRUE(dal.Exec(nullptr, nullptr, L"DELETE FROM RecordInfo"));
    EXPECT_EQ(dal.Insert(rows, L"RecordInfo"), (std::vector<bool>{true, true, true}));
  }
  DALSQLite::RowSet loaded;
  ASSERT_TRUE(dal.Exec(&DALSQLite::OnRow, &loaded, L"select * from RecordInfo"));
  ASSERT_EQ(loaded.size(), 3u);
  for (size_t i = 0; i < rows.size(); ++i) {
    Row expected = rows[i];
    expected[L"RecordFileID"] = std::to_wstring(i + 4);  // AUTOINCREMENT never reuses ids
    EXPECT_EQ(loaded[i], expected);
  }
  EXPECT_EQ(Scalar(Path("data-file-list.db"), "SELECT FileName FROM RecordInfo WHERE Size = '3.4MB'"),
            "Tom's 会议 '录音'.mp3");
}

TEST_F(SqliteDal, StatementTextsAreBuiltInKeyOrder) {
  const Row ab = {{L"b", L"2"}, {L"a", L"1"}};
  const Row one = {{L"c", L"3"}};
  struct TextCase {
    std::wstring built;
    std::wstring expected;
  } cases[] = {
      {sql_text::Insert(L"t", ab), L"INSERT INTO t(a,b) VALUES('1','2');"},
      {sql_text::Delete(L"t", ab, true), L"DELETE FROM t where a = '1'AND b = '2';"},
      {sql_text::Delete(L"t", ab, false), L"DELETE FROM t where a = '1'OR b = '2';"},
      {sql_text::Update(L"t", ab, {{L"c", L"3"}, {L"d", L"4"}}, L"=", true),
       L"UPDATE t SET a = '1',b = '2' WHERE c = '3' AND d = '4';"},
      {sql_text::Update(L"t", ab, {}, L"=", true), L"UPDATE t SET a = '1',b = '2';"},
      {sql_text::Select(L"t", {}, one, L"=", true), L"SELECT * FROM t WHERE c = '3';"},
      {sql_text::Select(L"t", ab, {{L"c", L"3"}, {L"d", L"4"}}, L"<>", false),
       L"SELECT a,b FROM t WHERE c <> '3' OR d <> '4';"},
      {sql_text::Select(L"t", {}, {}, L"=", true), L"SELECT * FROM t;"},
      {sql_text::Insert(L"t", {{L"a", L"it's"}}), L"INSERT INTO t(a) VALUES('it''s');"},
      {sql_text::Delete(L"t", {{L"a", L"'"}}, true), L"DELETE FROM t where a = '''';"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(c.built, c.expected);
}

TEST_F(SqliteDal, BuildersChangeAndFindTheRightRows) {
  DALSQLite dal(WPath("data-file-list.db"), g_recordInfoCreateSql);
  ASSERT_EQ(dal.Insert({Recording(L"a.mp3", L"1"), Recording(L"b.mp3", L"2"), Recording(L"o'c.mp3", L"3")},
                       L"RecordInfo"),
            (std::vector<bool>{true, true, true}));

  EXPECT_EQ(dal.Update(L"RecordInfo", {{{L"Size", L"20"}, {L"Date", L"new"}}},
                       {{L"FileName", L"b.mp3"}}, L"=", true),
            std::vector<bool>{true});
  EXPECT_EQ(dal.Update(L"RecordInfo", {{{L"Size", L"30"}}}, {{L"FileName", L"o'%"}}, L"LIKE", true),
            std::vector<bool>{true});
  DALSQLite::RowSet found = dal.Select(L"RecordInfo", {{L"FileName", L""}, {L"Size", L""}},
                                       {{L"Size", L"1"}}, L"<>", true);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], (Row{{L"FileName", L"b.mp3"}, {L"Size", L"20"}}));
  EXPECT_EQ(found[1], (Row{{L"FileName", L"o'c.mp3"}, {L"Size", L"30"}}));

  // OR: either column matches; AND: both must.
  EXPECT_EQ(dal.Delete(L"RecordInfo", {{{L"FileName", L"a.mp3"}, {L"Size", L"no such"}}}, true),
            std::vector<bool>{true});
  EXPECT_EQ(dal.Select(L"RecordInfo", {}, {}, L"=", true).size(), 3u);
  EXPECT_EQ(dal.Delete(L"RecordInfo", {{{L"FileName", L"a.mp3"}, {L"Size", L"no such"}}}, false),
            std::vector<bool>{true});
  found = dal.Select(L"RecordInfo", {{L"FileName", L""}}, {}, L"=", true);
  EXPECT_EQ(found, (DALSQLite::RowSet{{{L"FileName", L"b.mp3"}}, {{L"FileName", L"o'c.mp3"}}}));

  // Rows that cannot make a statement fail one by one and touch nothing.
  EXPECT_EQ(dal.Insert({Row{}, Recording(L"c.mp3", L"4")}, L"RecordInfo"),
            (std::vector<bool>{false, true}));
  EXPECT_EQ(dal.Delete(L"RecordInfo", {Row{}}, true), std::vector<bool>{false});
  EXPECT_EQ(dal.Update(L"RecordInfo", {Row{}}, {{L"Size", L"4"}}, L"=", true), std::vector<bool>{false});
  EXPECT_FALSE(dal.GetLastErrorText().empty());
  EXPECT_EQ(Scalar(Path("data-file-list.db"), "SELECT group_concat(Size, ',') FROM RecordInfo"),
            "20,30,4");
}

TEST_F(SqliteDal, RowsTurnEveryColumnIntoText) {
  DALSQLite dal(WPath("other.db"), L"CREATE TABLE t (a, b, c, d, e)");
  ASSERT_TRUE(dal.Exec(nullptr, nullptr,
                       L"INSERT INTO t VALUES (NULL, 42, 1.5, x'414243', '中文');"
                       L"INSERT INTO t VALUES ('', -7, 0.25, NULL, 'ok')"));
  DALSQLite::RowSet rows = dal.Query(L"SELECT * FROM t");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (Row{{L"a", L""}, {L"b", L"42"}, {L"c", L"1.5"}, {L"d", L"ABC"}, {L"e", L"中文"}}));
  EXPECT_EQ(rows[1], (Row{{L"a", L""}, {L"b", L"-7"}, {L"c", L"0.25"}, {L"d", L""}, {L"e", L"ok"}}));
}

int ThrowingHandler(void*, int, char**, char**) { throw std::runtime_error("no room"); }
int StoppingHandler(void* count, int, char**, char**) {
  ++*static_cast<int*>(count);
  return 1;
}

TEST_F(SqliteDal, FailedStatementsReturnFalseWithAMessageAndNeverThrow) {
  DALSQLite dal(WPath("data-file-list.db"), g_recordInfoCreateSql);
  DALSQLite::RowSet rows;
  struct Bad {
    const wchar_t* sql;
    const wchar_t* inMessage;
  } cases[] = {
      {L"SELEC * FROM RecordInfo", L"syntax error"},
      {L"SELECT * FROM NoSuchTable", L"no such table"},
      {L"INSERT INTO RecordInfo(FileName) VALUES('x')", L"NOT NULL"},
      {L"SELECT 1; SELECT * FROM Missing2", L"no such table"},
  };
  for (const Bad& c : cases) {
    bool ok = true;
    EXPECT_NO_THROW(ok = dal.Exec(&DALSQLite::OnRow, &rows, c.sql));
    EXPECT_FALSE(ok) << c.sql;
    EXPECT_NE(dal.GetLastErrorText().find(c.inMessage), std::wstring::npos) << dal.GetLastErrorText();
  }
  ASSERT_EQ(dal.Insert({Recording(L"a", L"1"), Recording(L"b", L"2")}, L"RecordInfo"),
            (std::vector<bool>{true, true}));
  bool ok = true;
  EXPECT_NO_THROW(ok = dal.Exec(&ThrowingHandler, nullptr, L"SELECT * FROM RecordInfo"));
  EXPECT_FALSE(ok);
  EXPECT_NE(dal.GetLastErrorText().find(L"no room"), std::wstring::npos);
  int seen = 0;
  EXPECT_FALSE(dal.Exec(&StoppingHandler, &seen, L"SELECT * FROM RecordInfo"));
  EXPECT_EQ(seen, 1);
  EXPECT_TRUE(dal.Exec(nullptr, nullptr, L"SELECT * FROM RecordInfo"));
  EXPECT_TRUE(dal.GetLastErrorText().empty());
}

TEST_F(SqliteDal, SetUpFailuresThrowGbkTexts) {
  const std::string createFailed = "\xB4\xB4\xBD\xA8\xCA\xFD\xBE\xDD\xBF\xE2\xB1\xED\xD2\xEC\xB3\xA3";
  const std::string connectFailed = "\xB4\xF2\xBF\xAA\xCA\xFD\xBE\xDD\xBF\xE2\xC1\xAC\xBD\xD3\xCA\xA7\xB0\xDC";
  try {
    DALSQLite dal(WPath("no-such-folder/data.db"), g_recordInfoCreateSql);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), createFailed);
  }
  try {
    DALSQLite dal(WPath("bad-statement.db"), L"CREATE TABLE (");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), createFailed);
  }
  // No path names no file: SQLite would quietly use a temporary database
  // that vanishes with the connection, and every row would be lost.
  for (const wchar_t* noFile : {L"", L":memory:"}) {
    try {
      DALSQLite dal(noFile, g_recordInfoCreateSql);
      ADD_FAILURE() << "no exception for \"" << WStringToUtf8Ret(noFile) << "\"";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), createFailed);
    }
  }

  DALSQLite dal(WPath("data.db"), g_recordInfoCreateSql);
  EXPECT_NO_THROW(dal.Connect());
  EXPECT_NO_THROW(dal.Connect());  // a second connect replaces the first
  dal.Close();
  std::filesystem::remove(Path("data.db"));
  std::filesystem::create_directories(Path("data.db"));  // a folder cannot be opened
  try {
    dal.Connect();
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), connectFailed);
  }
  EXPECT_FALSE(dal.Exec(nullptr, nullptr, L"SELECT 1"));
  EXPECT_FALSE(dal.GetLastErrorText().empty());
}

TEST_F(SqliteDal, AStatementWaitsForAnotherConnectionsLock) {
  DALSQLite dal(WPath("data-file-list.db"), g_recordInfoCreateSql);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path("data-file-list.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  std::atomic<bool> inserted{false};
  std::thread writer([&] { inserted = dal.Insert({Recording(L"late.mp3", L"1")}, L"RecordInfo")[0]; });
  // Holds the lock for a moment, far less than the wait allowed.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(inserted.load());
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  writer.join();
  EXPECT_TRUE(inserted.load()) << dal.GetLastErrorText();
  EXPECT_EQ(Scalar(Path("data-file-list.db"), "SELECT FileName FROM RecordInfo"), "late.mp3");
}

TEST_F(SqliteDal, SeveralThreadsShareOneObject) {
  DALSQLite dal(WPath("data-file-list.db"), g_recordInfoCreateSql);
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        std::wstring name = std::to_wstring(t) + L"-" + std::to_wstring(i) + L".mp3";
        if (!dal.Insert({Recording(name, L"1")}, L"RecordInfo")[0]) ++failures;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0) << dal.GetLastErrorText();
  EXPECT_EQ(Scalar(Path("data-file-list.db"), "SELECT count(*) FROM RecordInfo"), "80");
}

}  // namespace
