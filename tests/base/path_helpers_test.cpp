#include "base/PathHelpers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "base/FileInfo.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test; Touch makes a file (and its folders) in it.
class TempFolder : public scratch::ScratchFolder {
 protected:
  void Touch(const fs::path& relative, const std::string& content = "") { Write(relative, content); }
};

TEST(PathSeparators, NormaliseAndAppendWithSlashes) {
  const struct {
    const wchar_t* in;
    const wchar_t* normalised;
    const wchar_t* appended;
    const wchar_t* key;
  } cases[] = {
      {L"C:/a/b/", L"C:/a/b/", L"C:/a/b/", L"c:/a/b"},
      {L"\\\\server/share", L"//server/share", L"//server/share/", L"//server/share"},
      {L"C:\\a", L"C:/a", L"C:/a/", L"c:/a"},
      {L"/Music\\Rec\\", L"/Music/Rec/", L"/Music/Rec/", L"/music/rec"},
      {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    std::wstring path = c.in;
    NormalizePathSeparators(path);
    EXPECT_EQ(path, c.normalised) << c.in;
    path = c.in;
    AppendPathSeparator(path);
    EXPECT_EQ(path, c.appended) << c.in;
    path = c.in;
    NormalizePathKey(path);
    EXPECT_EQ(path, c.key) << c.in;
  }
  std::wstring slash = L"a\\";
  AppendSlash(slash);
  EXPECT_EQ(slash, L"a\\");  // already ends with a separator
  std::wstring trailing = L"/a/b\\";
  EXPECT_EQ(RemoveTrailingSeparator(trailing), L"/a/b");
  EXPECT_EQ(trailing, L"/a/b");
}

TEST(GetFullPath, IsLexicalAndAbsolute) {
  std::wstring out = L"kept";
  EXPECT_FALSE(GetFullPath(nullptr, out));
  EXPECT_EQ(out, L"kept");

  ASSERT_TRUE(GetFullPath(L"/a/./b/../c\\d.txt", out));
  EXPECT_EQ(out, L"/a/c/d.txt");
  ASSERT_TRUE(GetFullPath(L"/a/b/..", out));
  EXPECT_EQ(out, L"/a/");

  std::wstring cwd;
  ASSERT_TRUE(GetCurrentDir(cwd));
  ASSERT_EQ(cwd.back(), L'/');
  ASSERT_TRUE(GetFullPath(L"missing/x.mp3", out));
  EXPECT_EQ(out, cwd + L"missing/x.mp3");
}

TEST(ModulePaths, NameTheRunningTest) {
  std::wstring path;
  ASSERT_TRUE(GetModuleFilePath(path));
  EXPECT_TRUE(path.ends_with(L"/base_path_helpers_test")) << path;
  std::wstring dir;
  ASSERT_TRUE(GetModuleDir(dir));
  EXPECT_EQ(dir + L"base_path_helpers_test", path);
}

TEST_F(TempFolder, SplitPathTakesBothSeparators) {
  Touch("music/rec/song.mp3");
  std::wstring drive, folder, name, ext, last, driveFolder;
  ASSERT_TRUE(SplitPath(W(L"music\\rec/song.mp3").c_str(), drive, folder, name, ext, last,
                        driveFolder));
  EXPECT_EQ(drive, L"");
  EXPECT_EQ(folder, W(L"music/rec/"));
  EXPECT_EQ(name, L"song");
  EXPECT_EQ(ext, L".mp3");
  EXPECT_EQ(last, L"rec");
  EXPECT_EQ(driveFolder, folder);

  // An existing folder is wholly folder, even without a trailing separator.
  ASSERT_TRUE(SplitPath(W(L"music\\rec").c_str(), drive, folder, name, ext, last, driveFolder));
  EXPECT_EQ(folder, W(L"music/rec/"));
  EXPECT_EQ(name, L"");
  EXPECT_EQ(last, L"rec");

  EXPECT_FALSE(SplitPath(nullptr, drive, folder, name, ext, last, driveFolder));
  EXPECT_TRUE(folder.empty());
  const std::wstring longName(300, L'n');
  EXPECT_FALSE(SplitPath((L"/tmp/" + longName + L".mp3").c_str(), drive, folder, name, ext,
                         last, driveFolder));

  EXPECT_EQ(ChangeFileExtension(W(L"music\\rec/song.mp3"), L".wav"), W(L"music/rec/song.wav"));
}

TEST_F(TempFolder, GetParentDirOfFilesAndFolders) {
  Touch("a/b.txt");
  EXPECT_EQ(GetParentDir(W(L"a\\b.txt")), W(L"a/"));
  EXPECT_EQ(GetParentDir(W(L"a")), W(L"a"));  // an existing folder stays
  EXPECT_EQ(GetParentDir(L"C:"), L"C:");
  EXPECT_EQ(GetParentDir(L"/missing/file.txt"), L"/missing/");
  EXPECT_EQ(GetParentDir(L"/file.txt"), L"/");
  EXPECT_EQ(GetParentDir(L"nofolder.txt"), L"");
}

TEST(PathNames, FileNameAndExtensionOfTheLastElement) {
  EXPECT_EQ(GetFileNameOfPath(L"/a\\b/c.mp3"), L"c.mp3");
  EXPECT_EQ(GetFileNameOfPath(L"/a/b/"), L"b/");
  EXPECT_EQ(GetFileNameOfPath(L"c.mp3"), L"c.mp3");
  EXPECT_EQ(GetFileExtension(L"/a/c.tar.gz"), L".gz");
  EXPECT_EQ(GetFileExtension(L"/a.b/file"), L"");
  EXPECT_EQ(GetFileExtension(L""), L"");
  EXPECT_TRUE(IsSamePath(L"/Music\\A.mp3", L"/music/a.MP3"));
  EXPECT_FALSE(IsSamePath(L"", L""));
}

TEST(PathAppendName, BuildsSiblingNames) {
  const struct {
    int type;
    const wchar_t* expected;
  } cases[] = {
      {0, L"/a/new_song.mp3"}, {1, L"/a/songnew_.mp3"}, {2, L"/a/new_songnew_.mp3"}};
  for (const auto& c : cases) {
    std::wstring out;
    EXPECT_TRUE(PathAppendName(L"new_", c.type, L"\\a\\song.mp3", out));
    EXPECT_EQ(out, c.expected);
  }
  std::wstring out;
  EXPECT_FALSE(PathAppendName(L"new_", 5, L"/a/song.mp3", out));
  EXPECT_EQ(out, L"PathAppendName->未知路径操作类型,5");
}

TEST_F(TempFolder, FileKindsAndSizes) {
  Touch("f.bin", std::string(1234, 'x'));
  fs::create_directory(root_ / "d");
  EXPECT_TRUE(FileExists(W(L"f.bin")));
  EXPECT_TRUE(FileExists(W(L"d")));
  EXPECT_FALSE(FileExists(W(L"none")));
  EXPECT_TRUE(IsNormalFile(W(L"f.bin")));
  EXPECT_FALSE(IsNormalFile(W(L"d")));
  EXPECT_TRUE(IsDirectory(W(L"d\\")));
  EXPECT_FALSE(IsDirectory(W(L"f.bin")));
  EXPECT_EQ(GetFileSizeOfPath(W(L"f.bin").c_str()), 1234);
  EXPECT_EQ(GetFileSizeOfPath(W(L"none").c_str()), -1);
  EXPECT_EQ(GetFileSizeOfPath(nullptr), -1);

  EXPECT_FALSE(IsReadOnlyFile(W(L"f.bin")));
  EXPECT_TRUE(IsFileWritable(W(L"f.bin")));
  chmod((root_ / "f.bin").c_str(), 0444);
  EXPECT_TRUE(IsReadOnlyFile(W(L"f.bin")));
  if (geteuid() != 0) {
    EXPECT_FALSE(IsFileWritable(W(L"f.bin")));  // root may write anything
  }
  EXPECT_FALSE(IsFileWritable(W(L"none")));
}

TEST_F(TempFolder, WholeFilesRoundTripUtf16) {
  // "录音" then U+1F3B5 as a surrogate pair split across the 518-byte
  // pieces the reader takes (bytes 516..519), then a zero that ends the text.
  std::string bytes;
  for (int i = 0; i < 258; ++i) bytes += std::string("a\0", 2);
  bytes += std::string("\x3c\xd8\xb5\xdf", 4);
  bytes += std::string("\x55\x5f\xf3\x97", 4);
  ASSERT_TRUE(WriteWholeFile(bytes.data(), bytes.size(), W(L"u16.txt")));
  EXPECT_EQ(Read("u16.txt"), bytes);
  std::wstring text;
  ASSERT_TRUE(ReadWholeFile(text, W(L"u16.txt")));
  EXPECT_EQ(text, std::wstring(258, L'a') + L"\U0001F3B5录音");

  const std::string zeroEnded("h\0i\0\0\0x\0", 8);
  ASSERT_TRUE(WriteWholeFile(zeroEnded.data(), zeroEnded.size(), W(L"u16.txt")));
  ASSERT_TRUE(ReadWholeFile(text, W(L"u16.txt")));
  EXPECT_EQ(text, L"hi");

  text = L"stale";
  EXPECT_FALSE(ReadWholeFile(text, W(L"none.txt")));
  EXPECT_EQ(text, L"");
}

TEST_F(TempFolder, TextFilesAreReadAsGbkInTextMode) {
  Touch("gbk.txt", "\xc2\xbc\xd2\xf4\r\nok\r\n");  // "录音", CR LF, "ok", CR LF
  std::wstring text;
  ASSERT_TRUE(ReadTextFile(text, W(L"gbk.txt")));
  EXPECT_EQ(text, L"录音\nok\n");
  EXPECT_FALSE(ReadTextFile(text, W(L"none.txt")));
  EXPECT_FALSE(ReadTextFile(text, L""));

  wchar_t buffer[16];
  ASSERT_TRUE(ReadTextFileToBuffer(buffer, W(L"gbk.txt"), sizeof(buffer)));
  EXPECT_EQ(std::wstring(buffer), L"录音\nok\n");
  // Ten bytes of file are not shorter than a ten-byte buffer.
  EXPECT_FALSE(ReadTextFileToBuffer(buffer, W(L"gbk.txt"), 10));
  // Eleven bytes hold the file but not its six wide characters and the
  // terminator: the buffer is zeroed rather than overrun.
  wchar_t small[8];
  std::fill(std::begin(small), std::end(small), L'x');
  EXPECT_FALSE(ReadTextFileToBuffer(small, W(L"gbk.txt"), 11));
  EXPECT_EQ(small[0], L'\0');
  EXPECT_EQ(small[2], L'\0');
  EXPECT_EQ(small[3], L'x');  // nothing past the eleven bytes was touched
}

TEST_F(TempFolder, FailedWholeFileWriteLeavesTheOldFile) {
  Touch("keep.txt", "old");
  EXPECT_FALSE(WriteWholeFile("x", 0, W(L"keep.txt")));
  EXPECT_FALSE(WriteWholeFile(nullptr, 3, W(L"keep.txt")));
  EXPECT_FALSE(WriteWholeFile("new", 3, W(L"missing/keep.txt")));
  EXPECT_FALSE(FileExists(W(L"missing")));
  EXPECT_EQ(Read("keep.txt"), "old");
  ASSERT_TRUE(WriteWholeFile("new", 3, W(L"keep.txt")));
  EXPECT_EQ(Read("keep.txt"), "new");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1);
}

