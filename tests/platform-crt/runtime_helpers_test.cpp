// The small pure helpers of the Windows runtime: numbers from text, case,
// path splitting and qsort_s's argument order.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <string>
#include <vector>

#include "crt/qsort_s.h"
#include "crt/splitpath.h"
#include "crt/strcase.h"
#include "crt/wtoi.h"

namespace {

TEST(TextToNumber, IntegersAndTheirLimits) {
  struct Case {
    const wchar_t* text;
    long long i64;
    int i32;
  } cases[] = {
      {L"42", 42, 42},
      {L"  \t-17abc", -17, -17},
      {L"+8", 8, 8},
      {L"abc", 0, 0},
      {L"", 0, 0},
      {L"12.9", 12, 12},
      {L"0x1A", 0, 0},  // decimal only
      {L"4294967296", 4294967296LL, INT_MAX},
      {L"-3000000000", -3000000000LL, INT_MIN},
      {L"99999999999999999999", LLONG_MAX, INT_MAX},
      {L"-99999999999999999999", LLONG_MIN, INT_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(_wtoi64(c.text), c.i64) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(_wtoi(c.text), c.i32) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(_wtol(c.text), c.i32) << testing::PrintToString(std::wstring(c.text));
  }
  EXPECT_EQ(_wtoi(nullptr), 0);
  EXPECT_EQ(_wtoi64(nullptr), 0);
}

TEST(TextToNumber, FloatsReadThePointOnly) {
  EXPECT_DOUBLE_EQ(_wtof(L"3.25"), 3.25);
  EXPECT_DOUBLE_EQ(_wtof(L"  -0.5e2x"), -50.0);
  EXPECT_DOUBLE_EQ(_wtof(L"1,5"), 1.0);  // a comma ends the number
  EXPECT_DOUBLE_EQ(_wtof(L"kbps"), 0.0);
  EXPECT_DOUBLE_EQ(_wtof(nullptr), 0.0);
}

TEST(CaseHelpers, CompareIgnoringAsciiCaseAndChangeInPlace) {
  EXPECT_EQ(_wcsicmp(L"Window", L"WINDOW"), 0);
  EXPECT_LT(_wcsicmp(L"apple", L"Banana"), 0);
  EXPECT_GT(_wcsicmp(L"b", L"A"), 0);
  EXPECT_LT(_wcsicmp(L"ab", L"ABC"), 0);
  EXPECT_EQ(_wcsnicmp(L"LAYOUT:x", L"layout:y", 7), 0);
  EXPECT_NE(_wcsnicmp(L"LAYOUT:x", L"layout:y", 8), 0);
  EXPECT_EQ(_stricmp("Hello", "hELLO"), 0);
  EXPECT_GT(_strnicmp("abd", "ABC", 3), 0);
  wchar_t text[] = L"MixedCase 电脑 ABC";
  EXPECT_EQ(_wcslwr(text), text);
  EXPECT_STREQ(text, L"mixedcase 电脑 abc");
  EXPECT_STREQ(_wcsupr(text), L"MIXEDCASE 电脑 ABC");
  char narrow[] = "Abc1";
  EXPECT_STREQ(_strlwr(narrow), "abc1");
  EXPECT_STREQ(_strupr(narrow), "ABC1");
  EXPECT_EQ(_wcslwr(nullptr), nullptr);
}

TEST(SplitPath, BothSeparatorsNoDrive) {
  struct Case {
    const wchar_t* path;
    const wchar_t *dir, *name, *ext;
  } cases[] = {
      {L"/home/u/Music/录音 01.mp3", L"/home/u/Music/", L"录音 01", L".mp3"},
      {L"Tarnwell\\Tarnwell.exe", L"Tarnwell\\", L"Tarnwell", L".exe"},
      {L"/a.b/c", L"/a.b/", L"c", L""},
      {L"archive.tar.gz", L"", L"archive.tar", L".gz"},
      {L"/folder/", L"/folder/", L"", L""},
      {L".hidden", L"", L"", L".hidden"},
      {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    wchar_t drive[4] = L"x", dir[64], name[64], ext[16];
    ASSERT_EQ(_wsplitpath_s(c.path, drive, 4, dir, 64, name, 64, ext, 16), 0);
    EXPECT_STREQ(drive, L"");
    EXPECT_STREQ(dir, c.dir);
    EXPECT_STREQ(name, c.name);
    EXPECT_STREQ(ext, c.ext);
  }
}

TEST(SplitPath, PartsMayBeLeftOutAndShortBuffersFail) {
  wchar_t name[8], ext[8];
  EXPECT_EQ(_wsplitpath_s(L"/x/song.wav", nullptr, 0, nullptr, 0, name, 8, ext, 8), 0);
  EXPECT_STREQ(name, L"song");
  EXPECT_STREQ(ext, L".wav");
  EXPECT_EQ(_wsplitpath_s(L"/x/longername.wav", nullptr, 0, nullptr, 0, name, 8, ext, 8), ERANGE);
  EXPECT_STREQ(name, L"");
  EXPECT_STREQ(ext, L"");
  EXPECT_EQ(_wsplitpath_s(L"/x/a.wav", nullptr, 5, nullptr, 0, name, 8, ext, 8), EINVAL);
  EXPECT_EQ(_wsplitpath_s(nullptr, nullptr, 0, nullptr, 0, name, 8, ext, 8), EINVAL);
}

TEST(QsortS, PassesTheContextFirst) {
  struct Order {
    bool descending;
    int calls = 0;
  } order{true};
  std::vector<int> values{5, 1, 4, 2, 3};
  qsort_s(values.data(), values.size(), sizeof(int),
          [](void* context, const void* a, const void* b) {
            auto* o = static_cast<Order*>(context);
            ++o->calls;
            const int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
            return o->descending ? (y > x) - (y < x) : (x > y) - (x < y);
          },
          &order);
  EXPECT_EQ(values, (std::vector<int>{5, 4, 3, 2, 1}));
  EXPECT_GT(order.calls, 0);
}

}  // namespace
