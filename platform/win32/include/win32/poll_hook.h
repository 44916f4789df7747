// A thread's message wait can watch descriptors of another event loop (a
// toolkit's main context) so that its work runs in every message loop of
// that thread without polling. The hook is asked for its descriptors and
// time-out before each wait and told what the wait saw right after it.
#pragma once

#include <poll.h>

extern "C" {

struct Win32PollHook {
  // Fills at most `capacity` descriptors and returns how many it wants
  // watched (more than `capacity`: the wait asks again with room for all);
  // lowers *timeoutMs (-1 = none) when its loop has work due sooner.
  int (*prepare)(void* context, pollfd* fds, int capacity, int* timeoutMs);
  // Runs after the wait with the descriptors as the wait returned them.
  void (*dispatch)(void* context, pollfd* fds, int count);
  void* context;
};

// Installs (null: removes) the hook for the calling thread's message waits.
// The hook is copied. The program exports this name, so that a module
// loaded at run time finds the program's own message layer.
void Win32SetThreadPollHook(const Win32PollHook* hook);

}
