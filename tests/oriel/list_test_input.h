// XTest input for the list controls' display tests: held buttons and
// key symbols, after gtest (Xlib's macros clash with gtest's names).
#pragma once

#include "OrielTestApp.h"
#include "../platform-display/display_helper.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

inline void PressButton(unsigned button, bool down) {
  XTestFakeButtonEvent(userDisplay(), button, down ? True : False, CurrentTime);
  XSync(userDisplay(), False);
}
