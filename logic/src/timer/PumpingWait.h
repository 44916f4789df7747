// Waiting for a thread on a thread that may own windows: messages that
// other threads send to it are handled meanwhile, so a task thread blocked
// in SendMessageW to this thread can finish instead of deadlocking.
#pragma once

#include "win32/types.h"

namespace logic {

void WaitPumpingSends(HANDLE handle);

}  // namespace logic
