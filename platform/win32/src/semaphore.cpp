// Semaphores with a maximum count: a release past it fails and changes nothing.
#include "kernel_object.h"

namespace win32::detail {
namespace {

class Semaphore : public KernelObject {
 public:
  Semaphore(LONG initial, LONG maximum) : count_(initial), maximum_(maximum) {}
  bool signaledFor(DWORD) const override { return count_ > 0; }
  void acquire(DWORD) override { --count_; }

  // Called with kernelMutex() held.
  bool release(LONG n, LONG* previous) {
    if (n <= 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (n > maximum_ - count_) {
      SetLastError(ERROR_TOO_MANY_POSTS);
      return false;
    }
    if (previous) *previous = count_;
    count_ += n;
    return true;
  }

 private:
  LONG count_;
  const LONG maximum_;
};

}  // namespace
}  // namespace win32::detail

using namespace win32::detail;

// Names are not used by any caller; a named semaphore is a private one.
HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount, LPCWSTR) {
  if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return insertHandle(std::make_shared<Semaphore>(lInitialCount, lMaximumCount));
}

BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount) {
  auto semaphore = lookupHandleAs<Semaphore>(hSemaphore);
  if (!semaphore) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(kernelMutex());
  if (!semaphore->release(lReleaseCount, lpPreviousCount)) return FALSE;
  semaphore->wakeWaiters();
  return TRUE;
}
