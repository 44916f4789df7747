#include "base/FileNaming.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/CodePage.h"
#include "base/DiskSpace.h"
#include "base/FolderOps.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

std::wstring Text(const SStringW& s) { return std::wstring(s.c_str(), s.GetLength()); }

using NamingFolder = scratch::ScratchFolder;

TEST_F(NamingFolder, FreePathIsReturnedAndCreatedEmpty) {
  const SStringW chosen = MakeUniqueFileName(SStringW(W(L"song.mp3").c_str()), false);
  EXPECT_EQ(Text(chosen), W(L"song.mp3"));
  ASSERT_TRUE(fs::exists(root_ / "song.mp3"));
  EXPECT_EQ(fs::file_size(root_ / "song.mp3"), 0u);
}

TEST_F(NamingFolder, NameThatCannotBeCreatedIsNotReturned) {
  // A name is only worth returning once it exists; nothing else is made.
  const SStringW chosen = MakeUniqueFileName(SStringW(W(L"missing/song.mp3").c_str()), false);
  EXPECT_EQ(Text(chosen), L"");
  EXPECT_FALSE(fs::exists(root_ / "missing"));
  EXPECT_EQ(MakeUniqueFileNameStd(W(L"missing/song.mp3"), false), L"");
}

// --- names at the file system's 255-byte limit ----------------------------

size_t Utf8Bytes(const std::wstring& text) { return WStringToUtf8Ret(text).size(); }

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.rfind(L'/') + 1); }

TEST_F(NamingFolder, LongTitlesAreCutToFitTheNameLimit) {
  const std::wstring cjk83(83, L'录');        // 249 bytes: with ".mp3", 253
  const std::wstring cjk100(100, L'录');      // 300 bytes: too long as given
  const std::wstring emoji63(63, L'\U0001F3B5');  // 252 bytes of 4-byte characters
  const std::wstring emoji62(62, L'\U0001F3B5');  // 248 bytes: with ".mp3", 252
  const std::wstring ascii251(251, L'a');     // with ".mp3", exactly 255
  const struct {
    std::wstring title;
    bool taken;     // the name as given exists already
    bool convert;
    const wchar_t* tail;  // what follows the (possibly cut) title
  } cases[] = {
      {cjk83, true, false, L"(0).mp3"},
      {cjk83, true, true, L"_convert.mp3"},
      {cjk100, false, false, L".mp3"},
      {emoji63, false, false, L".mp3"},
      {emoji62, true, true, L"_convert.mp3"},
      {ascii251, false, false, L".mp3"},
      {ascii251, true, false, L"(0).mp3"},
  };
  for (const auto& c : cases) {
    fs::remove_all(root_);
    fs::create_directory(root_);
    const std::wstring given = c.title + L".mp3";
    if (c.taken) Write(WStringToUtf8Ret(given), "taken");
    const std::wstring chosen = Text(MakeUniqueFileName(SStringW(W(given).c_str()), c.convert));
    SCOPED_TRACE(testing::Message() << Utf8Bytes(given) << " bytes given, tail "
                                    << WStringToUtf8Ret(c.tail));
    ASSERT_FALSE(chosen.empty());
    const std::wstring name = FileNameOf(chosen);
    EXPECT_LE(Utf8Bytes(name), 255u);
    ASSERT_GE(name.size(), wcslen(c.tail));
    EXPECT_EQ(name.substr(name.size() - wcslen(c.tail)), c.tail);
    // The title keeps whole characters from its start, as many as fit.
    const std::wstring title = name.substr(0, name.size() - wcslen(c.tail));
    EXPECT_EQ(c.title.compare(0, title.size(), title), 0);
    if (title.size() < c.title.size()) {
      EXPECT_GT(Utf8Bytes(name) + Utf8Bytes(c.title.substr(title.size(), 1)), 255u)
          << "cut further than the limit asks";
    }
    EXPECT_TRUE(fs::is_regular_file(fs::path(WStringToUtf8Ret(chosen))));
    if (c.taken) EXPECT_EQ(Read(WStringToUtf8Ret(given)), "taken");
  }
}

