// The settings files against real trouble: a save killed with SIGKILL at
// any moment, damaged files found at start (set aside and named in the
// log), and another program stuck holding the settings folder's lock.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "base/DebugStr.h"
#include "data_files.h"
#include "logic/DataFiles.h"
#include "logic/FileMoreSetting.h"
#include "logic/FileOtptionTimertask.h"
#include "logic/FileOutputArgument.h"

namespace {

namespace fs = std::filesystem;

fs::path Native(const std::wstring& path) { return fs::path(WStringToUtf8Ret(path)); }

// Every output field set from one number, so a file that mixes two saves
// shows it.
void StampOutput(CArgOutput& a, int n) {
  const std::wstring s = std::to_wstring(n);
  a.output_device = n;
  a.output_format = n;
  a.output_speaker_name = L"speaker " + s;
  a.output_speaker_id = L"sid" + s;
  a.output_speaker_volume = n;
  a.output_mic_name = L"麦克风 " + s;
  a.output_mic_id = L"mid" + s;
  a.output_mic_volume = n;
  a.output_dir = L"/music/" + s;
  a.output_open_split = n % 2;
  a.output_split_time = n;
  a.output_samplerate = n;
  a.output_channel = n;
  a.output_quality = n;
  a.output_id3_title = L"title " + s;
  a.output_id3_artist = L"artist " + s;
  a.output_id3_date = L"date " + s;
  a.output_id3_album = L"album " + s;
  a.output_id3_genre = L"genre " + s;
}

// The numbers the file's 19 keys were saved from, as text; one number when
// the file is one whole save.
std::set<std::wstring> StampsInFile(const std::wstring& path) {
  CFileIni ini;
  ini.SetFile(path.c_str());
  ini.SetSection(L"OUTPUT");
  std::set<std::wstring> stamps;
  auto after = [&](const wchar_t* key, const std::wstring& prefix) {
    std::wstring v = ini.ReadString(key, L"?");
    stamps.insert(v.rfind(prefix, 0) == 0 ? v.substr(prefix.size()) : L"bad " + v);
  };
  auto real = [&](const wchar_t* key) {
    std::wstring v = ini.ReadString(key, L"?");
    const size_t dot = v.find(L".000000");
    stamps.insert(dot != std::wstring::npos && dot + 7 == v.size() ? v.substr(0, dot) : L"bad " + v);
  };
  for (const wchar_t* key : {L"output_device", L"output_format", L"output_split_time", L"output_samplerate",
                             L"output_channel"})
    after(key, L"");
  after(L"output_speaker_name", L"speaker ");
  after(L"output_speaker_id", L"sid");
  after(L"output_mic_name", L"麦克风 ");
  after(L"output_mic_id", L"mid");
  after(L"output_dir", L"/music/");
  after(L"output_id3_title", L"title ");
  after(L"output_id3_artist", L"artist ");
  after(L"output_id3_date", L"date ");
  after(L"output_id3_album", L"album ");
  after(L"output_id3_genre", L"genre ");
  for (const wchar_t* key : {L"output_speaker_volume", L"output_mic_volume", L"output_quality"}) real(key);
  return stamps;
}

std::vector<std::string> TempFilesOf(const std::wstring& path) {
  std::vector<std::string> found;
  const fs::path file = Native(path);
  const std::string prefix = file.filename().string() + ".tmp-";
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path().filename());
  return found;
}

class SettingsSaves : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureDataFolder());
    for (const std::wstring& p : {GetOutputIniPath(), GetMoreIniPath(), GetTimerIniPath()}) {
      std::error_code ignored;
      fs::remove_all(Native(p), ignored);
      RemoveDataFile(p);
      for (const std::string& temp : TempFilesOf(p)) fs::remove(Native(p).parent_path() / temp);
    }
    base::SetDebugSink([this](const std::wstring& text) {
      std::lock_guard<std::mutex> lock(logMutex_);
      log_ += text;
    });
  }
  void TearDown() override { base::SetDebugSink(nullptr); }
  // The log's lines that name this text.
  std::vector<std::wstring> LogLinesWith(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(logMutex_);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < log_.size()) {
      size_t end = log_.find(L'\n', start);
      if (end == std::wstring::npos) end = log_.size();
      std::wstring line = log_.substr(start, end - start);
      if (line.find(text) != std::wstring::npos) lines.push_back(line);
      start = end + 1;
    }
    return lines;
  }
  void ClearLog() {
    std::lock_guard<std::mutex> lock(logMutex_);
    log_.clear();
  }

  std::mutex logMutex_;
  std::wstring log_;
};

