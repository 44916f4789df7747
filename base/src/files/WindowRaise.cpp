#include "files/WindowRaise.h"

// HOOK for the display layer. The steps are, in the kActivateFirst order:
// SetActiveWindow, SetFocus; if IsIconic, send WM_SYSCOMMAND with
// SC_RESTORE; ShowWindow(SW_SHOW); SetWindowPos to HWND_TOPMOST and then
// HWND_NOTOPMOST (SWP_NOMOVE | SWP_NOSIZE); SetForegroundWindow. kShowFirst
// restores and shows before activating and focusing. The platform layer
// does not offer those calls yet (a foreign window needs
// _NET_ACTIVE_WINDOW and XMapRaised), so nothing can be raised here and
// the caller is told so.
bool RaiseInstanceWindow(HWND /*window*/, RaiseOrder /*order*/) { return false; }
