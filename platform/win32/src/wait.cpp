// WaitForSingleObject, WaitForMultipleObjects and MsgWaitForMultipleObjects.
// A thread that has a message queue keeps handling messages other threads
// send to it while it waits on objects, so a UI thread waiting for a worker
// that is sending to it cannot deadlock.
#include <chrono>
#include <vector>

#include "kernel_object.h"
#include "message_queue.h"
#include "wait_timeout.h"
#include "win32/messaging.h"

using namespace win32::detail;

namespace {

using Clock = std::chrono::steady_clock;

// Registers the waiting thread with each object for the length of the wait.
class WaiterRegistration {
 public:
  WaiterRegistration(const std::vector<std::shared_ptr<KernelObject>>& objects, int wakeFd)
      : objects_(objects) {
    waiter_.wakeFd = wakeFd;
    std::lock_guard<std::mutex> lock(kernelMutex());
    for (auto& object : objects_) object->addWaiter(&waiter_);
  }
  ~WaiterRegistration() {
    std::lock_guard<std::mutex> lock(kernelMutex());
    for (auto& object : objects_) object->removeWaiter(&waiter_);
  }
  std::condition_variable& condition() { return waiter_.condition; }

 private:
  const std::vector<std::shared_ptr<KernelObject>>& objects_;
  Waiter waiter_;
};

// Call with kernelMutex() held. Returns the satisfied index or -1.
int trySatisfy(const std::vector<std::shared_ptr<KernelObject>>& objects, bool all, DWORD self) {
  if (objects.empty()) return -1;
  if (all) {
    for (auto& object : objects) {
      if (!object->signaledFor(self)) return -1;
    }
    for (auto& object : objects) object->acquire(self);
    return 0;
  }
  for (size_t i = 0; i < objects.size(); ++i) {
    if (objects[i]->signaledFor(self)) {
      objects[i]->acquire(self);
      return static_cast<int>(i);
    }
  }
  return -1;
}

DWORD waitFor(DWORD count, const HANDLE* handles, bool all, DWORD ms, bool forMessages) {
  if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles) || (count == 0 && !forMessages)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<KernelObject>> objects;
  for (DWORD i = 0; i < count; ++i) {
    auto object = lookupHandle(handles[i]);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(object));
  }
  std::shared_ptr<Queue> queue = forMessages ? currentQueue() : existingCurrentQueue();
  const DWORD self = GetCurrentThreadId();
  const bool forever = ms == INFINITE;
  const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : ms);
  WaiterRegistration registration(objects, queue ? queue->wakeFd : -1);

  bool connectionQuiet = true;  // as in GetMessageW
  for (;;) {
    if (queue) {
      queue->drainWake();
      if (forMessages) pumpBackend(connectionQuiet);
      const bool handled = handleIncomingSends(*queue);
      MSG msg;
      if (forMessages && (handled || takeMessage(*queue, &msg, nullptr, 0, 0, false)))
        return WAIT_OBJECT_0 + count;
    }
    std::unique_lock<std::mutex> lock(kernelMutex());
    const int index = trySatisfy(objects, all, self);
    if (index >= 0) return WAIT_OBJECT_0 + static_cast<DWORD>(index);
    const auto now = Clock::now();
    if (!forever && now >= deadline) return WAIT_TIMEOUT;
    if (!queue) {
      if (forever) registration.condition().wait(lock);
      else registration.condition().wait_until(lock, deadline);
      continue;
    }
    lock.unlock();
    int timeout = -1;
    if (!forever) timeout = pollTimeoutMs(deadline - now);
    if (forMessages) {
      const int timer = nextTimerWait(*queue, nullptr, 0, 0);
      if (timer >= 0 && (timeout < 0 || timer < timeout)) timeout = timer;
    }
    connectionQuiet = waitForWake(*queue, timeout, forMessages);
  }
}

}  // namespace

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return waitFor(1, &hHandle, false, dwMilliseconds, false);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds) {
  return waitFor(nCount, lpHandles, bWaitAll != FALSE, dwMilliseconds, false);
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                DWORD dwMilliseconds, DWORD) {
  return waitFor(nCount, pHandles, fWaitAll != FALSE, dwMilliseconds, true);
}
