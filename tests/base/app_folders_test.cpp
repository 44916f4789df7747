#include "base/AppFolders.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/CodePage.h"
#include "base/PathHelpers.h"
#include "base/SingleInstance.h"

namespace fs = std::filesystem;
extern char** environ;

namespace {

std::wstring Text(const SStringW& s) { return std::wstring(s.c_str(), s.GetLength()); }
std::wstring Env(const char* name) { return Utf8ToWStringRet(getenv(name)); }

// Every test runs with a fresh HOME and XDG folders; these tests change
// them further and put them back.
class EnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
      const char* value = getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(EnvironmentTest, DataFolderLiesInTheXdgDataFolder) {
  const std::wstring expected = Env("XDG_DATA_HOME") + L"/Quorvale/";
  EXPECT_EQ(Text(GetCommonAppDataPath()), Env("XDG_DATA_HOME"));
  EXPECT_EQ(Text(GetDataDir()), expected);
  EXPECT_EQ(Text(GetConfigIniPath()), expected + L"config.ini");
  EXPECT_EQ(Text(GetUserSettingIniPath()), expected + L"usersetting.ini");
  EXPECT_EQ(Text(GetDataHistoryIniPath()), expected + L"history.ini");
  EXPECT_EQ(Text(GetCookieDir()), expected + L"cookie/");
  EXPECT_EQ(Text(GetCookieFilePath()), expected + L"cookie/cookie.dat");
  // Asking creates nothing.
  EXPECT_FALSE(IsDirectory(expected));

  SStringW dataDir;
  std::wstring error;
  ASSERT_TRUE(PrepareDataDir(dataDir, error)) << WStringToUtf8Ret(error);
  EXPECT_EQ(Text(dataDir), expected);
  EXPECT_TRUE(IsDirectory(expected));
  ASSERT_TRUE(PrepareDataDir(dataDir, error));  // an existing folder is fine
}

TEST_F(EnvironmentTest, DataFolderFallsBackToTheHomeFolder) {
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(Text(GetDataDir()), Env("HOME") + L"/.local/share/Quorvale/");
  setenv("XDG_DATA_HOME", "relative/data", 1);  // not absolute: ignored
  EXPECT_EQ(Text(GetDataDir()), Env("HOME") + L"/.local/share/Quorvale/");
}

TEST_F(EnvironmentTest, DataFolderThatCannotBeMadeIsReported) {
  const std::string blocker = std::string(getenv("HOME")) + "/blocker";
  std::ofstream(blocker) << "a file where a folder should be";
  setenv("XDG_DATA_HOME", blocker.c_str(), 1);
  SStringW dataDir = L"unchanged";
  std::wstring error;
  EXPECT_FALSE(PrepareDataDir(dataDir, error));
  EXPECT_EQ(Text(dataDir), L"unchanged");
  EXPECT_NE(error.find(Utf8ToWStringRet(blocker) + L"/Quorvale/"), std::wstring::npos)
      << WStringToUtf8Ret(error);
}

TEST_F(EnvironmentTest, ProgramFolderIsTheExecutablesFolder) {
  std::wstring exe;
  ASSERT_TRUE(GetModuleFilePath(exe));
  const std::wstring dir = exe.substr(0, exe.rfind(L'/'));
  EXPECT_EQ(Text(GetExeDir()), dir);
  EXPECT_EQ(Text(GetExeConfigIniPath()), dir + L"/config.ini");
  wchar_t buffer[MAX_PATH];
  ASSERT_TRUE(GetExeDirBuf(buffer));
  EXPECT_EQ(std::wstring(buffer), dir);

  const fs::path before = fs::current_path();
  ASSERT_TRUE(SetCurrentDirToExeDir());
  EXPECT_EQ(Utf8ToWStringRet(fs::current_path().string()), dir);
  SStringW made;
  std::wstring error;
  ASSERT_TRUE(PrepareDataDir(made, error));
  ASSERT_TRUE(SetCurrentDirToDataDir());
  EXPECT_EQ(Utf8ToWStringRet(fs::current_path().string()) + L"/", Text(made));
  fs::current_path(before);
}

TEST_F(EnvironmentTest, UserFoldersFollowUserDirs) {
  EXPECT_EQ(GetDesktopDir(), Env("HOME") + L"/Desktop");
  EXPECT_EQ(Text(GetCommonMusicPath()), Env("HOME") + L"/Music");

  const std::string config = getenv("XDG_CONFIG_HOME");
  fs::create_directories(config);
  std::ofstream(config + "/user-dirs.dirs")
      << "# written by a test\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\nXDG_MUSIC_DIR=\"/srv/音乐\"\n";
  EXPECT_EQ(GetDesktopDir(), Env("HOME") + L"/桌面");
  EXPECT_EQ(Text(GetCommonMusicPath()), L"/srv/音乐");

  wchar_t buffer[MAX_PATH] = L"kept";
  GetDesktopDirBuf(buffer);
  EXPECT_EQ(std::wstring(buffer), Env("HOME") + L"/桌面");
  EXPECT_EQ(Text(GetGlobalText()), L"");
}

// --- single instance -----------------------------------------------------

std::string ProbePath() {
  std::wstring dir;
  if (!GetModuleDir(dir)) return std::string();
  return WStringToUtf8Ret(dir) + "base_instance_probe";
}

// Runs the probe and returns its exit code, or -1 when it did not run.
int RunProbe(const char* mode) {
  const std::string probe = ProbePath();
  char* argv[] = {const_cast<char*>(probe.c_str()), const_cast<char*>(mode), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, probe.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

constexpr int kSeesRunning = 10;
constexpr int kSeesFirst = 11;

// A probe in "hold" mode, whose instance lasts until its input closes.
class HeldInstance {
 public:
  HeldInstance() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    const std::string probe = ProbePath();
    char* argv[] = {const_cast<char*>(probe.c_str()), const_cast<char*>("hold"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, probe.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    char buffer[32] = {};
    const ssize_t n = read(out[0], buffer, sizeof(buffer) - 1);
    if (n > 0) answer_.assign(buffer, static_cast<size_t>(n));
    close(out[0]);
  }
  ~HeldInstance() { Release(); }
  const std::string& answer() const { return answer_; }
  // Ends the instance and waits for its process.
  int Release() {
    if (input_ >= 0) close(input_), input_ = -1;
    int status = -1;
    if (pid_ > 0) waitpid(pid_, &status, 0), pid_ = 0;
    return status;
  }

 private:
  pid_t pid_ = 0;
  int input_ = -1;
  std::string answer_;
};

TEST(SingleInstance, LaterStartsSeeTheFirstInstance) {
  ASSERT_TRUE(fs::exists(ProbePath())) << "build base_instance_probe: " << ProbePath();
  ASSERT_EQ(RunProbe("check"), kSeesFirst) << "nothing runs yet";

  {
    HeldInstance first;
    ASSERT_EQ(first.answer(), "first\n");
    EXPECT_EQ(RunProbe("check"), kSeesRunning);
    EXPECT_EQ(first.Release(), 0);
  }
  // The instance ended with its process.
  EXPECT_EQ(RunProbe("check"), kSeesFirst);

  // This process becomes the first instance and stays it; it has no main
  // window, so later starts report it without touching any window.
  EXPECT_FALSE(CheckRunningInstance());
  EXPECT_EQ(RunProbe("check"), kSeesRunning);
  HeldInstance second;
  EXPECT_EQ(second.answer(), "running\n");
}

TEST(SingleInstance, BringWindowToFrontRefusesNonWindows) {
  EXPECT_EQ(BringWindowToFront(nullptr), 0);
  EXPECT_EQ(FindWindowByNames(L"NoSuchClass", L"no such title"), nullptr);
  EXPECT_EQ(WaitForWindow(L"no such title", L"NoSuchClass", 0), nullptr);
  EXPECT_EQ(WindowTextW(nullptr), L"");
  EXPECT_EQ(WindowClassOem(nullptr), "");
}

}  // namespace
