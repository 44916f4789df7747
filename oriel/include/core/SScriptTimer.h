// Thread timers that call a named script function through their host
// window: each tick sends 0x2BD9 (wParam the timer id, lParam the function
// name) to the window while it exists.
#pragma once

#include "core/SMap.h"
#include "core/SSingleton.h"
#include "core/SString.h"
#include "win32/windows.h"

namespace ORIEL {

constexpr UINT UM_SCRIPTTIMER = 0x2BD9;

class SScriptTimer : public SSingleton2<SScriptTimer, SINGLETON_SCRIPTTIMER> {
 public:
  struct Info {
    HWND hwnd;
    SStringW function;
    bool repeat;
  };
  SScriptTimer();
  ~SScriptTimer() override;
  // The timer id, 0 on failure.
  UINT_PTR StartTimer(HWND hwnd, const SStringW& function, UINT period, bool repeat);
  bool StopTimer(UINT_PTR id);
  bool HasTimer(UINT_PTR id) const { return timers_.Lookup(id) != nullptr; }

 private:
  static void CALLBACK TimerCallback(HWND, UINT, UINT_PTR id, DWORD);
  SMap<UINT_PTR, Info> timers_;
};

}  // namespace ORIEL
