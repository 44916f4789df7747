#include "logic/TimerTaskArray.h"

#include <condition_variable>

#include "PumpingWait.h"
#include "win32/windows.h"

// One run of a task: its own date, its end on the clock since boot, its
// cancel mark and the thread that runs it.
struct CTimerTaskArray::Run {
  CTimerDate date;
  std::shared_ptr<ITimerTask> task;
  int64_t deadlineBootMs = 0;
  std::atomic<bool> finished{false};
  // Set under the maps lock before the run is filed as running, so whoever
  // finds the run can wait for its thread.
  HANDLE thread = nullptr;
  CTimerTaskArray* owner = nullptr;

  ~Run() {
    if (thread) CloseHandle(thread);
  }
};

namespace {

// Threads of runs still inside the engine's code; the engine is not torn
// down before they have left it.
struct LiveRuns {
  std::mutex lock;
  std::condition_variable done;
  int count = 0;
};

std::mutex g_liveLock;
std::map<const CTimerTaskArray*, std::shared_ptr<LiveRuns>> g_live;

std::shared_ptr<LiveRuns> LiveOf(const CTimerTaskArray* engine) {
  std::lock_guard<std::mutex> lock(g_liveLock);
  auto& live = g_live[engine];
  if (!live) live = std::make_shared<LiveRuns>();
  return live;
}

}  // namespace

CTimerTaskArray::CTimerTaskArray(std::shared_ptr<ITimerClock> clock)
    : m_clock(clock ? std::move(clock) : SystemTimerClock()) {
  LiveOf(this);
}

CTimerTaskArray::~CTimerTaskArray() {
  JoinScheduler();
  StopAll();
  std::shared_ptr<LiveRuns> live = LiveOf(this);
  {
    std::unique_lock<std::mutex> lock(live->lock);
    while (live->count > 0) {
      live->done.wait_for(lock, std::chrono::milliseconds(5));
      lock.unlock();
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
      lock.lock();
    }
  }
  std::lock_guard<std::mutex> lock(g_liveLock);
  g_live.erase(this);
}

std::shared_ptr<ITimerTask> CTimerTaskArray::Find(const CTimerDate&) { return nullptr; }

bool CTimerTaskArray::Add(CTimerDate date, std::shared_ptr<ITimerTask> task) {
  if (!task) return false;
  std::lock_guard<std::mutex> lock(m_mapsLock);
  if (date.IsEveryDay()) date.MoveToToday(m_clock->LocalNow());
  if (m_pending.count(date)) return false;
  for (const auto& [key, run] : m_running)
    if (key.Compare(date) != -2) return false;
  task->m_date = date;
  m_pending[date] = std::move(task);
  return true;
}

bool CTimerTaskArray::Stop(const CTimerDate& date) {
  bool found = false;
  RunPtr run;
  {
    std::lock_guard<std::mutex> lock(m_mapsLock);
    auto it = m_pending.find(date);
    if (it != m_pending.end()) {
      m_pending.erase(it);
      found = true;
    }
    auto r = m_running.find(date);
    if (r != m_running.end()) {
      run = r->second;
      // An every-day task's next day was filed when this run began: the
      // task is stopped, not only today's run.
      for (auto p = m_pending.begin(); p != m_pending.end();)
        p = p->second == run->task ? m_pending.erase(p) : std::next(p);
    }
  }
  if (!run) return found;
  CancelAndWait(run);
  return true;
}

bool CTimerTaskArray::StopAll() {
  std::vector<RunPtr> runs;
  {
    std::lock_guard<std::mutex> lock(m_mapsLock);
    m_pending.clear();
    for (const auto& [key, run] : m_running) runs.push_back(run);
  }
  for (const RunPtr& run : runs) CancelAndWait(run);
  return true;
}

void CTimerTaskArray::CancelAndWait(const RunPtr& run) {
  if (!run->finished.exchange(true)) run->task->Cancel(run->date);
  HANDLE thread = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_mapsLock);
    thread = run->thread;
  }
  // A run that stops itself from its own thread cannot wait for itself.
  if (thread && GetThreadId(thread) != GetCurrentThreadId()) logic::WaitPumpingSends(thread);
}

