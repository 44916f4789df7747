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

// Viewable top-level windows of the screen titled `title` (UTF-8).
std::vector<::Window> WindowsTitled(const std::string& title) {
  Display* d = userDisplay();
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<::Window> found;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, children[i], netName, 0, 256, False, utf8, &type, &format, &items, &after, &data) ==
            Success &&
        data) {
      if (std::string(reinterpret_cast<char*>(data), items) == title) found.push_back(children[i]);
      XFree(data);
    }
  }
  if (children) XFree(children);
  return found;
}

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
      run, [&] { return !(tips = WindowsTitled("提示")).empty(); }, 60000))
      << run.stderrText;
  ASSERT_EQ(tips.size(), 1u) << run.stderrText;
  EXPECT_EQ(crashtest::WaitForSignal(run), SIGSEGV);  // the crashing process did not wait for the box
  EXPECT_EQ(server.requests().size(), 1u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(WindowsTitled("提示").size(), 1u) << "a second box";
  EXPECT_TRUE(WindowsTitled("错误").empty());

  XSetInputFocus(userDisplay(), tips[0], RevertToParent, CurrentTime);
  XSync(userDisplay(), False);
  tapKey(XK_Return);
  // The helper ends and with it the last writer of the pipe.
  ASSERT_TRUE(crashtest::ReadStderr(run, nullptr, 30000)) << "the box did not close";
  EXPECT_TRUE(WindowsTitled("提示").empty());
}

}  // namespace
