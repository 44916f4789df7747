#include "core/STimer2.h"

#include <atomic>

#include "core/SArray.h"

namespace ORIEL {
namespace {
std::atomic<STimer2::Deliver> g_deliver{nullptr};
}

void STimer2::SetDeliver(Deliver deliver) { g_deliver = deliver; }

STimer2::STimer2() : timers_(17, 0.75f, 0.25f, 2.25f, 10) {}

STimer2::~STimer2() {
  for (SPOSITION pos = timers_.GetStartPosition(); pos;) ::KillTimer(nullptr, timers_.GetNext(pos)->m_key);
  timers_.RemoveAll();
}

bool STimer2::SetTimer(SWND window, UINT id, UINT elapse) {
  KillTimer2(window, id);
  const UINT_PTR systemId = ::SetTimer(nullptr, id, elapse, &STimer2::TimerProc);
  if (systemId == 0) return false;
  timers_.SetAt(systemId, TimerInfo{window, id});
  return true;
}

void STimer2::KillTimer2(SWND window, UINT id) {
  for (SPOSITION pos = timers_.GetStartPosition(); pos;) {
    auto* pair = timers_.GetNext(pos);
    if (pair->m_value.window == window && pair->m_value.id == id) {
      const UINT_PTR systemId = pair->m_key;
      ::KillTimer(nullptr, systemId);
      timers_.RemoveKey(systemId);
      return;
    }
  }
}

void STimer2::KillTimer(SWND window) {
  // Removing may rehash the map: collect first, then remove.
  SArray<UINT_PTR> ids;
  for (SPOSITION pos = timers_.GetStartPosition(); pos;) {
    auto* pair = timers_.GetNext(pos);
    if (pair->m_value.window == window) ids.Add(pair->m_key);
  }
  for (int i = 0; i < ids.GetCount(); ++i) {
    ::KillTimer(nullptr, ids[i]);
    timers_.RemoveKey(ids[i]);
  }
}

void CALLBACK STimer2::TimerProc(HWND, UINT, UINT_PTR systemId, DWORD) {
  STimer2* self = getSingletonPtr();
  SWindowMgr* windows = SWindowMgr::getSingletonPtr();
  if (!self || !windows) return;
  TimerInfo info{};
  if (!self->timers_.Lookup(systemId, info)) return;
  SWindow* window = windows->LookupWindow(info.window);
  Deliver deliver = g_deliver.load();
  if (window && deliver) deliver(window, UM_STIMER, info.id, 0);
}

}  // namespace ORIEL
