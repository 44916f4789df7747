// The display backend's hook functions, installed together by xdisplay().
#pragma once

#include "win32/backend.h"

namespace win32::display {

void pumpEvents(void* context);
void pumpQueuedEvents(void* context);
void nativeWindowCreated(HWND hwnd, const CREATESTRUCTW* create, void* context);
void nativeWindowDestroyed(HWND hwnd, void* context);
void nativeTitleChanged(HWND hwnd, LPCWSTR text, void* context);
HWND findForeign(LPCWSTR className, LPCWSTR title, void* context);
BOOL translateKey(const MSG* msg, void* context);
BOOL isForeign(HWND hwnd, void* context);
BOOL postToForeign(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, void* context);

}  // namespace win32::display