size_t CTimerTaskArray::Count() {
  std::lock_guard<std::mutex> lock(m_mapsLock);
  return m_pending.size() + m_running.size();
}

bool CTimerTaskArray::Erase(const CTimerDate& date) {
  std::lock_guard<std::mutex> lock(m_mapsLock);
  m_pending.erase(date);
  m_running.erase(date);
  return true;
}

bool CTimerTaskArray::GetRunning(std::vector<std::shared_ptr<ITimerTask>>& tasks) {
  std::lock_guard<std::mutex> lock(m_mapsLock);
  tasks.clear();
  for (const auto& [key, run] : m_running) tasks.push_back(run->task);
  return !tasks.empty();
}

CTimerDate CTimerTaskArray::GetRunningDate() {
  std::lock_guard<std::mutex> lock(m_mapsLock);
  return m_running.empty() ? CTimerDate() : m_running.begin()->second->date;
}

std::vector<CTimerDate> CTimerTaskArray::GetPendingDates() {
  std::lock_guard<std::mutex> lock(m_mapsLock);
  std::vector<CTimerDate> dates;
  for (const auto& [key, task] : m_pending) dates.push_back(key);
  return dates;
}

void CTimerTaskArray::SetFinishedHook(FinishedHook hook) {
  std::lock_guard<std::mutex> lock(m_hookLock);
  m_finishedHook = std::move(hook);
}

void CTimerTaskArray::SetExpiredHook(ExpiredHook hook) {
  std::lock_guard<std::mutex> lock(m_hookLock);
  m_expiredHook = std::move(hook);
}

bool CTimerTaskArray::StartScheduler() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  if (!m_polling || m_scheduler) return m_scheduler != nullptr;
  m_scheduler = CreateThread(nullptr, 0, &CTimerTaskArray::SchedulerEntry, this, 0, nullptr);
  return m_scheduler != nullptr;
}

void CTimerTaskArray::StopScheduler() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  m_polling = false;
}

bool CTimerTaskArray::IsSchedulerRunning() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  return m_polling;
}

int64_t CTimerTaskArray::GetInterval() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  return m_interval;
}

void CTimerTaskArray::JoinScheduler() {
  HANDLE thread = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_polling = false;
    thread = m_scheduler;
  }
  if (!thread) return;
  logic::WaitPumpingSends(thread);
  std::lock_guard<std::mutex> lock(m_stateLock);
  CloseHandle(m_scheduler);
  m_scheduler = nullptr;
}

DWORD WINAPI CTimerTaskArray::SchedulerEntry(LPVOID self) {
  static_cast<CTimerTaskArray*>(self)->SchedulerLoop();
  return 0;
}

void CTimerTaskArray::SchedulerLoop() {
  for (;;) {
    m_clock->Sleep(GetInterval());
    if (!IsSchedulerRunning()) {
      StopAll();
      return;
    }
    // Ended runs first: after a resume, a task due meanwhile must not meet
    // the recording of a run whose time ran out while the machine slept.
    Moment now{m_clock->LocalNow(), 0};
    now.sinceBootMs = m_clock->SinceBootMs();
    StopExpired(now);
    StartDue(now);
  }
}

void CTimerTaskArray::TakeDue(const Moment& now, ExpiredList& expired) {
  uint64_t nowUnits = TimerUnits(now.wall);
  std::lock_guard<std::mutex> lock(m_mapsLock);
  std::vector<CTimerDate> taken;
  for (const auto& [date, task] : m_pending) {
    int where = date.Locate(now.wall);
    if (where == 2) break;  // this one and all later ones are still ahead
    if (m_running.count(date)) continue;
    if (where == -2) {
      taken.push_back(date);
      expired.emplace_back(date, task);
      continue;
    }
    auto run = std::make_shared<Run>();
    run->date = date;
    run->task = task;
    run->owner = this;
    run->deadlineBootMs = now.sinceBootMs + static_cast<int64_t>((date.EndUnits() - nowUnits) / kTimerMsUnits);
    // A run whose thread cannot be made stays pending for the next wake-up.
    if (!StartRunThread(run)) continue;
    m_running[date] = run;
    taken.push_back(date);
  }
  for (const CTimerDate& date : taken) {
    if (date.IsEveryDay())
      Reschedule(date);
    else
      m_pending.erase(date);
  }
}

