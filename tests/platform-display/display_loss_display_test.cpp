// When the X server goes away under a running program, the process goes on
// without a display: no exit from inside Xlib, windows stay usable as
// table entries and messages keep flowing.
#include "display_helper.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace {

// A private X server for this test alone, so stopping it disturbs no one.
class PrivateServer {
 public:
  bool start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char program[] = "Xvfb";
    char fdArg[] = "-displayfd";
    char three[] = "3";
    char noTcp[] = "-nolisten";
    char tcp[] = "tcp";
    char* argv[] = {program, fdArg, three, noTcp, tcp, nullptr};
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
      close(fds[0]);
      return false;
    }
    // The server writes its display number and a newline once it listens.
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(fds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    return true;
  }
  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = 0;
    }
  }
  ~PrivateServer() { stop(); }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};

TEST(DisplayLoss, ProcessGoesOnWithoutTheServer) {
  PrivateServer server;
  ASSERT_TRUE(server.start());
  // Before anything in this process opens the display.
  setenv("DISPLAY", server.display().c_str(), 1);
  RecordingClass cls(L"SurvivesServerLoss");
  HWND hwnd = CreateWindowExW(0, cls.name(), L"survivor", WS_POPUP, 10, 10, 100, 80, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(Win32HasDisplay());
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_TRUE(waitViewable(hwnd));
  XCloseDisplay(userDisplay());  // the test's own connection would die too

  server.stop();
  // The loss is noticed on the next read of the connection.
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  bool seen = false;
  ASSERT_TRUE(pumpUntil([&] {
    for (const Seen& s : cls.take()) seen = seen || s.message == WM_USER + 1;
    return seen;
  }));
  pumpFor(200);
  EXPECT_FALSE(Win32HasDisplay());
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  InvalidateRect(hwnd, nullptr, FALSE);
  EXPECT_TRUE(UpdateWindow(hwnd));
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
