// The update check's tips in the program's tip dialog, so that they stand
// on the modal-dialog stack like every other dialog of the program.
// Start-up installs it as the update tips' shower.
#pragma once

#include "online/UpdateTips.h"

// The tip's answer: 1 OK, 2 the second button (or the window's close),
// 8 the close button, Esc, or a recall by the dialog stack.
int ShowUpdateTipDialog(HWND owner, const UpdateTip& tip);
