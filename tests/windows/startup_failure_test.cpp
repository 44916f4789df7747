// The program started where its modules are missing: the crash module's
// message, then a "提示" message naming the render plug-in, and the program
// ends with 1, having released what it made. Without a display the
// messages go to standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/AppFolders.h"
#include "base/CodePage.h"

namespace {

TEST(StartUpFailure, AMissingRenderPluginIsNamedAndEndsWithOne) {
  const std::string bin = WideToUtf8(std::wstring(GetExeDir().c_str()));
  const std::string lonely = std::string(getenv("HOME")) + "/lonely";
  std::filesystem::create_directories(lonely);
  std::filesystem::copy_file(bin + "/quorvale", lonely + "/quorvale",
                             std::filesystem::copy_options::overwrite_existing);
  const std::string command = "env -u DISPLAY '" + lonely + "/quorvale' 2>&1";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string text;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, out)) text += buffer;
  const int status = pclose(out);
  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 1) << text;
  EXPECT_NE(text.find("提示"), std::string::npos) << text;
  EXPECT_NE(text.find("render-skia.dll"), std::string::npos) << text;
  // The crash module is missing too: its message comes first, and start-up
  // goes on without it until the render plug-in.
  const size_t crash = text.find("Trevalin");
  ASSERT_NE(crash, std::string::npos) << text;
  EXPECT_LT(crash, text.find("render-skia.dll")) << text;
}

}  // namespace
