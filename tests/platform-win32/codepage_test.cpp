// kernel32's code-page conversions: GBK for the ANSI and OEM pages, UTF-8,
// counting, short buffers and characters a page cannot hold.
#include "win32/codepage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::wstring ToWide(UINT page, const std::string& bytes) {
  const int n = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  EXPECT_EQ(MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n), n);
  return out;
}

std::string ToNarrow(UINT page, const std::wstring& text, BOOL* usedDefault = nullptr) {
  const int n = WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  EXPECT_EQ(WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                                usedDefault),
            n);
  return out;
}

const char kGbkRecorder[] = "Velmora\xb5\xe7\xc4\xd4\xc2\xbc\xd2\xf4\xc8\xed\xbc\xfe";  // Velmora电脑录音软件
const char kUtf8Recorder[] = "Velmora\xe7\x94\xb5\xe8\x84\x91\xe5\xbd\x95\xe9\x9f\xb3\xe8\xbd\xaf\xe4\xbb\xb6";

TEST(CodePage, TextsOfTheSystemRoundTrip) {
  EXPECT_EQ(ToWide(CP_ACP, kGbkRecorder), L"Velmora电脑录音软件");
  EXPECT_EQ(ToWide(CP_UTF8, kUtf8Recorder), L"Velmora电脑录音软件");
  EXPECT_EQ(ToNarrow(CP_OEMCP, L"Velmora电脑录音软件"), kGbkRecorder);
  EXPECT_EQ(ToNarrow(936, L"Velmora电脑录音软件"), kGbkRecorder);
  EXPECT_EQ(ToNarrow(CP_UTF8, L"Velmora电脑录音软件"), kUtf8Recorder);
  for (const wchar_t* text : {L"磁盘空间不足。", L"执行中...", L"提示", L"€ 5", L"𝄞 beyond the BMP"}) {
    EXPECT_EQ(ToWide(CP_UTF8, ToNarrow(CP_UTF8, text)), text);
  }
  for (const wchar_t* text : {L"磁盘空间不足。", L"执行中...", L"宋体 微软雅黑", L"€"}) {
    EXPECT_EQ(ToWide(CP_ACP, ToNarrow(CP_ACP, text)), text);
  }
}

TEST(CodePage, TerminatedInputCountsTheTerminator) {
  wchar_t out[16];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xb4\xc5\xc5\xcc", -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xb4\xc5\xc5\xcc", -1, out, 16), 3);
  EXPECT_STREQ(out, L"磁盘");
  char narrow[16];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"录", -1, narrow, 16, nullptr, nullptr), 4);
  EXPECT_STREQ(narrow, "\xe5\xbd\x95");
}

TEST(CodePage, ShortBufferFailsWithInsufficientBuffer) {
  wchar_t wide[3];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcd", 4, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char narrow[3];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"磁盘", 2, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(CodePage, BadArgumentsFail) {
  wchar_t wide[8];
  struct Case {
    std::function<int()> call;
    DWORD error;
  } cases[] = {
      {[&] { return MultiByteToWideChar(1252, 0, "a", 1, wide, 8); }, ERROR_INVALID_PARAMETER},
      {[&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, 1, wide, 8); }, ERROR_INVALID_PARAMETER},
      {[&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 8); }, ERROR_INVALID_PARAMETER},
      {[&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 8); }, ERROR_INVALID_PARAMETER},
      {[&] { return MultiByteToWideChar(CP_UTF8, 8, "a", 1, wide, 8); }, ERROR_INVALID_FLAGS},
      {[&] { return WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 0, "?", nullptr); }, ERROR_INVALID_PARAMETER},
      {[&] { return WideCharToMultiByte(65000, 0, L"a", 1, nullptr, 0, nullptr, nullptr); }, ERROR_INVALID_PARAMETER},
      {[&] { return WideCharToMultiByte(CP_ACP, 4, L"a", 1, nullptr, 0, nullptr, nullptr); }, ERROR_INVALID_FLAGS},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SetLastError(0);
    EXPECT_EQ(cases[i].call(), 0) << "case " << i;
    EXPECT_EQ(GetLastError(), cases[i].error) << "case " << i;
  }
}

TEST(CodePage, UnmappableCharactersBecomeTheDefaultCharacter) {
  BOOL used = FALSE;
  EXPECT_EQ(ToNarrow(CP_ACP, L"a😀b", &used), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(ToNarrow(CP_ACP, L"ab", &used), "ab");
  EXPECT_FALSE(used);
  char out[8] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\x1F600", 1, out, 8, "*", nullptr), 1);
  EXPECT_EQ(out[0], '*');
  // Not a Unicode scalar value: written as U+FFFD in UTF-8.
  const wchar_t bad[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), 0};
  EXPECT_EQ(ToNarrow(CP_UTF8, bad), "a\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(CodePage, UndecodableBytesBecomeReplacementCharacters) {
  EXPECT_EQ(ToWide(CP_UTF8, "a\xff\xc3(b"), L"a\xFFFD\xFFFD(b");
  EXPECT_EQ(ToWide(CP_UTF8, "\xe5\xbd"), L"\xFFFD\xFFFD");          // cut sequence
  EXPECT_EQ(ToWide(CP_UTF8, "\xc0\xaf\xed\xa0\x80").find(L'/'), std::wstring::npos);  // overlong, surrogate
  EXPECT_EQ(ToWide(CP_ACP, "\xb4\xc5\xff\xb4"), L"磁\xFFFD\xFFFD");  // stray byte and a cut pair
}

TEST(CodePage, ConcurrentCallsDoNotInterfere) {
  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 300; ++i) {
        char gbk[64];
        wchar_t back[64];
        const int n = WideCharToMultiByte(CP_ACP, 0, L"执行中...", -1, gbk, 64, nullptr, nullptr);
        const int m = MultiByteToWideChar(CP_OEMCP, 0, gbk, n, back, 64);
        if (n != 10 || m != 7 || std::wstring(back) != L"执行中...") ++failures[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
