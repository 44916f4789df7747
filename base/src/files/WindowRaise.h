#pragma once
// Restoring and raising a top-level window, possibly another process's.

#include "win32/types.h"

enum class RaiseOrder {
  kActivateFirst,  // activate and focus, then restore, show and raise
  kShowFirst,      // restore and show, then activate, focus and raise
};

// Restores a minimised window, shows it, puts it above every other window
// without leaving it topmost and makes it the foreground window. False
// when that could not be done.
bool RaiseInstanceWindow(HWND window, RaiseOrder order);
