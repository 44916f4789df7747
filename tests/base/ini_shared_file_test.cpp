// Settings files that are not private to one write: a file reached through
// symbolic links, and one file written by two programs at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/IniEngine.h"
#include "base/PathHelpers.h"
#include "ini_test_files.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using ini_test::IniFolder;
using ini_test::ReadText;
using ini_test::Utf16File;
using ini_test::WriteBytes;

std::wstring Get(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[64] = {};
  GetPrivateProfileStringW(section, key, L"<default>", buffer, 64, file.c_str());
  return buffer;
}

class IniThroughLinks : public IniFolder {};

// Each case: the links to make (name, what it points to), the file to
// write through, and the file that must receive the key.
TEST_F(IniThroughLinks, WritesReachTheLinkedFileAndKeepTheLinks) {
  const struct {
    std::vector<std::pair<std::string, std::string>> links;
    const char* written;
    const char* real;
    bool realExists;
  } cases[] = {
      {{{"settings.ini", "real/settings.ini"}}, "settings.ini", "real/settings.ini", true},
      {{{"settings.ini", "ABSOLUTE:real/settings.ini"}}, "settings.ini", "real/settings.ini", true},
      {{{"settings.ini", "middle.ini"}, {"middle.ini", "real/settings.ini"}}, "settings.ini",
       "real/settings.ini", true},
      // A link whose file does not exist yet: the file is made where it points.
      {{{"settings.ini", "real/new.ini"}}, "settings.ini", "real/new.ini", false},
  };
  for (const auto& c : cases) {
    fs::remove_all(root_);
    fs::create_directories(Path("real"));
    if (c.realExists) WriteBytes(Path(c.real), Utf16File(L"[Old]\r\nkept=1\r\n"));
    for (const auto& [name, target] : c.links) {
      const std::string to = target.rfind("ABSOLUTE:", 0) == 0 ? Path(target.substr(9)).string() : target;
      fs::create_symlink(to, Path(name));
    }
    SCOPED_TRACE(std::string(c.written) + " -> " + c.real);
    const std::wstring through = WPath(c.written);
    ASSERT_EQ(WritePrivateProfileStringW(L"New", L"key", L"value", through.c_str()), 1)
        << base::IniLastErrorText();
    for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(Path(link.first))) << link.first;
    const std::wstring expected = c.realExists ? L"[Old]\r\nkept=1\r\n[New]\r\nkey=value\r\n"
                                               : L"[New]\r\nkey=value\r\n";
    EXPECT_EQ(ReadText(Path(c.real)), expected);
    EXPECT_EQ(Get(through, L"New", L"key"), L"value");
    // Deleting through the link reaches the same file.
    ASSERT_EQ(WritePrivateProfileStringW(L"New", nullptr, nullptr, through.c_str()), 1);
    EXPECT_EQ(Get(WPath(c.real), L"New", L"key"), L"<default>");
    EXPECT_TRUE(fs::is_symlink(Path(c.written)));
  }
}

TEST_F(IniThroughLinks, ALoopOfLinksIsReportedNotReplaced) {
  fs::create_symlink("b.ini", Path("a.ini"));
  fs::create_symlink("a.ini", Path("b.ini"));
  const std::wstring file = WPath("a.ini");
  EXPECT_EQ(WritePrivateProfileStringW(L"S", L"k", L"v", file.c_str()), 0);
  EXPECT_FALSE(base::IniLastErrorText().empty());
  EXPECT_TRUE(fs::is_symlink(Path("a.ini")));
  EXPECT_TRUE(fs::is_symlink(Path("b.ini")));
}

// --- two processes ---------------------------------------------------------

std::string WriterPath() {
  std::wstring dir;
  if (!GetModuleDir(dir)) return std::string();
  return WStringToUtf8Ret(dir) + "base_ini_writer";
}

// A writer process held at its start until Go().
class Writer {
 public:
  Writer(const std::string& file, const std::string& prefix, int count) {
    // Close-on-exec, so that no other writer holds this gate open.
    int gate[2];
    if (pipe2(gate, O_CLOEXEC) != 0) return;
    const std::string program = WriterPath();
    const std::string n = std::to_string(count);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()),
                    const_cast<char*>(prefix.c_str()), const_cast<char*>(n.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, gate[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, gate[1]);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(gate[0]);
    gate_ = gate[1];
  }
  ~Writer() {
    Go();
    Wait();
  }
  void Go() {
    if (gate_ >= 0) close(gate_), gate_ = -1;
  }
  // The exit code, or -1 when the process did not run or end normally.
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, 0);
    pid_ = 0;
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = 0;
  int gate_ = -1;
};

