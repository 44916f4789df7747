// The desktop's notification area as the freedesktop system tray: each
// icon is a small X window of ours that the owner of _NET_SYSTEM_TRAY_S<n>
// embeds (XEmbed). Desktops that offer only StatusNotifierItem over D-Bus
// have no such owner, and adding an icon then fails.
#pragma once

#include "win32/types.h"

extern "C" {

// Docks a new icon of (owner, id). Fails (FALSE, last error set) without a
// display or a tray manager, or when that icon is docked already. Pointer
// input on it is posted to `owner` as `callbackMessage` with wParam `id`
// and lParam the mouse message (0x200-0x205); `tip` shows as a tooltip.
BOOL Win32TrayAdd(HWND owner, UINT id, UINT callbackMessage, HICON icon, LPCWSTR tip);
// Changes what a docked icon shows; null arguments keep their value.
BOOL Win32TrayModify(HWND owner, UINT id, const UINT* callbackMessage, HICON icon, LPCWSTR tip);
// Removes the icon and its window; FALSE when there was none.
BOOL Win32TrayDelete(HWND owner, UINT id);
// The X window of a docked icon, or 0 (for tests and diagnostics).
unsigned long Win32TrayIconWindow(HWND owner, UINT id);
}
