// The store of recordings over a real SQLite file in the data folder: load,
// save in one transaction, the history.ini import, and files that cannot
// be read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/AppFolders.h"
#include "base/DebugStr.h"
#include "base/FolderOps.h"
#include "base/PathHelpers.h"
#include "data_files.h"
#include "locking_process.h"
#include "logic/DataFiles.h"
#include "logic/RecordFileStore.h"

namespace {

struct Row {
  std::string id, path, name;
};

std::vector<Row> DbRows(const std::wstring& db) {
  std::vector<Row> rows;
  sqlite3* conn = nullptr;
  if (sqlite3_open_v2(WStringToUtf8Ret(db).c_str(), &conn, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(conn);
    return rows;
  }
  sqlite3_exec(
      conn, "select RecordFileID, FilePath, FileName from RecordInfo order by RecordFileID",
      [](void* ctx, int, char** v, char**) {
        static_cast<std::vector<Row>*>(ctx)->push_back({v[0], v[1] ? v[1] : "", v[2] ? v[2] : ""});
        return 0;
      },
      &rows, nullptr);
  sqlite3_close(conn);
  return rows;
}

void ExecSql(const std::wstring& db, const char* sql) {
  sqlite3* conn = nullptr;
  ASSERT_EQ(sqlite3_open(WStringToUtf8Ret(db).c_str(), &conn), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(conn, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(conn);
}

// Another program's connection that holds the database file locked
// against every reader until it lets go.
class LockingConnection {
 public:
  explicit LockingConnection(const std::wstring& db) {
    EXPECT_EQ(sqlite3_open(WStringToUtf8Ret(db).c_str(), &m_conn), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(m_conn, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  ~LockingConnection() { Release(); }
  void Release() {
    if (!m_conn) return;
    sqlite3_exec(m_conn, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(m_conn);
    m_conn = nullptr;
  }

 private:
  sqlite3* m_conn = nullptr;
};

// What the program writes to its debug log while it lives.
class DebugLog {
 public:
  DebugLog() {
    base::SetDebugSink([this](const std::wstring& text) {
      std::lock_guard<std::mutex> lock(m_lock);
      m_text += text;
    });
  }
  ~DebugLog() { base::SetDebugSink(nullptr); }
  std::wstring Text() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_text;
  }

 private:
  std::mutex m_lock;
  std::wstring m_text;
};

CRecordFileInfo Record(const std::wstring& path, const wchar_t* duration = L"00:00:05") {
  CRecordFileInfo info;
  info.FilePath = path.c_str();
  info.FileName = GetFileNameOfPath(path).c_str();
  info.Duration = duration;
  info.Size = L"1.00KB";
  info.Date = L"2026-12-10 10：00：00";
  return info;
}

class RecordStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    m_dir = std::wstring(GetDataDir().c_str()) + L"recs/";
    CreateFolderChain(m_dir);
    for (const std::wstring& p :
         {GetFileListDbPath(), GetHistoryIniPath(), GetFileListUnsavedPath(), GetOpenRecordingsPath()})
      RemoveDataFile(p);
  }
  std::wstring MakeRecording(const std::wstring& name) {
    std::wstring path = m_dir + name;
    WriteFileBytes(path, "audio");
    return path;
  }
  std::wstring m_dir;
};

TEST_F(RecordStoreTest, AFreshStoreMakesAnEmptyTableAndKeepsItEmpty) {
  {
    CRecordFileStore store;
    EXPECT_TRUE(store.m_records.empty());
    EXPECT_TRUE(FileExists(GetFileListDbPath()));
  }
  EXPECT_TRUE(DbRows(GetFileListDbPath()).empty());
  EXPECT_FALSE(FileExists(GetFileListDbPath() + L".damaged"));
}

TEST_F(RecordStoreTest, RecordsRoundTripInOrderAndMissingFilesDropOut) {
  std::wstring a = MakeRecording(L"it's one.mp3"), b = MakeRecording(L"录音 two.wav"), c = MakeRecording(L"three.flac");
  {
    CRecordFileStore store;
    store.m_records = {Record(a, L"00:01:00"), Record(b), Record(c)};
  }
  std::vector<Row> rows = DbRows(GetFileListDbPath());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, WStringToUtf8Ret(a));  // the apostrophe is stored as it is
  EXPECT_EQ(rows[1].name, "录音 two.wav");

  std::remove(WStringToUtf8Ret(b).c_str());
  {
    CRecordFileStore store;
    ASSERT_EQ(store.m_records.size(), 2u);
    EXPECT_EQ(std::wstring(store.m_records[0].FilePath.c_str()), a);
    EXPECT_EQ(std::wstring(store.m_records[0].FileName.c_str()), L"it's one.mp3");
    EXPECT_EQ(std::wstring(store.m_records[0].Duration.c_str()), L"00:01:00");
    EXPECT_EQ(std::wstring(store.m_records[0].Date.c_str()), L"2026-12-10 10：00：00");
    EXPECT_EQ(std::wstring(store.m_records[1].FilePath.c_str()), c);
    // The file list puts a new recording first.
    store.m_records.insert(store.m_records.begin(), Record(b));
    WriteFileBytes(b, "again");
  }
  rows = DbRows(GetFileListDbPath());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].path, WStringToUtf8Ret(b));
  EXPECT_EQ(rows[2].path, WStringToUtf8Ret(c));
  // The table is emptied and refilled: new ids, in list order.
  EXPECT_GT(std::stoi(rows[0].id), 3);
  EXPECT_LT(std::stoi(rows[0].id), std::stoi(rows[1].id));
}

TEST_F(RecordStoreTest, HistoryIniIsAddedToTheDatabaseRowsOnceAndThenDeleted) {
  std::wstring kept = MakeRecording(L"kept.mp3");
  {
    CRecordFileStore store;
    store.m_records = {Record(kept)};
  }
  std::wstring first = MakeRecording(L"old1.mp3"), third = MakeRecording(L"old3.mp3");
  WriteUtf16File(GetHistoryIniPath(), L"[size]\r\nsize=4\r\n"
                                      L"[0]\r\nname=" + first + L"\r\ntime=00:00:10\r\nsize=2KB\r\ndata=2019\r\n"
                                      L"[1]\r\nname=" + m_dir + L"gone.mp3\r\ntime=1\r\nsize=1\r\ndata=1\r\n"
                                      L"[2]\r\nname=" + third + L"\r\ntime=00:00:30\r\nsize=3KB\r\ndata=2020\r\n"
                                      L"[3]\r\nname=" + kept + L"\r\ntime=x\r\nsize=x\r\ndata=x\r\n");
  {
    CRecordFileStore store;
    ASSERT_EQ(store.m_records.size(), 3u);
    EXPECT_EQ(std::wstring(store.m_records[0].FilePath.c_str()), kept);
    EXPECT_EQ(std::wstring(store.m_records[1].FilePath.c_str()), first);
    EXPECT_EQ(std::wstring(store.m_records[1].FileName.c_str()), L"old1.mp3");
    EXPECT_EQ(std::wstring(store.m_records[1].Duration.c_str()), L"00:00:10");
    EXPECT_EQ(std::wstring(store.m_records[1].Size.c_str()), L"2KB");
    EXPECT_EQ(std::wstring(store.m_records[1].Date.c_str()), L"2019");
    EXPECT_EQ(std::wstring(store.m_records[2].FilePath.c_str()), third);
    EXPECT_FALSE(FileExists(GetHistoryIniPath()));
    // Already in the database, before the store's own save at exit.
    EXPECT_EQ(DbRows(GetFileListDbPath()).size(), 3u);
  }
  CRecordFileStore store;
  EXPECT_EQ(store.m_records.size(), 3u);
}

TEST_F(RecordStoreTest, AHistoryCountFarBeyondItsEntriesImportsWhatIsThereWithoutReadingOnAndOn) {
  std::wstring first = MakeRecording(L"first.mp3"), later = MakeRecording(L"later.mp3");
  // A damaged count: reading two thousand million missing sections would
  // keep the program from starting. The entries there are come in index
  // order, wherever they stand in the file.
  WriteUtf16File(GetHistoryIniPath(), L"[size]\r\nsize=2147483647\r\n[70000]\r\nname=" + later +
                                          L"\r\n[007]\r\nname=" + later + L"\r\n[0]\r\nname=" + first + L"\r\n");
  auto begun = std::chrono::steady_clock::now();
  CRecordFileStore store;
  // Loose: a few entries' worth of reads, nowhere near the count's.
  EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(20));
  ASSERT_EQ(store.m_records.size(), 2u);
  EXPECT_EQ(std::wstring(store.m_records[0].FilePath.c_str()), first);
  EXPECT_EQ(std::wstring(store.m_records[1].FilePath.c_str()), later);
  EXPECT_FALSE(FileExists(GetHistoryIniPath()));
}

TEST_F(RecordStoreTest, UnreadableDatabasesAreNeverReplacedByAnEmptyList) {
  // Not a database at all: its bytes are kept aside, the list starts anew.
  WriteFileBytes(GetFileListDbPath(), std::string(4096, 'x'));
  std::wstring rec = MakeRecording(L"first.mp3");
  {
    CRecordFileStore store;
    EXPECT_TRUE(store.m_records.empty());
    store.m_records.push_back(Record(rec));
  }
  EXPECT_EQ(ReadFileBytes(GetFileListDbPath() + L".damaged"), std::string(4096, 'x'));
  ASSERT_EQ(DbRows(GetFileListDbPath()).size(), 1u);
}

TEST_F(RecordStoreTest, ADatabaseWhoseTableCannotBeReadKeepsItsBytes) {
  // A healthy database whose RecordInfo cannot be selected from.
  ExecSql(GetFileListDbPath(), "create table Other(x); create view RecordInfo as select * from Missing;");
  std::string before = ReadFileBytes(GetFileListDbPath());
  std::wstring rec = MakeRecording(L"new.mp3");
  {
    CRecordFileStore store;
    EXPECT_TRUE(store.m_records.empty());
    EXPECT_FALSE(store.GetLastErrorText().empty());
    store.m_records.push_back(Record(rec));
  }
  // The old bytes survive somewhere: unchanged in place, or set aside.
  bool keptInPlace = ReadFileBytes(GetFileListDbPath()) == before;
  bool setAside = ReadFileBytes(GetFileListDbPath() + L".damaged") == before;
  EXPECT_TRUE(keptInPlace || setAside);
  if (setAside) {
    std::vector<Row> rows = DbRows(GetFileListDbPath());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].path, WStringToUtf8Ret(rec));
  }
}

