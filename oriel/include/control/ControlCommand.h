// The command a control raises when it is clicked or pressed by key.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

inline BOOL FireCommand(SWindow* window) {
  EventCmd e(window);
  return window->RaiseEvent(&e);
}

}  // namespace ORIEL
