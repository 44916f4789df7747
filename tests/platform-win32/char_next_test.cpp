// CharNextW steps one character; a surrogate pair held as two units is one.
#include <gtest/gtest.h>

#include "win32/windows.h"

TEST(CharNext, StepsCharactersAndStopsAtTheEnd) {
  const wchar_t text[] = L"a录\U0001F3B5b";
  const wchar_t* p = text;
  p = CharNextW(p);
  EXPECT_EQ(*p, L'录');
  p = CharNextW(p);
  EXPECT_EQ(*p, static_cast<wchar_t>(0x1F3B5));
  p = CharNextW(p);
  EXPECT_EQ(*p, L'b');
  p = CharNextW(p);
  EXPECT_EQ(*p, L'\0');
  EXPECT_EQ(CharNextW(p), p);
  const wchar_t units[] = {0xD83C, 0xDFB5, L'x', 0xD83C, 0};  // a pair, then a lone high unit
  EXPECT_EQ(CharNextW(units), units + 2);
  EXPECT_EQ(CharNextW(units + 3), units + 4);
  EXPECT_EQ(CharNextW(nullptr), nullptr);
}
