// Something that sees each message of a loop before it is translated and
// dispatched, and may consume it.
#pragma once

#include "win32/windows.h"

namespace ORIEL {

struct IMessageFilter {
  virtual ~IMessageFilter() = default;
  // True when the message is consumed.
  virtual BOOL PreFilter(MSG* msg) = 0;
};

}  // namespace ORIEL
