// Call-stack text: one "%f(%l) : %m at %s" line per frame.
#include <elf.h>
#include <execinfo.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/CallStack.h"

namespace stacktest {

// Lines of the two calls the stack should point at.
int g_captureLine = 0;
int g_callerLine = 0;

struct Walker {
  __attribute__((noinline)) std::string CaptureHere(int limit, int extra) {
    CRuntimeStack stack;
    g_captureLine = __LINE__ + 1;
    stack.capture(limit);
    asm volatile("" ::: "memory");  // keep this frame from becoming a tail call
    return stack.GetText() + std::string(static_cast<size_t>(extra), ' ');
  }
};

__attribute__((noinline)) std::string OuterCaller(int limit) {
  Walker walker;
  g_callerLine = __LINE__ + 1;
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

// Whether this test program carries line tables (a build with -g).
bool HasLineTables() {
  std::ifstream in("/proc/self/exe", std::ios::binary);
  std::string elf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (elf.size() < sizeof(Elf64_Ehdr)) return false;
  auto* eh = reinterpret_cast<const Elf64_Ehdr*>(elf.data());
  if (eh->e_shoff + size_t(eh->e_shnum) * sizeof(Elf64_Shdr) > elf.size() || eh->e_shstrndx >= eh->e_shnum)
    return false;
  auto* sections = reinterpret_cast<const Elf64_Shdr*>(elf.data() + eh->e_shoff);
  const char* names = elf.data() + sections[eh->e_shstrndx].sh_offset;
  for (int i = 0; i < eh->e_shnum; ++i)
    if (std::string(names + sections[i].sh_name) == ".debug_line") return true;
  return false;
}

// A frame's line: file and line when the program carries line tables. The
// compiler may have seen this file by a relative path, so the frame shows
// the normalised absolute one: compare from the file's own name on.
std::string Line(int line, const std::string& function) {
  std::string name = std::filesystem::path(__FILE__).filename().string();
  std::string where = HasLineTables() ? "/" + name + "(" + std::to_string(line) + ")" : " (0)";
  return where + " : base_callstack_test at " + function + "()\n";
}

// Whether the text starts with the two frames, each frame's path ending in
// the file name (or being the placeholder).
bool StartsWithFrames(const std::string& text, const std::string& inner, const std::string& outer) {
  size_t firstEnd = text.find('\n');
  if (firstEnd == std::string::npos) return false;
  std::string first = text.substr(0, firstEnd + 1);
  std::string rest = text.substr(firstEnd + 1);
  size_t secondEnd = rest.find('\n');
  if (secondEnd == std::string::npos) return false;
  std::string second = rest.substr(0, secondEnd + 1);
  auto endsWithFrame = [](const std::string& got, const std::string& want) {
    if (want.rfind(" (0)", 0) == 0) return got == want;
    return got.size() > want.size() && got.front() == '/' &&
           got.compare(got.size() - want.size(), want.size(), want) == 0 &&
           got.find("/../") == std::string::npos;
  };
  return endsWithFrame(first, inner) && endsWithFrame(second, outer);
}

TEST(CallStack, CaptureNamesTheCallersWithTheirLinesInOrder) {
  std::string text = stacktest::OuterCaller(-1);
  std::string inner = Line(stacktest::g_captureLine, "stacktest::Walker::CaptureHere");
  std::string outer = Line(stacktest::g_callerLine, "stacktest::OuterCaller");
  EXPECT_TRUE(StartsWithFrames(text, inner, outer)) << text;
  EXPECT_NE(text.find(" : base_callstack_test at main()\n"), std::string::npos) << text;
}

TEST(CallStack, WithoutAddr2lineFramesStillNameTheirFunctions) {
  std::string path = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);
  std::string text = stacktest::OuterCaller(2);
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(text,
            " (0) : base_callstack_test at stacktest::Walker::CaptureHere()\n"
            " (0) : base_callstack_test at stacktest::OuterCaller()\n");
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
  std::string text = stack.GetText();
  if (HasLineTables()) {
    std::string name = "/" + std::filesystem::path(__FILE__).filename().string() + "(";
    EXPECT_EQ(text.front(), '/') << text;
    EXPECT_NE(text.find(name), std::string::npos) << text;
    EXPECT_EQ(text.find("/../"), std::string::npos) << text;
  } else {
    EXPECT_EQ(text.rfind(" (0)", 0), 0u) << text;
  }
  std::string tail = ") : base_callstack_test at stacktest::OuterCaller()\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  std::ostringstream out;
  out << stack;
  EXPECT_EQ(out.str(), stack.GetText() + "\n");
}

}  // namespace
