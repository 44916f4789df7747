#include "windows/ExitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

#include "windows/SDlgMain.h"

namespace {

std::mutex g_lock;
HWND g_target = nullptr;
bool g_pending = false;
int g_wake[2] = {-1, -1};

constexpr int kExitSignals[] = {SIGTERM, SIGHUP, SIGINT};

// All a signal handler may do: tell the watcher through a pipe.
void OnExitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(g_wake[1], &byte, 1);
  errno = saved;
}

void PostExit() { PostMessageW(g_target, UM_EXIT_REQUEST, 0, 0); }

}  // namespace

void WatchExitSignals() {
  // A handler, not a blocked mask: the programs the recorder starts (a
  // player, the file manager) inherit the mask, and must still end on
  // SIGTERM. Handlers go back to the default in them at exec.
  if (g_wake[0] >= 0 || pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0) return;
  const int readEnd = g_wake[0];
  fcntl(readEnd, F_SETFL, 0);  // the watcher waits; the handler never does
  // Lives as long as the process: it only waits, and posts under the lock.
  std::thread([readEnd] {
    for (;;) {
      char byte = 0;
      const ssize_t got = read(readEnd, &byte, 1);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return;
      std::lock_guard<std::mutex> lock(g_lock);
      if (g_target)
        PostExit();
      else
        g_pending = true;
    }
  }).detach();
  struct sigaction action {};
  action.sa_handler = OnExitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kExitSignals) sigaction(signal, &action, nullptr);
}

void SetExitSignalTarget(HWND main) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_target = main;
  if (g_target && g_pending) {
    g_pending = false;
    PostExit();
  }
}
