// The UTF-16LE text log, checked byte for byte on real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "base/Logger.h"
#include "scratch_folder.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::string kBom = "\xff\xfe"s;
const std::string kCrLf = "\r\0\n\0"s;

using scratch::ReadBytes;

using LoggerTest = scratch::ScratchFolder;

TEST_F(LoggerTest, WithoutAPathOnlyTheLastTextChanges) {
  CLogger logger;
  EXPECT_EQ(logger.GetLastText(), L"");
  EXPECT_EQ(logger.GetFile(), L"");
  EXPECT_TRUE(logger.WriteLine(L"录音失败"));
  EXPECT_EQ(logger.GetLastText(), L"录音失败");
  EXPECT_TRUE(logger.WriteLast());
  EXPECT_FALSE(logger.IsOpen());
  EXPECT_TRUE(fs::is_empty(root_));
}

TEST_F(LoggerTest, SetFileCreatesTheLogWithItsBomAtOnce) {
  CLogger logger;
  EXPECT_TRUE(logger.SetFile(false, W(L"logger-timer-exception.log")));
  EXPECT_EQ(logger.GetFile(), W(L"logger-timer-exception.log"));
  EXPECT_FALSE(logger.IsOpen());
  EXPECT_EQ(ReadBytes(Path("logger-timer-exception.log")), kBom);
}

TEST_F(LoggerTest, EntriesAreCrLfTextCrLfAndOnlyTheFirstFileHasABom) {
  CLogger logger;
  const std::wstring path = W(L"a.log");
  EXPECT_TRUE(logger.WriteLine(L"no file yet"));  // before SetFile: nothing on disk
  ASSERT_TRUE(logger.SetFile(false, path));
  ASSERT_TRUE(logger.WriteLine(L"磁盘空间不足。"));
  const std::string first =
      kBom + kCrLf + "\xc1\x78\xd8\x76\x7a\x7a\xf4\x95\x0d\x4e\xb3\x8d\x02\x30"s + kCrLf;
  EXPECT_EQ(ReadBytes(Path("a.log")), first);

  ASSERT_TRUE(logger.WriteLine(L"ok"));
  EXPECT_EQ(ReadBytes(Path("a.log")), first + kCrLf + "o\0k\0"s + kCrLf);
  EXPECT_EQ(logger.GetLastText(), L"ok");
}

// The bytes one entry adds after the BOM.
struct EntryCase {
  const char* name;
  std::wstring text;
  std::string bytes;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class LoggerEntryTest : public LoggerTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(LoggerEntryTest, WritesTheExactBytes) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(false, W(L"entry.log")));
  ASSERT_TRUE(logger.WriteLine(GetParam().text));
  EXPECT_EQ(ReadBytes(Path("entry.log")), kBom + GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LoggerEntryTest,
    ::testing::Values(
        EntryCase{"empty", L"", kCrLf + kCrLf},
        EntryCase{"lf_inside", L"a\nb", kCrLf + "a\0\r\0\n\0b\0"s + kCrLf},
        EntryCase{"lf_at_end", L"a\n", kCrLf + "a\0\r\0\n\0"s + kCrLf},
        // A CR already before the LF stays, as in a Windows text-mode stream.
        EntryCase{"crlf_inside", L"a\r\nb", kCrLf + "a\0\r\0\r\0\n\0b\0"s + kCrLf},
        EntryCase{"above_bmp", L"𝄞", kCrLf + "\x34\xd8\x1e\xdd"s + kCrLf},
        EntryCase{"percent_is_text", L"100%s", kCrLf + "1\0" "0\0" "0\0%\0s\0"s + kCrLf}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoggerTest, AppendsToAnExistingFileWithoutASecondBom) {
  {
    std::ofstream out(Path("old.log"), std::ios::binary);
    out << kBom << "x\0"s;
  }
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(false, W(L"old.log")));
  ASSERT_TRUE(logger.WriteLine(L"y"));
  EXPECT_EQ(ReadBytes(Path("old.log")), kBom + "x\0"s + kCrLf + "y\0"s + kCrLf);
}

