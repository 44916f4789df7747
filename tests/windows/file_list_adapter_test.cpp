// The file-list adapter on real files and a real store: recordings made by
// ffmpeg are probed for their rows, newest first; every add, removal and
// rename is in data-file-list.db at once; actions find their recording by
// path after the rows moved.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "logic/DataFiles.h"
#include "logic/RecordFileStore.h"
#include "windows/CAdpaterFilelist.h"

namespace {

struct DbRow {
  std::string path, name, size, duration, date;
};

std::vector<DbRow> ReadDb() {
  std::vector<DbRow> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(WStringToUtf8Ret(GetFileListDbPath()).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
    sqlite3_exec(
        db, "select FilePath, FileName, Size, Duration, Date from RecordInfo order by RecordFileID",
        [](void* out, int, char** v, char**) {
          static_cast<std::vector<DbRow>*>(out)->push_back({v[0], v[1], v[2], v[3], v[4]});
          return 0;
        },
        &rows, nullptr);
  sqlite3_close(db);
  return rows;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

class FileListAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* home = getenv("HOME");
    dir = std::string(home ? home : "/tmp") + "/adapter-" + std::to_string(getpid()) + "/";
    ASSERT_EQ(system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
    unlink(WStringToUtf8Ret(GetFileListDbPath()).c_str());
    store = std::make_unique<CRecordFileStore>();
    adapter.SetStore(store.get());
  }
  void TearDown() override {
    adapter.SetStore(nullptr);
    store.reset();
    system(("rm -rf '" + dir + "'").c_str());
  }
  // A small mono mp3 of `seconds`.
  std::wstring Make(const std::string& name, double seconds) {
    const std::string path = dir + name;
    const std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i anullsrc=r=8000:cl=mono -t " +
                            std::to_string(seconds) + " -c:a libmp3lame -b:a 8k '" + path + "'";
    EXPECT_EQ(system(cmd.c_str()), 0) << cmd;
    return Utf8ToWStringRet(path);
  }
  std::wstring RowPath(int i) { return store->m_records[static_cast<size_t>(i)].FilePath.c_str(); }

  std::string dir;
  std::unique_ptr<CRecordFileStore> store;
  CAdpaterFilelist adapter;
};

TEST_F(FileListAdapter, ARowShowsNameSizeDurationAndBirthDate) {
  const std::wstring path = Make("long one.mp3", 3725);
  // An old modification time: the row's date must still be the birth time
  // where the file system keeps one.
  struct utimbuf old{946684800, 946684800};
  ASSERT_EQ(utime(WStringToUtf8Ret(path).c_str(), &old), 0);
  ASSERT_TRUE(adapter.AddRecord(path));
  ASSERT_EQ(adapter.GetCount(), 1);
  const CRecordFileInfo& r = store->m_records[0];
  EXPECT_EQ(std::wstring(r.FileName.c_str()), L"long one.mp3");
  EXPECT_EQ(std::wstring(r.FilePath.c_str()), path);
  EXPECT_EQ(std::wstring(r.Duration.c_str()), L"01:02:05");
  struct stat st{};
  ASSERT_EQ(stat(WStringToUtf8Ret(path).c_str(), &st), 0);
  char size[64];
  double v = static_cast<double>(st.st_size);
  int unit = 0;
  while (v >= 1024) v /= 1024, ++unit;
  snprintf(size, sizeof size, "%.2f%s", v, unit == 0 ? "B" : unit == 1 ? "KB" : "MB");
  EXPECT_EQ(WStringToUtf8Ret(r.Size.c_str()), size);
  const std::string birth = Shell("stat -c %W '" + WStringToUtf8Ret(path) + "'");
  time_t when = std::stoll(birth) > 0 ? static_cast<time_t>(std::stoll(birth)) : old.modtime;
  struct tm local{};
  localtime_r(&when, &local);
  char date[32];
  strftime(date, sizeof date, "%Y-%m-%d-%H-%M-%S", &local);
  EXPECT_EQ(WStringToUtf8Ret(r.Date.c_str()), date);
}

TEST_F(FileListAdapter, WhatIsNotMediaIsNotAdded) {
  std::ofstream(dir + "notes.txt") << "just some text, not audio\n";
  EXPECT_FALSE(adapter.AddRecord(Utf8ToWStringRet(dir + "notes.txt")));
  EXPECT_FALSE(adapter.AddRecord(Utf8ToWStringRet(dir + "missing.mp3")));
  EXPECT_EQ(adapter.GetCount(), 0);
  EXPECT_TRUE(ReadDb().empty());
}

TEST_F(FileListAdapter, NewestFirstAndEveryChangeIsSavedAtOnce) {
  const std::wstring a = Make("a.mp3", 2), b = Make("b.mp3", 3), c = Make("c.mp3", 4);
  for (const std::wstring& p : {a, b, c}) ASSERT_TRUE(adapter.AddRecord(p));
  EXPECT_EQ(RowPath(0), c);
  EXPECT_EQ(RowPath(2), a);
  std::vector<DbRow> db = ReadDb();
  ASSERT_EQ(db.size(), 3u);
  EXPECT_EQ(db[0].path, WStringToUtf8Ret(c));
  EXPECT_EQ(db[0].duration, "00:00:04");
  EXPECT_EQ(db[2].duration, "00:00:02");

  // Rename: the record follows by path and the database learns it now.
  const std::wstring moved = Utf8ToWStringRet(dir + "周一's 会议.mp3");
  ASSERT_EQ(rename(WStringToUtf8Ret(b).c_str(), WStringToUtf8Ret(moved).c_str()), 0);
  EXPECT_TRUE(adapter.ApplyRename(b, moved));
  db = ReadDb();
  ASSERT_EQ(db.size(), 3u);
  EXPECT_EQ(db[1].path, WStringToUtf8Ret(moved));
  EXPECT_EQ(db[1].name, "周一's 会议.mp3");

  // Removal without the file keeps it on disk; with it deletes it.
  EXPECT_TRUE(adapter.RemoveRecordByPath(a, false));
  EXPECT_EQ(access(WStringToUtf8Ret(a).c_str(), F_OK), 0);
  EXPECT_TRUE(adapter.RemoveRecordByPath(c, true));
  EXPECT_NE(access(WStringToUtf8Ret(c).c_str(), F_OK), 0);
  db = ReadDb();
  ASSERT_EQ(db.size(), 1u);
  EXPECT_EQ(db[0].path, WStringToUtf8Ret(moved));
  // A new store (the next start) finds the renamed recording.
  adapter.SetStore(nullptr);
  store = std::make_unique<CRecordFileStore>();
  ASSERT_EQ(store->m_records.size(), 1u);
  EXPECT_EQ(std::wstring(store->m_records[0].FilePath.c_str()), moved);
}

TEST_F(FileListAdapter, ActionsFindTheirRecordingByPathAfterTheRowsMoved) {
  const std::wstring a = Make("a.mp3", 1), b = Make("b.mp3", 1);
  ASSERT_TRUE(adapter.AddRecord(a));
  ASSERT_TRUE(adapter.AddRecord(b));
  // The user clicks row 1 (a); while a dialog is open a recording ends.
  const std::wstring clicked = RowPath(1);
  ASSERT_EQ(clicked, a);
  ASSERT_TRUE(adapter.AddRecord(Make("new.mp3", 1)));
  EXPECT_EQ(adapter.FindRecord(clicked), 2);
  EXPECT_TRUE(adapter.RemoveRecordByPath(clicked, false));
  EXPECT_EQ(adapter.FindRecord(a), -1);
  EXPECT_EQ(adapter.FindRecord(b), 1) << "the row the index pointed at is still there";
  // Gone meanwhile: nothing is touched.
  EXPECT_FALSE(adapter.RemoveRecordByPath(a, true));
  EXPECT_FALSE(adapter.ApplyRename(a, L"/x/y.mp3"));
  EXPECT_EQ(adapter.GetCount(), 2);
  EXPECT_FALSE(adapter.RemoveRecord(5, false));
}

TEST_F(FileListAdapter, AFileThatCannotBeDeletedKeepsItsRow) {
  const std::wstring a = Make("a.mp3", 1), b = Make("b.mp3", 1);
  ASSERT_TRUE(adapter.AddRecord(a));
  ASSERT_TRUE(adapter.AddRecord(b));
  // a's path now names a folder with something in it: unlink refuses it.
  const std::string held = WStringToUtf8Ret(a);
  ASSERT_EQ(unlink(held.c_str()), 0);
  ASSERT_EQ(mkdir(held.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((held + "/inside").c_str(), 0755), 0);
  EXPECT_FALSE(adapter.RemoveRecordByPath(a, true));
  EXPECT_EQ(adapter.FindRecord(a), 1);
  EXPECT_EQ(ReadDb().size(), 2u);
  // A file already gone: its row goes.
  ASSERT_EQ(unlink(WStringToUtf8Ret(b).c_str()), 0);
  EXPECT_TRUE(adapter.RemoveRecordByPath(b, true));
  EXPECT_EQ(adapter.FindRecord(b), -1);
  EXPECT_EQ(ReadDb().size(), 1u);
}

}  // namespace
