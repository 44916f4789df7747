// Call-stack text: one "%f(%l) : %m at %s" line per frame.
#include <execinfo.h>

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/CallStack.h"

namespace stacktest {

struct Walker {
  __attribute__((noinline)) std::string CaptureHere(int limit, int extra) {
    CRuntimeStack stack;
    stack.capture(limit);
    asm volatile("" ::: "memory");  // keep this frame from becoming a tail call
    return stack.GetText() + std::string(static_cast<size_t>(extra), ' ');
  }
};

__attribute__((noinline)) std::string OuterCaller(int limit) {
  Walker walker;
  std::string text = walker.CaptureHere(limit, 0);
  asm volatile("" ::: "memory");
  return text;
}

}  // namespace stacktest

namespace {

int Lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST(CallStack, CaptureNamesTheCallersInOrder) {
  std::string text = stacktest::OuterCaller(-1);
  size_t inner = text.find(" : base_callstack_test at stacktest::Walker::CaptureHere()\n");
  size_t outer = text.find(" : base_callstack_test at stacktest::OuterCaller()\n");
  ASSERT_NE(inner, std::string::npos) << text;
  ASSERT_NE(outer, std::string::npos) << text;
  EXPECT_LT(inner, outer);
  EXPECT_EQ(text.rfind(" (0) : base_callstack_test at stacktest::Walker::CaptureHere()", 0), 0u) << text;
  EXPECT_NE(text.find("at main()"), std::string::npos) << text;
}

TEST(CallStack, FrameLimits) {
  EXPECT_EQ(Lines(stacktest::OuterCaller(1)), 1);
  EXPECT_EQ(Lines(stacktest::OuterCaller(2)), 2);
  EXPECT_EQ(Lines(stacktest::OuterCaller(0)), 0);
  EXPECT_GT(Lines(stacktest::OuterCaller(-1)), 3);
}

TEST(CallStack, WriteStackRefusesWhatItCannotWrite) {
  void* frames[8];
  int n = backtrace(frames, 8);
  std::ostringstream out;
  EXPECT_FALSE(CSym_Engine::WriteStack(out, frames, n, -1, nullptr));
  EXPECT_FALSE(CSym_Engine::WriteStack(out, frames, 0, -1, "%s\n"));
  EXPECT_EQ(out.str(), "");
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  EXPECT_FALSE(CSym_Engine::WriteStack(bad, frames, n, -1, "%s\n"));
  EXPECT_TRUE(CSym_Engine::WriteStack(out, frames, n, 1, CSym_Engine::GetDefaultFormat()));
  EXPECT_EQ(Lines(out.str()), 1);
}

TEST(CallStack, UnknownAddressesUseThePlaceholders) {
  std::ostringstream out;
  void* nowhere[] = {reinterpret_cast<void*>(0x10)};
  EXPECT_TRUE(CSym_Engine::WriteStack(out, nowhere, 1, -1, CSym_Engine::GetDefaultFormat()));
  EXPECT_EQ(out.str(), " (0) : ?.? at ?()\n");
}

TEST(CallStack, FormatDirectives) {
  CSym_Engine::FrameInfo known;
  known.file = "rec.cpp";
  known.line = 42;
  known.lineDisplacement = 5;
  known.module = "quorvale";
  known.symbol = "CAudioRecoder::Run";
  known.symbolDisplacement = 17;
  CSym_Engine::FrameInfo unknown;
  const struct {
    const CSym_Engine::FrameInfo* info;
    const char* format;
    const char* text;
  } cases[] = {
      {&known, "%f(%l) : %m at %s\n", "rec.cpp(42) : quorvale at CAudioRecoder::Run()\n"},
      {&unknown, "%f(%l) : %m at %s\n", " (0) : ?.? at ?()\n"},
      {&known, "+%ld +%sd", "+5 +17"},
      {&known, "100%% %q %", "100% %q %"},
      {&known, "plain", "plain"},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    CSym_Engine::FormatFrame(out, *c.info, c.format);
    EXPECT_EQ(out.str(), c.text) << c.format;
  }
}

TEST(CallStack, StackFromAddressesTakesTheFirstAsFaulting) {
  // The address of a function's first instruction: looked up as it is, it
  // names that function; as a return address it would fall before it.
  void* entry = reinterpret_cast<void*>(&stacktest::OuterCaller);
  CRuntimeStack stack(&entry, 1);
  EXPECT_EQ(stack.GetText(), " (0) : base_callstack_test at stacktest::OuterCaller()\n");
  std::ostringstream out;
  out << stack;
  EXPECT_EQ(out.str(), stack.GetText() + "\n");
}

}  // namespace
