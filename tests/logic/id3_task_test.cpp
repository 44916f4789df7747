#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "base/CodePage.h"
#include "base/TaskThreadPool.h"
#include "logic/TaskId3.h"
#include "z_tolvane/FFmpegFile.h"
// The media-file helpers of the media library's tests (ffmpeg and ffprobe
// runs), compiled into this test as they stand.
#include "../mediaconvert/media_files_helper.cpp"

namespace {

using mctest::Probe;

LRESULT CALLBACK SinkProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(wnd, message, wParam, lParam);
}

class Id3TaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SinkProc;
    wc.lpszClassName = L"Id3ResultSink";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, L"Id3ResultSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    dir_ = mctest::MakeTempDir("id3");
  }
  void TearDown() override { DestroyWindow(window_); }

  // The result the task posted to the dialog window; 99 when none came.
  int WaitForResult() {
    MSG msg;
    for (int i = 0; i < 6000; ++i) {
      if (PeekMessageW(&msg, window_, UM_ID3_RESULT, UM_ID3_RESULT, PM_REMOVE)) {
        EXPECT_EQ(msg.lParam, 0);
        return static_cast<int>(static_cast<intptr_t>(msg.wParam));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 99;
  }

  int RunTask(const std::string& path, int formatId, const MCMediaTags& tags) {
    CTaskThreadPool pool;
    pool.AddTask(WStringFromUtf8(path), std::make_shared<CTaskId3>(SStringW(WStringFromUtf8(path).c_str()), formatId,
                                                                     tags, window_));
    return WaitForResult();
  }

  MCMediaTags NewTags(const std::string& path) {
    CId3Fields fields = ReadId3Fields(WStringFromUtf8(path));
    EXPECT_TRUE(fields.probed);
    MCMediaTags tags;
    tags.Assign(fields.tags);
    tags.SetTitle(L"新标题");
    tags.SetArtist(L"Artist Two");
    tags.SetGenre(L"");
    tags.SetAlbum(L"Album Two");
    tags.SetDate(L"2024");
    return tags;
  }

  HWND window_ = nullptr;
  std::string dir_;
};

std::string Tag(std::map<std::string, std::string>& facts, const std::string& name) {
  for (const auto& [key, value] : facts) {
    const size_t dot = key.rfind('.');
    if (key.find(".tags.") != std::string::npos && strcasecmp(key.c_str() + dot + 1, name.c_str()) == 0)
      return value;
  }
  return "<none>";
}

// The audio stream's packets, copied out and hashed as one.
std::string AudioMd5(const std::string& path) {
  return mctest::Capture("ffmpeg -nostdin -v error -i " + mctest::Quote(path) + " -map 0:a:0 -c copy -f md5 - 2>/dev/null");
}

TEST_F(Id3TaskTest, RewritesTagsByStreamCopyInEveryTaggedFormat) {
  const std::string cover = dir_ + "/cover.png";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=64x48 -frames:v 1 '" + cover + "'"));
  const struct {
    const char* ext;
    const char* args;
    int formatId;
    bool withCover;
  } cases[] = {
      {"mp3", "-c:a libmp3lame -b:a 128k", 0, true},
      // A rate outside the converter's bit-rate table: copied all the same.
      {"mp3", "-ar 8000 -c:a libmp3lame -b:a 24k", 0, false},
      {"m4a", "-c:a aac -b:a 96k", 5, true},
      {"m4r", "-c:a aac -b:a 96k -f ipod", kFormatIdM4r, false},
      {"flac", "-c:a flac", 3, true},
      {"ogg", "-c:a libvorbis", 2, false},
      {"wma", "-c:a wmav2 -b:a 128k", 9, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    const std::string folder = mctest::MakeTempDir(c.ext);
    const std::string path = folder + "/rec." + c.ext;
    const std::string coverArgs =
        c.withCover ? " -i '" + cover + "' -map 0 -map 1 -c:v png -disposition:v attached_pic " : " ";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=2 -ac 2" + coverArgs + c.args +
                               " -metadata title=Old -metadata genre=Rock -metadata artist=Someone '" + path + "'"));
    const auto before = mctest::AudioPacketSums(path);
    ASSERT_FALSE(before.empty());
    const std::string md5Before = AudioMd5(path);
    ASSERT_NE(md5Before.find("MD5="), std::string::npos);

    EXPECT_EQ(RunTask(path, c.formatId, NewTags(path)), kId3ResultDone);

    auto facts = Probe(path);
    EXPECT_EQ(Tag(facts, "title"), "新标题");
    EXPECT_EQ(Tag(facts, "artist"), "Artist Two");
    EXPECT_EQ(Tag(facts, "album"), "Album Two");
    EXPECT_EQ(Tag(facts, "genre"), "Rock");  // an empty text leaves the old one
    CId3Fields reread = ReadId3Fields(WStringFromUtf8(path));
    EXPECT_EQ(reread.year.value_or(L"<none>"), L"2024");
    EXPECT_EQ(reread.title.value_or(L""), L"新标题");
    EXPECT_EQ(mctest::AudioPacketSums(path), before);
    EXPECT_EQ(AudioMd5(path), md5Before);
    if (c.withCover) {
      EXPECT_EQ(facts["streams.stream.1.disposition.attached_pic"], "1");
      EXPECT_EQ(facts["streams.stream.1.width"], "64");
    }
    if (std::string(c.ext) == "m4r") {
      EXPECT_EQ(facts["format.tags.major_brand"].substr(0, 3), "M4A");
    }
    EXPECT_EQ(mctest::ListDir(folder), std::vector<std::string>{std::string("rec.") + c.ext});
    EXPECT_TRUE(mctest::DecodesCleanly(path));
  }
}

