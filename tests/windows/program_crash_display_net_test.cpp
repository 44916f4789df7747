// A crash of the running program reaches the service: `quorvale` is
// started with its window up, killed by SIGSEGV, and the crash module's
// observer starts the upload helper beside it, which posts the report to
// the upload host named in product.ini (a server of the test's own on
// 127.0.0.1) and shows the service's reply in a "提示" box.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "../online/local_server.h"
#include "base/AppFolders.h"
#include "base/CodePage.h"
#include "../platform-display/display_helper.h"
#include <X11/keysym.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

class ProgramCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "this test needs an X display";
    work = std::string(getenv("HOME")) + "/crash/";
    fs::create_directories(work);
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    // A box left by a failed run goes with its client.
    for (::Window box : viewableWindowsTitled("提示")) XKillClient(userDisplay(), box);
    XSync(userDisplay(), False);
  }
  // Starts the program beside this test with that product file.
  bool Start(const std::string& productIni) {
    const std::string program = WideToUtf8(std::wstring(GetExeDir().c_str())) + "/quorvale";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("QUORVALE_PRODUCT_INI=", 0) != 0) env.emplace_back(*e);
    env.push_back("QUORVALE_PRODUCT_INI=" + productIni);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) == 0;
  }
  // The signal the program died of; 0 when it did not end in time.
  int WaitForEnd() {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 30000);
    if (!ended) return 0;
    pid = -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : -1000 - WEXITSTATUS(status);
  }

  std::string work;
  pid_t pid = -1;
};

TEST_F(ProgramCrash, ASegfaultOfTheRunningProgramPostsTheReportToTheUploadHost) {
  online_test::LocalServer server;
  ASSERT_TRUE(server.running());
  const std::string ini = work + "product.ini";
  std::ofstream(ini) << "[product]\nupload_host=127.0.0.1:" << server.port()
                     << "\nuid=用户 7&x=1\nmcode=AB-12\nvform=3.6.0-crash\n";
  ASSERT_TRUE(Start(ini));
  ASSERT_TRUE(WaitFor([] { return !viewableWindowsTitled("Velmora电脑录音软件").empty(); }, 60000))
      << "the main window did not show";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  ASSERT_EQ(kill(pid, SIGSEGV), 0);
  EXPECT_EQ(WaitForEnd(), SIGSEGV) << "the program dies of its signal";

  std::vector<online_test::RecordedRequest> uploads;
  ASSERT_TRUE(WaitFor(
      [&] {
        uploads.clear();
        for (const auto& r : server.requests())
          if (r.path == "/DoLoadLog.php") uploads.push_back(r);
        return !uploads.empty();
      },
      60000))
      << "nothing reached the upload host";
  // The helper shows the reply; Enter closes its box.
  ASSERT_TRUE(WaitFor([] { return !viewableWindowsTitled("提示").empty(); }, 30000)) << "no reply box";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(server.requests().size(), 1u) << "one request, once";
  EXPECT_EQ(viewableWindowsTitled("提示").size(), 1u);
  EXPECT_EQ(uploads[0].method, "POST");
  EXPECT_EQ(uploads[0].header("Content-Type"), "application/x-www-form-urlencoded");
  const auto form = online_test::DecodeForm(uploads[0].body);
  EXPECT_EQ(form.size(), 4u) << uploads[0].body;
  ASSERT_TRUE(form.count("exception")) << uploads[0].body;
  EXPECT_NE(form.at("exception").find("Crash: SIGSEGV"), std::string::npos) << form.at("exception");
  EXPECT_EQ(form.count("uid") ? form.at("uid") : "", "用户 7&x=1");
  EXPECT_EQ(form.count("mcode") ? form.at("mcode") : "", "AB-12");
  EXPECT_EQ(form.count("vform") ? form.at("vform") : "", "3.6.0-crash");

  bool closed = false;
  for (int attempt = 0; attempt < 6 && !closed; ++attempt) {
    const std::vector<::Window> boxes = viewableWindowsTitled("提示");
    if (boxes.empty()) {
      closed = true;
      break;
    }
    XSetInputFocus(userDisplay(), boxes[0], RevertToParent, CurrentTime);
    XSync(userDisplay(), False);
    tapKey(XK_Return);
    closed = WaitFor([] { return viewableWindowsTitled("提示").empty(); }, 5000);
  }
  EXPECT_TRUE(closed) << "the reply box did not close";
}

}  // namespace
