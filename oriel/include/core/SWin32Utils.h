// Small pieces many parts share: the supported UI scales, the folder of a
// module, and the layered-window update entry points.
#pragma once

#include "core/SString.h"
#include "win32/windows.h"

namespace ORIEL {

// Scale steps in percent.
constexpr int kScaleSteps[] = {100, 125, 150, 175, 200, 225, 250, 275, 300};
constexpr int kScaleStepCount = 9;
// The largest step not above `scale`: below 125 gives 100, 300 and up 300.
// (The host window's RoundScale and the skin pools share it.)
int RoundScale(int scale);

// The folder of a module's file: the text before the last '/', the whole
// name without one, empty when the name cannot be read.
SStringW ModuleFolder(HINSTANCE module);

using UpdateLayeredWindowFn = BOOL (*)(HWND, HDC, const POINT*, const SIZE*, HDC, const POINT*, COLORREF,
                                       const struct _BLENDFUNCTION*, DWORD);
using UpdateLayeredWindowIndirectFn = BOOL (*)(HWND, const UPDATELAYEREDWINDOWINFO*);
// Resolved once at start; false when user32 or UpdateLayeredWindow is missing.
bool LoadLayeredUpdateEntryPoints();
UpdateLayeredWindowFn LayeredUpdate();
UpdateLayeredWindowIndirectFn LayeredUpdateIndirect();
// UpdateLayeredWindow from the record's fields; the dirty rectangle is not used.
BOOL UpdateLayeredFallback(HWND hwnd, const UPDATELAYEREDWINDOWINFO* info);

}  // namespace ORIEL
