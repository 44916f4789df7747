// Thread objects: CreateThread, thread handles that signal when the thread
// ends (so WaitForSingleObject joins), and handle duplication and closing.
#include <future>
#include <thread>

#include "kernel_object.h"

namespace win32::detail {
namespace {

class ThreadObject : public KernelObject {
 public:
  explicit ThreadObject(DWORD id) : id_(id) {}
  bool signaledFor(DWORD) const override { return finished_; }
  void acquire(DWORD) override {}
  DWORD id() const { return id_; }
  // Called with kernelMutex() held.
  void finish(DWORD exitCode) {
    if (finished_) return;
    finished_ = true;
    exitCode_ = exitCode;
  }
  DWORD exitCode() const { return finished_ ? exitCode_ : static_cast<DWORD>(STILL_ACTIVE); }

 private:
  const DWORD id_;
  bool finished_ = false;
  DWORD exitCode_ = 0;
};

// Marks the thread's object finished when the thread ends, however it was started.
struct SelfHolder {
  std::shared_ptr<ThreadObject> self;
  DWORD exitCode = 0;
  ~SelfHolder() {
    if (!self) return;
    std::lock_guard<std::mutex> lock(kernelMutex());
    self->finish(exitCode);
    self->wakeWaiters();
  }
};

thread_local SelfHolder t_self;

std::shared_ptr<ThreadObject> selfObject() {
  if (!t_self.self) t_self.self = std::make_shared<ThreadObject>(GetCurrentThreadId());
  return t_self.self;
}

}  // namespace

std::shared_ptr<KernelObject> currentThreadObject() { return selfObject(); }

}  // namespace win32::detail

using namespace win32::detail;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (!lpStartAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (dwCreationFlags & CREATE_SUSPENDED) {
    // Suspending threads has no live caller.
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
  }
  std::promise<std::shared_ptr<ThreadObject>> started;
  auto startedObject = started.get_future();
  try {
    std::thread([lpStartAddress, lpParameter, started = std::move(started)]() mutable {
      started.set_value(selfObject());
      t_self.exitCode = lpStartAddress(lpParameter);
    }).detach();
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::shared_ptr<ThreadObject> object = startedObject.get();
  if (lpThreadId) *lpThreadId = object->id();
  SetLastError(ERROR_SUCCESS);
  return insertHandle(object);
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto thread = lookupHandleAs<ThreadObject>(hThread);
  if (!thread || !lpExitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(kernelMutex());
  *lpExitCode = thread->exitCode();
  return TRUE;
}

DWORD GetThreadId(HANDLE Thread) {
  auto thread = lookupHandleAs<ThreadObject>(Thread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return thread->id();
}

BOOL DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle, HANDLE hTargetProcessHandle,
                     LPHANDLE lpTargetHandle, DWORD, BOOL, DWORD dwOptions) {
  // Only handles of this process exist here.
  if (hSourceProcessHandle != GetCurrentProcess() || hTargetProcessHandle != GetCurrentProcess() ||
      !lpTargetHandle) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto object = lookupAnyHandle(hSourceHandle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *lpTargetHandle = insertHandle(std::move(object));
  if ((dwOptions & DUPLICATE_CLOSE_SOURCE) && hSourceHandle != GetCurrentThread())
    closeHandle(hSourceHandle);
  return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
  if (hObject == GetCurrentThread() || hObject == GetCurrentProcess()) return TRUE;
  if (!closeHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD SuspendThread(HANDLE) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return static_cast<DWORD>(-1);
}

DWORD ResumeThread(HANDLE) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return static_cast<DWORD>(-1);
}