TEST_F(Id3TaskTest, SavingTwiceReplacesTheFileEachTime) {
  // Recordings sit in folders with Chinese names and may carry quotes.
  const std::string folder = dir_ + "/Velmora电脑录音软件";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string path = folder + "/两次 it's.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame \"" + path + "\""));
  MCMediaTags tags = NewTags(path);
  EXPECT_EQ(RunTask(path, 0, tags), kId3ResultDone);
  tags.SetTitle(L"Third");
  EXPECT_EQ(RunTask(path, 0, tags), kId3ResultDone);
  auto facts = Probe(path);
  EXPECT_EQ(Tag(facts, "title"), "Third");
  EXPECT_EQ(mctest::ListDir(folder), std::vector<std::string>{"两次 it's.mp3"});
}

TEST_F(Id3TaskTest, CancelLeavesTheSourceUntouched) {
  const std::string path = dir_ + "/long.flac";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=30 -ac 2 -c:a flac -compression_level 0 '" + path + "'"));
  for (int delayMs : {0, 2, 10}) {
    SCOPED_TRACE(delayMs);
    // An earlier round may have finished before its cancel: compare with
    // the file as this round finds it.
    const std::string original = mctest::ReadFile(path);
    CTaskThreadPool pool;
    auto task = std::make_shared<CTaskId3>(SStringW(WStringFromUtf8(path).c_str()), 3, NewTags(path), window_);
    pool.AddTask(L"long", task);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    pool.StopAll();  // cancels and waits for the worker
    // A task stopped before it started posts nothing.
    MSG msg;
    const int result = PeekMessageW(&msg, window_, UM_ID3_RESULT, UM_ID3_RESULT, PM_REMOVE)
                           ? static_cast<int>(static_cast<intptr_t>(msg.wParam))
                           : kId3ResultCancelled;
    // A rewrite that finished before the cancel reached it replaced the
    // file completely; any other run ends cancelled with the source as it was.
    if (result == kId3ResultCancelled) {
      EXPECT_EQ(mctest::ReadFile(path), original);
    } else {
      EXPECT_EQ(result, kId3ResultDone);
      EXPECT_TRUE(mctest::DecodesCleanly(path));
    }
    EXPECT_EQ(mctest::ListDir(dir_), std::vector<std::string>{"long.flac"});
  }
  // A task cancelled before it runs never touches the file.
  auto idle = std::make_shared<CTaskId3>(SStringW(WStringFromUtf8(path).c_str()), 3, MCMediaTags(), window_);
  const std::string now = mctest::ReadFile(path);
  idle->Cancel();
  EXPECT_FALSE(idle->Run());
  EXPECT_EQ(idle->Result(), kId3ResultCancelled);
  EXPECT_EQ(WaitForResult(), kId3ResultCancelled);
  EXPECT_EQ(mctest::ReadFile(path), now);
}

TEST_F(Id3TaskTest, FailuresKeepTheSourceAndReportMinusTwo) {
  std::string junk(4096, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919u + 13u) % 251u);
  const struct {
    const char* name;
  } cases[] = {{"broken.mp3"}, {"upper.AC3"}, {"lower.ac3"}, {"noext"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = mctest::MakeTempDir("fail");
    const std::string path = folder + "/" + c.name;
    mctest::WriteFile(path, junk);
    EXPECT_EQ(RunTask(path, 52, MCMediaTags()), kId3ResultFailed);
    EXPECT_EQ(mctest::ReadFile(path), junk);
    EXPECT_EQ(mctest::ListDir(folder), std::vector<std::string>{c.name});
  }
}

// What the rewrite must leave of a recording's place in the file system.
struct FileFacts {
  mode_t mode;
  uid_t uid;
  gid_t gid;
};
FileFacts Facts(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return {st.st_mode, st.st_uid, st.st_gid};
}

