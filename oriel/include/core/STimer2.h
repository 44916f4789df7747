// Long-id window timers over Win32 thread timers: the system id the
// operating system hands out maps to (window handle, the window's own id).
// A tick reaches a live window as the framework message 6456 with the
// window's id in wParam; ticks of unknown ids or dead windows are dropped.
#pragma once

#include "core/SMap.h"
#include "core/SSingleton.h"
#include "core/SWindowMgr.h"
#include "win32/windows.h"

namespace ORIEL {

constexpr UINT UM_STIMER = 6456;

class STimer2 : public SSingleton2<STimer2, SINGLETON_TIMER2> {
 public:
  struct TimerInfo {
    SWND window;
    UINT id;
  };
  // How a tick reaches its window (the window sends itself UM_STIMER); the
  // window tree installs it.
  using Deliver = void (*)(SWindow* window, UINT message, WPARAM wParam, LPARAM lParam);
  static void SetDeliver(Deliver deliver);

  STimer2();
  ~STimer2() override;
  // Kills the window's timer of that id first; false when the system
  // refuses a timer.
  bool SetTimer(SWND window, UINT id, UINT elapse);
  void KillTimer2(SWND window, UINT id);
  void KillTimer(SWND window);
  size_t GetCount() const { return timers_.GetCount(); }

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR systemId, DWORD);
  SMap<UINT_PTR, TimerInfo> timers_;
};

}  // namespace ORIEL
