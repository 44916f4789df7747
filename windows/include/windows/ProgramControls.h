// The program's own window and skin classes, registered with the
// application's factory manager before any window is made, in the order
// start-up gives them. Each class registers only when its module is part of
// the program; an existing registration under the name is kept.
#pragma once

namespace ORIEL {
class SObjectFactoryMgr;
}

// Before the web engine: the lists, header, parts, caption, combo and list
// extensions, stopwatch text, icon and waveform classes.
void RegisterProgramControlsPartOne(ORIEL::SObjectFactoryMgr& mgr);
// After it: web view, tray icon, image window, GIF player and GIF skin.
void RegisterProgramControlsPartTwo(ORIEL::SObjectFactoryMgr& mgr);
