// Access to the installed display backend (see win32/backend.h).
#pragma once

#include "win32/backend.h"

namespace win32::detail {

// The installed backend, or null. The record stays valid for the process's life.
const Win32DisplayBackend* displayBackend();

}  // namespace win32::detail