TEST_F(RecordStoreTest, ADatabaseLockedForAMomentIsWaitedFor) {
  std::wstring rec = MakeRecording(L"kept.mp3");
  {
    CRecordFileStore store;
    store.m_records.push_back(Record(rec));
  }
  LockingConnection other(GetFileListDbPath());
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    other.Release();
  });
  CRecordFileStore store;
  release.join();
  ASSERT_EQ(store.m_records.size(), 1u) << WStringToUtf8Ret(store.GetLastErrorText());
  EXPECT_EQ(std::wstring(store.m_records[0].FilePath.c_str()), rec);
}

std::vector<std::string> Paths(const std::vector<CRecordFileInfo>& records) {
  std::vector<std::string> paths;
  for (const CRecordFileInfo& info : records) paths.push_back(WStringToUtf8Ret(info.FilePath.c_str()));
  return paths;
}

std::vector<std::string> Paths(const std::vector<Row>& rows) {
  std::vector<std::string> paths;
  for (const Row& row : rows) paths.push_back(row.path);
  return paths;
}

TEST_F(RecordStoreTest, ADatabaseBusyAtStartIsReadWhenItFreesAndTheRunsRecordingsGoFirst) {
  std::wstring kept = MakeRecording(L"kept.mp3"), added = MakeRecording(L"added.mp3");
  {
    CRecordFileStore store;
    store.m_records.push_back(Record(kept));
  }
  const std::string before = ReadFileBytes(GetFileListDbPath());
  DebugLog log;
  LockingProcess other(WStringToUtf8Ret(GetFileListDbPath()), LockingProcess::kWriter);
  ASSERT_TRUE(other.Locked());
  CRecordFileStore store;
  EXPECT_TRUE(store.m_records.empty());
  EXPECT_NE(store.GetLastErrorText().find(L"locked"), std::wstring::npos) << WStringToUtf8Ret(store.GetLastErrorText());
  EXPECT_TRUE(store.HasPendingWork());
  // A recording made meanwhile: its save cannot reach the database, which
  // is neither written over nor set aside; the list goes to the side file.
  store.m_records.insert(store.m_records.begin(), Record(added));
  EXPECT_FALSE(store.SaveToDb());
  EXPECT_FALSE(store.RetryPending());
  EXPECT_EQ(ReadFileBytes(GetFileListDbPath()), before);
  EXPECT_FALSE(FileExists(GetFileListDbPath() + L".damaged"));
  EXPECT_TRUE(FileExists(GetFileListUnsavedPath()));
  EXPECT_NE(log.Text().find(GetFileListUnsavedPath()), std::wstring::npos) << WStringToUtf8Ret(log.Text());

  other.Release();
  EXPECT_TRUE(store.RetryPending());  // the rows came in
  EXPECT_FALSE(store.HasPendingWork());
  const std::vector<std::string> both{WStringToUtf8Ret(added), WStringToUtf8Ret(kept)};
  EXPECT_EQ(Paths(store.m_records), both);
  EXPECT_EQ(Paths(DbRows(GetFileListDbPath())), both);
  EXPECT_FALSE(FileExists(GetFileListUnsavedPath()));
}

