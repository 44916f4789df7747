// A host's tool tip: told by the host which tip the mouse is over, it
// watches the mouse as a message filter of the host's loop.
#pragma once

#include "core/IMessageFilter.h"
#include "win32/windows.h"

namespace ORIEL {

// Which tip: the framework window that owns it and a cookie the window
// chooses, so that one window can show different tips for different parts.
struct TipId {
  DWORD swnd = 0;
  DWORD cookie = 0;
  bool operator==(const TipId&) const = default;
};

struct IToolTip : IMessageFilter {
  // `rect` is where the tip applies, in the host's client coordinates;
  // `scale` is the host's scale in percent.
  virtual void UpdateTip(const TipId& id, const RECT& rect, LPCWSTR text, int scale) = 0;
  virtual void ClearTip() = 0;
  virtual void FeedMouse(MSG* msg) = 0;
};

}  // namespace ORIEL
