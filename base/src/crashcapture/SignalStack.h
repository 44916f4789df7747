#pragma once
// An alternate signal stack for the calling thread. A thread whose stack
// has run out has no room left for a signal frame: without a stack of its
// own for signals, the kernel ends the process before any handler runs.

namespace crashcapture {

// Gives the calling thread an alternate signal stack unless it already has
// one. A stack given here is released when the thread ends. False, with a
// message on standard error, when none could be set up: the thread then
// runs on without one.
bool EnsureThreadSignalStack();

}  // namespace crashcapture