// A child saves the output settings over and over and is killed at a
// random moment; whenever it dies, the file must hold one whole save.
TEST_F(SettingsSaves, AKillDuringASaveLeavesOneWholeSave) {
  {
    CFileOutputArgument first(true);
    StampOutput(first.m_arg, 0);
  }
  ASSERT_EQ(StampsInFile(GetOutputIniPath()), std::set<std::wstring>{L"0"});
  std::mt19937 random(42);
  int mixed = 0;
  constexpr int kKills = 60;
  for (int round = 1; round <= kKills; ++round) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(started[0]);
      CFileOutputArgument file(true);
      for (int n = round * 100000;; ++n) {
        StampOutput(file.m_arg, n);
        file.Write();
        if (n == round * 100000) (void)!write(started[1], "s", 1);
      }
    }
    close(started[1]);
    char go = 0;
    ASSERT_EQ(read(started[0], &go, 1), 1) << "the saving child started";
    close(started[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child was killed, not ended otherwise";
    const std::set<std::wstring> stamps = StampsInFile(GetOutputIniPath());
    if (stamps.size() != 1 || stamps.begin()->rfind(L"bad", 0) == 0) ++mixed;
  }
  EXPECT_EQ(mixed, 0) << "of " << kKills << " kills left a file that is not one whole save";
  EXPECT_FALSE(fs::exists(Native(GetOutputIniPath() + L".damaged"))) << "a kill never damages the file";

  // The next save clears whatever temporary files the killed saves left.
  {
    CFileOutputArgument last(true);
    StampOutput(last.m_arg, 7);
  }
  EXPECT_EQ(StampsInFile(GetOutputIniPath()), std::set<std::wstring>{L"7"});
  EXPECT_EQ(TempFilesOf(GetOutputIniPath()), std::vector<std::string>{});
}

// What stands in a settings file's place at start: how to make it, and
// whether its set-aside copy is a link, a folder or bytes to compare.
struct Damage {
  const char* what;
  std::function<void(const std::wstring& path)> make;
  std::string bytes;  // the set-aside copy's bytes, when they are bytes
};

std::vector<Damage> Damages() {
  const std::string good = base::Utf16LeEncode(
      L"[Common]\r\ncommon_show_closetip=0\r\n[OUTPUT]\r\noutput_format=3\r\n[OPTION]\r\noption_everyday=1\r\n", true);
  std::string random(900, '\0');
  std::mt19937 gen(7);
  for (char& c : random) c = static_cast<char>(gen());
  random[0] = 'x';
  const std::string utf8 = "[OUTPUT]\r\noutput_format=3\r\n[Common]\r\ncommon_show_closetip=0\r\n";
  auto bytes = [](std::string b) { return [b](const std::wstring& p) { WriteFileBytes(p, b); }; };
  auto link = [](std::string to) {
    return [to](const std::wstring& p) { fs::create_symlink(to, Native(p)); };
  };
  return {
      {"random bytes", bytes(random), random},
      {"truncated", bytes(good.substr(0, good.size() - 5)), good.substr(0, good.size() - 5)},
      {"UTF-8, the wrong encoding", bytes(utf8), utf8},
      {"a second byte-order mark", bytes("\xFF\xFE" + good), "\xFF\xFE" + good},
      // Far beyond any real settings: not read into memory at all.
      {"far too large", [](const std::wstring& p) {
         WriteFileBytes(p, "\xFF\xFE");
         fs::resize_file(Native(p), 17 * 1024 * 1024);
       }, ""},
      {"a folder", [](const std::wstring& p) { fs::create_directory(Native(p)); }, ""},
      {"a dangling link", link("nowhere/settings.ini"), ""},
      {"a loop of links",
       [](const std::wstring& p) {
         fs::create_symlink(Native(p).filename().string() + ".loop", Native(p));
         fs::create_symlink(Native(p).filename(), Native(p + L".loop"));
       },
       ""},
  };
}

struct SettingsFile {
  const char* name;
  std::wstring (*path)();
  // Constructs the settings as start-up does, checks they are the
  // defaults, and destroys them as the end of the program does.
  std::function<void()> startAndEnd;
};

std::vector<SettingsFile> SettingsFiles() {
  return {
      {"config-more.ini", &GetMoreIniPath,
       [] {
         CFileMoreSetting more;
         EXPECT_EQ(more.common_show_closetip, 1);
       }},
      {"config-output.ini", &GetOutputIniPath,
       [] {
         CFileOutputArgument output(true);
         EXPECT_EQ(output.m_arg.output_format, 0);
       }},
      {"config-timer-tasks.ini", &GetTimerIniPath,
       [] {
         CFileOtptionTimertask timer;
         EXPECT_EQ(timer.option_everyday, 0);
         EXPECT_EQ(timer.m_arg.output_format, 0);
       }},
  };
}

