// The program as its own process, killed with SIGKILL while it records:
// the next start lists the cut-short file with the length its audio really
// has, in every format it writes, and a WAV's header is put right so that
// a player reads all of it. And a list of recordings another process holds
// locked at start is shown and saved, with the run's recording, once free.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "base/FileIni.h"
#include "decoded_file_helper.h"
#include "logic/DataFiles.h"
#include "logic/RecordFileStore.h"
#include "../logic/locking_process.h"
#include "pulse_tools_helper.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "program_process.h"
#include <X11/keysym.h>

namespace {

namespace fs = std::filesystem;
using namespace program_process;

void PressStartStop() {
  pressKey(XK_Control_L);
  tapKey(XK_F2);
  releaseKey(XK_Control_L);
}

// The rows of the program's list of recordings: path and duration text.
std::vector<std::pair<std::string, std::string>> ListedRecordings() {
  std::vector<std::pair<std::string, std::string>> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(WideToUtf8(GetFileListDbPath()).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_exec(
        db, "select FilePath, Duration from RecordInfo",
        [](void* out, int, char** v, char**) {
          static_cast<decltype(rows)*>(out)->emplace_back(v[0] ? v[0] : "", v[1] ? v[1] : "");
          return 0;
        },
        &rows, nullptr);
  }
  sqlite3_close(db);
  return rows;
}

// "hh:mm:ss" in seconds; -1 when the text is not of that form.
int Seconds(const std::string& text) {
  int h = 0, m = 0, s = 0;
  return std::sscanf(text.c_str(), "%d:%d:%d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  return files;
}

uint32_t Le32At(const std::string& path, std::streamoff offset) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(offset);
  unsigned char b[4] = {};
  in.read(reinterpret_cast<char*>(b), 4);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

class InterruptedRecording : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(userDisplay(), nullptr) << "these tests need an X display";
    fs::remove(WideToUtf8(GetFileListDbPath()));
  }
  static void SeedOutput(int format, const std::string& dir) {
    CFileIni ini;
    ini.SetFile(GetOutputIniPath().c_str());
    ini.SetSection(L"OUTPUT");
    ini.WriteInt(L"output_format", format);
    ini.WriteInt(L"output_device", 1);  // the system sound, where the tone plays
    ini.WriteString(L"output_dir", Utf8ToWide(dir + "/").c_str());
  }
};

TEST_F(InterruptedRecording, AKilledRecordingIsListedAtTheNextStartWithItsRealLength) {
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  ASSERT_TRUE(tone.Started());
  const struct {
    const char* ext;
    int format;
  } cases[] = {{"mp3", 0}, {"wav", 1}, {"ogg", 2}, {"flac", 3}, {"m4a", 5}};
  const std::string root = WideToUtf8(std::wstring(GetDataDir().c_str())) + "interrupted";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    const std::string dir = root + "/" + c.ext;
    fs::create_directories(dir);
    SeedOutput(c.format, dir);
    std::string file;
    {
      Program first;
      ASSERT_TRUE(first.Started());
      // Ctrl+F2 starts a recording once the window has registered it.
      ASSERT_TRUE(WaitFor(
          [&] {
            PressStartStop();
            return WaitFor([&] { return !FilesIn(dir).empty(); }, 1500);
          },
          30000))
          << "no recording started";
      file = FilesIn(dir).front();
      Sleep(3500);
      first.Kill();
    }
    ASSERT_EQ(FilesIn(dir).size(), 1u);
    // Nothing listed it: the program never closed the file.
    for (const auto& row : ListedRecordings()) ASSERT_NE(row.first, file);

    {
      Program second;
      ASSERT_TRUE(second.Started());
      ASSERT_TRUE(WaitFor(
          [&] {
            for (const auto& row : ListedRecordings())
              if (row.first == file) return true;
            return false;
          },
          30000))
          << file << " is not listed";
      second.Kill();
    }
    std::string duration;
    for (const auto& row : ListedRecordings())
      if (row.first == file) duration = row.second;
    const int listed = Seconds(duration);
    const audio_test::DecodedFile decoded = audio_test::DecodeFile(file);
    if (decoded.ok) {
      // What a player gets out of the file, whole: the writer's buffer
      // (a second or so of ogg pages) died with the process.
      EXPECT_GE(decoded.duration, 1.0);
      EXPECT_NEAR(listed, decoded.duration, 1.01) << duration;
    } else {
      // A container that cannot be read without its ending has no length
      // to show; it is listed all the same, for the user to find.
      EXPECT_EQ(duration, "00:00:00") << decoded.error;
    }
    const std::string ext = c.ext;
    if (ext == "wav") EXPECT_EQ(Le32At(file, 4), fs::file_size(file) - 8);
    if (ext == "wav" || ext == "flac") {
      // The header now gives the length a player reads from it.
      const std::string header = audio_test::ProbeEntry(file, "format=duration");
      ASSERT_NE(header.find_first_of("0123456789"), std::string::npos) << header;
      EXPECT_NEAR(std::stod(header), decoded.duration, 0.05);
    }
  }
}

TEST_F(InterruptedRecording, AListLockedAtStartIsShownAndSavedWithTheRunsRecordingOnceFree) {
  const std::string dir = WideToUtf8(std::wstring(GetDataDir().c_str())) + "locked";
  fs::create_directories(dir + "/out");
  const std::string old = dir + "/old.wav";
  ASSERT_TRUE(std::system(("ffmpeg -nostdin -v error -f lavfi -i sine=d=1 -y '" + old + "'").c_str()) == 0);
  {
    CRecordFileStore store;
    CRecordFileInfo info;
    info.FilePath = Utf8ToWide(old).c_str();
    info.FileName = L"old.wav";
    info.Duration = L"00:00:01";
    store.m_records.push_back(info);
  }
  SeedOutput(1, dir + "/out");
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  ASSERT_TRUE(tone.Started());

  LockingProcess other(WideToUtf8(GetFileListDbPath()));
  ASSERT_TRUE(other.Locked());
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(WaitFor(
      [&] {
        PressStartStop();
        return WaitFor([&] { return !FilesIn(dir + "/out").empty(); }, 1500);
      },
      30000))
      << "no recording started";
  Sleep(1500);
  PressStartStop();
  const std::string made = FilesIn(dir + "/out").front();
  // The finished recording's save meets the lock: kept aside meanwhile.
  EXPECT_TRUE(WaitFor([] { return fs::exists(WideToUtf8(GetFileListUnsavedPath())); }, 15000));
  other.Release();
  // Once free, the old row is read and both are saved, newest first,
  // while the program runs on.
  std::vector<std::pair<std::string, std::string>> rows;
  EXPECT_TRUE(WaitFor(
      [&] {
        rows = ListedRecordings();
        return rows.size() == 2;
      },
      15000));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first, made);
  EXPECT_EQ(rows[1].first, old);
  EXPECT_FALSE(fs::exists(WideToUtf8(GetFileListUnsavedPath())));
}

}  // namespace
