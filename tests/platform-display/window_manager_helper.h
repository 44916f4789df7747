// A window manager (openbox) on the test display for one test: started and
// waited for until it takes windows, stopped afterwards with the root's
// traces of it removed, so later tests see a bare display again. And the
// pieces of that, for a test that runs a whole desktop.
#pragma once

#include <sys/types.h>

#include <initializer_list>

// Starts `args` (the program looked up in PATH) with its output thrown
// away; its process id, 0 when it could not start.
pid_t SpawnQuietly(std::initializer_list<const char*> args);

// Whether a window manager has named itself on the root
// (_NET_SUPPORTING_WM_CHECK); it does so a moment before it takes windows.
bool WindowManagerNamedItself();

// Ends the window manager `pid` (nothing when 0) and removes its traces
// from the root; `pid` is 0 afterwards.
void StopWindowManager(pid_t& pid);

class ScopedWindowManager {
 public:
  ScopedWindowManager();
  ~ScopedWindowManager();
  ScopedWindowManager(const ScopedWindowManager&) = delete;
  ScopedWindowManager& operator=(const ScopedWindowManager&) = delete;
  // False when it did not start or took no window in time.
  bool running() const { return running_; }

 private:
  pid_t pid_ = 0;
  bool running_ = false;
};