TEST_F(TempFolder, MoveAndCopyKeepOrReplaceTargets) {
  Touch("src.txt", "source");
  Touch("dst.txt", "target");
  ASSERT_TRUE(CopyFileOp(true, W(L"src.txt"), W(L"dst.txt")));
  EXPECT_EQ(Read("dst.txt"), "target");
  EXPECT_EQ(Read("dst (2).txt"), "source");

  ASSERT_TRUE(MoveFileOp(true, W(L"src.txt"), W(L"dst.txt")));
  EXPECT_EQ(Read("dst.txt"), "target");
  EXPECT_EQ(Read("dst (3).txt"), "source");
  EXPECT_FALSE(FileExists(W(L"src.txt")));

  ASSERT_TRUE(MoveFileOp(false, W(L"dst (3).txt"), W(L"dst.txt")));
  EXPECT_EQ(Read("dst.txt"), "source");

  fs::create_directory(root_ / "into");
  ASSERT_TRUE(CopyFileOp(false, W(L"dst.txt"), W(L"into")));
  EXPECT_EQ(Read("into/dst.txt"), "source");

  EXPECT_FALSE(MoveFileOp(false, W(L"none"), W(L"x")));
  ASSERT_TRUE(DeleteFileOp(W(L"into")));
  EXPECT_FALSE(FileExists(W(L"into")));
  EXPECT_FALSE(DeleteFileOp(W(L"into")));
}

