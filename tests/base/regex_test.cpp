// The first match of a pattern: one element or all of them joined, empty
// arguments taken from the object's fields, failures as empty text.
#include <string>

#include <gtest/gtest.h>

#include "base/RegEx.h"

namespace {

struct FetchCase {
  const char* name;
  std::string pattern;
  std::string text;
  int index;
  std::string separator;
  std::string expected;
};

TEST(RegExFetch, PicksOrJoinsTheFirstMatchOnly) {
  const FetchCase cases[] = {
      {"whole match", "(\\w+)=(\\w+)", "a=1 b=2", 0, "", "a=1"},
      {"first group", "(\\w+)=(\\w+)", "a=1 b=2", 1, "", "a"},
      {"last group", "(\\w+)=(\\w+)", "a=1 b=2", 2, "", "1"},
      {"all joined", "(\\w+)=(\\w+)", "a=1 b=2", -1, "|", "a=1|a|1"},
      {"joined, no separator", "(\\w+)=(\\w+)", "a=1", -1, "", "a=1a1"},
      {"group that took no part", "(a)(x)?(b)", "ab", -1, ",", "ab,a,,b"},
      {"index past the end", "(\\w+)=(\\w+)", "a=1", 3, "", ""},
      {"index below -1", "(\\w+)=(\\w+)", "a=1", -2, "", ""},
      {"no match", "zz", "abc", 0, "", ""},
      {"download name", "Content-Disposition:.+?filename=(\\S+);?",
       "HTTP/1.1 200 OK\r\nContent-Disposition: attachment; filename=a.mp3;\r\n", 1, "", "a.mp3;"},
  };
  for (const FetchCase& c : cases) {
    CRegExA regex;
    EXPECT_EQ(regex.fetch(c.pattern, c.text, c.index, c.separator), c.expected) << c.name;
    EXPECT_STREQ(regex.getLastError(), L"") << c.name;
  }
}

TEST(RegExFetch, EmptyArgumentsComeFromTheFields) {
  CRegExA regex("key=value", "(\\w+)=(\\w+)");
  EXPECT_EQ(regex.fetch("", "", 2), "value");
  EXPECT_EQ(regex.fetch("(\\w+)=", "", 1), "key");  // pattern given, text stored
  EXPECT_EQ(regex.fetch("", "x=y", 1), "x");        // text given, pattern stored

  CRegExA bare;
  EXPECT_EQ(bare.fetch("a", ""), "");  // no text anywhere
  EXPECT_EQ(bare.fetch("", "a"), "");  // no pattern anywhere
}

TEST(RegExFetch, BadPatternGivesEmptyTextAndNamesTheFailure) {
  CRegExA regex;
  EXPECT_EQ(regex.fetch("(unclosed", "text", 0), "");
  EXPECT_EQ(std::wstring(regex.getLastError()).rfind(L"fetch boost::bad_expression ", 0), 0u)
      << regex.getLastError();
}

}  // namespace