TEST_F(SettingsSaves, ADamagedFileAtStartIsSetAsideAndNamedInOneLogLine) {
  for (const SettingsFile& file : SettingsFiles()) {
    for (const Damage& damage : Damages()) {
      SCOPED_TRACE(std::string(file.name) + ": " + damage.what);
      const std::wstring path = file.path();
      const fs::path aside = Native(path + L".damaged");
      damage.make(path);
      ClearLog();
      file.startAndEnd();

      const std::vector<std::wstring> lines = LogLinesWith(path);
      ASSERT_EQ(lines.size(), 1u) << WStringToUtf8Ret(log_);
      EXPECT_NE(lines[0].find(L"damaged settings file " + path), std::wstring::npos) << WStringToUtf8Ret(lines[0]);
      EXPECT_NE(lines[0].find(L"set aside as " + path + L".damaged;"), std::wstring::npos)
          << WStringToUtf8Ret(lines[0]);
      // The damaged thing itself is kept, whatever it was.
      if (!damage.bytes.empty()) EXPECT_EQ(ReadFileBytes(path + L".damaged"), damage.bytes);
      if (std::string(damage.what) == "a folder") EXPECT_TRUE(fs::is_directory(aside));
      if (std::string(damage.what) == "far too large") EXPECT_EQ(fs::file_size(aside), 17u * 1024 * 1024);
      if (std::string(damage.what).find("link") != std::string::npos) EXPECT_TRUE(fs::is_symlink(aside));
      // The program's save started the file anew.
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Native(path))));
      EXPECT_NE(ReadUtf16File(path), L"(no BOM)");
      EXPECT_NE(ReadUtf16File(path).find(L"="), std::wstring::npos);

      std::error_code ignored;
      fs::remove_all(Native(path), ignored);
      fs::remove_all(aside, ignored);
      fs::remove(Native(path + L".loop"), ignored);
    }
  }
}

TEST_F(SettingsSaves, GoodFilesAndGoodLinksAreReadWithoutALogLine) {
  WriteUtf16File(GetMoreIniPath(), L"[Common]\r\ncommon_show_closetip=0\r\n");
  // A link to a good file is read through; a link to a damaged file keeps
  // the link and sets the file it leads to aside.
  const std::wstring real = GetOutputIniPath() + L".real";
  WriteUtf16File(real, L"[OUTPUT]\r\noutput_format=3\r\n");
  fs::create_symlink(Native(real).filename(), Native(GetOutputIniPath()));
  const std::wstring realTimer = GetTimerIniPath() + L".real";
  WriteFileBytes(realTimer, "not ours");
  fs::create_symlink(Native(realTimer).filename(), Native(GetTimerIniPath()));
  {
    CFileMoreSetting more;
    CFileOutputArgument output(true);
    CFileOtptionTimertask timer;
    EXPECT_EQ(more.common_show_closetip, 0);
    EXPECT_EQ(output.m_arg.output_format, 3);
  }
  EXPECT_TRUE(LogLinesWith(GetMoreIniPath()).empty()) << WStringToUtf8Ret(log_);
  EXPECT_TRUE(LogLinesWith(GetOutputIniPath()).empty()) << WStringToUtf8Ret(log_);
  const std::vector<std::wstring> lines = LogLinesWith(realTimer + L".damaged");
  EXPECT_EQ(lines.size(), 1u) << WStringToUtf8Ret(log_);
  EXPECT_TRUE(fs::is_symlink(Native(GetTimerIniPath())));
  EXPECT_EQ(ReadFileBytes(realTimer + L".damaged"), "not ours");
  EXPECT_NE(ReadUtf16File(realTimer).find(L"[OPTION]"), std::wstring::npos) << "saved through the link";
  std::error_code ignored;
  for (const std::wstring& p : {real, realTimer, realTimer + L".damaged"}) fs::remove(Native(p), ignored);
}

// Another program stuck with the settings folder locked: the save still
// reaches the file after a short wait, and the log says what happened.
TEST_F(SettingsSaves, AStuckFolderLockIsWaitedForBrieflyAndLogged) {
  const std::string folder = Native(GetMoreIniPath()).parent_path().string();
  auto more = std::make_unique<CFileMoreSetting>();
  more->common_close_hide = 1;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    (void)!write(ready[1], fd >= 0 && flock(fd, LOCK_EX) == 0 ? "y" : "n", 1);
    for (;;) pause();
  }
  close(ready[1]);
  char locked = 0;
  ASSERT_EQ(read(ready[0], &locked, 1), 1);
  close(ready[0]);
  std::promise<void> saved;
  std::thread release([holder, done = saved.get_future()] {
    // Frees a save that would wait for ever, so that the test ends.
    if (done.wait_for(std::chrono::seconds(40)) != std::future_status::ready) kill(holder, SIGKILL);
  });
  const auto start = std::chrono::steady_clock::now();
  more.reset();
  const auto waited = std::chrono::steady_clock::now() - start;
  saved.set_value();
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  release.join();
  ASSERT_EQ(locked, 'y');
  EXPECT_LT(waited, std::chrono::seconds(30)) << "the save waited on the lock as long as it was held";
  const std::vector<std::wstring> lines = LogLinesWith(GetMoreIniPath());
  ASSERT_EQ(lines.size(), 1u) << WStringToUtf8Ret(log_);
  EXPECT_NE(lines[0].find(L"locked"), std::wstring::npos) << WStringToUtf8Ret(lines[0]);
  CFileIni ini;
  ini.SetFile(GetMoreIniPath().c_str());
  ini.SetSection(L"Common");
  EXPECT_EQ(ini.ReadInt(L"common_close_hide", -1), 1);
}

}  // namespace
