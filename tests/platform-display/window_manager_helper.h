// A window manager (openbox) on the test display for one test: started and
// waited for until it takes windows, stopped afterwards with the root's
// traces of it removed, so later tests see a bare display again.
#pragma once

#include <sys/types.h>

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
