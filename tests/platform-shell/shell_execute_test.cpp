// ShellExecuteW starts xdg-open with the file as its one argument. The
// tests put an xdg-open of their own first on PATH that writes each
// argument it receives on a line of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>
#include <sstream>
#include <string>
#include <thread>

#include "file_manager_standin.h"
#include "shell/shellapi.h"
#include "win32/errors.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Waits for the stand-in to finish writing (it renames its record in place).
bool WaitFor(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* home = getenv("HOME");
    dir = std::string(home ? home : "/tmp") + "/shell-" + std::to_string(getpid());
    ASSERT_EQ(system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "/bin' '" + dir + "/work'").c_str()), 0);
    record = dir + "/args.txt";
    std::ofstream script(dir + "/bin/xdg-open");
    script << "#!/bin/sh\n"
              "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" << record << ".tmp'\n"
              "mv '" << record << ".tmp' '" << record << "'\n";
    script.close();
    chmod((dir + "/bin/xdg-open").c_str(), 0755);
    const char* path = getenv("PATH");
    oldPath = path ? path : "";
    setenv("PATH", (dir + "/bin:" + oldPath).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", oldPath.c_str(), 1); }

  static intptr_t Result(HINSTANCE h) { return reinterpret_cast<intptr_t>(h); }

  std::string dir, record, oldPath;
};

TEST_F(ShellExecuteTest, OpensAnAddressAsOneArgumentWithoutAShell) {
  // Blanks, quotes and shell syntax stay inside the one argument.
  const std::wstring url = L"https://example.invalid/a b?x=1&y='2';touch pwned;$(touch pwned2)";
  const intptr_t r = Result(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, 1));
  EXPECT_GT(r, 32);
  ASSERT_TRUE(WaitFor(record));
  const std::string got = Slurp(record);
  const std::string firstLineSkipped = got.substr(got.find('\n') + 1);
  EXPECT_EQ(firstLineSkipped, "https://example.invalid/a b?x=1&y='2';touch pwned;$(touch pwned2)\n");
  EXPECT_NE(access("pwned", F_OK), 0);
  EXPECT_NE(access("pwned2", F_OK), 0);
}

TEST_F(ShellExecuteTest, AFileOpensInTheGivenFolderAndAChineseNameArrivesAsUtf8) {
  const std::wstring work = std::wstring(dir.begin(), dir.end()) + L"/work";
  const intptr_t r = Result(ShellExecuteW(nullptr, nullptr, L"录音 1.mp3", L"", work.c_str(), 5));
  EXPECT_GT(r, 32);
  ASSERT_TRUE(WaitFor(record));
  EXPECT_EQ(Slurp(record), dir + "/work\n" + "\xE5\xBD\x95\xE9\x9F\xB3 1.mp3\n");
}

TEST_F(ShellExecuteTest, TheFileManagerWithAFolderOpensThatFolder) {
  const std::wstring folder = std::wstring(dir.begin(), dir.end()) + L"/work/录音 夹";
  const intptr_t r = Result(ShellExecuteW(nullptr, L"open", L"explorer.exe", folder.c_str(), nullptr, 5));
  EXPECT_GT(r, 32);
  ASSERT_TRUE(WaitFor(record));
  const std::string got = Slurp(record);
  EXPECT_EQ(got.substr(got.find('\n') + 1), dir + "/work/\xE5\xBD\x95\xE9\x9F\xB3 \xE5\xA4\xB9\n");
  // Only opening goes to the handler.
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"print", L"explorer.exe", folder.c_str(), nullptr, 5)), SE_ERR_NOASSOC);
}

TEST_F(ShellExecuteTest, FailuresAnswerWithTheirCodes) {
  SetLastError(0);
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"", nullptr, nullptr, 1)), SE_ERR_FNF);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", nullptr, nullptr, nullptr, 1)), SE_ERR_FNF);
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"print", L"a.txt", nullptr, nullptr, 1)), SE_ERR_NOASSOC);
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"a.txt", L"-x", nullptr, 1)), SE_ERR_NOASSOC);
  // A folder that does not exist: the handler cannot start there.
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"a.txt", nullptr, L"/nonexistent/folder", 1)), SE_ERR_FNF);
  // No xdg-open anywhere on PATH.
  setenv("PATH", (dir + "/work").c_str(), 1);
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"https://example.invalid/", nullptr, nullptr, 1)), SE_ERR_FNF);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_NE(access(record.c_str(), F_OK), 0) << "nothing ran";
}

