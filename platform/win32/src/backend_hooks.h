// Access to the installed display backend (see win32/backend.h).
#pragma once

#include "win32/backend.h"

namespace win32::detail {

// The installed backend, or null. The record stays valid for the process's life.
const Win32DisplayBackend* displayBackend();
// True while the calling thread handles a message another thread sent.
bool inForeignSend();

}  // namespace win32::detail
