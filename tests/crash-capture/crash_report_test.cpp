// A program that loads the crash-capture module and crashes on purpose
// leaves a report naming its own function, and its observer hears of the
// crash once.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

fs::path ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int CountOccurrences(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1))
    ++n;
  return n;
}

struct CrashRun {
  bool hung = false;       // still running at the deadline (then killed)
  int termSignal = 0;      // 0 when the child did not die of a signal
  int exitCode = -1;
  std::vector<fs::path> reports;
  std::string observerLog;
};

class CrashReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("crash-report-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "data");
  }
  void TearDown() override { fs::remove_all(root_); }

  CrashRun Run(const std::string& how) {
    fs::path child = ProgramFolder() / "crash_capture_child";
    fs::path log = root_ / "observer.log";
    std::string dataHome = (root_ / "data").string();
    pid_t pid = fork();
    if (pid == 0) {
      setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
      execl(child.c_str(), child.c_str(), how.c_str(), log.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    CrashRun run;
    int status = 0;
    // A report takes well under a second; a handler that hangs is stopped
    // after a minute, a margin no loaded machine needs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
      usleep(20000);
    if (done == 0) {
      run.hung = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return run;
    }
    EXPECT_EQ(done, pid);
    if (WIFSIGNALED(status)) run.termSignal = WTERMSIG(status);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    fs::path folder = root_ / "data" / "Quorvale";
    if (fs::is_directory(folder))
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind("crash-", 0) == 0) run.reports.push_back(entry.path());
    if (fs::exists(log)) run.observerLog = ReadAll(log);
    return run;
  }

  fs::path root_;
};

struct CrashCase {
  const char* how;
  int signal;
  const char* signalName;
};
void PrintTo(const CrashCase& c, std::ostream* out) { *out << c.how; }

class CrashKinds : public CrashReportTest, public ::testing::WithParamInterface<CrashCase> {};

