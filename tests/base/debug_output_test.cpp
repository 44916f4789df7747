// Debug output reaches the channel whole, with the line break as a second
// output.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/DebugStr.h"

namespace {

class DebugOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    base::SetDebugSink([this](const std::wstring& text) { seen_.push_back(text); });
  }
  void TearDown() override { base::SetDebugSink(nullptr); }
  std::vector<std::wstring> seen_;
};

TEST_F(DebugOutput, TraceLineSendsTheTextThenALineBreak) {
  CDebugStr::traceLine(L"Type:%d,%s", 1, L"connected 中文");
  EXPECT_EQ(seen_, (std::vector<std::wstring>{L"Type:1,connected 中文", L"\r\n"}));
}

TEST_F(DebugOutput, LongTextsAreWrittenWhole) {
  std::wstring longText(1000, L'x');
  CDebugStr::trace(L"%s|%I64d", longText.c_str(), static_cast<long long>(1) << 40);
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0], longText + L"|1099511627776");
}

TEST_F(DebugOutput, UnformattableTextIsWrittenEmpty) {
  CDebugStr::trace(L"bad %y");
  EXPECT_EQ(seen_, (std::vector<std::wstring>{L""}));
}

TEST(DebugOutputStderr, WithoutASinkTextGoesToStandardErrorAsUtf8) {
  ::testing::internal::CaptureStderr();
  CDebugStr::traceLine(L"%s", L"录音");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "录音\r\n");
}

}  // namespace
