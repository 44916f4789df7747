#include "core/SScriptTimer.h"

#include "core/SArray.h"

namespace ORIEL {

SScriptTimer::SScriptTimer() : timers_(17, 0.75f, 0.25f, 2.25f, 10) {}

SScriptTimer::~SScriptTimer() {
  for (SPOSITION pos = timers_.GetStartPosition(); pos;) ::KillTimer(nullptr, timers_.GetNext(pos)->m_key);
  timers_.RemoveAll();
}

UINT_PTR SScriptTimer::StartTimer(HWND hwnd, const SStringW& function, UINT period, bool repeat) {
  const UINT_PTR id = ::SetTimer(nullptr, 0, period, &SScriptTimer::TimerCallback);
  if (id != 0 && !timers_.Lookup(id)) timers_.SetAt(id, Info{hwnd, function, repeat});
  return id;
}

bool SScriptTimer::StopTimer(UINT_PTR id) {
  ::KillTimer(nullptr, id);
  return timers_.RemoveKey(id);
}

void CALLBACK SScriptTimer::TimerCallback(HWND, UINT, UINT_PTR id, DWORD) {
  SScriptTimer* self = getSingletonPtr();
  if (!self) return;
  Info info{};
  if (!self->timers_.Lookup(id, info)) {
    ::KillTimer(nullptr, id);
    return;
  }
  if (!info.repeat) self->StopTimer(id);
  if (IsWindow(info.hwnd))
    SendMessageW(info.hwnd, UM_SCRIPTTIMER, id, reinterpret_cast<LPARAM>(info.function.c_str()));
}

}  // namespace ORIEL
