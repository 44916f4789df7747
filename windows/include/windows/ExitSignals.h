// A desktop ending the session (SIGTERM, SIGHUP) or Ctrl+C in a terminal
// (SIGINT) ends the program as "退出主程序" does, so that its settings,
// recordings and timer tasks are saved: a watcher thread takes the signal
// and posts the exit command to the main window.
#pragma once

#include "win32/windows.h"

// Installs the signals' handler and starts the watcher; once per process.
void WatchExitSignals();
// The window the exit command goes to (null: none yet, or none any more).
// A signal that came before the window is delivered when it is set.
void SetExitSignalTarget(HWND main);
