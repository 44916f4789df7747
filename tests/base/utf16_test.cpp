// UTF-16LE bytes as INI files, logs and the registry store keep them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "base/Utf16.h"

using namespace std::string_literals;

namespace {

struct EncodeCase {
  const char* name;
  std::wstring text;
  std::string bytes;
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class Utf16EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Utf16EncodeTest, EncodesAndDecodesBack) {
  const EncodeCase& c = GetParam();
  EXPECT_EQ(base::Utf16LeEncode(c.text), c.bytes);
  EXPECT_EQ(base::Utf16LeDecode(c.bytes), c.text);
  EXPECT_EQ(base::Utf16UnitCount(c.text) * 2, c.bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16EncodeTest,
    ::testing::Values(
        EncodeCase{"empty", L"", ""},
        EncodeCase{"ascii", L"Ab", "A\0b\0"s},
        EncodeCase{"crlf", L"\r\n", "\r\0\n\0"s},
        EncodeCase{"chinese", L"磁盘空间不足。",
                   "\xc1\x78\xd8\x76\x7a\x7a\xf4\x95\x0d\x4e\xb3\x8d\x02\x30"s},
        EncodeCase{"program_name", L"Velmora电脑录音软件",
                   "V\0e\0l\0m\0o\0r\0a\0\x35\x75\x11\x81\x55\x5f\xf3\x97\x6f\x8f\xf6\x4e"s},
        EncodeCase{"g_clef_pair", L"𝄞", "\x34\xd8\x1e\xdd"s},
        EncodeCase{"emoji_between_text", L"a😀b", "a\0\x3d\xd8\x00\xde" "b\0"s},
        EncodeCase{"last_code_point", std::wstring(1, wchar_t(0x10FFFF)), "\xff\xdb\xff\xdf"s},
        EncodeCase{"embedded_nul", std::wstring(L"a\0b", 3), "a\0\0\0b\0"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf16Bom, WrittenOnRequestAndSkippedOnRead) {
  EXPECT_EQ(base::Utf16LeEncode(L"x", true), "\xff\xfex\0"s);
  EXPECT_EQ(base::Utf16LeEncode(L"", true), "\xff\xfe"s);
  EXPECT_TRUE(base::HasUtf16LeBom("\xff\xfex\0"s));
  EXPECT_FALSE(base::HasUtf16LeBom("\xfe\xff"s));
  EXPECT_FALSE(base::HasUtf16LeBom("\xff"s));
  EXPECT_EQ(base::Utf16LeDecode("\xff\xfex\0"s), L"x");
  EXPECT_EQ(base::Utf16LeDecode("\xff\xfex\0"s, false), L"\xFEFFx");
  // Only the first BOM is a mark; a second one is text.
  EXPECT_EQ(base::Utf16LeDecode("\xff\xfe\xff\xfe"s), L"\xFEFF");
}

TEST(Utf16Append, AddsToExistingBytes) {
  std::string out = "\xff\xfe"s;
  base::AppendUtf16Le(out, L"当");
  base::AppendUtf16Le(out, L"z");
  EXPECT_EQ(out, "\xff\xfe\x53\x5f" "z\0"s);
}

struct BrokenCase {
  const char* name;
  std::string bytes;
  std::wstring text;
};

void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

class Utf16DecodeBrokenTest : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(Utf16DecodeBrokenTest, GivesReplacementCharacters) {
  EXPECT_EQ(base::Utf16LeDecode(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Utf16DecodeBrokenTest,
    ::testing::Values(
        BrokenCase{"lone_high_at_end", "a\0\x34\xd8"s, L"a\xFFFD"},
        BrokenCase{"high_then_letter", "\x34\xd8x\0"s, L"\xFFFDx"},
        BrokenCase{"lone_low", "\x1e\xdd" "b\0"s, L"\xFFFD" L"b"},
        BrokenCase{"reversed_pair", "\x1e\xdd\x34\xd8"s, L"\xFFFD\xFFFD"},
        BrokenCase{"two_highs_then_low", "\x34\xd8\x34\xd8\x1e\xdd"s, L"\xFFFD𝄞"},
        BrokenCase{"odd_trailing_byte", "a\0b"s, L"a\xFFFD"},
        BrokenCase{"single_byte", "a"s, L"\xFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf16Encode, WideValuesThatAreNotCharactersBecomeReplacement) {
  std::wstring text;
  text += wchar_t(0xD834);    // a surrogate half held in a wide string
  text += wchar_t(0xDD1E);
  text += wchar_t(0x110000);  // beyond Unicode
  text += L'k';
  EXPECT_EQ(base::Utf16LeEncode(text), "\xfd\xff\xfd\xff\xfd\xff" "k\0"s);
  EXPECT_EQ(base::Utf16UnitCount(text), 4u);
}

}  // namespace
