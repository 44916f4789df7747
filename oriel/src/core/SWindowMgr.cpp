#include "core/SWindowMgr.h"

#include "core/STimer2.h"

namespace ORIEL {

SWindowMgr::SWindowMgr() : windows_(17, 0.75f, 0.25f, 2.25f, 10) {}

SWND SWindowMgr::NewWindow(SWindow* window) {
  SAutoLock lock(lock_);
  const SWND handle = ++last_;
  if (!windows_.Lookup(handle)) windows_.SetAt(handle, window);
  return handle;
}

bool SWindowMgr::DestroyWindow(SWND handle) {
  SAutoLock lock(lock_);
  const bool had = windows_.RemoveKey(handle);
  if (STimer2* timers = STimer2::getSingletonPtr()) timers->KillTimer(handle);
  return had;
}

SWindow* SWindowMgr::LookupWindow(SWND handle) {
  if (handle == 0) return nullptr;
  SAutoLock lock(lock_);
  SWindow* window = nullptr;
  windows_.Lookup(handle, window);
  return window;
}

}  // namespace ORIEL
