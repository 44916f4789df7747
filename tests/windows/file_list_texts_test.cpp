// The list's texts and rules that need no window: size texts, durations,
// the rename checks and renames on disk, the update button's channel rule
// and the version text.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "base/RenameNoReplace.h"
#include "windows/FileListTexts.h"

namespace {

TEST(RecordSize, ScalesBy1024AndStaysInGigabytes) {
  const struct {
    uint64_t bytes;
    const wchar_t* text;
  } rows[] = {{0, L"0.00B"},
              {500, L"500.00B"},
              {1023, L"1023.00B"},
              {1024, L"1.00KB"},
              {1536, L"1.50KB"},
              {1024ull * 1024 * 5 / 2, L"2.50MB"},
              {1024ull * 1024 * 1024, L"1.00GB"},
              {1ull << 50, L"1048576.00GB"},
              {1ull << 40, L"1024.00GB"}};
  for (const auto& r : rows) EXPECT_EQ(FormatRecordSize(r.bytes), r.text) << r.bytes;
}

TEST(RecordDuration, TruncatesAndShowsUnknownForANegativeDuration) {
  EXPECT_EQ(FormatRecordDuration(3725.99), L"01:02:05");
  EXPECT_EQ(FormatRecordDuration(0.4), L"00:00:00");
  EXPECT_EQ(FormatRecordDuration(360000), L"100:00:00");
  EXPECT_EQ(FormatRecordDuration(-1.0), L"未知");
}

TEST(RenameNames, CueIsTheNameWithoutFolderAndExtension) {
  EXPECT_EQ(RenameCueText(L"/home/u/rec/2024-05-01__13-45-07-0123.mp3"), L"2024-05-01__13-45-07-0123");
  EXPECT_EQ(RenameCueText(L"/a.b/c.d.wav"), L"c.d");
  EXPECT_EQ(RenameCueText(L"/a.b/noext"), L"noext");
  EXPECT_EQ(RenameTargetPath(L"/r/x.mp3", L"talk.wav"), L"/r/talk.wav.mp3");
  EXPECT_EQ(RenameTargetPath(L"/r/周一.amr", L"周一's 会议"), L"/r/周一's 会议.amr");
}

class RenameOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* home = getenv("HOME");
    dir = std::wstring(Utf8ToWStringRet(home ? home : "/tmp")) + L"/rename-" + std::to_wstring(getpid()) + L"/";
    ASSERT_EQ(system(("rm -rf '" + WStringToUtf8Ret(dir) + "' && mkdir -p '" + WStringToUtf8Ret(dir) + "'").c_str()), 0);
    source = dir + L"x.mp3";
    Write(source, "audio");
  }
  void TearDown() override { system(("rm -rf '" + WStringToUtf8Ret(dir) + "'").c_str()); }
  static void Write(const std::wstring& path, const std::string& bytes) {
    std::ofstream(WStringToUtf8Ret(path)) << bytes;
  }
  static std::string Read(const std::wstring& path) {
    std::ifstream in(WStringToUtf8Ret(path));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool Exists(const std::wstring& path) { return access(WStringToUtf8Ret(path).c_str(), F_OK) == 0; }
  std::wstring dir, source;
};

TEST_F(RenameOnDisk, EachRefusedNameLeavesTheFileAndSaysWhy) {
  Write(dir + L"taken.mp3", "other");
  const struct {
    std::wstring name;
    RenameFault fault;
  } rows[] = {{L"", RenameFault::kEmpty},          {L"   ", RenameFault::kEmpty},
              {L"a/b", RenameFault::kIllegalCharacter}, {L"a:b", RenameFault::kIllegalCharacter},
              {L"a*b", RenameFault::kIllegalCharacter}, {L"a?b", RenameFault::kIllegalCharacter},
              {L"a\"b", RenameFault::kIllegalCharacter}, {L"a<b", RenameFault::kIllegalCharacter},
              {L"a>b", RenameFault::kIllegalCharacter}, {L"a|b", RenameFault::kIllegalCharacter},
              {L"a\\b", RenameFault::kIllegalCharacter}, {L"taken", RenameFault::kExists},
              {L"x", RenameFault::kExists}};
  for (const auto& r : rows) {
    std::wstring target;
    EXPECT_EQ(RenameRecordingFile(source, r.name, target), r.fault) << WStringToUtf8Ret(r.name);
    EXPECT_EQ(Read(source), "audio");
    EXPECT_EQ(Read(dir + L"taken.mp3"), "other");
  }
  EXPECT_STREQ(RenameFaultText(RenameFault::kEmpty), L"重命名失败，文件名不能为空");
  EXPECT_STREQ(RenameFaultText(RenameFault::kIllegalCharacter), L"重命名失败，文件名含有非法字符");
  EXPECT_STREQ(RenameFaultText(RenameFault::kExists), L"重命名失败，已存在该文件");
  EXPECT_STREQ(RenameFaultText(RenameFault::kMoveFailed), L"重命名失败");
  EXPECT_FALSE(Exists(dir + L".mp3"));
}

TEST_F(RenameOnDisk, ARenameKeepsTheExtensionAndMovesTheFile) {
  std::wstring target;
  ASSERT_EQ(RenameRecordingFile(source, L"talk.wav", target), RenameFault::kNone);
  EXPECT_EQ(target, dir + L"talk.wav.mp3");
  EXPECT_EQ(Read(target), "audio");
  EXPECT_FALSE(Exists(source));
  ASSERT_EQ(RenameRecordingFile(target, L"周一's 会议", target), RenameFault::kNone);
  EXPECT_EQ(Read(dir + L"周一's 会议.mp3"), "audio");
}

TEST_F(RenameOnDisk, ATargetMadeAfterTheCheckIsNeverReplaced) {
  // The checks passed; another program then takes the name: the move fails
  // as "exists" instead of replacing that file.
  Write(dir + L"late.mp3", "late");
  std::wstring target = RenameTargetPath(source, L"late");
  EXPECT_EQ(RenameNoReplace(source, target), EEXIST);
  EXPECT_EQ(Read(dir + L"late.mp3"), "late");
  EXPECT_EQ(Read(source), "audio");
}

TEST(UpdateChannel, ShownFrom360InCodePointOrder) {
  const struct {
    const wchar_t* channel;
    bool shown;
  } rows[] = {{L"360", true}, {L"9", true}, {L"361", true}, {L"4", true},
              {L"", false},   {L"1000", false}, {L"36", false}, {L"359", false}};
  for (const auto& r : rows) EXPECT_EQ(UpdateButtonShown(r.channel), r.shown) << WStringToUtf8Ret(r.channel);
}

TEST(Version, ComesFromTheProjectVersion) {
  EXPECT_STREQ(kProductVersion, Utf8ToWStringRet(QUORVALE_VERSION_TEXT).c_str());
  const std::wstring v = kProductVersion;
  ASSERT_EQ(std::count(v.begin(), v.end(), L'.'), 2) << "major.minor.patch";
}

}  // namespace
