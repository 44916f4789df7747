// Settings files that are not private to one write: a file reached through
// symbolic links, and one file written by two programs at once.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
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

}  // namespace
