// Where the floating window goes: its horizontal bounds over the monitors,
// its start position, and each 10 ms step of its docking at the left or
// right edge of the desktop. Pure, so every case runs without a display.
#pragma once

#include <vector>

#include "win32/types.h"

struct FlowBounds {
  int left = 0;   // left edge of the leftmost monitor
  int right = 0;  // right edge of the rightmost monitor
};

// Fewer than two monitors: 0 and the screen's width; else the outermost
// edges of all of them.
FlowBounds FlowBoundsOfMonitors(const std::vector<RECT>& monitors, int screenWidth);

// 200 pixels left of the right bound and 60 below the top of the monitor
// that holds that bound, so the window starts on a screen whatever the
// first monitor is.
POINT FlowStartPosition(const std::vector<RECT>& monitors, FlowBounds bounds);

// True when no monitor holds any part of the rectangle (a monitor that
// went away took the window with it).
bool FlowOutsideEveryMonitor(const RECT& rect, const std::vector<RECT>& monitors);

// The window's left after one tick of the docking timer: within 20 pixels
// of the left bound it shows flush or hides with 5 pixels left (3 pixels a
// tick); within 10 pixels of the right bound it shows flush or hides with
// 10 pixels left (5 a tick); elsewhere, or while the button is held (the
// user drags), it stays.
int FlowEdgeStep(const RECT& rect, FlowBounds bounds, POINT cursor, bool buttonDown);
