// Code-page conversions of the system's own texts between UTF-8, GBK
// (the ANSI and OEM pages), UTF-16LE bytes and wide strings.
#include <gtest/gtest.h>

#include <stdexcept>
#include <ostream>
#include <string>

#include "base/CodePage.h"
#include "base/CodePageFramework.h"
#include "base/StringHelpers.h"
#include "base/Utf16.h"

using namespace std::string_literals;

namespace {

struct TextCase {
  const char* name;
  std::wstring wide;
  std::string utf8;
  std::string gbk;
  std::string utf16le;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

// The expected bytes were produced independently (UTF-8, GBK and UTF-16LE
// encoders outside this code base).
const TextCase kTexts[] = {
    {"program_name", L"Velmora电脑录音软件",
     "Velmora\xe7\x94\xb5\xe8\x84\x91\xe5\xbd\x95\xe9\x9f\xb3\xe8\xbd\xaf\xe4\xbb\xb6"s,
     "Velmora\xB5\xE7\xC4\xD4\xC2\xBC\xD2\xF4\xC8\xED\xBC\xFE"s,
     "V\0e\0l\0m\0o\0r\0a\0\x35\x75\x11\x81\x55\x5f\xf3\x97\x6f\x8f\xf6\x4e"s},
    {"disk_full", L"磁盘空间不足。",
     "\xe7\xa3\x81\xe7\x9b\x98\xe7\xa9\xba\xe9\x97\xb4\xe4\xb8\x8d\xe8\xb6\xb3\xe3\x80\x82"s,
     "\xB4\xC5\xC5\xCC\xBF\xD5\xBC\xE4\xB2\xBB\xD7\xE3\xA1\xA3"s,
     "\xc1\x78\xd8\x76\x7a\x7a\xf4\x95\x0d\x4e\xb3\x8d\x02\x30"s},
    {"task_busy", L"当前有任务正在执行，导致该任务启动失败。",
     "\xe5\xbd\x93\xe5\x89\x8d\xe6\x9c\x89\xe4\xbb\xbb\xe5\x8a\xa1\xe6\xad\xa3\xe5\x9c\xa8\xe6\x89\xa7"
     "\xe8\xa1\x8c\xef\xbc\x8c\xe5\xaf\xbc\xe8\x87\xb4\xe8\xaf\xa5\xe4\xbb\xbb\xe5\x8a\xa1\xe5\x90\xaf"
     "\xe5\x8a\xa8\xe5\xa4\xb1\xe8\xb4\xa5\xe3\x80\x82"s,
     "\xB5\xB1\xC7\xB0\xD3\xD0\xC8\xCE\xCE\xF1\xD5\xFD\xD4\xDA\xD6\xB4\xD0\xD0\xA3\xAC\xB5\xBC\xD6\xC2"
     "\xB8\xC3\xC8\xCE\xCE\xF1\xC6\xF4\xB6\xAF\xCA\xA7\xB0\xDC\xA1\xA3"s,
     "\x53\x5f\x4d\x52\x09\x67\xfb\x4e\xa1\x52\x63\x6b\x28\x57\x67\x62\x4c\x88\x0c\xff\xfc\x5b\xf4\x81"
     "\xe5\x8b\xfb\x4e\xa1\x52\x2f\x54\xa8\x52\x31\x59\x25\x8d\x02\x30"s},
    {"running", L"执行中...", "\xe6\x89\xa7\xe8\xa1\x8c\xe4\xb8\xad..."s,
     "\xD6\xB4\xD0\xD0\xD6\xD0..."s, "\x67\x62\x4c\x88\x2d\x4e.\0.\0.\0"s},
    {"ascii", L"a.mp3", "a.mp3", "a.mp3", "a\0.\0m\0p\0" "3\0"s},
    {"empty", L"", "", "", ""},
};

class CodePageTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(CodePageTextTest, GeneralSet) {
  const TextCase& c = GetParam();
  std::wstring wide = L"stale";
  std::string narrow = "stale";
  EXPECT_TRUE(Utf8ToWString(c.utf8, wide));
  EXPECT_EQ(wide, c.wide);
  EXPECT_TRUE(WStringToUtf8(c.wide, narrow));
  EXPECT_EQ(narrow, c.utf8);
  EXPECT_TRUE(AnsiToWString(c.gbk, wide));
  EXPECT_EQ(wide, c.wide);
  EXPECT_TRUE(WStringToOem(c.wide, narrow));
  EXPECT_EQ(narrow, c.gbk);

