#pragma once
// The signals a faulting instruction raises. A thread that blocks one of
// them does not delay it: the kernel ends the process at once, and no
// handler hears of the fault.

#include <signal.h>

namespace crashcapture {

inline constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};

// Lets the calling thread take faults again, whatever mask it started with.
void UnblockFaultSignals();

}  // namespace crashcapture