TEST_F(TempFolder, ACopyThatFailsKeepsTheFileItWasToReplace) {
  Touch("big.bin", std::string(1 << 20, 'x'));
  Touch("target.txt", "precious");
  // Writes past 64 KiB fail (EFBIG), as a full disk would fail them.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool copied = CopyFileOp(false, W(L"big.bin"), W(L"target.txt"));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(copied);
  const std::string kept = Read("target.txt");
  EXPECT_TRUE(kept == "precious") << "the target now holds " << kept.size() << " other bytes";
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2)
      << "a partial copy was left beside the target";
}

TEST_F(TempFolder, ACopyThatFailsUnderAFreeNameLeavesNothingBehind) {
  // A folder holding something that cannot be copied (a named pipe): the
  // copy fails half-way, after its first files were made.
  Touch("album/a.txt", "a");
  ASSERT_EQ(mkfifo((root_ / "album" / "pipe").c_str(), 0600), 0);
  Touch("copy/kept.txt", "kept");
  Touch("copy/album/old.txt", "old");  // the first name is taken
  EXPECT_FALSE(CopyFileOp(true, W(L"album"), W(L"copy")));
  auto names = [](const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) found.push_back(entry.path().filename());
    std::sort(found.begin(), found.end());
    return found;
  };
  EXPECT_EQ(names(root_), (std::vector<std::string>{"album", "copy"}));
  EXPECT_EQ(names(root_ / "copy"), (std::vector<std::string>{"album", "kept.txt"}));
  EXPECT_EQ(names(root_ / "copy" / "album"), (std::vector<std::string>{"old.txt"}));
  EXPECT_EQ(Read("album/a.txt"), "a");
}

