// key="value" command lines: building, parsing, and the round trip through
// a child's argument vector.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/CmdLineParse.h"
#include "base/CodePage.h"

extern char** environ;

namespace {

TEST(CmdLineBuild, UpdaterSwitchesInKeyOrder) {
  CCmdLineParse cmd;
  cmd.setValue(L"/verinfo", L"1.0");
  cmd.setValue(L"/appfile", L"/opt/Quorvale app/quorvale");
  cmd.setValue(L"/ppid", L"1234");
  std::wstring line;
  ASSERT_TRUE(cmd.toCmdLine(line));
  EXPECT_EQ(line, L"/appfile=\"/opt/Quorvale app/quorvale\" /ppid=\"1234\" /verinfo=\"1.0\"");
}

TEST(CmdLineBuild, KeysAsGivenAndLaterValuesWin) {
  CCmdLineParse cmd;
  cmd.setValue(L"/a", L"1");
  cmd.setValue(L"/a", L"2");
  cmd.setValue(L"/A", L"3");
  std::wstring line;
  ASSERT_TRUE(cmd.toCmdLine(line));
  EXPECT_EQ(line, L"/A=\"3\" /a=\"2\"");
  CCmdLineParse empty;
  ASSERT_TRUE(empty.toCmdLine(line));
  EXPECT_EQ(line, L"");
}

TEST(CmdLineBuild, QuotesInValuesAreEscapedAndBadKeysRefused) {
  const struct {
    const wchar_t* value;
    const wchar_t* written;
  } cases[] = {
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
      {L"\"", L"\"\\\"\""},
      {L"dir\\", L"\"dir\\\\\""},            // a trailing backslash would escape the closing quote
      {L"a\\\"b", L"\"a\\\\\\\"b\""},        // backslash then quote
      {L"C:\\dir\\file", L"\"C:\\dir\\file\""},  // other backslashes stay single
      {L"", L"\"\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CCmdLineParse::QuoteValue(c.value), c.written) << c.value;
    EXPECT_EQ(CCmdLineParse::UnquoteValue(c.written), c.value) << c.written;
  }
  for (const wchar_t* key : {L"", L"/", L"noslash", L"/a b", L"/a=b", L"/a\"b"}) {
    CCmdLineParse cmd;
    cmd.setValue(key, L"v");
    std::wstring line = L"stale";
    EXPECT_FALSE(cmd.toCmdLine(line)) << key;
    EXPECT_EQ(line, L"");
    EXPECT_NE(std::wstring(cmd.getLastError()).find(L"Err:"), std::wstring::npos);
  }
}

struct ParseCase {
  const char* name;
  const wchar_t* text;
  bool ok;
  std::map<std::wstring, std::wstring> values;
};

class CmdLineParseCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CmdLineParseCases, ReadsPairs) {
  const ParseCase& c = GetParam();
  CCmdLineParse cmd;
  EXPECT_EQ(cmd.parseCmdLine(c.text), c.ok);
  EXPECT_EQ(cmd.values(), c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CmdLineParseCases,
    ::testing::Values(
        ParseCase{"QuotedKeepsQuotes", L"/A=\"x y\" /b=2", true, {{L"/a", L"\"x y\""}, {L"/b", L"2"}}},
        ParseCase{"EmptyValue", L"/a=", true, {{L"/a", L""}}},
        ParseCase{"BlanksBeforeEquals", L"/a  =1", true, {{L"/a", L"1"}}},
        ParseCase{"WordsBetweenAreIgnored", L"word /a=1 other /b=\"2\"", true, {{L"/a", L"1"}, {L"/b", L"\"2\""}}},
        ParseCase{"LaterSwitchWins", L"/a=1 /A=2", true, {{L"/a", L"2"}}},
        ParseCase{"EqualsInsideQuotedValue", L"/a=\"b=c\" /d=1", true, {{L"/a", L"\"b=c\""}, {L"/d", L"1"}}},
        ParseCase{"EscapedQuoteStaysInside", L"/a=\"x \\\" /b=2\" /c=3", true,
                  {{L"/a", L"\"x \\\" /b=2\""}, {L"/c", L"3"}}},
        ParseCase{"UnclosedQuote", L"/a=\"xyz", true, {{L"/a", L"\"xyz"}}},
        ParseCase{"NoPair", L"just words", false, {}},
        ParseCase{"Empty", L"", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CmdLineParse, FailureTextNamesTheCommandLine) {
  CCmdLineParse cmd;
  cmd.setValue(L"/old", L"1");
  EXPECT_FALSE(cmd.parseCmdLine(L"nothing here"));
  EXPECT_TRUE(cmd.values().empty());
  EXPECT_STREQ(cmd.getLastError(), L"Err:无法解析命令行参数\r\nnothing here");
}

TEST(CmdLineParse, ArgumentConstructorJoinsAfterTheProgram) {
  std::vector<std::wstring> args = {L"program", L"/a=1", L"/b=2"};
  std::vector<wchar_t*> argv;
  for (auto& a : args) argv.push_back(a.data());
  CCmdLineParse cmd(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(cmd.joinedText(), L"/a=1 /b=2");
  ASSERT_TRUE(cmd.parse());
  EXPECT_EQ(cmd.values(), (std::map<std::wstring, std::wstring>{{L"/a", L"1"}, {L"/b", L"2"}}));
}

// What the builder wrote is what a child reads back: the launcher splits
// the text into an argument vector, the child joins and parses it.
TEST(CmdLineRoundTrip, ValuesSurviveTheChildsArgumentVector) {
  const std::vector<std::wstring> values = {
      L"plain",
      L"/opt/Quorvale app/quorvale",
      L"录音 文件.mp3",
      L"say \"hi\" /x=1",
      L"\"quoted\"",
      L"back\\slash\\",
      L"a\\\"b",
      L"tab\tand  two blanks",
      L"",
      L"=\"",
  };
  for (const auto& value : values) {
    CCmdLineParse builder;
    builder.setValue(L"/value", value);
    builder.setValue(L"/after", L"next");
    std::wstring line;
    ASSERT_TRUE(builder.toCmdLine(line));

    // The same object parses its own text back.
    CCmdLineParse direct;
    ASSERT_TRUE(direct.parseCmdLine(line)) << line;
    std::wstring out;
    ASSERT_TRUE(direct.getValue(L"/value", out));
    EXPECT_EQ(out, value) << line;
    ASSERT_TRUE(direct.getValue(L"/after", out));
    EXPECT_EQ(out, L"next") << line;

    // Through an argument vector.
    std::vector<std::wstring> args = CCmdLineParse::SplitArguments(line);
    args.insert(args.begin(), L"child");
    ASSERT_EQ(args.size(), 3u) << line;
    std::vector<wchar_t*> argv;
    for (auto& a : args) argv.push_back(a.data());
    CCmdLineParse child(static_cast<int>(argv.size()), argv.data());
    ASSERT_TRUE(child.parse()) << child.joinedText();
    ASSERT_TRUE(child.getValue(L"/value", out));
    EXPECT_EQ(out, value) << child.joinedText();
    ASSERT_TRUE(child.getValue(L"/after", out));
    EXPECT_EQ(out, L"next");
  }
}

// The argument vector a real child process receives through execve: the
// child (coreutils' printf) writes each argument back, NUL-terminated.
std::vector<std::wstring> ArgumentsSeenByAChild(const std::vector<std::wstring>& args) {
  std::vector<std::string> utf8 = {"printf", "%s\\0"};
  for (const auto& a : args) utf8.push_back(WStringToUtf8Ret(a));
  std::vector<char*> argv;
  for (auto& a : utf8) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, "/usr/bin/printf", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; rc == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  close(out[0]);
  if (rc == 0) waitpid(pid, nullptr, 0);
  std::vector<std::wstring> seen;
  for (size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
    seen.push_back(Utf8ToWStringRet(bytes.substr(start, end - start)));
  return seen;
}

TEST(CmdLineRoundTrip, ARealChildProcessReadsBackWhatWasBuilt) {
  CCmdLineParse builder;
  builder.setValue(L"/appfile", L"/opt/Quorvale 录音/quorvale");
  builder.setValue(L"/ppid", L"4321");
  builder.setValue(L"/verinfo", L"2.0 \"beta\"");
  std::wstring line;
  ASSERT_TRUE(builder.toCmdLine(line));

  std::vector<std::wstring> args = ArgumentsSeenByAChild(CCmdLineParse::SplitArguments(line));
  ASSERT_EQ(args.size(), 3u);
  args.insert(args.begin(), L"/opt/Hovrane");
  // The child's own main gets its arguments as UTF-8.
  std::vector<std::string> utf8;
  for (const auto& a : args) utf8.push_back(WStringToUtf8Ret(a));
  std::vector<char*> argv;
  for (auto& a : utf8) argv.push_back(a.data());
  CCmdLineParse child(static_cast<int>(argv.size()), argv.data());
  ASSERT_TRUE(child.parse()) << child.getLastError();
  std::wstring value;
  ASSERT_TRUE(child.getValue(L"/appfile", value));
  EXPECT_EQ(value, L"/opt/Quorvale 录音/quorvale");
  ASSERT_TRUE(child.getValue(L"/ppid", value));
  EXPECT_EQ(value, L"4321");
  ASSERT_TRUE(child.getValue(L"/verinfo", value));
  EXPECT_EQ(value, L"2.0 \"beta\"");
}

TEST(CmdLineSplit, ArgumentRules) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(CCmdLineParse::SplitArguments(L"  a  b "), (V{L"a", L"b"}));
  EXPECT_EQ(CCmdLineParse::SplitArguments(L"/k=\"x y\" \"\""), (V{L"/k=x y", L""}));
  EXPECT_EQ(CCmdLineParse::SplitArguments(L"a\\\\\"b c\""), (V{L"a\\b c"}));
  EXPECT_EQ(CCmdLineParse::SplitArguments(L"a\\b \\\"q"), (V{L"a\\b", L"\"q"}));
  EXPECT_EQ(CCmdLineParse::SplitArguments(L""), V{});
}

TEST(RegEx, FetchAllGroupsDefaultsAndBadPatterns) {
  CRegExW regex(L"k1=v1;k2=;", L"(\\w+)=(\\w*)(x)?");
  std::vector<std::vector<std::wstring>> result;
  ASSERT_TRUE(regex.fetchAll(result, L"", L""));  // both from the fields
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0], (std::vector<std::wstring>{L"k1=v1", L"k1", L"v1", L""}));
  EXPECT_EQ(result[1], (std::vector<std::wstring>{L"k2=", L"k2", L"", L""}));

  EXPECT_FALSE(regex.fetchAll(result, L"(unclosed", L"text"));
  EXPECT_EQ(std::wstring(regex.getLastError()).rfind(L"fetch boost::bad_expression ", 0), 0u)
      << regex.getLastError();

  CRegExW empty;
  result = {{L"kept"}};
  EXPECT_FALSE(empty.fetchAll(result, L"a", L""));  // no subject anywhere
  EXPECT_EQ(result.size(), 1u);
  EXPECT_FALSE(empty.fetchAll(result, L"zz", L"abc"));  // no match
  EXPECT_TRUE(result.empty());
}

}  // namespace
