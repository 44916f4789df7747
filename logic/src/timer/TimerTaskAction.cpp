#include "logic/LogicMessages.h"
#include "logic/TimertaskManager.h"
#include "win32/windows.h"

CTimerTaskAction::CTimerTaskAction(const CTimertaskInfo& info, CTimertaskManager* manager)
    : m_info(info), m_manager(manager) {}

CTimerTaskAction::~CTimerTaskAction() {
  if (m_info.semaphore) CloseHandle(m_info.semaphore);
}

CTimertaskInfo CTimerTaskAction::InfoOfRun(const CTimerDate& run) const {
  // Each run carries its own date, so the window marks and removes that
  // day's entry and the next day's stays filed.
  CTimertaskInfo info = m_info;
  info.date = run;
  return info;
}

void CTimerTaskAction::Run(const CTimerDate& run) {
  CTimertaskInfo info = InfoOfRun(run);
  HWND target = m_manager->GetTargetWindow();
  if (!target || !IsWindow(target)) {
    m_manager->RefuseTask(kTaskExpired, info);
    return;
  }
  // A release left over from an earlier run must not end this one at once.
  if (info.semaphore) WaitForSingleObject(info.semaphore, 0);
  LRESULT answer = SendMessageW(target, UM_TIMERTASK_EVENT, kTimerTaskStart, reinterpret_cast<LPARAM>(&info));
  // The window is ours while it lives and the manager still names it: a
  // controller that is going takes its window away first, and must not
  // be reached through it any more.
  auto windowStays = [&] { return m_manager->GetTargetWindow() == target && IsWindow(target); };
  if (answer == 0 && info.semaphore) {
    // The recording's end releases the semaphore; a window that goes away
    // meanwhile ends the wait too.
    while (WaitForSingleObject(info.semaphore, 100) == WAIT_TIMEOUT) {
      if (!windowStays()) return;
    }
  }
  if (windowStays())
    SendMessageW(target, UM_TIMERTASK_EVENT, kTimerTaskFinished, reinterpret_cast<LPARAM>(&info));
}

void CTimerTaskAction::Cancel(const CTimerDate& run) {
  CTimertaskInfo info = InfoOfRun(run);
  HWND target = m_manager->GetTargetWindow();
  if (target && IsWindow(target))
    SendMessageW(target, UM_TIMERTASK_EVENT, kTimerTaskCancel, reinterpret_cast<LPARAM>(&info));
}