TEST(UserFolders, FollowTheEnvironment) {
  std::wstring data;
  GetSpecialFolderPath(data);
  const std::wstring expected = Utf8ToWStringRet(getenv("XDG_DATA_HOME")) + L"/";
  EXPECT_EQ(data, expected);
  std::wstring temp;
  GetTempDir(temp);
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'/');
  EXPECT_TRUE(IsDirectory(temp));
}

// --- CFileInfo ---------------------------------------------------------

class FileInfoTest : public TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    setenv("TZ", "CST-8", 1);  // eight hours east of UTC, no daylight saving
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
    TempFolder::TearDown();
  }
};

TEST_F(FileInfoTest, MissingFileHasZeroTimes) {
  CFileInfo info(W(L"none.mp3"));
  EXPECT_EQ(info.GetSize(), 0u);
  EXPECT_EQ(info.FormatTime(0, true, true, true, true, true, true, L"-"), L"0000-00-00-00-00-00");
  EXPECT_EQ(info.GetPath(), W(L"none.mp3"));
  EXPECT_FALSE(info.Load(W(L"none.wav")));
  EXPECT_EQ(info.GetPath(), W(L"none.wav"));
}

TEST_F(FileInfoTest, FormatsTheFileTimesInLocalTime) {
  Touch("rec.mp3", std::string(1536, 'x'));
  // Written 2023-05-07 01:04:01 UTC, read 2023-01-02 03:04:05 UTC.
  const struct timespec times[2] = {{1672628645, 0}, {1683421441, 250000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, (root_ / "rec.mp3").c_str(), times, 0), 0);

  CFileInfo info(W(L"rec.mp3"));
  EXPECT_EQ(info.GetSize(), 1536u);
  EXPECT_EQ(info.GetSizeText(), L"1.5KB");
  EXPECT_EQ(info.FormatTime(CFileInfo::kLastWriteTime, true, true, true, true, true, true, L"-"),
            L"2023-05-07-09-04-01");
  EXPECT_EQ(info.FormatTime(CFileInfo::kLastAccessTime, true, true, true, true, true, true, L"-"),
            L"2023-01-02-11-04-05");
  EXPECT_EQ(info.FormatTime(2, true, false, false, false, false, false, L"/"), L"2023");
  EXPECT_EQ(info.FormatTime(2, false, false, false, true, true, false, L" : "), L"09 : 04");
  EXPECT_EQ(info.FormatTime(2, true, true, true, false, false, false, L""), L"20230507");
  EXPECT_EQ(info.GetTime(2).wMilliseconds, 250);
  EXPECT_EQ(info.GetTime(3).wYear, 0);

  // The creation time is the birth time where the file system keeps one,
  // which is now-ish, else the last-write time.
  const SYSTEMTIME created = info.GetTime(CFileInfo::kCreationTime);
  EXPECT_TRUE(created.wYear >= 2024 ||
              info.FormatTime(0, true, true, true, true, true, true, L"-") ==
                  L"2023-05-07-09-04-01");
}