TEST_F(RecordStoreTest, ASaveThatCannotGetTheDatabaseIsBoundedLoggedAndKeptForTheNextStart) {
  const struct {
    const char* name;
    LockingProcess::Kind lock;
    bool lockedAtStart;
  } cases[] = {
      {"writer at exit", LockingProcess::kWriter, false},
      {"reader's transaction at exit", LockingProcess::kReader, false},
      {"writer at start and at exit", LockingProcess::kWriter, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::wstring& p : {GetFileListDbPath(), GetFileListUnsavedPath()}) RemoveDataFile(p);
    std::wstring kept = MakeRecording(L"kept.mp3"), removed = MakeRecording(L"removed.mp3"),
                 added = MakeRecording(L"added.mp3");
    {
      CRecordFileStore store;
      store.m_records = {Record(kept), Record(removed)};
    }
    DebugLog log;
    {
      std::unique_ptr<LockingProcess> other;
      if (c.lockedAtStart) other = std::make_unique<LockingProcess>(WStringToUtf8Ret(GetFileListDbPath()), c.lock);
      auto store = std::make_unique<CRecordFileStore>();
      if (!other) {
        ASSERT_EQ(store->m_records.size(), 2u);
        store->m_records.pop_back();  // the user takes "removed" off the list
        other = std::make_unique<LockingProcess>(WStringToUtf8Ret(GetFileListDbPath()), c.lock);
      }
      ASSERT_TRUE(other->Locked());
      store->m_records.insert(store->m_records.begin(), Record(added));
      const auto begun = std::chrono::steady_clock::now();
      store.reset();  // the exit's save
      // Bounded: the database's own five-second wait was the fault; the
      // margin is a loaded machine's.
      EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::milliseconds(4000));
      // The log says why, and where the list went.
      EXPECT_NE(log.Text().find(L"the list is kept in " + GetFileListUnsavedPath()), std::wstring::npos)
          << WStringToUtf8Ret(log.Text());
      EXPECT_NE(log.Text().find(L"locked"), std::wstring::npos) << WStringToUtf8Ret(log.Text());
    }
    // The database keeps what it had.
    EXPECT_EQ(DbRows(GetFileListDbPath()).size(), 2u);
    // The next start, the lock gone: the run's recording is there, and a
    // removal the run made stays made when the run had read the list.
    CRecordFileStore store;
    const std::vector<std::string> expected =
        c.lockedAtStart
            ? std::vector<std::string>{WStringToUtf8Ret(added), WStringToUtf8Ret(kept), WStringToUtf8Ret(removed)}
            : std::vector<std::string>{WStringToUtf8Ret(added), WStringToUtf8Ret(kept)};
    EXPECT_EQ(Paths(store.m_records), expected);
    EXPECT_EQ(Paths(DbRows(GetFileListDbPath())), expected);
    EXPECT_FALSE(FileExists(GetFileListUnsavedPath()));
  }
}