TEST_F(NamingFolder, RepeatedSearchesAtTheLimitGiveDistinctExistingNames) {
  const std::wstring given = W(std::wstring(83, L'音') + L".mp3");
  Write(WStringToUtf8Ret(FileNameOf(given)), "taken");
  std::set<std::wstring> names;
  for (int i = 0; i < 12; ++i) {
    const std::wstring chosen = Text(MakeUniqueFileName(SStringW(given.c_str()), false));
    ASSERT_FALSE(chosen.empty()) << i;
    EXPECT_TRUE(fs::is_regular_file(fs::path(WStringToUtf8Ret(chosen)))) << i;
    names.insert(chosen);
  }
  EXPECT_EQ(names.size(), 12u);
  EXPECT_EQ(MakeUniqueFileNameStd(given, false).empty(), false);
}

TEST_F(NamingFolder, NoLockSearchCutsNamesAsWell) {
  const std::wstring given = std::wstring(83, L'音') + L".mp3";
  Write(WStringToUtf8Ret(given), "taken");
  const std::wstring chosen = Text(MakeUniqueNameNoLock(SStringW(W(given).c_str()), false));
  EXPECT_EQ(FileNameOf(chosen), std::wstring(82, L'音') + L"(0).mp3");
  EXPECT_FALSE(fs::exists(fs::path(WStringToUtf8Ret(chosen))));
}

TEST_F(NamingFolder, CandidatesFollowTheCounterOrder) {
  const struct {
    std::vector<const char*> existing;
    bool convert;
    const wchar_t* expected;
  } cases[] = {
      {{"song.mp3"}, false, L"song(0).mp3"},
      {{"song.mp3", "song(0).mp3"}, false, L"song(1).mp3"},
      {{"song.mp3", "song(1).mp3"}, false, L"song(0).mp3"},
      {{"song.mp3"}, true, L"song_convert.mp3"},
      {{"song.mp3", "song_convert.mp3"}, true, L"song_convert(0).mp3"},
      // A folder of that name counts as taken too.
      {{"song.mp3", "song(0).mp3/"}, false, L"song(1).mp3"},
  };
  for (const auto& c : cases) {
    fs::remove_all(root_);
    fs::create_directory(root_);
    for (const char* name : c.existing) {
      const std::string n = name;
      if (n.back() == '/') {
        fs::create_directory(root_ / n.substr(0, n.size() - 1));
      } else {
        Write(n, "taken");
      }
    }
    const SStringW chosen = MakeUniqueFileName(SStringW(W(L"song.mp3").c_str()), c.convert);
    EXPECT_EQ(Text(chosen), W(c.expected)) << c.expected;
    EXPECT_TRUE(fs::is_regular_file(fs::path(WStringToUtf8Ret(Text(chosen)))));
    for (const char* name : c.existing) {
      if (std::string(name).back() != '/') {
        EXPECT_EQ(Read(name), "taken") << name;
      }
    }
  }
}

TEST_F(NamingFolder, AcceptsBackslashesAndAnswersWithSlashes) {
  Write("sub/song.mp3", "taken");
  const SStringW chosen = MakeUniqueFileName(SStringW(W(L"sub\\song.mp3").c_str()), false);
  EXPECT_EQ(Text(chosen), W(L"sub/song(0).mp3"));
}

TEST_F(NamingFolder, StdSearchAppendsThePlainCounter) {
  Write("a.wav", "x");
  Write("a_convert.wav", "x");
  Write("a_convert0.wav", "x");
  EXPECT_EQ(MakeUniqueFileNameStd(W(L"a.wav"), true), W(L"a_convert1.wav"));
  EXPECT_TRUE(fs::exists(root_ / "a_convert1.wav"));
  EXPECT_EQ(MakeUniqueFileNameStd(W(L"a.wav"), false), W(L"a0.wav"));
}

TEST_F(NamingFolder, NoLockSearchCreatesNothing) {
  Write("rec.mp3", "x");
  EXPECT_EQ(Text(MakeUniqueNameNoLock(SStringW(W(L"rec.mp3").c_str()), true)),
            W(L"rec_pxAudio.mp3"));
  EXPECT_EQ(Text(MakeUniqueNameNoLock(SStringW(W(L"rec.mp3").c_str()), false)), W(L"rec(0).mp3"));
  EXPECT_FALSE(fs::exists(root_ / "rec_pxAudio.mp3"));
  EXPECT_FALSE(fs::exists(root_ / "rec(0).mp3"));
}

TEST_F(NamingFolder, ConcurrentSearchesNeverShareAName) {
  Write("t.mp3", "x");
  constexpr int kThreads = 8;
  std::vector<std::wstring> names(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      names[i] = Text(MakeUniqueFileName(SStringW(W(L"t.mp3").c_str()), false));
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()).size(), size_t{kThreads});
}

