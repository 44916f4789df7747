// The application's list of scheduled recordings: kept in a map ordered by
// date, stored in data-timer-tasks.xml, each task filed in the engine as an
// action that asks the main window to record (UM_TIMERTASK_EVENT), and
// failures written to logger-timer-exception.log.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/Logger.h"
#include "logic/TimerTaskArray.h"
#include "logic/TimertaskInfo.h"
#include "win32/types.h"

class CTimertaskManager;

// A task as the engine runs it: sends the due, finished and cancel events
// to the manager's target window of the moment. A task that falls due with
// no window to take it is refused and logged; a run never waits for a
// window that is gone.
class CTimerTaskAction : public ITimerTask {
 public:
  CTimerTaskAction(const CTimertaskInfo& info, CTimertaskManager* manager);
  ~CTimerTaskAction() override;  // closes the task's semaphore

  void Run(const CTimerDate& run) override;
  void Cancel(const CTimerDate& run) override;
  const CTimertaskInfo& Info() const { return m_info; }

 private:
  CTimertaskInfo InfoOfRun(const CTimerDate& run) const;

  CTimertaskInfo m_info;
  CTimertaskManager* m_manager;
};

class CTimertaskManager {
 public:
  // Opens the log, starts the engine on the clock (the system's when none
  // is given) and loads data-timer-tasks.xml.
  explicit CTimertaskManager(std::shared_ptr<ITimerClock> clock = nullptr);
  // Saves the list, then stops the engine (every run is cancelled and
  // waited for).
  ~CTimertaskManager();
  CTimertaskManager(const CTimertaskManager&) = delete;
  CTimertaskManager& operator=(const CTimertaskManager&) = delete;

  // Files the task: a date whose start has passed moves on by days when it
  // is every-day (date and task show the new date) and is refused with
  // log entry -100 otherwise. False when it collides with a filed task,
  // also after such a move.
  bool AddTask(CTimerDate& date, CTimertaskInfo& task);
  // Takes the task out; an every-day one comes back under its next free
  // day with the status "等待". A default task when none matches.
  CTimertaskInfo RemoveTask(const CTimerDate& date);
  CTimertaskInfo GetTask(const CTimerDate& date);
  // A default task when index is not below the count.
  CTimertaskInfo GetTaskAt(size_t index);
  CTimertaskInfo GetRunningTask();
  size_t GetCount();
  bool FindConflicts(const CTimerDate& date, const CTimertaskInfo& task, std::vector<CTimerDate>& sameName,
                     std::vector<CTimerDate>& conflicts);
  bool SetTaskStatus(const CTimerDate& date, const SStringW& status);
  bool ClearAll();
  bool StopTask(const CTimerDate& date);
  // One log entry: the time, the task's name and start, and the reason.
  bool LogException(int code, const CTimerDate& date, const CTimertaskInfo& task);
  // A file that exists but cannot be read is set aside first, so that the
  // save at exit does not replace tasks that were never loaded; one that
  // cannot be moved is never saved over.
  bool LoadTasks(const std::wstring& path);
  bool SaveTasks(const std::wstring& path);
  bool SetTargetWindow(HWND window);
  HWND GetTargetWindow() const { return m_target.load(); }

  // For a task that falls due with no window to take it: log and remove.
  void RefuseTask(int code, const CTimertaskInfo& task);
  std::recursive_mutex& Mutex() { return m_mutex; }
  // The log of failed tasks (logger-timer-exception.log); it locks itself.
  CLogger& Logger() { return m_logger; }
  CTimerTaskMgr& Engine() { return *m_engine; }
  const std::wstring& GetLastErrorText() const { return m_error; }

 private:
  bool FileTask(const CTimerDate& date, CTimertaskInfo& task);

  std::shared_ptr<ITimerClock> m_clock;
  CLogger m_logger;
  std::recursive_mutex m_mutex;
  std::map<CTimerDate, CTimertaskInfo> m_tasks;
  std::atomic<HWND> m_target{nullptr};
  std::wstring m_error;
  // An unreadable task file that could not be set aside; never saved over.
  std::wstring m_keptUnreadable;
  // Last, so it stops (and its threads stop calling in) before the rest goes.
  std::unique_ptr<CTimerTaskMgr> m_engine;
};
