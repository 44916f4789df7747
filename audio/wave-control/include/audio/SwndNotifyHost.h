// The host window that notices meant for a framework window go to: the
// window is looked up by its handle at each call, so a notice that comes
// after the window is gone finds no host instead of a stale pointer.
#pragma once

#include <functional>

#include "core/SWindowMgr.h"
#include "core/SWnd.h"
#include "core/SwndContainer.h"

inline std::function<HWND()> HostWindowOf(ORIEL::SWindow* window) {
  const ORIEL::SWND handle = window ? window->GetHandle() : 0;
  return [handle]() -> HWND {
    ORIEL::SWindowMgr* windows = ORIEL::SWindowMgr::getSingletonPtr();
    ORIEL::SWindow* w = windows && handle ? windows->LookupWindow(handle) : nullptr;
    ORIEL::ISwndContainer* container = w ? w->GetContainer() : nullptr;
    return container ? container->GetHostHwnd() : nullptr;
  };
}
