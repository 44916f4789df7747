// Under a display the crash helper shows the service's reply in one ownerless
// "提示" window, which a real Enter closes; the helper then ends.
#include <signal.h>

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>
#include <vector>

#include "../online/local_server.h"
#include "../platform-display/display_helper.h"
#include "crash_upload_helper.h"

namespace {

class CrashUploadBox : public online_test::ScratchTest {};

TEST_F(CrashUploadBox, TheReplyShowsInOneTipWindowThatEnterCloses) {
  online_test::LocalServer server;
  ASSERT_TRUE(server.running());
  const std::string ini = crashtest::WriteProductIni(
      root_, "upload_host=127.0.0.1:" + std::to_string(server.port()) + "\nuid=u\nmcode=m\n");
  crashtest::CrashRun run;
  ASSERT_TRUE(crashtest::StartCrash(run, "two", ini));

  std::vector<::Window> tips;
  ASSERT_TRUE(crashtest::ReadStderr(
      run, [&] { return !(tips = viewableWindowsTitled("提示")).empty(); }, 60000))
      << run.stderrText;
  ASSERT_EQ(tips.size(), 1u) << run.stderrText;
  EXPECT_EQ(crashtest::WaitForSignal(run), SIGSEGV);  // the crashing process did not wait for the box
  EXPECT_EQ(server.requests().size(), 1u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(viewableWindowsTitled("提示").size(), 1u) << "a second box";
  EXPECT_TRUE(viewableWindowsTitled("错误").empty());

  // The helper ends at the Enter, and with it the last writer of the pipe;
  // a key lost on a slow server is pressed again.
  bool closed = false;
  for (int attempt = 0; attempt < 6 && !closed; ++attempt) {
    if (attempt > 0 && viewableWindowsTitled("提示").empty()) {  // closed; the helper is still ending
      closed = crashtest::ReadStderr(run, nullptr, 30000);
      break;
    }
    XSetInputFocus(userDisplay(), tips[0], RevertToParent, CurrentTime);
    XSync(userDisplay(), False);
    tapKey(XK_Return);
    closed = crashtest::ReadStderr(run, nullptr, 5000);
  }
  ASSERT_TRUE(closed) << "the box did not close";
  EXPECT_TRUE(viewableWindowsTitled("提示").empty());
}

}  // namespace
