#include "window_manager_helper.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

#include "display_helper.h"
#include "win32/backend.h"

extern char** environ;

pid_t SpawnQuietly(std::initializer_list<const char*> args) {
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

void StopWindowManager(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = 0;
  if (Display* d = userDisplay()) {
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False));
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTED", False));
    XSync(d, False);
  }
}

ScopedWindowManager::ScopedWindowManager() {
  pid_ = SpawnQuietly({"openbox"});
  if (!pid_) return;
  Display* d = userDisplay();
  if (!pumpUntil(WindowManagerNamedItself)) return;
  // The manager names itself before it takes windows and drops those mapped
  // while it starts: probe windows are mapped until one is taken.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"ManagerProbe";
  RegisterClassW(&wc);
  for (int attempt = 0; attempt < 30 && !running_; ++attempt) {
    HWND probe = CreateWindowExW(0, L"ManagerProbe", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    ShowWindow(probe, SW_SHOWNA);
    const ::Window probeX = Win32XWindowOf(probe);
    running_ = pumpUntil(
        [&] {
          ::Window root = 0, parent = 0, *children = nullptr;
          unsigned count = 0;
          if (!XQueryTree(d, probeX, &root, &parent, &children, &count)) return false;
          if (children) XFree(children);
          return parent != root;
        },
        300);
    DestroyWindow(probe);
  }
}

ScopedWindowManager::~ScopedWindowManager() { StopWindowManager(pid_); }
