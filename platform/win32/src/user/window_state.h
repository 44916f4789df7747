// Per-window state kept outside the table, dropped when the window goes.
#pragma once

#include "win32/types.h"

namespace win32::detail {

void forgetHotKeys(HWND hwnd);
void forgetCaret(HWND hwnd);

}  // namespace win32::detail
