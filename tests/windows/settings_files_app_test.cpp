// The program as its own process, started over settings files that are
// damaged in every way a disk or a user can damage them, and over one
// valid but huge settings file: it starts with its defaults, its log names
// each damaged file and where the damaged copy went, and the huge file
// does not hold up its main window.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "base/Utf16.h"
#include "logic/DataFiles.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "program_process.h"

namespace {

namespace fs = std::filesystem;
using namespace program_process;
using Clock = std::chrono::steady_clock;

fs::path Native(const std::wstring& path) { return fs::path(WideToUtf8(path)); }

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool MainWindowUp() { return !viewableWindowsTitled(kMainTitle).empty(); }

// The log's lines that hold `text`.
std::vector<std::string> LinesWith(const std::string& log, const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.find(text) != std::string::npos) lines.push_back(line);
  return lines;
}

class SettingsFilesApp : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(userDisplay(), nullptr) << "these tests need an X display";
    ASSERT_TRUE(EnsureDataFolder());
    folder_ = Native(GetOutputIniPath()).parent_path();
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder_, ignored))
      if (entry.path().filename().string().rfind("config-", 0) == 0) fs::remove_all(entry.path(), ignored);
  }
  fs::path Log() const { return fs::path(getenv("HOME")) / "quorvale-stderr.log"; }
  fs::path folder_;
};

struct Damaged {
  const char* what;
  std::wstring (*file)();
  std::function<void(const fs::path&)> make;
};

TEST_F(SettingsFilesApp, EachDamagedFileIsNamedInTheLogWithWhereItWasSetAside) {
  std::mt19937 random(5);
  std::string noise(4000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  noise[0] = 'q';
  const std::string good =
      base::Utf16LeEncode(L"[Common]\r\ncommon_show_closetip=0\r\n[HotKey]\r\nhotkey_paused_key=65\r\n", true);
  auto bytes = [](std::string b) { return [b](const fs::path& p) { WriteBytes(p, b); }; };
  // Two starts, each with all three files damaged in a different way.
  const std::vector<std::vector<Damaged>> starts = {
      {{"random bytes", &GetOutputIniPath, bytes(noise)},
       {"a folder", &GetMoreIniPath, [](const fs::path& p) { fs::create_directories(p / "inside"); }},
       {"a dangling link", &GetTimerIniPath, [](const fs::path& p) { fs::create_symlink("gone/none.ini", p); }}},
      {{"a loop of links", &GetOutputIniPath,
        [](const fs::path& p) {
          fs::create_symlink("config-loop.ini", p);
          fs::create_symlink(p.filename(), p.parent_path() / "config-loop.ini");
        }},
       {"truncated", &GetMoreIniPath, bytes(good.substr(0, good.size() - 3))},
       {"the wrong encoding", &GetTimerIniPath, bytes("[OPTION]\r\noption_everyday=1\r\n")}},
  };
  for (const auto& start : starts) {
    Clean();
    for (const Damaged& d : start) d.make(Native(d.file()));
    Program program(Log().string());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitFor(MainWindowUp, 30000)) << "the program starts with its defaults\n" << program.Log();
    for (const Damaged& d : start) {
      SCOPED_TRACE(d.what);
      const std::string file = WideToUtf8(d.file());
      std::vector<std::string> lines;
      WaitFor([&] { return !(lines = LinesWith(program.Log(), file)).empty(); }, 5000);
      ASSERT_EQ(lines.size(), 1u) << program.Log();
      EXPECT_NE(lines[0].find("set aside as " + file + ".damaged"), std::string::npos) << lines[0];
      // What was damaged is kept under that name, and the file is free for
      // the program's own save.
      EXPECT_TRUE(fs::exists(fs::symlink_status(file + ".damaged"))) << lines[0];
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
    }
  }
}

TEST_F(SettingsFilesApp, AValidEightMegabyteSettingsFileDoesNotHoldUpTheMainWindow) {
  // The output settings first, then 8 MiB of other keys.
  std::wstring text = L"[OUTPUT]\r\noutput_format=3\r\noutput_samplerate=48000\r\n[Other]\r\n";
  for (int i = 0; text.size() * 2 < 8u * 1024 * 1024; ++i) text += L"key_" + std::to_wstring(i) + L"=值 value\r\n";
  WriteBytes(Native(GetOutputIniPath()), base::Utf16LeEncode(text, true));

  // Every opening of the file until the main window is up: a start that
  // reads the whole file once per key costs 19 times what it should.
  const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watcher, 0);
  // Closes too: the kernel folds an event into an equal one still unread,
  // and an open between two closes is never equal to its neighbour.
  ASSERT_GE(inotify_add_watch(watcher, Native(GetOutputIniPath()).c_str(), IN_OPEN | IN_CLOSE), 0);

  const auto start = Clock::now();
  Program program(Log().string());
  ASSERT_TRUE(program.Started());
  // Only a bound for a start that hangs; the cost is counted below.
  ASSERT_TRUE(WaitFor(MainWindowUp, 60000)) << "no main window within 60 s\n" << program.Log();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("main window after %.1f s\n", seconds);
  int opens = 0;
  alignas(inotify_event) char events[4096];
  for (ssize_t n; (n = read(watcher, events, sizeof events)) > 0;) {
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      opens += (event->mask & IN_OPEN) != 0;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  close(watcher);
  // One look for damage, one reading of every key.
  EXPECT_LE(opens, 2) << "the 8 MiB file was opened " << opens << " times before the main window was up";
  EXPECT_TRUE(LinesWith(program.Log(), "config-output.ini").empty()) << "a valid file is not damaged\n"
                                                                       << program.Log();
  EXPECT_FALSE(fs::exists(Native(GetOutputIniPath() + L".damaged")));
}

}  // namespace
