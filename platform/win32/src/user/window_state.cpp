// What the display layer forgets when a window goes, and opening the
// display when the first top-level window is made.
#include "../backend_hooks.h"
#include "../display/x_display.h"
#include "paint_store.h"
#include "placement.h"
#include "window_state.h"

namespace win32::detail {

void openDisplayOnFirstUse() { win32::display::xdisplay(); }

void forgetWindowState(HWND hwnd, bool notify) {
  forgetInputState(hwnd, notify);
  forgetHotKeys(hwnd);
  forgetCaret(hwnd);
  if (const Win32DisplayBackend* backend = displayBackend(); backend && backend->windowDestroyed)
    backend->windowDestroyed(hwnd, backend->context);
  // Headless windows have a backing surface too, and no backend to drop it.
  dropBacking(hwnd);
}

}  // namespace win32::detail
