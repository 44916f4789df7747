// Code-page conversions of the framework strings: the system's Chinese texts
// between UTF-8, GBK and wide, short and long texts, and failures.
#include "core/SStringConvert.h"

#include <gtest/gtest.h>

#include "win32/codepage.h"

namespace {

const char kGbkDisk[] = "\xb4\xc5\xc5\xcc\xbf\xd5\xbc\xe4\xb2\xbb\xd7\xe3\xa1\xa3";  // 磁盘空间不足。

TEST(SStringConvert, SystemTextsRoundTripThroughEveryPage) {
  for (const wchar_t* text : {L"Velmora电脑录音软件", L"磁盘空间不足。", L"执行中...", L"提示"}) {
    const SStringW wide(text);
    for (unsigned page : {static_cast<unsigned>(CP_UTF8), static_cast<unsigned>(CP_ACP), static_cast<unsigned>(CP_OEMCP)}) {
      const SStringA narrow = ConvertW2A(wide, page);
      EXPECT_FALSE(narrow.IsEmpty());
      EXPECT_EQ(ConvertA2W(narrow, page), wide) << page;
    }
  }
  EXPECT_EQ(ConvertW2A(SStringW(L"磁盘空间不足。"), CP_ACP), kGbkDisk);
  EXPECT_EQ(ConvertA2W(SStringA(kGbkDisk), CP_OEMCP), L"磁盘空间不足。");
  EXPECT_EQ(ConvertA2W(SStringA("\xe6\x89\xa7\xe8\xa1\x8c\xe4\xb8\xad..."), CP_UTF8), L"执行中...");
  // UTF-8 to GBK through the wide form, as tag writing does.
  EXPECT_EQ(ConvertW2A(ConvertA2W(SStringA("\xe7\xa3\x81\xe7\x9b\x98\xe7\xa9\xba\xe9\x97\xb4\xe4\xb8\x8d\xe8\xb6\xb3"
                                           "\xe3\x80\x82"),
                                  CP_UTF8),
                       936),
            kGbkDisk);
}

TEST(SStringConvert, TextsLongerThanTheStackBuffer) {
  SStringW longText;
  for (int i = 0; i < 700; ++i) longText += L"录音";  // 1400 characters, 4200 UTF-8 bytes
  const SStringA utf8 = ConvertW2A(longText, CP_UTF8);
  EXPECT_EQ(utf8.GetLength(), 4200);
  EXPECT_EQ(ConvertA2W(utf8, CP_UTF8), longText);
  const SStringA gbk = ConvertW2A(longText, CP_ACP);
  EXPECT_EQ(gbk.GetLength(), 2800);
  EXPECT_EQ(ConvertA2W(gbk, CP_ACP), longText);
  // Exactly at the stack buffer's size and one past it.
  for (int n : {1024, 1025}) {
    const SStringA ascii('a', n);
    EXPECT_EQ(ConvertA2W(ascii, CP_UTF8).GetLength(), n);
    EXPECT_EQ(ConvertW2A(SStringW(L'b', n), CP_ACP).GetLength(), n);
  }
}

TEST(SStringConvert, FailuresGiveTheEmptyString) {
  EXPECT_TRUE(ConvertA2W(SStringA("text"), 1252).IsEmpty());  // a page the system does not use
  EXPECT_TRUE(ConvertW2A(SStringW(L"text"), 12345).IsEmpty());
  EXPECT_TRUE(ConvertA2W(SStringA(), CP_UTF8).IsEmpty());
  EXPECT_TRUE(ConvertW2A(SStringW(), CP_ACP).IsEmpty());
  // Undecodable bytes are marked, never a crash or a cut text.
  EXPECT_EQ(ConvertA2W(SStringA("a\xff" "b"), CP_UTF8), L"a\xFFFD" L"b");
  EXPECT_EQ(ConvertW2A(SStringW(L"a😀"), CP_ACP), "a?");
}

TEST(SStringConvert, W2WSharesTheText) {
  const SStringW text(L"共享");
  const SStringW copy = ConvertW2W(text, CP_UTF8);
  EXPECT_EQ(copy.c_str(), text.c_str());
  EXPECT_EQ(text.GetRefCount(), 2);
}

}  // namespace
