// What a window tree asks of a host's script module: run a script text, and
// run the handler named for an event with that event. The program installs
// no script engine, so hosts normally have none; the window tree then keeps
// no handler names and every event goes on to its owner or host.
#pragma once

#include <cstddef>

#include "core/SString.h"
#include "render/IObjRef.h"
#include "win32/types.h"

namespace ORIEL {

class EventArgs;

struct IScriptModule : IObjRef {
  // Runs a script text (UTF-8); false when it failed.
  virtual BOOL ExecuteScriptBuffer(const char* utf8, size_t length) = 0;
  // Runs the named handler with the event; the handler may set the event's
  // handled count and clear its bubbleUp to stop it there.
  virtual BOOL ExecuteEvent(const SStringA& handler, EventArgs* e) = 0;
};

}  // namespace ORIEL
