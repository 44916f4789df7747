// Faults stay deliverable on every thread. Libraries block every signal on
// threads of their own (PulseAudio's main loop does) so that signals meant
// for the process reach the main thread; but a fault cannot wait: the kernel
// ends the process at once when the faulting thread blocks it, and no
// handler hears of it. Blocking a fault never did more than that, so the
// program's masks leave the fault signals out, whoever sets them.
#include <dlfcn.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>

#include "FaultSignals.h"

namespace {

using MaskFn = int (*)(int, const sigset_t*, sigset_t*);

MaskFn FindNext(const char* name) {
  auto found = reinterpret_cast<MaskFn>(dlsym(RTLD_NEXT, name));
  if (!found) {
    const char* why = dlerror();
    fprintf(stderr, "%s: the C library's own was not found: %s\n", name, why ? why : "unknown");
  }
  return found;
}

sigset_t WithoutFaults(const sigset_t& set) {
  sigset_t allowed = set;
  for (int signal : crashcapture::kFaultSignals) sigdelset(&allowed, signal);
  return allowed;
}

// Unblocking and reading pass through as they are.
int SetMask(MaskFn next, int how, const sigset_t* set, sigset_t* old) {
  if (!set || how == SIG_UNBLOCK) return next(how, set, old);
  sigset_t allowed = WithoutFaults(*set);
  return next(how, &allowed, old);
}

}  // namespace

namespace crashcapture {

void UnblockFaultSignals() {
  sigset_t faults;
  sigemptyset(&faults);
  for (int signal : kFaultSignals) sigaddset(&faults, signal);
  pthread_sigmask(SIG_UNBLOCK, &faults, nullptr);
}

}  // namespace crashcapture

extern "C" int pthread_sigmask(int how, const sigset_t* set, sigset_t* old) noexcept {
  static const MaskFn next = FindNext("pthread_sigmask");
  if (!next) return ENOSYS;
  return SetMask(next, how, set, old);
}

extern "C" int sigprocmask(int how, const sigset_t* set, sigset_t* old) noexcept {
  static const MaskFn next = FindNext("sigprocmask");
  if (!next) {
    errno = ENOSYS;
    return -1;
  }
  return SetMask(next, how, set, old);
}
