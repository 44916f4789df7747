#include "PumpingWait.h"

#include "win32/windows.h"

namespace logic {

void WaitPumpingSends(HANDLE handle) {
  if (!handle) return;
  for (;;) {
    DWORD result = WaitForSingleObject(handle, 5);
    if (result != WAIT_TIMEOUT) return;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // handles incoming sends
  }
}

}  // namespace logic
