#include "windows/ProgramControls.h"

#include "audio/SCtrlAudio.h"
#include "controls/ControlFactories.h"
#include "controls/SGifPlayer.h"
#include "controls/SImageWndEx.h"
#include "controls/SSkinAni.h"
#include "controls/STimerWnd.h"
#include "controls/SWkeWebkit.h"
#include "core/SObjectFactory.h"

using namespace ORIEL;

// The list, header, part, caption, combo, list-box and icon extensions
// join here, in their places, as their classes come.
void RegisterProgramControlsPartOne(SObjectFactoryMgr& mgr) { RegisterControlFactories(mgr, 1); }

// The tray icon joins here, after the web view, when its class comes.
void RegisterProgramControlsPartTwo(SObjectFactoryMgr& mgr) { RegisterControlFactories(mgr, 2); }
