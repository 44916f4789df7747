#include "desktop_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>
#include <thread>

#include "../platform-display/display_helper.h"

extern char** environ;

namespace {

pid_t Spawn(std::initializer_list<const char*> args) {
  std::vector<char*> argv;
  for (const char* a : args) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : 0;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = 0;
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

bool WindowManagerNamedItself() {
  Display* d = userDisplay();
  const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool present = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, AnyPropertyType, &type,
                                          &format, &count, &after, &data) == Success &&
                       count == 1;
  if (data) XFree(data);
  return present;
}

}  // namespace

bool TrayOwned() {
  Display* d = userDisplay();
  char name[64];
  std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", DefaultScreen(d));
  return XGetSelectionOwner(d, XInternAtom(d, name, False)) != 0;
}

ScopedDesktop::ScopedDesktop(bool tray) {
  if (!userDisplay()) return;
  windowManager_ = Spawn({"openbox"});
  if (!windowManager_ || !WaitUntil(WindowManagerNamedItself, 15000)) return;
  // The manager names itself a moment before it manages windows.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  if (tray) {
    tray_ = Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                   "--SetDockType", "true", "--expand", "true", "--transparent", "false", "--tint", "0x00FF00"});
    if (!tray_ || !WaitUntil(TrayOwned, 15000)) return;
  }
  running_ = true;
}

void ScopedDesktop::StopTray() {
  Stop(tray_);
  WaitUntil([] { return !TrayOwned(); }, 5000);
}

ScopedDesktop::~ScopedDesktop() {
  Stop(tray_);
  Stop(windowManager_);
  if (Display* d = userDisplay()) {
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False));
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTED", False));
    XSync(d, False);
  }
}
