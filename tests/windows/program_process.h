// The program as its own process on the test servers, and what a test
// needs to play it from outside: its top-level windows found by title (under
// a window manager's frames too), real clicks and keys, its end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "base/AppFolders.h"
#include "base/CodePage.h"
// Last: Xlib's macros (Status, None, Bool) would rename the program's names.
#include "../platform-display/display_helper.h"
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace program_process {

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

inline bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

inline void ClickAt(int x, int y, unsigned button = 1) {
  moveMouse(x, y);
  Sleep(150);
  clickButton(button);
  Sleep(250);
}

struct Geometry {
  bool found = false;
  bool viewable = false;
  ::Window xid = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

inline std::string NameOf(Display* d, ::Window w) {
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(d, "UTF8_STRING", False), &type, &format, &items, &after, &data) == Success &&
      data)
    name = reinterpret_cast<char*>(data);
  if (data) XFree(data);
  return name;
}

// Depth first below `parent`, topmost last; a viewable match wins.
inline void FindBelow(Display* d, ::Window parent, const std::string& title, int depth, Geometry& g,
                      int minWidth, int maxWidth) {
  ::Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    if (NameOf(d, children[i]) == title) {
      XWindowAttributes a{};
      if (XGetWindowAttributes(d, children[i], &a) && a.width >= minWidth && a.width <= maxWidth &&
          !(g.found && g.viewable && a.map_state != IsViewable)) {
        ::Window child = 0;
        XTranslateCoordinates(d, children[i], DefaultRootWindow(d), 0, 0, &g.x, &g.y, &child);
        g.found = true;
        g.viewable = a.map_state == IsViewable;
        g.xid = children[i];
        g.width = a.width;
        g.height = a.height;
      }
    }
    if (depth > 0) FindBelow(d, children[i], title, depth - 1, g, minWidth, maxWidth);
  }
  if (children) XFree(children);
}

// The window titled `title` within a few levels of frames and panels, of
// a width in the range given (a tray icon carries the program's tip, the
// main window's title, as its name).
inline Geometry Find(const std::string& title, int minWidth = 64, int maxWidth = 1 << 20) {
  Geometry g;
  Display* d = userDisplay();
  XSync(d, False);
  FindBelow(d, DefaultRootWindow(d), title, 4, g, minWidth, maxWidth);
  return g;
}

// The program's docked tray icon.
inline Geometry FindTrayIcon() { return Find("Velmora电脑录音软件", 1, 63); }

// The ICCCM state of a top-level: 1 normal, 3 iconic, 0 withdrawn or none.
inline long WmState(::Window xid) {
  Display* d = userDisplay();
  const Atom wmState = XInternAtom(d, "WM_STATE", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  long state = 0;
  if (XGetWindowProperty(d, xid, wmState, 0, 2, False, wmState, &type, &format, &items, &after, &data) == Success &&
      data && items >= 1)
    state = reinterpret_cast<long*>(data)[0];
  if (data) XFree(data);
  return state;
}

// Asks the window manager to close a top-level, as its close button does.
inline void AskToClose(::Window xid) {
  Display* d = userDisplay();
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = xid;
  e.xclient.message_type = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = CurrentTime;
  e.xclient.data.l[1] = 2;  // from a pager or task bar
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XSync(d, False);
}

inline const char* const kMainTitle = "Velmora电脑录音软件";
inline const char* const kPromptTitle = "dlg_close";
inline const char* const kFlowTitle = "悬浮窗";
inline const char* const kSettingsTitle = "设置";
inline const char* const kTimerTasksTitle = "定时任务";
inline const char* const kAboutTitle = "关于我们";

// Waits for the main window of a new run and its first paint; the pointer
// stays clear of the floating window so that it docks away.
inline ::testing::AssertionResult MainWindowUp() {
  moveMouse(300, 300);
  if (!WaitFor([] { return Find(kMainTitle).viewable; }, 20000))
    return ::testing::AssertionFailure() << "no main window";
  Sleep(800);
  return ::testing::AssertionSuccess();
}

// Opens the settings dialog with a real click on "更多设置", at its place in
// the 760 x 640 main layout at 100 %; whether the dialog came up.
inline bool OpenSettings() {
  const Geometry main = Find(kMainTitle);
  ClickAt(main.x + 604, main.y + 555);
  const bool up = WaitFor([] { return Find(kSettingsTitle).viewable; }, 8000);
  Sleep(500);
  return up;
}

// One run of the program, killed at the end when it is still there. With
// `stderrLog` its standard error (the debug channel, its log) goes to that
// file, emptied first.
class Program {
 public:
  explicit Program(const std::string& stderrLog = {}) : stderrLog_(stderrLog) {
    const std::string path = WideToUtf8(std::wstring(GetExeDir().c_str())) + "/quorvale";
    pid_ = fork();
    if (pid_ == 0) {
      // Never left behind by a test that dies.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (!stderrLog.empty()) {
        const int fd = open(stderrLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0 && dup2(fd, STDERR_FILENO) >= 0 && fd != STDERR_FILENO) close(fd);
      }
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    started_ = pid_ > 0;
  }
  ~Program() { Kill(); }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  bool Started() const { return started_; }
  bool Alive() {
    if (exited_ || !started_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      status_ = status;
    }
    return !exited_;
  }
  void Signal(int signal) { kill(pid_, signal); }
  // Ends it at once, as a crash or a power cut would, when it still runs.
  void Kill() {
    if (!Alive()) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    exited_ = true;
  }
  // Waits for the end of the process; true when it ended by itself with 0.
  bool EndsCleanly(int ms = 15000) {
    WaitFor([&] { return !Alive(); }, ms);
    return exited_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
  }
  // How it ended, for a failure message.
  std::string HowItEnded() const {
    if (!exited_) return "still running";
    if (WIFSIGNALED(status_)) return "killed by signal " + std::to_string(WTERMSIG(status_));
    return "exit code " + std::to_string(WEXITSTATUS(status_));
  }
  // What it has written to its standard error so far (with `stderrLog`).
  std::string Log() const {
    std::ifstream in(stderrLog_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string stderrLog_;
  pid_t pid_ = -1;
  bool started_ = false;
  bool exited_ = false;
  int status_ = 0;
};

}  // namespace program_process
