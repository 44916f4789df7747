// Trimming, splitting, replacing, case and the small helpers beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "base/StringHelpers.h"

using namespace std::string_literals;

namespace {

struct Utf8Case {
  const char* name;
  std::string bytes;
  bool utf8;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class IsUtf8TextTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(IsUtf8TextTest, Answers) { EXPECT_EQ(IsUtf8Text(GetParam().bytes), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(
    Bytes, IsUtf8TextTest,
    ::testing::Values(Utf8Case{"empty", "", false},
                      Utf8Case{"ascii_only", "Velmora", false},
                      Utf8Case{"lone_continuation", "\x80"s, false},
                      Utf8Case{"lead_without_continuations", "\xe4"s, false},
                      Utf8Case{"lead_with_one_continuation", "\xe4\xb8"s, false},
                      Utf8Case{"one_cjk_character", "\xe4\xb8\xad"s, true},
                      Utf8Case{"ascii_around_cjk", "a\xe4\xb8\xad" "b"s, true},
                      Utf8Case{"two_byte_form", "\xc3\xa9"s, true},
                      Utf8Case{"four_byte_form", "\xf0\x9d\x84\x9e"s, true},
                      Utf8Case{"lead_then_ascii", "\xe4x\xad"s, false},
                      // GBK bytes of a Chinese text are not UTF-8.
                      Utf8Case{"gbk_text", "\xb4\xc5\xc5\xcc"s, false},
                      // Overlong forms are not examined.
                      Utf8Case{"overlong_slash", "\xc0\xaf"s, true},
                      Utf8Case{"ff_lead_needs_four", "\xff\x80\x80\x80\x80"s, true},
                      Utf8Case{"fc_lead_needs_five", "\xfc\x80\x80\x80\x80"s, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct TrimCase {
  const char* name;
  std::wstring text;
  std::wstring trimmed;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }

class TrimStringTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimStringTest, StripsBlanksTabsCrAndLfInAnyMix) {
  EXPECT_EQ(TrimString(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrimStringTest,
    ::testing::Values(TrimCase{"empty", L"", L""},
                      TrimCase{"blanks_both_sides", L"  a  ", L"a"},
                      TrimCase{"tab_then_blank", L"\t a", L"a"},
                      TrimCase{"cr_lf_at_end", L"a\r\n", L"a"},
                      TrimCase{"lf_cr_at_end", L"a\n\r", L"a"},
                      TrimCase{"every_kind_both_sides", L" \r\n\t 执行中... \n\r\t ", L"执行中..."},
                      TrimCase{"inner_runs_kept", L" a \t\r\n b ", L"a \t\r\n b"},
                      TrimCase{"only_whitespace", L" \t\r\n", L""},
                      TrimCase{"other_spaces_kept", L"\x3000" L"a\x3000", L"\x3000" L"a\x3000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrimChars, StripsOnlyTheGivenSet) {
  EXPECT_EQ(TrimChars(L"xxaxbxx", L"x"), L"axb");
  EXPECT_EQ(TrimChars(L"\"'value'\"", L"\"'"), L"value");
  EXPECT_EQ(TrimChars(L"  a  ", L""), L"  a  ");
  EXPECT_EQ(TrimChars(L"xyxy", L"yx"), L"");
  EXPECT_EQ(TrimChars(L"", L"x"), L"");
}

TEST(TrimStringA, ReadsAnsiAndReturnsOem) {
  // ANSI and OEM are one page (GBK) here, so Chinese bytes come back as they went in.
  EXPECT_EQ(TrimStringA(" \t\xb4\xc5\xc5\xcc\r\n"s), "\xb4\xc5\xc5\xcc"s);
  EXPECT_EQ(TrimCharsA("--\xb4\xc5-"s, "-"), "\xb4\xc5"s);
  EXPECT_EQ(TrimStringA(""), "");
}

struct SplitCase {
  const char* name;
  std::wstring text;
  std::wstring separator;
  bool trim;
  std::vector<std::wstring> pieces;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitStringExTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitStringExTest, AppendsThePieces) {
  std::vector<std::wstring> pieces{L"kept"};
  SplitStringEx(pieces, GetParam().text, GetParam().separator, GetParam().trim);
  std::vector<std::wstring> expected{L"kept"};
  expected.insert(expected.end(), GetParam().pieces.begin(), GetParam().pieces.end());
  EXPECT_EQ(pieces, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitStringExTest,
    ::testing::Values(
        SplitCase{"empty_piece_kept_trailing_dropped", L"a,,b,", L",", false, {L"a", L"", L"b"}},
        SplitCase{"empty_text", L"", L",", false, {}},
        SplitCase{"leading_separator", L",a", L",", false, {L"", L"a"}},
        SplitCase{"no_separator", L"当前", L",", false, {L"当前"}},
        SplitCase{"trimmed", L" a , b\t,c \r\n", L",", true, {L"a", L"b", L"c"}},
        SplitCase{"untrimmed", L" a , b", L",", false, {L" a ", L" b"}},
        SplitCase{"long_separator", L"x::y::::z", L"::", false, {L"x", L"y", L"", L"z"}},
        SplitCase{"only_separator", L",", L",", false, {L""}},
        SplitCase{"empty_separator", L"a,b", L"", false, {L"a,b"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReplaceCase {
  const char* name;
  std::wstring text;
  std::wstring search;
  std::wstring replacement;
  std::wstring first;  // ReplaceFirst
  std::wstring all;    // ReplaceAll and ReplaceAllScan
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, ReplacesAndEnds) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(ReplaceFirst(c.text, c.search, c.replacement), c.first);

  std::wstring all = c.text;
  EXPECT_EQ(&ReplaceAll(all, c.search, c.replacement), &all) << "changed in place";
  EXPECT_EQ(all, c.all);

  std::wstring scan = c.text;
  EXPECT_EQ(&ReplaceAllScan(scan, c.search, c.replacement), &scan);
  EXPECT_EQ(scan, c.all);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReplaceTest,
    ::testing::Values(
        ReplaceCase{"simple", L"a-b-c", L"-", L"/", L"a/b-c", L"a/b/c"},
        ReplaceCase{"absent", L"abc", L"x", L"y", L"abc", L"abc"},
        ReplaceCase{"empty_search", L"abc", L"", L"y", L"abc", L"abc"},
        ReplaceCase{"empty_text", L"", L"a", L"b", L"", L""},
        ReplaceCase{"replacement_contains_search", L"a.a", L"a", L"aa", L"aa.a", L"aa.aa"},
        ReplaceCase{"backslashes_to_slashes", L"C:\\a\\\\b", L"\\", L"\\\\", L"C:\\\\a\\\\b",
                    L"C:\\\\a\\\\\\\\b"},
        ReplaceCase{"removal", L"x%20y%20", L"%20", L"", L"xy%20", L"xy"},
        ReplaceCase{"overlapping", L"aaa", L"aa", L"b", L"ba", L"ba"},
        ReplaceCase{"chinese", L"录音中录音", L"录音", L"播放", L"播放中录音", L"播放中播放"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChangeCase, WideLowerAndUpper) {
  EXPECT_EQ(ChangeCaseW(L"MP3 File 录音", true), L"mp3 file 录音");
  EXPECT_EQ(ChangeCaseW(L"mp3 file 录音", false), L"MP3 FILE 录音");
  EXPECT_EQ(ChangeCaseW(L"", true), L"");
  // Letters beyond ASCII have a case too.
  EXPECT_EQ(ChangeCaseW(L"ÄÖ Ж", true), L"äö ж");
  EXPECT_EQ(ChangeCaseW(L"äö ж", false), L"ÄÖ Ж");
}

TEST(ChangeCase, NarrowKeepsDoubleByteCharacters) {
  EXPECT_EQ(ChangeCaseA("WAV.Tag", true), "wav.tag");
  EXPECT_EQ(ChangeCaseA("wav.tag", false), "WAV.TAG");
  // 丟 is 81 47 in GBK: its second byte must not be taken for a 'G'.
  EXPECT_EQ(ChangeCaseA("\x81\x47Z"s, true), "\x81\x47z"s);
  EXPECT_EQ(ChangeCaseA("\x81\x47z"s, false), "\x81\x47Z"s);
}

TEST(NextCounterText, CountsFromZeroAndNeverRepeatsAcrossThreads) {
  EXPECT_EQ(NextCounterText(), L"0");
  EXPECT_EQ(NextCounterText(), L"1");
  EXPECT_EQ(NextCounterText(), L"2");

  constexpr int kThreads = 8;
  constexpr int kCalls = 5000;
  std::vector<std::vector<long>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&seen, t] {
      for (int i = 0; i < kCalls; ++i) seen[t].push_back(std::stol(NextCounterText()));
    });
  }
  for (auto& thread : threads) thread.join();
  std::vector<long> all;
  for (const auto& values : seen) all.insert(all.end(), values.begin(), values.end());
  std::sort(all.begin(), all.end());
  ASSERT_EQ(all.size(), static_cast<size_t>(kThreads * kCalls));
  for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], static_cast<long>(i) + 3);
}

TEST(CharToCString, GivesTheCharacterAndThreeZeros) {
  std::unique_ptr<char[]> block(CharToCString('Q'));
  EXPECT_EQ(std::string(block.get(), 4), "Q\0\0\0"s);
}

}  // namespace
