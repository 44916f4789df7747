// Window handles: unsigned numbers from 1, never reused, so a message or a
// timer addressed to a destroyed window finds nothing instead of a dangling
// pointer. Safe from any thread.
#pragma once

#include "core/SCriticalSection.h"
#include "core/SMap.h"
#include "core/SSingleton.h"

namespace ORIEL {

class SWindow;
typedef uint32_t SWND;

class SWindowMgr : public SSingleton2<SWindowMgr, SINGLETON_WINDOWMGR> {
 public:
  SWindowMgr();
  SWND NewWindow(SWindow* window);
  // Removes the handle (false when unknown) and kills its long-id timers.
  bool DestroyWindow(SWND handle);
  SWindow* LookupWindow(SWND handle);
  bool IsWindow(SWND handle) { return LookupWindow(handle) != nullptr; }

 private:
  SMap<SWND, SWindow*> windows_;
  SCriticalSection lock_;
  SWND last_ = 0;
};

}  // namespace ORIEL
