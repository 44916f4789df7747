// The timer-task engine: tasks filed under dates, a scheduler thread that
// wakes every 250 ms, starts one thread for each task whose start has come
// and cancels each run whose time is up.
//
// Each run is tracked on its own: an every-day task runs under the date of
// that day, is cancelled once its duration has passed counted from that
// day's start, and leaves the next day's run filed. A run ends at its end on
// the wall clock or once the rest of its time has passed on a clock that
// counts suspended time, whichever comes first: a wall clock set back never
// makes it run on, and a machine that slept through its end ends it at
// resume. Each wake-up ends such runs before it starts new ones, so a task
// that fell due while the machine slept starts at resume (when its window
// is still open) without meeting the run that should have ended. A task
// whose whole interval is over before it could start is handed to the
// expired hook instead of being started for a moment.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "logic/TimerClock.h"
#include "logic/TimerDate.h"
#include "win32/types.h"

class ITimerTask {
 public:
  virtual ~ITimerTask() = default;
  // On the task's own thread; run is the date of this run. Returns when
  // the task's work has ended.
  virtual void Run(const CTimerDate& run) = 0;
  // From the scheduler or a stopping thread, while Run may be blocked.
  virtual void Cancel(const CTimerDate& run) = 0;
  // The date the task was filed under.
  const CTimerDate& GetDate() const { return m_date; }

 private:
  friend class CTimerTaskArray;
  CTimerDate m_date;
};

class CTimerTaskArray {
 public:
  using FinishedHook = std::function<void(CTimerDate, void*)>;
  using ExpiredHook = std::function<void(const CTimerDate& run, const std::shared_ptr<ITimerTask>& task)>;

  explicit CTimerTaskArray(std::shared_ptr<ITimerClock> clock = nullptr);
  virtual ~CTimerTaskArray();
  CTimerTaskArray(const CTimerTaskArray&) = delete;
  CTimerTaskArray& operator=(const CTimerTaskArray&) = delete;

  // Not used by this system: always empty.
  virtual std::shared_ptr<ITimerTask> Find(const CTimerDate& date);
  // Files the task (an every-day date first moved to today when today's
  // run is still to come); false when the date collides with a filed or a
  // running task.
  virtual bool Add(CTimerDate date, std::shared_ptr<ITimerTask> task);
  // Takes the date out of the pending tasks and cancels a run under it,
  // waiting for its thread; the run's task leaves the pending tasks too (an
  // every-day task's next day). Sent messages reach this thread while it
  // waits.
  virtual bool Stop(const CTimerDate& date);
  virtual bool StopAll();
  // Pending plus running entries.
  virtual size_t Count();
  // Takes the date out of both maps without touching the task.
  virtual bool Erase(const CTimerDate& date);

  bool GetRunning(std::vector<std::shared_ptr<ITimerTask>>& tasks);
  // The date of the first run in date order; all zero when none runs.
  CTimerDate GetRunningDate();
  // The pending dates, in order (for tests and views).
  std::vector<CTimerDate> GetPendingDates();

  void SetFinishedHook(FinishedHook hook);
  void SetExpiredHook(ExpiredHook hook);

  bool StartScheduler();
  void StopScheduler();
  bool IsSchedulerRunning();
  int64_t GetInterval();
  ITimerClock& Clock() { return *m_clock; }

 protected:
  // Stops the scheduler and waits for it (and so for every run).
  void JoinScheduler();

 private:
  struct Run;
  using RunPtr = std::shared_ptr<Run>;

  using ExpiredList = std::vector<std::pair<CTimerDate, std::shared_ptr<ITimerTask>>>;

  static DWORD WINAPI SchedulerEntry(LPVOID self);
  static DWORD WINAPI RunEntry(LPVOID context);
  void SchedulerLoop();
  // The moment one wake-up works with: both clocks read once, so that a
  // resume between ending runs and starting new ones is seen by neither.
  struct Moment {
    SYSTEMTIME wall;
    int64_t sinceBootMs;
  };
  // Files each due run as running together with its thread, under the maps
  // lock; collects the tasks whose interval is over.
  void TakeDue(const Moment& now, ExpiredList& expired);
  // The run's thread, created under the maps lock; false when none could be.
  bool StartRunThread(const RunPtr& run);
  void StartDue(const Moment& now);
  void StopExpired(const Moment& now);
  // The pending entry of run moves on by days until it collides with no
  // other; the maps lock is held by the caller.
  bool Reschedule(const CTimerDate& run);
  void RunThread(const RunPtr& run);
  void CancelAndWait(const RunPtr& run);

  std::shared_ptr<ITimerClock> m_clock;
  std::mutex m_mapsLock;
  std::map<CTimerDate, std::shared_ptr<ITimerTask>> m_pending;
  std::map<CTimerDate, RunPtr> m_running;
  std::mutex m_stateLock;
  bool m_polling = true;
  int64_t m_interval = 250;
  HANDLE m_scheduler = nullptr;
  std::mutex m_hookLock;
  FinishedHook m_finishedHook;
  ExpiredHook m_expiredHook;
};

// The engine with its scheduler started at construction and stopped (every
// run cancelled and waited for) at destruction.
class CTimerTaskMgr : public CTimerTaskArray {
 public:
  explicit CTimerTaskMgr(std::shared_ptr<ITimerClock> clock = nullptr);
  ~CTimerTaskMgr() override;
};