// "explorer.exe" "/select,<path>": the file manager on the session bus gets
// the file's URI; without a bus, without an owner of the name or when it
// answers with an error, xdg-open gets the folder. A folder alone goes to
// xdg-open. The path may hold blanks and Chinese.
class FileManagerTest : public ShellExecuteTest {
 protected:
  void SetUp() override {
    ShellExecuteTest::SetUp();
    folder = dir + "/work/周一 会议";
    ASSERT_EQ(system(("mkdir -p '" + folder + "' && : > '" + folder + "/录音 1.mp3'").c_str()), 0);
    file = folder + "/录音 1.mp3";
  }
  intptr_t Select() {
    const std::wstring param = L"/select," + Wide(file);
    return Result(ShellExecuteW(nullptr, L"open", L"explorer.exe", param.c_str(), nullptr, 5));
  }
  static std::wstring Wide(const std::string& s) {
    gunichar* u = g_utf8_to_ucs4_fast(s.c_str(), -1, nullptr);
    std::wstring w;
    for (gunichar* p = u; *p; ++p) w += static_cast<wchar_t>(*p);
    g_free(u);
    return w;
  }
  std::string Uri() {
    gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
    std::string out = uri;
    g_free(uri);
    return out;
  }
  std::string folder, file;
};

TEST_F(FileManagerTest, SelectGoesToTheFileManagerAsTheFilesUri) {
  PrivateSessionBus bus;
  ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start";
  FileManagerStandIn manager(bus.Address());
  ASSERT_TRUE(manager.Ready());
  EXPECT_GT(Select(), 32);
  ASSERT_TRUE(manager.WaitForCall());
  EXPECT_EQ(manager.Calls(), std::vector<std::string>{Uri() + "#"});
  EXPECT_NE(Uri().find("%20"), std::string::npos) << "the blank is escaped in the URI";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_NE(access(record.c_str(), F_OK), 0) << "xdg-open must not run as well";
}

TEST_F(FileManagerTest, WithoutABusOwnerOrOnAnErrorXdgOpenGetsTheFolder) {
  const struct {
    const char* name;
    bool bus;
    bool manager;
    bool fail;
  } rows[] = {{"no bus", false, false, false}, {"no owner", true, false, false}, {"error", true, true, true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    unlink(record.c_str());
    std::unique_ptr<PrivateSessionBus> bus;
    std::unique_ptr<FileManagerStandIn> manager;
    const char* old = getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string saved = old ? old : "";
    if (r.bus) {
      bus = std::make_unique<PrivateSessionBus>();
      ASSERT_TRUE(bus->Running());
      if (r.manager) manager = std::make_unique<FileManagerStandIn>(bus->Address(), r.fail);
    } else {
      setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir + "/no-bus-here").c_str(), 1);
    }
    EXPECT_GT(Select(), 32);
    ASSERT_TRUE(WaitFor(record));
    const std::string got = Slurp(record);
    EXPECT_EQ(got.substr(got.find('\n') + 1), folder + "\n");
    if (manager) {
      EXPECT_EQ(manager->Calls().size(), 1u);
    }
    manager.reset();
    bus.reset();
    if (!r.bus) {
      if (old)
        setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
      else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
  }
}

TEST_F(FileManagerTest, AFolderOpensWithXdgOpen) {
  const std::wstring param = Wide(folder);
  EXPECT_GT(Result(ShellExecuteW(nullptr, L"open", L"explorer.exe", param.c_str(), nullptr, 5)), 32);
  ASSERT_TRUE(WaitFor(record));
  const std::string got = Slurp(record);
  EXPECT_EQ(got.substr(got.find('\n') + 1), folder + "\n");
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"explorer.exe", L"/select,", nullptr, 5)), SE_ERR_FNF);
}

// A program named "<name>.exe" starts "<name>" from the current directory
// (or the given one) with the parameters split by the Windows rules.
TEST_F(ShellExecuteTest, AnExeNameStartsTheProgramOfThatNameWithSplitArguments) {
  const std::string program = dir + "/work/tool";
  std::ofstream script(program);
  script << "#!/bin/sh\n"
            "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" << record << ".tmp'\n"
            "mv '" << record << ".tmp' '" << record << "'\n";
  script.close();
  chmod(program.c_str(), 0755);
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir((dir + "/work").c_str()), 0);
  const intptr_t r = Result(ShellExecuteW(nullptr, L"open", L"Tool.exe",
                                          LR"(/a="x y" /b="say \"hi\"" /c="C:\dir\\" plain)", nullptr, 5));
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_GT(r, 32);
  ASSERT_TRUE(WaitFor(record));
  EXPECT_EQ(Slurp(record), dir + "/work\n/a=x y\n/b=say \"hi\"\n/c=C:\\dir\\\nplain\n");

  // The same through the directory argument, from anywhere.
  ASSERT_EQ(unlink(record.c_str()), 0);
  const std::wstring work = std::wstring(dir.begin(), dir.end()) + L"/work";
  EXPECT_GT(Result(ShellExecuteW(nullptr, nullptr, L"TOOL.EXE", L"", work.c_str(), 5)), 32);
  ASSERT_TRUE(WaitFor(record));

  // Missing: 2; there but not executable: 5. No PATH search for a bare name.
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"Absent.exe", nullptr, work.c_str(), 5)), SE_ERR_FNF);
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"sh.exe", nullptr, work.c_str(), 5)), SE_ERR_FNF);
  chmod(program.c_str(), 0644);
  EXPECT_EQ(Result(ShellExecuteW(nullptr, L"open", L"Tool.exe", nullptr, work.c_str(), 5)), SE_ERR_ACCESSDENIED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