TEST(PathParts, SplitAtTheLastSeparatorOfEitherKind) {
  const struct {
    const wchar_t* path;
    const wchar_t* dir;
    const wchar_t* title;
    const wchar_t* ext;
  } cases[] = {
      {L"/music/rec/song.mp3", L"/music/rec/", L"song", L"mp3"},
      {L"C:\\a\\b.mp3", L"C:/a/", L"b", L"mp3"},
      {L"/a\\b/c.tar.gz", L"/a/b/", L"c.tar", L"gz"},
      // A dot in a folder name is no extension.
      {L"/a.b/file", L"/a.b/", L"file", L""},
      {L"C:\\dir.old\\file", L"C:/dir.old/", L"file", L""},
      {L"name.wav", L"", L"name", L"wav"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPathDir(c.path), c.dir) << c.path;
    EXPECT_EQ(Text(GetFileDir(SStringW(c.path))), c.dir) << c.path;
    EXPECT_EQ(GetPathTitle(c.path), c.title) << c.path;
    EXPECT_EQ(GetFileTitleStd(c.path), c.title) << c.path;
    EXPECT_EQ(Text(GetFileTitle(SStringW(c.path))), c.title) << c.path;
    EXPECT_EQ(GetFileExtW(c.path), c.ext) << c.path;
    EXPECT_EQ(GetPathExtension(c.path), c.ext) << c.path;
    EXPECT_EQ(Text(GetFileExt(SStringW(c.path))), c.ext) << c.path;
  }
}

TEST(PathParts, NarrowFormsKeepTheSeparatorBeforeTheTitle) {
  EXPECT_EQ(GetFileTitleNarrow("C:\\a\\b.mp3"), "/b");
  EXPECT_EQ(GetFileTitleNarrow("/a/b.c/d"), "/d");
  EXPECT_EQ(GetFileTitleNarrow("b.mp3"), "b");
  EXPECT_EQ(GetFileDirNarrow("/a/b/c.mp3"), "/a/b");
  EXPECT_EQ(GetFileDirNarrow("c.mp3"), "c.mp3");
  EXPECT_EQ(GetFileExtNarrow("/a/b.mp3"), "mp3");
  EXPECT_EQ(GetFileExtNarrow("/a.b/c"), "");
}

TEST(PathParts, ParentFolderAndLastPart) {
  std::wstring out;
  ASSERT_TRUE(GetParentFolder(L"/a/b/c/", out));
  EXPECT_EQ(out, L"/a/b/");
  ASSERT_TRUE(GetParentFolder(L"C:\\a/b\\c", out));
  EXPECT_EQ(out, L"C:/a/b/");  // the last separator wins, whatever its kind
  EXPECT_FALSE(GetParentFolder(L"c", out));
  EXPECT_FALSE(GetParentFolder(L"abc", out));

  ASSERT_TRUE(GetLastPathPart(L"/a/b/c/", out));
  EXPECT_EQ(out, L"c");
  ASSERT_TRUE(GetLastPathPart(L"C:/a\\song.mp3", out));
  EXPECT_EQ(out, L"song.mp3");
  EXPECT_FALSE(GetLastPathPart(L"abc", out));
  EXPECT_EQ(out, L"");
  EXPECT_FALSE(GetLastPathPart(L"/a//", out));
}

TEST_F(NamingFolder, CreateFolderChainReportsWhetherTheFolderExists) {
  EXPECT_TRUE(CreateFolderChain(W(L"one\\two/three/")));
  EXPECT_TRUE(fs::is_directory(root_ / "one/two/three"));
  EXPECT_TRUE(CreateFolderChain(W(L"one/two/three")));  // already there
  EXPECT_TRUE(CreateFolderChain(W(L"one/two/four")));

  Write("file", "x");
  EXPECT_FALSE(CreateFolderChain(W(L"file/sub/")));
  EXPECT_FALSE(CreateFolderChain(W(L"file")));
  EXPECT_FALSE(CreateFolderChain(L""));
  EXPECT_EQ(Read("file"), "x");

  EXPECT_EQ(CreateDirectoryTreeA(W(L"n1\\n2\\")), 0);
  EXPECT_TRUE(fs::is_directory(root_ / "n1/n2"));
  EXPECT_EQ(CreateDirectoryTreeNarrow((root_ / "m1/m2").c_str()), 0);
  EXPECT_EQ(CreateDirectoryTreeNarrow((root_ / "file/x").c_str()), -1);
  EXPECT_EQ(CreateParentFolder(W(L"p1/p2/song.mp3")), 0);
  EXPECT_TRUE(fs::is_directory(root_ / "p1/p2"));
  EXPECT_FALSE(fs::exists(root_ / "p1/p2/song.mp3"));
  EXPECT_EQ(CreateFolderShell(W(L"s1/s2")), 0);
  EXPECT_EQ(CreateFolderShell(W(L"file/s")), -1);
}

