// What the display layer forgets when a window goes, and opening the
// display when the first top-level window is made.
#include "../backend_hooks.h"
#include "../display/x_display.h"
#include "placement.h"
#include "window_state.h"

namespace win32::detail {

void openDisplayOnFirstUse() { win32::display::xdisplay(); }

void forgetWindowState(HWND hwnd) {
  forgetInputState(hwnd);
  forgetHotKeys(hwnd);
  forgetCaret(hwnd);
}

}  // namespace win32::detail