  EXPECT_EQ(Utf8ToWStringRet(c.utf8), c.wide);
  EXPECT_EQ(WStringToUtf8Ret(c.wide), c.utf8);
  EXPECT_EQ(AnsiToWStringRet(c.gbk), c.wide);
  EXPECT_EQ(WStringToOemRet(c.wide), c.gbk);

  EXPECT_EQ(Utf8ToOem(c.utf8), c.gbk);
  EXPECT_EQ(AnsiToUtf8(c.gbk), c.utf8);
  EXPECT_TRUE(TryUtf8ToOem(c.utf8, narrow));
  EXPECT_EQ(narrow, c.gbk);
  EXPECT_TRUE(TryAnsiToUtf8(c.gbk, narrow));
  EXPECT_EQ(narrow, c.utf8);
}

TEST_P(CodePageTextTest, ByValueAndMediaSets) {
  const TextCase& c = GetParam();
  EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
  EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
  EXPECT_EQ(WideToOem(c.wide), c.gbk);

  EXPECT_EQ(WStringFromUtf8(c.utf8), c.wide);
  EXPECT_EQ(WStringFromOem(c.gbk), c.wide);
  EXPECT_EQ(Utf8FromWString(c.wide), c.utf8);
  EXPECT_EQ(OemFromWString(c.wide), c.gbk);
  EXPECT_EQ(Utf8FromOem(c.gbk), c.utf8);
  EXPECT_EQ(OemFromUtf8(c.utf8), c.gbk);
}

TEST_P(CodePageTextTest, FrameworkSet) {
  const TextCase& c = GetParam();
  EXPECT_EQ(std::wstring(Utf8ToWideCString(c.utf8).c_str()), c.wide);
  EXPECT_EQ(std::string(WideCStringToUtf8(SStringW(c.wide.c_str())).c_str()), c.utf8);
  EXPECT_EQ(std::string(WideCStringToOem(SStringW(c.wide.c_str())).c_str()), c.gbk);
}

TEST_P(CodePageTextTest, Utf16LeBytesRoundTrip) {
  const TextCase& c = GetParam();
  EXPECT_EQ(base::Utf16LeEncode(c.wide), c.utf16le);
  // UTF-8 -> wide -> UTF-16LE bytes (with BOM, as an INI file) -> wide -> GBK.
  const std::string stored = base::Utf16LeEncode(Utf8ToWStringRet(c.utf8), true);
  EXPECT_EQ(WStringToOemRet(base::Utf16LeDecode(stored)), c.gbk);
}

INSTANTIATE_TEST_SUITE_P(SystemTexts, CodePageTextTest, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

// Characters GBK cannot hold become '?'; UTF-8 and UTF-16 keep them.
struct OutsideCase {
  const char* name;
  std::wstring wide;
  std::string utf8;
  std::string gbk;
};

void PrintTo(const OutsideCase& c, std::ostream* os) { *os << c.name; }

class OutsideGbkTest : public ::testing::TestWithParam<OutsideCase> {};

TEST_P(OutsideGbkTest, GivesTheDefaultCharacterInGbkOnly) {
  const OutsideCase& c = GetParam();
  std::string narrow;
  EXPECT_TRUE(WStringToOem(c.wide, narrow));
  EXPECT_EQ(narrow, c.gbk);
  EXPECT_EQ(WideToOem(c.wide), c.gbk);
  EXPECT_EQ(OemFromWString(c.wide), c.gbk);
  EXPECT_EQ(Utf8ToOem(c.utf8), c.gbk);
  EXPECT_EQ(std::string(WideCStringToOem(SStringW(c.wide.c_str())).c_str()), c.gbk);

  EXPECT_EQ(WStringToUtf8Ret(c.wide), c.utf8);
  EXPECT_EQ(Utf8ToWStringRet(c.utf8), c.wide);
  EXPECT_EQ(base::Utf16LeDecode(base::Utf16LeEncode(c.wide)), c.wide);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OutsideGbkTest,
    ::testing::Values(
        OutsideCase{"g_clef", L"𝄞", "\xf0\x9d\x84\x9e"s, "?"},
        OutsideCase{"emoji_in_text", L"录音😀.mp3", "\xe5\xbd\x95\xe9\x9f\xb3\xf0\x9f\x98\x80.mp3"s,
                    "\xC2\xBC\xD2\xF4?.mp3"s},
        OutsideCase{"korean", L"a한b", "a\xed\x95\x9c" "b"s, "a?b"}),
    [](const auto& info) { return std::string(info.param.name); });

// Bytes that are not UTF-8 decode to U+FFFD, one per bad byte; never a crash.
struct InvalidCase {
  const char* name;
  std::string bytes;
  std::wstring wide;
};

void PrintTo(const InvalidCase& c, std::ostream* os) { *os << c.name; }

class InvalidUtf8Test : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidUtf8Test, GivesReplacementCharacters) {
  const InvalidCase& c = GetParam();
  std::wstring wide;
  EXPECT_TRUE(Utf8ToWString(c.bytes, wide));
  EXPECT_EQ(wide, c.wide);
  EXPECT_EQ(Utf8ToWide(c.bytes), c.wide);
  EXPECT_EQ(WStringFromUtf8(c.bytes), c.wide);
  EXPECT_EQ(std::wstring(Utf8ToWideCString(c.bytes).c_str()), c.wide);
  // Through to GBK the replacement character has no mapping.
  EXPECT_EQ(Utf8ToOem(c.bytes), WStringToOemRet(c.wide));
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, InvalidUtf8Test,
    ::testing::Values(InvalidCase{"stray_ff", "a\xff" "b"s, L"a\xFFFD" L"b"},
                      InvalidCase{"cut_sequence_at_end", "ab\xe4\xb8"s, L"ab\xFFFD\xFFFD"},
                      InvalidCase{"lone_continuation", "\x80"s, L"\xFFFD"},
                      InvalidCase{"gbk_bytes", "\xB4\xC5"s, L"\xFFFD\xFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePage, EveryConversionStopsAtAnEmbeddedNul) {
  const std::string utf8("\xe5\xbd\x95\0tail", 7);
  const std::string gbk("\xC2\xBC\0tail", 7);
  const std::wstring wide(L"录\0tail", 6);
  std::wstring outWide;
  std::string outNarrow;
  EXPECT_TRUE(Utf8ToWString(utf8, outWide));
  EXPECT_EQ(outWide, L"录");
  EXPECT_TRUE(WStringToUtf8(wide, outNarrow));
  EXPECT_EQ(outNarrow, "\xe5\xbd\x95");
  EXPECT_EQ(AnsiToWStringRet(gbk), L"录");
  EXPECT_EQ(WideToOem(wide), "\xC2\xBC");
  EXPECT_EQ(Utf8ToWide(utf8), L"录");
  EXPECT_EQ(WStringFromUtf8(utf8), L"录");
  EXPECT_EQ(WStringFromOem(gbk), L"录");
  EXPECT_EQ(OemFromWString(wide), "\xC2\xBC");
  EXPECT_EQ(Utf8FromWString(wide), "\xe5\xbd\x95");
}

TEST(CodePage, WideValuesThatAreNotCharactersBecomeReplacementInUtf8) {
  std::wstring wide = L"a";
  wide += wchar_t(0xD800);
  std::string utf8;
  EXPECT_TRUE(WStringToUtf8(wide, utf8));
  EXPECT_EQ(utf8, "a\xef\xbf\xbd");
}

TEST(CodePage, ExceptionTextIsReadAsAnsi) {
  // The SQLite layer throws GBK-encoded Chinese messages.
  const std::runtime_error error("\xB4\xC5\xC5\xCC\xBF\xD5\xBC\xE4\xB2\xBB\xD7\xE3\xA1\xA3");
  EXPECT_EQ(ExceptionTextToWString(error), L"磁盘空间不足。");
  EXPECT_EQ(ExceptionTextToWString(std::runtime_error("")), L"");
}

TEST(CodePage, TrimStringAOfGbkTextComesBackInTheOemPage) {
  EXPECT_EQ(TrimStringA("  \xD6\xB4\xD0\xD0\xD6\xD0...\r\n"s), "\xD6\xB4\xD0\xD0\xD6\xD0..."s);
}

}  // namespace
