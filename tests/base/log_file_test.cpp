// Dated UTF-16LE log files.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/LogFile.h"
#include "base/Utf16.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class LogFiles : public scratch::ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    dir_ = wroot_.substr(0, wroot_.size() - 1);  // without the trailing '/'
  }

  static std::string Bytes(const std::wstring& path) { return scratch::ReadBytes(WStringToUtf8Ret(path)); }
  static bool Exists(const std::wstring& path) { return fs::exists(WStringToUtf8Ret(path)); }

  std::wstring dir_;
};

TEST_F(LogFiles, TwoEntriesAreDatedUtf16WithoutBomAndBareLineFeeds) {
  CLogFileEx log;
  ASSERT_TRUE(log.SetLogFile(dir_ + L"/logs", L"a.log"));
  EXPECT_EQ(log.GetFullPath(), dir_ + L"/logs/a.log");
  log.SetEnabled(true);
  ASSERT_TRUE(log.AddLog(L"first %d", 1));
  ASSERT_TRUE(log.AddLog(L"%s", L"第二 100%"));

  std::wstring text = base::Utf16LeDecode(Bytes(log.GetFullPath()), false);
  std::wregex entry(L"\\[Date \\d{8}#\\d{2}-\\d{2}-\\d{2}\\]\nfirst 1\n"
                    L"\\[Date \\d{8}#\\d{2}-\\d{2}-\\d{2}\\]\n第二 100%\n");
  EXPECT_TRUE(std::regex_match(text, entry)) << WStringToUtf8Ret(text);
  std::string raw = Bytes(log.GetFullPath());
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw.substr(0, 2), std::string("[\0", 2));  // no byte-order mark
  EXPECT_EQ(raw.find(std::string("\r\0", 2)), std::string::npos);
}

TEST_F(LogFiles, DisabledOrEmptyEntriesWriteNothing) {
  CLogFileEx log;
  ASSERT_TRUE(log.SetLogFile(dir_, L"b.log"));
  EXPECT_TRUE(log.AddLog(L"not written"));
  EXPECT_FALSE(Exists(log.GetFullPath()));
  log.SetEnabled(true);
  EXPECT_TRUE(log.AddLog(L""));
  EXPECT_FALSE(Exists(log.GetFullPath()));
}

TEST_F(LogFiles, UnformattableMessageIsAFailureAndNotAppended) {
  CLogFileEx log;
  ASSERT_TRUE(log.SetLogFile(dir_, L"c.log"));
  log.SetEnabled(true);
  ASSERT_TRUE(log.AddLog(L"kept"));
  std::string before = Bytes(log.GetFullPath());
  EXPECT_FALSE(log.AddLog(L"bad %y conversion"));
  EXPECT_NE(std::wstring(log.getLastError()).find(L"Err:_vsctprintf"), std::wstring::npos);
  EXPECT_EQ(Bytes(log.GetFullPath()), before);

  CLogFile inner;
  ASSERT_TRUE(inner.addInfo(L"a%d", 1));
  EXPECT_FALSE(inner.addInfo(L"%y"));
  EXPECT_STREQ(inner.GetText(), L"a1");
  EXPECT_STREQ(inner.GetTempText(), L"Err:_vsctprintf,CLogFile::addInfo");
  EXPECT_FALSE(inner.addInfoTemp(L"%y"));
  EXPECT_STREQ(inner.GetTempText(), L"Err:_vsctprintf,CLogFile::addInfoTemp");
  EXPECT_TRUE(inner.addInfoTemp(L"t%s", L"emp"));
  EXPECT_STREQ(inner.GetTempText(), L"temp");
  EXPECT_STREQ(inner.GetText(), L"a1");
}

TEST_F(LogFiles, FolderIsCreatedFromTheWidePath) {
  // Chinese and a character outside code page 936.
  std::wstring folder = dir_ + L"/日志/🎵/深";
  CLogFileEx log;
  ASSERT_TRUE(log.SetLogFile(folder + L"/", L"录音.log")) << log.getLastError();
  EXPECT_EQ(log.GetFolder(), folder + L"/");
  log.SetEnabled(true);
  ASSERT_TRUE(log.AddLog(L"x"));
  EXPECT_TRUE(fs::exists(root_ / u8"日志" / u8"🎵" / u8"深" / u8"录音.log"));
}

TEST_F(LogFiles, SetLogFileFailures) {
  CLogFileEx log;
  EXPECT_FALSE(log.SetLogFile(dir_, L""));
  EXPECT_STREQ(log.getLastError(), L"Error:日志文件名称不能为空!");
  std::ofstream(root_ / "plain") << "x";
  EXPECT_FALSE(log.SetLogFile(dir_ + L"/plain/sub", L"a.log"));
  EXPECT_STREQ(log.getLastError(), (L"Error:创建日志文件夹失败!" + dir_ + L"/plain/sub").c_str());
  EXPECT_EQ(log.GetFullPath(), L"");
  ASSERT_TRUE(log.SetLogFile(L"", L"only.log"));
  EXPECT_EQ(log.GetFullPath(), L"only.log");
}

TEST_F(LogFiles, WriteFileFailuresAndFlush) {
  CLogFile log;
  EXPECT_FALSE(log.WriteFile(L"", L"x"));
  EXPECT_STREQ(log.getLastError(), L"文件名称不能为空!");
  EXPECT_FALSE(log.WriteFile(dir_ + L"/missing/x.log", L"x"));
  EXPECT_STREQ(log.getLastError(), L"错误，日志文件不能被打开");

  ASSERT_TRUE(log.addInfo(L"pending"));
  EXPECT_FALSE(log.FlushTo(dir_ + L"/missing/x.log"));
  EXPECT_STREQ(log.GetText(), L"pending");  // kept for a later attempt
  ASSERT_TRUE(log.FlushTo(dir_ + L"/f.log"));
  EXPECT_STREQ(log.GetText(), L"");
  EXPECT_EQ(Bytes(dir_ + L"/f.log"), base::Utf16LeEncode(L"pending", false));
}

TEST(LogFileHex, ValuesSeparatorsAndLineFeed) {
  CLogFile log;
  const uint16_t values[] = {1, 0xAB, 0x1234};
  EXPECT_TRUE(log.AddHex(values, 3, false, L":"));
  EXPECT_STREQ(log.GetText(), L"01:ab:1234");
  EXPECT_TRUE(log.AddHex(values, 2, true, nullptr));
  EXPECT_STREQ(log.GetText(), L"01:ab:123401ab\n");
  EXPECT_FALSE(log.AddHex(values, 0, true, L","));
  log.ClearAll();
  EXPECT_STREQ(log.GetText(), L"");
}

TEST_F(LogFiles, ResetAndDeleteTheFile) {
  CLogFileEx log;
  ASSERT_TRUE(log.SetLogFile(dir_, L"r.log"));
  log.SetEnabled(true);
  ASSERT_TRUE(log.AddLog(L"x"));
  EXPECT_EQ(log.ResetFile(), 0);
  EXPECT_EQ(Bytes(log.GetFullPath()), "");
  EXPECT_TRUE(log.DeleteLogFile());
  EXPECT_FALSE(Exists(log.GetFullPath()));
  EXPECT_FALSE(log.DeleteLogFile());
}

}  // namespace
