// The loader of the crash-capture module: the module in the program's
// folder gives a manager and a catcher; a missing module or export is told
// in a "提示" message and leaves what was obtained before.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "base/TrevalinDll.h"

namespace {

// The loader owns its module handle: a copy would free the module twice.
static_assert(!std::is_copy_constructible_v<CTrevalinDll> && !std::is_copy_assignable_v<CTrevalinDll>);

TEST(CrashModuleLoader, LoadsTheModuleFromTheProgramFolder) {
  CTrevalinDll module;
  ASSERT_NE(module.getInterface(), nullptr);
  IDumpCatcher* catcher = module.getInterface()->GetCatcher();
  ASSERT_NE(catcher, nullptr);
  // The reports go to the data folder of the fresh home the test runs in.
  std::string expected = std::string(getenv("XDG_DATA_HOME")) + "/Quorvale/";
  EXPECT_EQ(catcher->GetReportFolder(), expected);
  // A second load gets the same manager: the module installs its handlers once.
  CTrevalinDll again;
  EXPECT_EQ(again.getInterface(), module.getInterface());
}

struct LoadFailure {
  const char* name;
  std::string path;
  const char* message;
  bool keepsModule;
};

class CrashModuleLoaderFailure : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(CrashModuleLoaderFailure, TellsTheStepThatFailed) {
  const LoadFailure& f = GetParam();
  // Without a display the message box is written to standard error and
  // answered at once, rather than waiting for a click.
  unsetenv("DISPLAY");
  ::testing::internal::CaptureStderr();
  CTrevalinDll module(f.path);
  std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(module.getInterface(), nullptr);
  EXPECT_EQ(module.getModule() != nullptr, f.keepsModule);
  EXPECT_NE(shown.find(std::string("[提示] ") + f.message), std::string::npos) << shown;
  EXPECT_TRUE(module.freeModule());
  EXPECT_EQ(module.getModule(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CrashModuleLoaderFailure,
    ::testing::Values(
        LoadFailure{"MissingModule", "/nonexistent/folder/libTrevalin.so", "无法加载DLL,Trevalin.dll", false},
        // A real library without the export.
        LoadFailure{"MissingExport", "libm.so.6", "无法获取导出函数,getBLLDumpCatchMgrExportInterface",
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CrashModuleLoader, ReloadAfterReleaseGetsTheManagerAgain) {
  CTrevalinDll module;
  ASSERT_NE(module.getInterface(), nullptr);
  module.reset();
  EXPECT_EQ(module.getInterface(), nullptr);
  EXPECT_TRUE(module.freeModule());  // nothing loaded any more
  EXPECT_TRUE(module.load());
  EXPECT_NE(module.getInterface(), nullptr);
}

}  // namespace
