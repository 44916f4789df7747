#include "desktop_session.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "../platform-display/display_helper.h"
#include "../platform-display/window_manager_helper.h"

namespace {

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

}  // namespace

bool TrayOwned() {
  Display* d = userDisplay();
  char name[64];
  std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", DefaultScreen(d));
  return XGetSelectionOwner(d, XInternAtom(d, name, False)) != 0;
}

ScopedDesktop::ScopedDesktop(bool tray) {
  if (!userDisplay()) return;
  windowManager_ = SpawnQuietly({"openbox"});
  if (!windowManager_ || !WaitUntil(WindowManagerNamedItself, 15000)) return;
  // The manager names itself a moment before it manages windows.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  if (tray) {
    tray_ = SpawnQuietly({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                          "24", "--SetDockType", "true", "--expand", "true", "--transparent", "false", "--tint",
                          "0x00FF00"});
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
  StopWindowManager(windowManager_);
}