TEST_F(Id3TaskTest, KeepsModeAndOwnerAndEditsTheFileALinkNames) {
  const struct {
    const char* name;
    mode_t mode;
    uid_t uid;  // -1: the test's own
    gid_t gid;
  } cases[] = {
      {"private.mp3", 0600, static_cast<uid_t>(-1), static_cast<gid_t>(-1)},
      {"shared.mp3", 0664, static_cast<uid_t>(-1), static_cast<gid_t>(-1)},
      // Only a privileged run can hand a file to someone else.
      {"other-owner.mp3", 0640, ::geteuid() == 0 ? 12345u : static_cast<uid_t>(-1),
       ::geteuid() == 0 ? 23456u : static_cast<gid_t>(-1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = mctest::MakeTempDir("mode");
    const std::string path = folder + "/" + c.name;
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame -metadata title=Old '" + path + "'"));
    ASSERT_EQ(::chown(path.c_str(), c.uid, c.gid), 0);
    ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    const FileFacts before = Facts(path);

    EXPECT_EQ(RunTask(path, 0, NewTags(path)), kId3ResultDone);

    const FileFacts after = Facts(path);
    EXPECT_EQ(after.mode, before.mode);
    EXPECT_EQ(after.uid, before.uid);
    EXPECT_EQ(after.gid, before.gid);
    auto facts = Probe(path);
    EXPECT_EQ(Tag(facts, "title"), "新标题");
  }

  // A recording reached through a link: the real file gets the tags, the
  // link stays a link to it, and nothing is left in either folder.
  const std::string realFolder = mctest::MakeTempDir("real");
  const std::string linkFolder = mctest::MakeTempDir("link");
  const std::string real = realFolder + "/real.mp3";
  const std::string link = linkFolder + "/link.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame -metadata title=Old '" + real + "'"));
  ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

  EXPECT_EQ(RunTask(link, 0, NewTags(link)), kId3ResultDone);

  EXPECT_TRUE(S_ISLNK(Facts(link).mode));
  char target[4096] = {};
  ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), real);
  auto facts = Probe(real);
  EXPECT_EQ(Tag(facts, "title"), "新标题");
  EXPECT_EQ(Facts(real).mode & 07777, 0600u);
  EXPECT_EQ(mctest::ListDir(realFolder), std::vector<std::string>{"real.mp3"});
  EXPECT_EQ(mctest::ListDir(linkFolder), std::vector<std::string>{"link.mp3"});
}

TEST_F(Id3TaskTest, ReadOnlyRecordingIsRefusedUntouched) {
  const std::string path = dir_ + "/kept.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame -metadata title=Old '" + path + "'"));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const std::string original = mctest::ReadFile(path);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);

  // Through a link as well as by its own name.
  const std::string link = dir_ + "/to-kept.mp3";
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  for (const std::string& named : {path, link}) {
    SCOPED_TRACE(named);
    EXPECT_EQ(RunTask(named, 0, NewTags(path)), kId3ResultFailed);
  }

  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced by a copy
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(mctest::ReadFile(path), original);
  std::vector<std::string> names = mctest::ListDir(dir_);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"kept.mp3", "to-kept.mp3"}));
}

TEST(Id3Fields, AbsentTagsAndRealTexts) {
  const std::string dir = mctest::MakeTempDir("fields");
  const std::string path = dir + "/a.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame -metadata title=T -metadata genre=无 '" + path +
                             "'"));
  CId3Fields fields = ReadId3Fields(WStringFromUtf8(path));
  ASSERT_TRUE(fields.probed);
  EXPECT_EQ(fields.title.value_or(L"<none>"), L"T");
  EXPECT_EQ(fields.genre.value_or(L"<none>"), L"无");  // a real text, not "no tag"
  EXPECT_FALSE(fields.artist.has_value());
  EXPECT_FALSE(fields.year.has_value());
  EXPECT_TRUE(fields.tags.HasFormat(L"mp3"));

  const std::string junk = dir + "/junk.mp3";
  mctest::WriteFile(junk, std::string(64, 'x'));
  CId3Fields none = ReadId3Fields(WStringFromUtf8(junk));
  EXPECT_FALSE(none.probed);
  EXPECT_FALSE(none.title || none.artist || none.genre || none.album || none.year);

  for (const wchar_t* p : {L"/a/b.ac3", L"/a/b.AC3", L"/a/b.Mp2", L"/a/b.amr", L"/a/b", L"/a.d/b", L"/a/b."})
    EXPECT_FALSE(Id3FormatSupported(p)) << p;
  for (const wchar_t* p : {L"/a/b.mp3", L"/a/b.M4R", L"/a/b.flac", L"/a/b.wma"}) EXPECT_TRUE(Id3FormatSupported(p)) << p;
}

}  // namespace
