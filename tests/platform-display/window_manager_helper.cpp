#include "window_manager_helper.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "display_helper.h"
#include "win32/backend.h"

extern char** environ;

namespace {
bool ManagerNamedItself(Display* d) {
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

ScopedWindowManager::ScopedWindowManager() {
  char program[] = "openbox";
  char* argv[] = {program, nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, "openbox", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = 0;
    return;
  }
  Display* d = userDisplay();
  if (!pumpUntil([&] { return ManagerNamedItself(d); })) return;
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

ScopedWindowManager::~ScopedWindowManager() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  Display* d = userDisplay();
  XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False));
  XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTED", False));
  XSync(d, False);
}
