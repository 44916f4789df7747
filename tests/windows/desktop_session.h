// A desktop on the test's X display for the program's own process: a
// window manager (openbox) and a system-tray manager (trayer), started as a
// session starts them and stopped at the end with the root's traces of the
// window manager removed, so later tests see a bare display again.
#pragma once

#include <sys/types.h>

#include <string>

class ScopedDesktop {
 public:
  // `tray`: whether a tray manager runs beside the window manager.
  explicit ScopedDesktop(bool tray = true);
  ~ScopedDesktop();
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;
  // False when a part did not start or did not take its place in time.
  bool running() const { return running_; }
  // Ends the tray manager alone (its icons go with it).
  void StopTray();

 private:
  pid_t windowManager_ = 0;
  pid_t tray_ = 0;
  bool running_ = false;
};

// Whether some client owns the screen's system-tray selection.
bool TrayOwned();
