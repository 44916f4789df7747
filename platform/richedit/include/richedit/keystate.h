// Where the text services read Shift and Ctrl: GetKeyState, the state as of
// the input message being handled. A program without a keyboard (a test
// driving the engine by messages alone) may put its own reader in place;
// null restores GetKeyState.
#pragma once

#include "win32/types.h"

typedef SHORT (*TextKeyStateReader)(int virtualKey);
void TextServicesSetKeyStateReader(TextKeyStateReader reader);
