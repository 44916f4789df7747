// Manual- and auto-reset events.
#include "kernel_object.h"

namespace win32::detail {
namespace {

class Event : public KernelObject {
 public:
  Event(bool manualReset, bool initialState) : manual_(manualReset), state_(initialState) {}
  bool signaledFor(DWORD) const override { return state_; }
  void acquire(DWORD) override {
    if (!manual_) state_ = false;
  }
  void set(bool state) { state_ = state; }

 private:
  const bool manual_;
  bool state_;
};

bool setEventState(HANDLE handle, bool state) {
  auto event = lookupHandleAs<Event>(handle);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  std::lock_guard<std::mutex> lock(kernelMutex());
  event->set(state);
  if (state) event->wakeWaiters();
  return true;
}

}  // namespace
}  // namespace win32::detail

using namespace win32::detail;

// Names are not used by any caller; a named event is a private one.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR) {
  SetLastError(ERROR_SUCCESS);
  return insertHandle(std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL SetEvent(HANDLE hEvent) { return setEventState(hEvent, true) ? TRUE : FALSE; }

BOOL ResetEvent(HANDLE hEvent) { return setEventState(hEvent, false) ? TRUE : FALSE; }
