// Every thread the program starts gets an alternate signal stack and takes
// faults before it runs anything, so that a crash on any thread, a stack
// overflow included, can still be reported. Threads are started in many
// places the program does not own (std::thread, PulseAudio's client
// threads), so the hook sits where they all meet: the program defines
// pthread_create itself. The executable comes first in symbol lookup, so
// every library's call lands here and is passed on to the C library's own.
// Nothing else about a thread's start changes.
#include <dlfcn.h>
#include <pthread.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "FaultSignals.h"
#include "SignalStack.h"

namespace {

using CreateThreadFn = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

CreateThreadFn NextPthreadCreate() {
  static const CreateThreadFn next = [] {
    auto found = reinterpret_cast<CreateThreadFn>(dlsym(RTLD_NEXT, "pthread_create"));
    if (!found) {
      const char* why = dlerror();
      fprintf(stderr, "pthread_create: the C library's own was not found: %s\n", why ? why : "unknown");
    }
    return found;
  }();
  return next;
}

struct ThreadStart {
  void* (*routine)(void*);
  void* arg;
};

void* StartWithSignalStack(void* startRecord) {
  ThreadStart start = *static_cast<ThreadStart*>(startRecord);
  free(startRecord);
  crashcapture::EnsureThreadSignalStack();
  // A mask given in the thread's attributes is set by the C library itself.
  crashcapture::UnblockFaultSignals();
  return start.routine(start.arg);
}

// The main thread is not started through pthread_create.
__attribute__((constructor)) void GiveTheMainThreadASignalStack() { crashcapture::EnsureThreadSignalStack(); }

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*routine)(void*),
                              void* arg) noexcept {
  CreateThreadFn next = NextPthreadCreate();
  if (!next) return EAGAIN;
  auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
  // Short of memory for the record, the thread still starts, only without
  // a signal stack.
  if (!start) return next(thread, attr, routine, arg);
  *start = ThreadStart{routine, arg};
  int result = next(thread, attr, StartWithSignalStack, start);
  if (result != 0) free(start);
  return result;
}