TEST_F(LoggerTest, AnEmptyExistingFileGetsItsBom) {
  std::ofstream(Path("empty.log")).close();
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(false, W(L"empty.log")));
  ASSERT_TRUE(logger.WriteLine(L"y"));
  EXPECT_EQ(ReadBytes(Path("empty.log")), kBom + kCrLf + "y\0"s + kCrLf);
}

TEST_F(LoggerTest, KeepOpenHoldsTheFileAndEachEntryIsOnDisk) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(true, W(L"kept.log")));
  EXPECT_TRUE(logger.IsOpen());
  ASSERT_TRUE(logger.WriteLine(L"1"));
  EXPECT_TRUE(logger.IsOpen());
  EXPECT_EQ(ReadBytes(Path("kept.log")), kBom + kCrLf + "1\0"s + kCrLf);
  ASSERT_TRUE(logger.WriteLine(L"2"));
  EXPECT_TRUE(logger.IsOpen());
  logger.Close();
  EXPECT_FALSE(logger.IsOpen());
  EXPECT_EQ(ReadBytes(Path("kept.log")), kBom + kCrLf + "1\0"s + kCrLf + kCrLf + "2\0"s + kCrLf);
}

TEST_F(LoggerTest, AKeptFileIsNotHandedToChildPrograms) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(true, W(L"kept.log")));
  ASSERT_TRUE(logger.IsOpen());
  // A program started meanwhile (the updater, a file opener) must not hold
  // the log open behind the logger's back.
  FILE* child = popen("ls -l /proc/self/fd/", "r");
  ASSERT_NE(child, nullptr);
  std::string listing;
  char chunk[512];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, child)) > 0;) listing.append(chunk, n);
  ASSERT_EQ(pclose(child), 0) << listing;
  EXPECT_EQ(listing.find("kept.log"), std::string::npos) << listing;
}

TEST_F(LoggerTest, WithoutKeepOpenEveryEntryClosesTheFile) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(false, W(L"closed.log")));
  ASSERT_TRUE(logger.WriteLine(L"1"));
  EXPECT_FALSE(logger.IsOpen());
  // Another writer may remove or rotate the file between entries.
  fs::remove(Path("closed.log"));
  ASSERT_TRUE(logger.WriteLine(L"2"));
  EXPECT_EQ(ReadBytes(Path("closed.log")), kBom + kCrLf + "2\0"s + kCrLf);
}

class LoggerPathChangeTest : public LoggerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LoggerPathChangeTest, AnotherPathClosesTheOpenFile) {
  const bool keepOpen = GetParam();
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(true, W(L"first.log")));
  ASSERT_TRUE(logger.WriteLine(L"old"));
  ASSERT_TRUE(logger.SetFile(keepOpen, W(L"second.log")));
  EXPECT_EQ(logger.IsOpen(), keepOpen);
  ASSERT_TRUE(logger.WriteLine(L"new"));

  EXPECT_EQ(ReadBytes(Path("first.log")), kBom + kCrLf + "o\0l\0d\0"s + kCrLf);
  EXPECT_EQ(ReadBytes(Path("second.log")), kBom + kCrLf + "n\0e\0w\0"s + kCrLf);
  EXPECT_EQ(logger.GetFile(), W(L"second.log"));
}

INSTANTIATE_TEST_SUITE_P(KeepOpen, LoggerPathChangeTest, ::testing::Bool());

