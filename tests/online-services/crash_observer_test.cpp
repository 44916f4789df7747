// The crash observer on its own, called as the crash-capture module calls it:
// the first call hands host and text to the helper, later calls and a
// missing host do nothing, and a helper that cannot start costs the caller
// nothing (its write meets a closed pipe, not SIGPIPE).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "online/DumpCatchUpload.h"

namespace {

namespace fs = std::filesystem;

class CrashObserverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("crash-observer-" + std::to_string(getpid()));
    fs::create_directories(folder);
    record = folder / "record.txt";
    helper = folder / "helper";
    // Writes its argument, then standard input, and renames the record in place.
    std::ofstream(helper) << "#!/bin/sh\n{ printf '%s\\n' \"$1\"; cat; } > '" << record.string()
                          << ".part'\nmv '" << record.string() << ".part' '" << record.string() << "'\n";
    chmod(helper.c_str(), 0755);
  }
  void TearDown() override {
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    fs::remove_all(folder);
  }
  std::string Record(int waitMs = 10000) {
    for (int waited = 0; waited < waitMs && !fs::exists(record); waited += 20)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream in(record);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder, record, helper;
};

TEST_F(CrashObserverTest, OnlyTheFirstCallReachesTheHelper) {
  CBLLDumpCatchUpload upload(helper.string(), "127.0.0.1:8080");
  EXPECT_TRUE(upload.IsArmed());
  EXPECT_EQ(upload.OnCatch(11, "Crash: SIGSEGV & a=b"), 1);
  EXPECT_FALSE(upload.IsArmed());
  EXPECT_EQ(upload.OnCatch(6, "second"), 1);
  EXPECT_EQ(Record(), "127.0.0.1:8080\nCrash: SIGSEGV & a=b");
}

TEST_F(CrashObserverTest, WithoutAHostNoHelperRuns) {
  CBLLDumpCatchUpload upload(helper.string(), "");
  EXPECT_EQ(upload.OnCatch(11, "text"), 1);
  EXPECT_EQ(Record(300), "");
  EXPECT_FALSE(fs::exists(record));
}

TEST_F(CrashObserverTest, AHelperThatCannotStartCostsTheCallerNothing) {
  CBLLDumpCatchUpload upload((folder / "absent").string(), "127.0.0.1:8080");
  const std::string large(512 * 1024, 'x');  // more than a pipe holds
  EXPECT_EQ(upload.OnCatch(11, large.c_str()), 1);  // returns: the write ended at the closed pipe
}

TEST(CrashObserverDefaults, TheHelperLiesBesideTheProgram) {
  CBLLDumpCatchUpload upload;
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(upload.HelperPath(), (fs::path(exe).parent_path() / "quorvale-crash-upload").string());
  EXPECT_EQ(upload.UploadHost(), "");  // nothing configured here
}

}  // namespace
