#include "windows/ExitSignals.h"

#include <pthread.h>
#include <signal.h>

#include <mutex>
#include <thread>

#include "windows/SDlgMain.h"

namespace {

std::mutex g_lock;
HWND g_target = nullptr;
bool g_pending = false;

sigset_t ExitSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  sigaddset(&set, SIGINT);
  return set;
}

void PostExit() {
  PostMessageW(g_target, UM_EXIT_REQUEST, 0, 0);
}

}  // namespace

void WatchExitSignals() {
  const sigset_t set = ExitSignalSet();
  if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
  // Lives as long as the process: it only waits, and posts under the lock.
  std::thread([set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      std::lock_guard<std::mutex> lock(g_lock);
      if (g_target)
        PostExit();
      else
        g_pending = true;
    }
  }).detach();
}

void SetExitSignalTarget(HWND main) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_target = main;
  if (g_target && g_pending) {
    g_pending = false;
    PostExit();
  }
}