TEST_P(CrashKinds, ReportNamesTheCrashingFunctionAndObserverIsCalledOnce) {
  const CrashCase& c = GetParam();
  CrashRun run = Run(c.how);
  EXPECT_EQ(run.termSignal, c.signal) << "exit code " << run.exitCode;
  ASSERT_EQ(run.reports.size(), 1u);
  std::string report = ReadAll(run.reports[0]);
  EXPECT_NE(report.find(std::string("Crash: ") + c.signalName), std::string::npos) << report;
  EXPECT_NE(report.find("Time: "), std::string::npos) << report;
  EXPECT_NE(report.find("crashing_program.cpp("), std::string::npos) << report;
  EXPECT_NE(report.find(") : crash_capture_child at (anonymous namespace)::CrashOnPurposeInNamedFunction()"),
            std::string::npos)
      << report;
  // The caller's frame follows the crashing one.
  EXPECT_LT(report.find("CrashOnPurposeInNamedFunction"), report.find(" at main()")) << report;

  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
  EXPECT_NE(run.observerLog.find("OnCatch " + std::to_string(c.signal) + "\n"), std::string::npos);
  EXPECT_NE(run.observerLog.find("CrashOnPurposeInNamedFunction"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, CrashKinds,
                         ::testing::Values(CrashCase{"segv", SIGSEGV, "SIGSEGV"},
                                           CrashCase{"abort", SIGABRT, "SIGABRT"},
                                           CrashCase{"fpe", SIGFPE, "SIGFPE"}),
                         [](const auto& info) { return std::string(info.param.how); });

struct AllocatorCase {
  const char* how;
  int signal;
  const char* function;  // the frame the report must name
};
void PrintTo(const AllocatorCase& c, std::ostream* out) { *out << c.how; }

class AllocatorTaken : public CrashReportTest, public ::testing::WithParamInterface<AllocatorCase> {};

// The handler allocates nothing: a crash while the allocator's lock is held,
// by another thread or by the crashing code itself, is still reported whole
// and the observer still hears of it.
TEST_P(AllocatorTaken, TheReportIsWrittenAndTheProcessDiesOfItsSignal) {
  const AllocatorCase& c = GetParam();
  CrashRun run = Run(c.how);
  ASSERT_FALSE(run.hung) << "the crash handler hung";
  EXPECT_EQ(run.termSignal, c.signal) << "exit code " << run.exitCode;
  ASSERT_EQ(run.reports.size(), 1u);
  std::string report = ReadAll(run.reports[0]);
  EXPECT_NE(report.find("crashing_program.cpp("), std::string::npos) << report;
  EXPECT_NE(report.find(std::string(") : crash_capture_child at (anonymous namespace)::") + c.function + "()"),
            std::string::npos)
      << report;
  EXPECT_LT(report.find(c.function), report.find(" at main()")) << report;
  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
  EXPECT_NE(run.observerLog.find(c.function), std::string::npos) << run.observerLog;
}

INSTANTIATE_TEST_SUITE_P(
    Crashes, AllocatorTaken,
    ::testing::Values(AllocatorCase{"allocator-held-segv", SIGSEGV, "CrashOnPurposeInNamedFunction"},
                      AllocatorCase{"allocator-abort", SIGABRT, "FreeTwiceInNamedFunction"}),
    [](const auto& info) {
      std::string name = info.param.how;
      for (char& ch : name)
        if (ch == '-') ch = '_';
      return name;
    });

TEST_F(CrashReportTest, ObserverThatCrashesItselfIsCalledOnceAndTheProcessStillEnds) {
  CrashRun run = Run("observer-crash");
  EXPECT_EQ(run.termSignal, SIGSEGV);
  EXPECT_EQ(run.reports.size(), 1u);
  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
}

// The handler waits on the signal stack while the report is written: a
// signal the observer meets must not be given a frame over it.
TEST_F(CrashReportTest, ASignalDuringTheReportLeavesTheProcessToDieOfItsCrash) {
  CrashRun run = Run("observer-signal");
  EXPECT_EQ(run.termSignal, SIGABRT) << "exit code " << run.exitCode;
  EXPECT_EQ(run.reports.size(), 1u);
  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
}

TEST_F(CrashReportTest, CrashOnAWorkerThreadIsReportedWithThatThreadsStack) {
  CrashRun run = Run("thread-segv");
  EXPECT_EQ(run.termSignal, SIGSEGV);
  ASSERT_EQ(run.reports.size(), 1u);
  std::string report = ReadAll(run.reports[0]);
  EXPECT_NE(report.find("at (anonymous namespace)::CrashOnPurposeInNamedFunction()"), std::string::npos)
      << report;
  EXPECT_EQ(report.find(" at main()"), std::string::npos) << report;  // not the main thread's stack
  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
}

struct OverflowCase {
  const char* how;
  bool onMainThread;
};
void PrintTo(const OverflowCase& c, std::ostream* out) { *out << c.how; }

class StackOverflow : public CrashReportTest, public ::testing::WithParamInterface<OverflowCase> {};

// A stack that ran out leaves no room for a signal frame: the handler runs
// only where the crashing thread has an alternate stack of its own, whoever
// started that thread and whenever.
TEST_P(StackOverflow, IsReportedOnceFromTheCrashingThread) {
  const OverflowCase& c = GetParam();
  CrashRun run = Run(c.how);
  EXPECT_EQ(run.termSignal, SIGSEGV) << "exit code " << run.exitCode;
  ASSERT_EQ(run.reports.size(), 1u);
  std::string report = ReadAll(run.reports[0]);
  EXPECT_NE(report.find("Crash: SIGSEGV"), std::string::npos) << report;
  EXPECT_NE(report.find("at (anonymous namespace)::RecurseWithoutEnd()"), std::string::npos) << report;
  if (!c.onMainThread) {
    EXPECT_EQ(report.find(" at main()"), std::string::npos) << report;
  }
  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
  EXPECT_NE(run.observerLog.find("OnCatch 11\n"), std::string::npos) << run.observerLog;
  EXPECT_NE(run.observerLog.find("RecurseWithoutEnd"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Threads, StackOverflow,
                         ::testing::Values(OverflowCase{"overflow", true},
                                           OverflowCase{"thread-overflow", false},
                                           OverflowCase{"early-thread-overflow", false},
                                           OverflowCase{"createthread-overflow", false},
                                           OverflowCase{"pulse-overflow", false}),
                         [](const auto& info) {
                           std::string name = info.param.how;
                           for (char& ch : name)
                             if (ch == '-') ch = '_';
                           return name;
                         });

TEST_F(CrashReportTest, HandlersOutliveTheLoaderFreeingTheModule) {
  CrashRun run = Run("unload-segv");
  EXPECT_EQ(run.termSignal, SIGSEGV);
  EXPECT_EQ(run.reports.size(), 1u);
  EXPECT_EQ(CountOccurrences(run.observerLog, "OnCatch "), 1) << run.observerLog;
}

}  // namespace
