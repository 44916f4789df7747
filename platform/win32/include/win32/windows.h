// The Windows interface as the system's code sees it: types, messages,
// window table, message queues, timers and kernel32 objects.
#pragma once

#include "win32/types.h"
#include "win32/errors.h"
#include "win32/messages.h"
#include "win32/windowing.h"
#include "win32/messaging.h"
#include "win32/kernel32.h"
#include "win32/interlocked.h"
#include "win32/backend.h"
#include "win32/handle_objects.h"
#include "win32/user32.h"
#include "win32/menus.h"
#include "win32/imm.h"
#include "win32/modules.h"
#include "win32/images.h"

#if __has_include("win32/codepage.h")
#include "win32/codepage.h"
#endif