TEST_F(NamingFolder, DeletingFolderContents) {
  Write("d/a.txt", "a");
  Write("d/sub/b.txt", "b");
  Write("outside.txt", "keep");
  fs::create_directory_symlink(root_, root_ / "d/link");  // must not be followed

  EXPECT_TRUE(DeleteFilesInFolder(W(L"d/")));
  EXPECT_FALSE(fs::exists(root_ / "d/a.txt"));
  EXPECT_TRUE(fs::exists(root_ / "d/sub/b.txt"));

  EXPECT_EQ(DeleteDirectoryTree(W(L"d"), false), 1);
  EXPECT_FALSE(fs::exists(root_ / "d/sub/b.txt"));
  EXPECT_TRUE(fs::is_directory(root_ / "d/sub"));
  EXPECT_EQ(Read("outside.txt"), "keep");

  EXPECT_TRUE(DeleteDirectory(W(L"d"), true));
  EXPECT_FALSE(fs::exists(root_ / "d"));
  EXPECT_EQ(Read("outside.txt"), "keep");
}

TEST_F(NamingFolder, FileSizes) {
  Write("five.bin", "12345");
  EXPECT_EQ(GetFileSize64(W(L"five.bin")), 5);
  EXPECT_EQ(GetFileSize64(W(L"none")), -1);
  EXPECT_EQ(GetFileSizeByFind(W(L"f*.bin")), 5u);
  EXPECT_EQ(GetFileSizeByFind(W(L"x*.bin")), 0u);
}

TEST_F(NamingFolder, DiskSpaceOfARealFolder) {
  uint64_t freeBytes = 1, totalBytes = 1;
  std::wstring error = L"stale";
  ASSERT_TRUE(GetDiskSpace(wroot_, freeBytes, totalBytes, error)) << error;
  EXPECT_EQ(error, L"");

  struct statvfs info{};
  ASSERT_EQ(statvfs(root_.c_str(), &info), 0);
  EXPECT_EQ(totalBytes, static_cast<uint64_t>(info.f_blocks) * info.f_frsize);
  EXPECT_GT(totalBytes, 0u);
  EXPECT_LE(freeBytes, totalBytes);
  // Free space moves as other programs write; compare loosely.
  const double expectedFree = static_cast<double>(info.f_bavail) * info.f_frsize;
  EXPECT_NEAR(static_cast<double>(freeBytes), expectedFree, 1e9 + expectedFree * 0.01);

  // A file about to be written is measured on its folder's volume.
  uint64_t freeForNew = 0, totalForNew = 0;
  ASSERT_TRUE(GetDiskSpace(W(L"not/yet/there.mp3"), freeForNew, totalForNew, error)) << error;
  EXPECT_EQ(totalForNew, totalBytes);

  EXPECT_TRUE(HasDiskSpace(wroot_, 1));
  EXPECT_FALSE(HasDiskSpace(wroot_, totalBytes + 1));
  float ratio = -1.0f;
  ASSERT_TRUE(GetDiskFreeRatio(ratio, wroot_, error));
  EXPECT_GE(ratio, 0.0f);
  EXPECT_LE(ratio, 1.0f);
  EXPECT_GT(GetDiskFreeGB(SStringW(wroot_.c_str())), 0.0);
  EXPECT_FALSE(IsWow64());
}

TEST_F(NamingFolder, DiskSpaceFailuresAreReported) {
  uint64_t freeBytes = 7, totalBytes = 7;
  std::wstring error;
  EXPECT_FALSE(GetDiskSpace(L"C:", freeBytes, totalBytes, error));
  EXPECT_EQ(error, L"Err:GetDiskSpace,路径非法,C:");
  EXPECT_EQ(freeBytes, 0u);
  EXPECT_EQ(totalBytes, 0u);

  Write("plain", "x");
  EXPECT_FALSE(GetDiskSpace(W(L"plain/below"), freeBytes, totalBytes, error));
  EXPECT_EQ(error, L"Err:GetDiskSpace,无法获取磁盘容量," + W(L"plain/below") + L",20");
  EXPECT_FALSE(HasDiskSpace(W(L"plain/below"), 0));
}

}  // namespace