TEST_F(RecordStoreTest, RecordingsBeingWrittenAreJournalledUntilListed) {
  std::wstring listed = MakeRecording(L"listed.wav"), cut = MakeRecording(L"cut short.wav");
  const std::wstring gone = m_dir + L"gone.wav";
  {
    CRecordFileStore store;
    store.m_records.push_back(Record(listed));
    // From the recorder's worker and the window's thread at once.
    std::thread worker([&] {
      for (int i = 0; i < 50; ++i) store.Journal().Add(m_dir + L"busy" + std::to_wstring(i));
    });
    for (const std::wstring& p : {listed, cut, gone}) store.Journal().Add(p);
    worker.join();
    for (int i = 0; i < 50; ++i) store.Journal().Remove(m_dir + L"busy" + std::to_wstring(i));
    EXPECT_EQ(store.Journal().Entries(), (std::vector<std::wstring>{listed, cut, gone}));
  }
  // A write torn by a kill: its last entry has no end and is not taken.
  std::string bytes = ReadFileBytes(GetOpenRecordingsPath());
  WriteFileBytes(GetOpenRecordingsPath(), bytes + WStringToUtf8Ret(m_dir) + "half");
  CRecordFileStore store;
  // The listed one and the vanished one leave the journal; the one a kill
  // cut short is what the start must list.
  EXPECT_EQ(store.InterruptedRecordings(), std::vector<std::wstring>{cut});
  EXPECT_EQ(store.Journal().Entries(), std::vector<std::wstring>{cut});
  store.Journal().Remove(cut);
  EXPECT_FALSE(FileExists(GetOpenRecordingsPath()));
}

TEST_F(RecordStoreTest, AProcessKilledWhileSavingLeavesOneWholeList) {
  std::wstring kept = MakeRecording(L"kept.mp3");
  {
    CRecordFileStore store;
    store.m_records.push_back(Record(kept));
  }
  std::vector<std::wstring> many;
  for (int i = 0; i < 300; ++i) many.push_back(MakeRecording(L"many" + std::to_wstring(i) + L".mp3"));
  for (int delayMs : {5, 20, 60}) {
    SCOPED_TRACE(delayMs);
    pid_t child = fork();
    if (child == 0) {
      // Saves of two different lists, one after the other, until killed.
      CRecordFileStore store;
      for (size_t round = 0;; ++round) {
        store.m_records.clear();
        for (size_t i = 0; i < (round % 2 ? many.size() / 2 : many.size()); ++i)
          store.m_records.push_back(Record(many[i]));
        store.SaveToDb();
      }
    }
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    CRecordFileStore store;
    const size_t n = store.m_records.size();
    EXPECT_TRUE(n == 1u || n == many.size() / 2 || n == many.size()) << n;
    // Put the single list back for the next round.
    store.m_records = {Record(kept)};
  }
}

}  // namespace
