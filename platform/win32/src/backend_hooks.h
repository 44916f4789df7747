// Access to the installed display backend (see win32/backend.h).
#pragma once

#include "win32/backend.h"

namespace win32::detail {

// The installed backend, or null. The record stays valid for the process's life.
const Win32DisplayBackend* displayBackend();
// Opens the X display the first time a top-level window is made (and
// installs its backend), unless another backend is installed already.
void openDisplayOnFirstUse();
// Forgets focus, capture, activation, hot keys and caret of a window that
// is going away, and releases its native window and backing surface.
// Without `notify` (its thread is ending) no message is sent on its behalf.
void forgetWindowState(HWND hwnd, bool notify = true);
// Brings a window's X counterpart in line after SetWindowLong changed its
// style, extended style or owner (`index`), `previous` being the old value.
void windowStyleChanged(HWND hwnd, int index, LONG_PTR previous);
// True when a backend recognises `hwnd` as another process's window.
bool isForeignWindow(HWND hwnd);

}  // namespace win32::detail