bool CTimerTaskArray::StartRunThread(const RunPtr& run) {
  std::shared_ptr<LiveRuns> live = LiveOf(this);
  {
    std::lock_guard<std::mutex> lock(live->lock);
    ++live->count;
  }
  auto* context = new RunPtr(run);
  HANDLE thread = CreateThread(nullptr, 0, &CTimerTaskArray::RunEntry, context, 0, nullptr);
  if (!thread) {
    delete context;
    std::lock_guard<std::mutex> lock(live->lock);
    --live->count;
    live->done.notify_all();
    return false;
  }
  run->thread = thread;
  return true;
}

bool CTimerTaskArray::Reschedule(const CTimerDate& run) {
  auto it = m_pending.find(run);
  if (it == m_pending.end()) return false;
  std::shared_ptr<ITimerTask> task = it->second;
  CTimerDate next = it->first;
  m_pending.erase(it);
  do next.AddOneDay();
  while (m_pending.count(next));
  m_pending[next] = task;
  return true;
}

void CTimerTaskArray::StartDue(const Moment& now) {
  ExpiredList expired;
  TakeDue(now, expired);
  if (expired.empty()) return;
  std::lock_guard<std::mutex> lock(m_hookLock);
  for (const auto& [date, task] : expired)
    if (m_expiredHook) m_expiredHook(date, task);
}

DWORD WINAPI CTimerTaskArray::RunEntry(LPVOID context) {
  RunPtr run = std::move(*static_cast<RunPtr*>(context));
  delete static_cast<RunPtr*>(context);
  CTimerTaskArray* owner = run->owner;
  std::shared_ptr<LiveRuns> live = LiveOf(owner);
  // The scheduler holds the maps lock until the run is filed with this
  // thread's handle: no work starts before a stop could wait for it.
  { std::lock_guard<std::mutex> gate(owner->m_mapsLock); }
  owner->RunThread(run);
  run.reset();
  std::lock_guard<std::mutex> lock(live->lock);
  --live->count;
  live->done.notify_all();
  return 0;
}

void CTimerTaskArray::RunThread(const RunPtr& run) {
  // A run cancelled before its thread came up does no work.
  if (!run->finished.load()) run->task->Run(run->date);
  {
    std::lock_guard<std::mutex> lock(m_mapsLock);
    auto it = m_running.find(run->date);
    if (it != m_running.end() && it->second == run) m_running.erase(it);
  }
  std::lock_guard<std::mutex> lock(m_hookLock);
  if (m_finishedHook) m_finishedHook(run->date, nullptr);
}

void CTimerTaskArray::StopExpired(const Moment& now) {
  std::vector<RunPtr> runs;
  {
    std::lock_guard<std::mutex> lock(m_mapsLock);
    for (const auto& [key, run] : m_running) runs.push_back(run);
  }
  uint64_t nowUnits = TimerUnits(now.wall);
  for (const RunPtr& run : runs) {
    if (run->finished.load()) continue;
    // Whichever comes first: the end on the wall clock, or the run's length
    // counted with suspended time (a wall clock set back).
    if (nowUnits < run->date.EndUnits() && now.sinceBootMs < run->deadlineBootMs) continue;
    if (!run->finished.exchange(true)) run->task->Cancel(run->date);
  }
}

CTimerTaskMgr::CTimerTaskMgr(std::shared_ptr<ITimerClock> clock) : CTimerTaskArray(std::move(clock)) {
  StartScheduler();
}

CTimerTaskMgr::~CTimerTaskMgr() { JoinScheduler(); }
