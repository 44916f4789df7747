// Kernel objects (semaphores, events, threads, mutexes) behind HANDLE values.
// One process-wide lock guards every object's state, so a wait for all of
// several objects sees them at one instant. Each object keeps its own list
// of the threads waiting on it: a signal wakes those alone, each on its own
// condition variable or, when the thread also watches its message queue,
// through that queue's wake descriptor.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "win32/handle_objects.h"
#include "win32/kernel32.h"

namespace win32::detail {

// One waiting thread, registered with every object it waits on.
struct Waiter {
  std::condition_variable condition;  // slept on when there is no queue to watch
  int wakeFd = -1;                    // the thread's queue wake descriptor, or -1
};

// The waitable kinds of handle object.
class KernelObject : public Win32HandleObject {
 public:
  // All of these are called with kernelMutex() held.
  virtual bool signaledFor(DWORD threadId) const = 0;
  // Consumes the signal on behalf of a satisfied wait.
  virtual void acquire(DWORD threadId) = 0;
  void addWaiter(Waiter* waiter);
  void removeWaiter(Waiter* waiter);
  // Wakes the threads waiting on this object; call after a state change
  // that may satisfy one.
  void wakeWaiters();

 private:
  std::vector<Waiter*> waiters_;
};

std::mutex& kernelMutex();

HANDLE insertHandle(std::shared_ptr<Win32HandleObject> object);
// Resolves a handle, including the current thread's pseudo handle. Null when
// the handle is not open.
std::shared_ptr<Win32HandleObject> lookupAnyHandle(HANDLE handle);
// Null also when the handle is open but not waitable.
inline std::shared_ptr<KernelObject> lookupHandle(HANDLE handle) {
  return std::dynamic_pointer_cast<KernelObject>(lookupAnyHandle(handle));
}
template <class T>
std::shared_ptr<T> lookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(lookupAnyHandle(handle));
}
bool closeHandle(HANDLE handle);

// The kernel object of the calling thread, made on first use.
std::shared_ptr<KernelObject> currentThreadObject();

}  // namespace win32::detail
