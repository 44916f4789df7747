// Kernel objects (semaphores, events, threads, mutexes) behind HANDLE values.
// One process-wide lock guards every object's state; waiters sleep on one
// condition variable, or, when the waiting thread also watches its message
// queue, on that queue's wake descriptor registered as a watcher.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "win32/handle_objects.h"
#include "win32/kernel32.h"

namespace win32::detail {

// The waitable kinds of handle object.
class KernelObject : public Win32HandleObject {
 public:
  // Both are called with kernelMutex() held.
  virtual bool signaledFor(DWORD threadId) const = 0;
  // Consumes the signal on behalf of a satisfied wait.
  virtual void acquire(DWORD threadId) = 0;
};

std::mutex& kernelMutex();
// Wakes every waiter; call with kernelMutex() held after a state change.
void signalWaiters();
// A queue's wake descriptor that should be written on every signal.
void addWatcher(int fd);
void removeWatcher(int fd);
std::condition_variable& kernelCondition();

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
