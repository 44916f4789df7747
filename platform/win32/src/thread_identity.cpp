// Thread and process ids. Thread ids are the kernel's thread ids: stable for
// the thread's life, 32-bit and unique across processes.
#include <sys/syscall.h>
#include <unistd.h>

#include "win32/kernel32.h"

namespace {
thread_local DWORD t_threadId = 0;
}

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = static_cast<DWORD>(::syscall(SYS_gettid));
  return t_threadId;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

// The pseudo handles Windows uses: only meaningful to the calling thread or
// process, and turned into real handles by DuplicateHandle.
HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }
