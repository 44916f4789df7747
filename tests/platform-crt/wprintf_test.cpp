// The wide printf dialect: each conversion, the failures, and the buffer
// rules of the Windows-named functions.
#include "crt/wprintf.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <string>

#include <stdlib.h>
#include <unistd.h>

namespace {

std::wstring W(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  auto out = crt::FormatV(format, args);
  va_end(args);
  EXPECT_TRUE(out.has_value()) << "refused: " << testing::PrintToString(std::wstring(format));
  return out.value_or(L"<refused>");
}

bool Refused(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  auto out = crt::FormatV(format, args);
  va_end(args);
  return !out.has_value();
}

int Count(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vscwprintf(format, args);
  va_end(args);
  return n;
}

TEST(WidePrintfDialect, StringsFollowTheWindowsMeaning) {
  EXPECT_EQ(W(L"Err:%s,路径非法,%s", L"磁盘空间不足。", L"执行中..."), L"Err:磁盘空间不足。,路径非法,执行中...");
  EXPECT_EQ(W(L"[%S]", "Velmora\xe7\x94\xb5\xe8\x84\x91"), L"[Velmora电脑]");  // UTF-8 bytes
  EXPECT_EQ(W(L"[%S]", "\xb4\xc5\xc5\xcc"), L"[磁盘]");                       // GBK bytes
  EXPECT_EQ(W(L"[%hs|%ls|%ws]", "narrow", L"wide", L"也宽"), L"[narrow|wide|也宽]");
  EXPECT_EQ(W(L"[%c%C%hc%lc]", L'录', 'A', 'b', L'音'), L"[录Ab音]");
  EXPECT_EQ(W(L"[%s][%S]", static_cast<wchar_t*>(nullptr), static_cast<char*>(nullptr)), L"[(null)][(null)]");
  EXPECT_EQ(W(L"[%8s][%-8s][%.2s][%*.*s]", L"ab", L"ab", L"电脑录音", 5, 1, L"xyz"),
            L"[      ab][ab      ][电脑][    x]");
  EXPECT_EQ(W(L"[%05s]", L"ab"), L"[000ab]");
}

TEST(WidePrintfDialect, PrecisionBoundsUnterminatedArguments) {
  // Sentinel-free buffers: reading past the precision would run into the
  // bytes after them, which the test fills with text that must not show.
  const wchar_t wide[] = {L'录', L'音', L'X', L'X'};
  EXPECT_EQ(W(L"[%.2s]", wide), L"[录音]");
  struct Narrow {
    char bytes[60];
  } narrow;
  memset(narrow.bytes, 'Z', sizeof narrow.bytes);
  memcpy(narrow.bytes, "\xe7\x94\xb5\xe8\x84\x91", 6);  // 电脑, then no terminator
  EXPECT_EQ(W(L"[%.2S]", narrow.bytes), L"[电脑]");
  EXPECT_EQ(W(L"[%.8S]", narrow.bytes), L"[电脑ZZZZZZ]");
  memset(narrow.bytes, 0, sizeof narrow.bytes);
  for (int i = 0; i < 20; ++i) memcpy(narrow.bytes + 3 * i, "\xe5\xbd\x95", 3);  // 录 × 20, unterminated
  EXPECT_EQ(W(L"[%.3S]", narrow.bytes), L"[录录录]");
}

TEST(WidePrintfDialect, IntegerLengths) {
  struct Case {
    std::wstring got, want;
  } cases[] = {
      {W(L"%I64d", INT64_MIN), L"-9223372036854775808"},
      {W(L"%I64u", UINT64_MAX), L"18446744073709551615"},
      {W(L"%I64x|%I64X", 0xDEADBEEFCAFEull, 0xABCull), L"deadbeefcafe|ABC"},
      {W(L"%I64i", INT64_C(-42)), L"-42"},
      {W(L"%I32d|%I32x", -7, 255), L"-7|ff"},
      {W(L"%Id|%Iu|%Ix", static_cast<intptr_t>(-3), static_cast<size_t>(5000000000ull), static_cast<size_t>(255)),
       L"-3|5000000000|ff"},
      {W(L"%lld|%llu", LLONG_MIN, ULLONG_MAX), L"-9223372036854775808|18446744073709551615"},
      // long is 32 bits on Windows: the upper half of a 64-bit value is not read.
      {W(L"%ld|%lu|%lx", 0x1FFFFFFFFll, 0x100000005ull, 0x1000000ffull), L"-1|5|ff"},
      {W(L"%hd|%hu|%hhd", 70000, 70000, 300), L"4464|4464|44"},
      {W(L"%zu|%td|%jd", static_cast<size_t>(1) << 40, static_cast<ptrdiff_t>(-1), INTMAX_MIN),
       L"1099511627776|-1|-9223372036854775808"},
      {W(L"%d|%i|%u|%o|%x|%X", -1, 12, 4294967295u, 8, 0xabc, 0xabc), L"-1|12|4294967295|10|abc|ABC"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(WidePrintfDialect, FlagsWidthAndPrecision) {
  struct Case {
    std::wstring got, want;
  } cases[] = {
      {W(L"[%5d][%-5d][%05d][%+d][% d]", 42, 42, 42, 42, 42), L"[   42][42   ][00042][+42][ 42]"},
      {W(L"[%.3d][%8.3d][%#x][%#o]", 7, 7, 255, 8), L"[007][     007][0xff][010]"},
      {W(L"[%*d][%-*d][%*d]", 6, 1, 4, 2, -3, 9), L"[     1][2   ][9  ]"},
      {W(L"[%.*d][%.*d]", 4, 5, -1, 5), L"[0005][5]"},
      {W(L"[%.0d]", 0), L"[]"},
      {W(L"%%|%5%|100%%"), L"%|%|100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(WidePrintfDialect, FloatsAlwaysUseThePoint) {
  struct Case {
    std::wstring got, want;
  } cases[] = {
      {W(L"%f|%.2f|%8.3f|%-8.1f|", 1.5, 2.345, 3.14159, 2.0), L"1.500000|2.35|   3.142|2.0     |"},
      {W(L"%e|%E|%.2e", 12345.678, 0.00012, 1.0), L"1.234568e+04|1.200000E-04|1.00e+00"},
      {W(L"%g|%G|%g|%g", 0.0001, 1e20, 100000.0, 1e6), L"0.0001|1E+20|100000|1e+06"},
      {W(L"%a|%.1a", 1.0, 1.5), L"0x1.0000000000000p+0|0x1.8p+0"},
      {W(L"%.2f %s", 12.5, L"MB"), L"12.50 MB"},
      {W(L"%Lf|%lf", 2.5L, 0.25), L"2.500000|0.250000"},
      {W(L"%+.1f|%08.2f", 3.0, -1.5), L"+3.0|-0001.50"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

// A locale with a decimal comma: an installed one, or one compiled for the
// test from the system's locale sources.
const char* SetCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
    if (const char* set = setlocale(LC_NUMERIC, name)) return set;
  }
  // Under the test's own home, which is removed after the run.
  const char* home = getenv("HOME");
  const std::string dir = std::string(home && *home ? home : "/tmp") + "/wprintf-test-locales-" + std::to_string(getpid());
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  const std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (system(command.c_str()) != 0) return nullptr;
  setenv("LOCPATH", dir.c_str(), 1);
  return setlocale(LC_NUMERIC, "de_DE.UTF-8");
}

TEST(WidePrintfDialect, ADecimalCommaLocaleDoesNotLeakIn) {
  if (!SetCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma could be set up (localedef missing?)";
  char plain[32];
  snprintf(plain, sizeof plain, "%.1f", 1.5);
  EXPECT_STREQ(plain, "1,5");  // the locale is really in force
  EXPECT_EQ(W(L"%.1f|%g|%e", 1.5, 2.5, 0.5), L"1.5|2.5|5.000000e-01");
  char narrow[32];
  EXPECT_EQ(sprintf_s(narrow, "%.2f", 0.25), 4);
  EXPECT_STREQ(narrow, "0.25");
  setlocale(LC_NUMERIC, "C");
}

TEST(WidePrintfDialect, PointerPrintsSixteenUpperHexDigits) {
  EXPECT_EQ(W(L"%p", reinterpret_cast<void*>(0x12ab)), L"00000000000012AB");
  EXPECT_EQ(W(L"[%20p]", reinterpret_cast<void*>(0x1)), L"[    0000000000000001]");
}

TEST(WidePrintfDialect, RefusesBadConversionsWithoutReadingOn) {
  int target = 0;
  EXPECT_TRUE(Refused(L"%n", &target));
  EXPECT_EQ(target, 0);
  EXPECT_TRUE(Refused(L"abc %k", 1));
  EXPECT_TRUE(Refused(L"ends inside %"));
  EXPECT_TRUE(Refused(L"ends inside %-5"));
  EXPECT_TRUE(Refused(L"%I64s", L"x"));
  EXPECT_TRUE(Refused(L"%hf", 1.0));
  EXPECT_TRUE(Refused(L"%wd", 1));
  EXPECT_TRUE(Refused(L"%99999999999d", 1));
  EXPECT_TRUE(Refused(L"%*d", 2000000000, 1));
  EXPECT_TRUE(Refused(L"%.*f", 2000000000, 1.0));
  EXPECT_EQ(W(L"[%.*s]", 2000000000, L"short"), L"[short]");  // a text's precision only limits
  EXPECT_TRUE(Refused(nullptr));
  EXPECT_EQ(Count(L"%n", &target), -1);
  wchar_t buffer[16] = L"unchanged";
  EXPECT_EQ(swprintf_s(buffer, L"x%q"), -1);
  EXPECT_STREQ(buffer, L"");
}

TEST(WidePrintfDialect, CountingEqualsPrintedLength) {
  struct Case {
    int count;
    std::wstring printed;
  } cases[] = {
      {Count(L"%s-%I64d", L"执行中...", INT64_MIN), W(L"%s-%I64d", L"执行中...", INT64_MIN)},
      {Count(L"%S", "Velmora\xe7\x94\xb5\xe8\x84\x91"), W(L"%S", "Velmora\xe7\x94\xb5\xe8\x84\x91")},
      {Count(L"%*d|%.3f", 12, 5, 1.0 / 3), W(L"%*d|%.3f", 12, 5, 1.0 / 3)},
      {Count(L""), W(L"")},
  };
  for (const auto& c : cases) EXPECT_EQ(c.count, static_cast<int>(c.printed.size())) << testing::PrintToString(c.printed);
  EXPECT_EQ(Count(L"%s", L"磁盘空间不足。"), 7);
}

TEST(WidePrintfFunctions, SecureFormsFailOnAShortBuffer) {
  wchar_t b[8];
  EXPECT_EQ(swprintf_s(b, 8, L"%s", L"1234567"), 7);
  EXPECT_STREQ(b, L"1234567");
  EXPECT_EQ(swprintf_s(b, 8, L"%s", L"12345678"), -1);
  EXPECT_STREQ(b, L"");
  EXPECT_EQ(_stprintf_s(b, L"%d%s", 12, L"电脑"), 4);
  EXPECT_STREQ(b, L"12电脑");
  EXPECT_EQ(swprintf_s(nullptr, 8, L"x"), -1);
  EXPECT_EQ(swprintf_s(b, 0, L"x"), -1);
}

TEST(WidePrintfFunctions, TruncatingForms) {
  auto snw = [](wchar_t* b, size_t n, const wchar_t* f, ...) {
    va_list a;
    va_start(a, f);
    const int r = _vsnwprintf(b, n, f, a);
    va_end(a);
    return r;
  };
  wchar_t b[8];
  wmemset(b, L'#', 8);
  EXPECT_EQ(snw(b, 8, L"%s", L"abc"), 3);
  EXPECT_STREQ(b, L"abc");
  wmemset(b, L'#', 8);
  EXPECT_EQ(snw(b, 4, L"%s", L"abcd"), 4);  // exactly full: no terminator
  EXPECT_EQ(std::wstring(b, 5), L"abcd#");
  wmemset(b, L'#', 8);
  EXPECT_EQ(snw(b, 4, L"%s", L"abcdef"), -1);
  EXPECT_EQ(std::wstring(b, 5), L"abcd#");

  struct Case {
    size_t size, count;
    const wchar_t* text;
    int result;
    const wchar_t* left;
  } cases[] = {
      {8, _TRUNCATE, L"abc", 3, L"abc"},
      {8, _TRUNCATE, L"abcdefghij", -1, L"abcdefg"},
      {8, 3, L"abcdef", -1, L"abc"},
      {8, 7, L"abcdefg", 7, L"abcdefg"},
      {8, 20, L"abcdefghij", -1, L""},
      {4, 8, L"abcdef", -1, L""},
  };
  for (const auto& c : cases) {
    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(_snwprintf_s(buffer, c.size, c.count, L"%s", c.text), c.result) << c.text << " " << c.count;
    EXPECT_STREQ(buffer, c.left) << c.text << " " << c.count;
  }
}

TEST(WidePrintfFunctions, WsprintfStopsAt1024Characters) {
  std::wstring longText(3000, L'x');
  wchar_t buffer[1100];
  wmemset(buffer, L'#', 1100);
  EXPECT_EQ(wsprintfW(buffer, L"%s!", longText.c_str()), 1023);
  EXPECT_EQ(buffer[1023], L'\0');
  EXPECT_EQ(buffer[1024], L'#');
  EXPECT_EQ(wsprintfW(buffer, L"%d-%s", 5, L"录音"), 4);
  EXPECT_STREQ(buffer, L"5-录音");
}

TEST(NarrowPrintfDialect, KeepsTheCMeaningWithWindowsLengths) {
  char b[64];
  EXPECT_EQ(sprintf_s(b, "%s|%I64d|%ls|%S", "电脑", INT64_MIN, L"录音", L"宽"), 38);
  EXPECT_STREQ(b, "电脑|-9223372036854775808|录音|宽");
  EXPECT_EQ(_snprintf_s(b, 6, _TRUNCATE, "%s", "abcdefgh"), -1);
  EXPECT_STREQ(b, "abcde");
  EXPECT_EQ(_scprintf("%I64x-%.1f", 0xffull, 0.25), 6);
  EXPECT_EQ(crt::FormatNarrow("%5.2f|%c", 3.14159, 'z').value(), " 3.14|z");
  EXPECT_FALSE(crt::FormatNarrow("%n", nullptr).has_value());
}

}  // namespace
