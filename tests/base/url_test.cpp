// URL encoding, decoding, normalisation and query strings.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/UrlCoding.h"

namespace {

struct Case {
  const char* in;
  const char* out;
};

TEST(UrlEncode, StrictAndKeepingModes) {
  const struct {
    const char* in;
    bool keep;
    const char* out;
  } cases[] = {
      {"a b/c", false, "a+b%2Fc"},
      {"a b/c", true, "a+b/c"},
      {"%2f", true, "%2f"},             // an existing escape stays
      {"%2f", false, "%252f"},
      {"100%", true, "100%25"},         // a lone % at the end
      {"%zz", true, "%25zz"},
      {"%4", true, "%254"},
      {".-_*~!", false, ".-_*%7E%21"},
      {"http://h/p?x=1&y=2", true, "http://h/p?x=1&y=2"},
      {"\xE4\xB8\xAD", true, "%E4%B8%AD"},
      {"", false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlEncode(c.in, c.keep), c.out) << c.in << " keep " << c.keep;
}

TEST(UrlDecode, Table) {
  const Case cases[] = {
      {"%41", "%41"},   // a letter keeps its escape
      {"%2F", "%2F"},   // so does URL punctuation
      {"%2f", "%2f"},   // with the case of its digits
      {"%40", "%40"},
      {"%23", "#"},
      {"%25", "%"},
      {"%20", " "},
      {"a+b", "a b"},
      {"%", "%"},
      {"%4", "%4"},
      {"%G1", "%G1"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
  EXPECT_EQ(UrlDecode("%00x"), std::string("\0x", 2));
}

TEST(UrlDecode, KeepsUtf8BytesOfEveryCharacter) {
  // 中 and an emoji, which code page 936 cannot hold.
  EXPECT_EQ(UrlDecode("%E4%B8%AD"), "\xE4\xB8\xAD");
  EXPECT_EQ(UrlDecode("%F0%9F%8E%B5"), "\xF0\x9F\x8E\xB5");
  // Non-UTF-8 bytes come back as they were.
  EXPECT_EQ(UrlDecode("%D6%D0"), "\xD6\xD0");
}

TEST(NormalizeUrlEncoding, Table) {
  const Case cases[] = {
      // Raw code page 936 text (中文) becomes percent-encoded UTF-8.
      {"http://h/\xD6\xD0\xCE\xC4?a=1", "http://h/%E4%B8%AD%E6%96%87?a=1"},
      // Raw UTF-8 is encoded as it is.
      {"http://h/\xE4\xB8\xAD", "http://h/%E4%B8%AD"},
      // Characters outside code page 936 survive decode and re-encode.
      {"http://h/%F0%9F%8E%B5%E4%B8%AD", "http://h/%F0%9F%8E%B5%E4%B8%AD"},
      {"http://h/\xF0\x9F\x8E\xB5", "http://h/%F0%9F%8E%B5"},
      // Kept escapes and punctuation are unchanged; blanks become '+'.
      {"http://h/a%2Fb c?q=%41", "http://h/a%2Fb+c?q=%41"},
      {"http://h/%e4%b8%ad", "http://h/%E4%B8%AD"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeUrlEncoding(c.in), c.out) << c.in;
}

TEST(BuildQueryString, KeyOrderAndEncoding) {
  EXPECT_EQ(BuildQueryString({{"b", "2"}, {"a", "x y"}}, true), "a=x+y&b=2");
  EXPECT_EQ(BuildQueryString({{"b", "2"}, {"a", "x y"}}, false), "a=x y&b=2");
  EXPECT_EQ(BuildQueryString({{"k&", "v=1/2"}}, true), "k%26=v%3D1%2F2");
  EXPECT_EQ(BuildQueryString({}, true), "");
  EXPECT_EQ(BuildUrlWithQuery("http://h/p", {{"a", "1"}}, true), "http://h/p?a=1");
}

TEST(RandomTexts, LengthAndAlphabet) {
  std::wstring text = GetRandomString(200);
  ASSERT_EQ(text.size(), 200u);
  std::set<int> kinds;
  for (wchar_t c : text) {
    ASSERT_TRUE(iswalnum(c) && c < 128) << int(c);
    kinds.insert(iswdigit(c) ? 0 : iswupper(c) ? 1 : 2);
  }
  EXPECT_EQ(kinds.size(), 3u);  // 200 draws of three kinds
  EXPECT_EQ(GetRandomStringA(16).size(), 16u);
  EXPECT_EQ(GetRandomString(0), L"");
  EXPECT_EQ(GetRandomNumber(0, true), 0u);
  for (int i = 0; i < 100; ++i) EXPECT_LT(GetRandomNumber(7, false), 7u);
}

}  // namespace