class IniTwoProcesses : public IniFolder {};

TEST_F(IniTwoProcesses, WritersOfOneFileKeepEveryKey) {
  ASSERT_TRUE(fs::exists(WriterPath())) << "build base_ini_writer: " << WriterPath();
  constexpr int kKeysEach = 150;
  const std::string file = Path("shared.ini").string();
  Writer first(file, "a", kKeysEach);
  Writer second(file, "b", kKeysEach);
  first.Go();
  second.Go();
  ASSERT_EQ(first.Wait(), 0);
  ASSERT_EQ(second.Wait(), 0);

  const std::wstring wfile = Utf8ToWStringRet(file);
  int kept = 0;
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < kKeysEach; ++i) {
      const std::wstring key = Utf8ToWStringRet(prefix) + std::to_wstring(i);
      if (Get(wfile, L"Shared", key.c_str()) == std::to_wstring(i)) ++kept;
    }
  }
  EXPECT_EQ(kept, 2 * kKeysEach);
  // No temporary file is left beside the settings.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(root_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1);
}

// A child process that takes the settings folder's lock and keeps it until
// it is killed: a second program stuck in the middle of a write.
class LockHolder {
 public:
  explicit LockHolder(const std::string& folder) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
      const char done = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
      (void)!write(ready[1], &done, 1);
      for (;;) pause();
    }
    close(ready[1]);
    char answer = 'n';
    locked_ = pid_ > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
    close(ready[0]);
  }
  ~LockHolder() { Release(); }
  bool Locked() const { return locked_; }
  void Release() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  bool locked_ = false;
};

TEST_F(IniTwoProcesses, AStuckLockDelaysAWriteOnlyAFewSecondsAndIsReported) {
  const std::wstring file = WPath("settings.ini");
  LockHolder holder(root_.string());
  ASSERT_TRUE(holder.Locked());
  const auto start = std::chrono::steady_clock::now();
  std::future<std::pair<BOOL, std::wstring>> write = std::async(std::launch::async, [&] {
    const BOOL done = WritePrivateProfileStringW(L"S", L"k", L"v", file.c_str());
    return std::make_pair(done, base::IniLastErrorText());
  });
  // A writer that waits for ever is set free here, so the test ends.
  const bool returned = write.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
  holder.Release();
  const auto [done, problem] = write.get();
  ASSERT_TRUE(returned) << "the write waited for the lock for more than 30 s";
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500)) << "it did wait a while";
  EXPECT_EQ(done, 1);
  EXPECT_EQ(Get(file, L"S", L"k"), L"v");
  EXPECT_NE(problem.find(L"locked"), std::wstring::npos) << problem;
}

// Temporary files left by writers killed before their rename: the next
// write removes those of processes that are gone and keeps a live one's.
TEST_F(IniTwoProcesses, AWriteRemovesTheTemporaryFilesOfDeadWriters) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const pid_t alive = fork();
  if (alive == 0) {
    for (;;) pause();
  }
  ASSERT_GT(alive, 0);
  const std::string deadTemp = "settings.ini.tmp-" + std::to_string(dead) + "-3";
  const std::string liveTemp = "settings.ini.tmp-" + std::to_string(alive) + "-0";
  const std::string notOurs = "settings.ini.tmp-notes";
  for (const std::string& name : {deadTemp, liveTemp, notOurs}) WriteBytes(Path(name), "half a file");
  WriteBytes(Path("settings.ini"), Utf16File(L"[S]\r\nk=1\r\n"));

  EXPECT_EQ(WritePrivateProfileStringW(L"S", L"k", L"2", WPath("settings.ini").c_str()), 1);
  kill(alive, SIGKILL);
  waitpid(alive, nullptr, 0);
  EXPECT_FALSE(fs::exists(Path(deadTemp)));
  EXPECT_TRUE(fs::exists(Path(liveTemp))) << "a live writer's file stays";
  EXPECT_TRUE(fs::exists(Path(notOurs)));
  EXPECT_EQ(ReadText(Path("settings.ini")), L"[S]\r\nk=2\r\n");
}

}  // namespace