TEST_F(LoggerTest, SameAndEmptyPathChanges) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(true, W(L"same.log")));
  ASSERT_TRUE(logger.SetFile(true, W(L"same.log")));
  EXPECT_TRUE(logger.IsOpen());
  ASSERT_TRUE(logger.SetFile(false, W(L"same.log")));
  EXPECT_FALSE(logger.IsOpen());

  ASSERT_TRUE(logger.SetFile(true, W(L"same.log")));
  ASSERT_TRUE(logger.SetFile(true, L""));
  EXPECT_FALSE(logger.IsOpen());
  EXPECT_TRUE(logger.WriteLine(L"kept in memory"));
  EXPECT_EQ(ReadBytes(Path("same.log")), kBom);
}

TEST_F(LoggerTest, OpenFailureKeepsTheLastTextAndReportsFalse) {
  CLogger logger;
  const std::wstring path = W(L"missing-folder/x.log");
  EXPECT_FALSE(logger.SetFile(false, path));
  EXPECT_FALSE(logger.WriteLine(L"lost?"));
  EXPECT_EQ(logger.GetLastText(), L"lost?");
  EXPECT_FALSE(logger.WriteLast());
  EXPECT_FALSE(logger.IsOpen());

  // Once the folder exists the same logger writes again.
  fs::create_directory(Path("missing-folder"));
  EXPECT_TRUE(logger.WriteLast());
  EXPECT_EQ(ReadBytes(Path("missing-folder/x.log")),
            kBom + kCrLf + "l\0o\0s\0t\0?\0"s + kCrLf);
}

TEST_F(LoggerTest, AFolderIsNotALogFile) {
  CLogger logger;
  EXPECT_FALSE(logger.SetFile(true, W(L"")));
  EXPECT_FALSE(logger.WriteLine(L"x"));
  EXPECT_EQ(logger.GetLastText(), L"x");
}

TEST_F(LoggerTest, ChinesePathsAreCreated) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(false, W(L"录音日志.log")));
  ASSERT_TRUE(logger.WriteLine(L"x"));
  EXPECT_TRUE(fs::exists(root_ / u8"录音日志.log"));
}

TEST_F(LoggerTest, DestructionClosesAKeptFile) {
  {
    CLogger logger;
    ASSERT_TRUE(logger.SetFile(true, W(L"d.log")));
    ASSERT_TRUE(logger.WriteLine(L"z"));
  }
  EXPECT_EQ(ReadBytes(Path("d.log")), kBom + kCrLf + "z\0"s + kCrLf);
}

class LoggerThreadsTest : public LoggerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LoggerThreadsTest, EntriesFromManyThreadsStayWhole) {
  CLogger logger;
  ASSERT_TRUE(logger.SetFile(GetParam(), W(L"threads.log")));
  constexpr int kThreads = 4;
  constexpr int kLines = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&logger, t] {
      for (int i = 0; i < kLines; ++i) {
        logger.WriteLine(L"线程" + std::to_wstring(t) + L"-" + std::to_wstring(i));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  logger.Close();

  // Every entry is CR LF, text, CR LF: split the decoded file on that frame.
  const std::string bytes = ReadBytes(Path("threads.log"));
  ASSERT_EQ(bytes.substr(0, 2), kBom);
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::vector<int> seen(kThreads * kLines, 0);
  size_t pos = 0;
  int entries = 0;
  while (pos < text.size()) {
    ASSERT_EQ(text.compare(pos, 2, L"\r\n"), 0) << "at " << pos;
    const size_t end = text.find(L"\r\n", pos + 2);
    ASSERT_NE(end, std::wstring::npos);
    const std::wstring line = text.substr(pos + 2, end - pos - 2);
    ASSERT_EQ(line.rfind(L"线程", 0), 0u) << "a torn entry";
    const int t = std::stoi(line.substr(2));
    const int i = std::stoi(line.substr(line.find(L'-') + 1));
    ++seen[t * kLines + i];
    ++entries;
    pos = end + 2;
  }
  EXPECT_EQ(entries, kThreads * kLines);
  for (int count : seen) EXPECT_EQ(count, 1);
}

INSTANTIATE_TEST_SUITE_P(KeepOpen, LoggerThreadsTest, ::testing::Bool());

}  // namespace