TEST(FileInfoNames, LookOnlyAfterTheLastSeparator) {
  const struct {
    const wchar_t* path;
    const wchar_t* dir;
    const wchar_t* title;
    const wchar_t* ext;
  } cases[] = {
      {L"/a/b.txt", L"/a", L"b", L"txt"},
      {L"C:\\a/b.txt", L"C:\\a", L"b", L"txt"},
      {L"/x\\a.b\\file", L"/x\\a.b", L"file", L""},
      {L"/a.b/file", L"/a.b", L"file", L""},
      {L"b.txt", L"", L"b", L"txt"},
      {L"/a/song.tar.gz", L"/a", L"song.tar", L"gz"},
      {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    CFileInfo info(c.path);
    EXPECT_EQ(info.GetDir(), c.dir) << c.path;
    EXPECT_EQ(info.GetTitle(), c.title) << c.path;
    EXPECT_EQ(info.GetExt(), c.ext) << c.path;
  }
}

TEST_F(FileInfoTest, SizeTextsScaleUpToTerabytes) {
  const struct {
    uint64_t size;
    const wchar_t* text;
  } cases[] = {{0, L"0B"}, {1024, L"1KB"}, {1536, L"1.5KB"}, {1ull << 41, L"2TB"}};
  for (const auto& c : cases) {
    const int fd = open((root_ / "sparse").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const bool sized = ftruncate(fd, static_cast<off_t>(c.size)) == 0;
    close(fd);
    if (!sized) {
      ADD_FAILURE() << "cannot make a sparse file of " << c.size << " bytes";
      continue;
    }
    EXPECT_EQ(CFileInfo(W(L"sparse")).GetSizeText(), c.text) << c.size;
  }
}

}  // namespace
