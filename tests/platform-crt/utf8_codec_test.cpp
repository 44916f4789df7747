// The one UTF-8 codec every layer converts through: round trips, and what
// becomes of text that is not valid UTF-8 or not Unicode.
#include <gtest/gtest.h>

#include <string>

#include "crt/utf8.h"

namespace {

using namespace std::string_literals;

TEST(Utf8Codec, RoundTripsEveryEncodedLength) {
  // One, two, three and four bytes, with the edges of each length.
  const std::wstring text = L"A\x7F\x80\x7FF\x800\xFFFF\x10000\x10FFFF录音"s;
  const std::string utf8 = crt::WideToUtf8(text);
  EXPECT_EQ(utf8, "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xE5\xBD\x95\xE9\x9F\xB3");
  EXPECT_EQ(crt::Utf8ToWide(utf8), text);
  std::wstring strict;
  EXPECT_TRUE(crt::Utf8ToWideStrict(utf8, strict));
  EXPECT_EQ(strict, text);
}

TEST(Utf8Codec, EmbeddedNulPassesBothWaysUnlessTheTextIsNulTerminated) {
  const std::wstring wide = L"a\0b"s;
  EXPECT_EQ(crt::WideToUtf8(wide), "a\0b"s);
  EXPECT_EQ(crt::Utf8ToWide("a\0b"s), wide);
  EXPECT_EQ(crt::WideToUtf8(wide.c_str()), "a");
  EXPECT_EQ(crt::WideToUtf8(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(Utf8Codec, WideValuesThatAreNotUnicodeBecomeReplacementCharacters) {
  const std::string fffd = "\xEF\xBF\xBD";
  struct Case {
    wchar_t value;
    const char* what;
  } cases[] = {
      {static_cast<wchar_t>(0xD800), "high surrogate"},
      {static_cast<wchar_t>(0xDFFF), "low surrogate"},
      {static_cast<wchar_t>(0x110000), "just past U+10FFFF"},
      {static_cast<wchar_t>(0x7FFFFFFF), "largest wchar_t"},
      {static_cast<wchar_t>(-1), "negative wchar_t"},
  };
  for (const Case& c : cases) {
    const std::wstring text = std::wstring(L"x") + c.value + L"y";
    EXPECT_EQ(crt::WideToUtf8(text), "x" + fffd + "y") << c.what;
  }
}

TEST(Utf8Codec, MalformedBytesBecomeOneReplacementEachAndDecodingResumes) {
  struct Case {
    std::string bytes;
    std::wstring forgiving;
    const char* what;
  } cases[] = {
      {"a\x80z", L"a\xFFFDz", "stray continuation byte"},
      {"a\xE5\xBDz", L"a\xFFFD\xFFFDz", "cut three-byte sequence"},
      {"a\xE5", L"a\xFFFD", "lead byte at the end"},
      {"\xC0\xAF", L"\xFFFD\xFFFD", "overlong slash"},
      {"\xE0\x80\xAF", L"\xFFFD\xFFFD\xFFFD", "overlong three-byte slash"},
      {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD", "encoded high surrogate"},
      {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD", "U+110000"},
      {"\xF8\x88\x80\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD", "five-byte form"},
      {"\xFF" "A", L"\xFFFD" L"A", "0xFF"},
      {"\xC3" "A\xC3\xA9", L"\xFFFD" L"A\xE9", "lead byte followed by ASCII"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crt::Utf8ToWide(c.bytes), c.forgiving) << c.what;
    std::wstring strict = L"left over";
    EXPECT_FALSE(crt::Utf8ToWideStrict(c.bytes, strict)) << c.what;
    EXPECT_TRUE(strict.empty()) << c.what;
  }
}

TEST(Utf8Codec, EmptyTextIsValid) {
  EXPECT_EQ(crt::WideToUtf8(std::wstring_view()), "");
  EXPECT_EQ(crt::Utf8ToWide(""), L"");
  std::wstring strict = L"x";
  EXPECT_TRUE(crt::Utf8ToWideStrict("", strict));
  EXPECT_TRUE(strict.empty());
}

}  // namespace
