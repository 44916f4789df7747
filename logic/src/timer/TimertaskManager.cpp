#include "logic/TimertaskManager.h"

#include <cstdio>

#include "../settings/SetAside.h"
#include "base/CodePage.h"
#include "base/Formatting.h"
#include "base/PathHelpers.h"
#include "logic/DataFiles.h"
#include "logic/LogicMessages.h"
#include "win32/windows.h"

namespace {

std::wstring ReasonOf(int code) {
  switch (code) {
    case kTaskExpired:
      return L"“客户端未启动，导致任务过期。”";
    case kTaskBusy:
      return L"“当前有任务正在执行，导致该任务启动失败。”";
    case kTaskInvalidDate:
      return L"“任务时间无效，该任务已忽略。”";
    default:
      return L"";
  }
}

CTimerDate OnCommonDay(CTimerDate date) {
  date.start.wYear = 2020;
  date.start.wMonth = 1;
  date.start.wDay = 1;
  date.start.wDayOfWeek = 0;
  return date;
}

}  // namespace

CTimertaskManager::CTimertaskManager(std::shared_ptr<ITimerClock> clock)
    : m_clock(clock ? std::move(clock) : SystemTimerClock()) {
  EnsureDataFolder();
  std::wstring log = GetTimerLogPath();
  if (!log.empty()) m_logger.SetFile(false, log);
  m_engine = std::make_unique<CTimerTaskMgr>(m_clock);
  m_engine->SetFinishedHook([](CTimerDate, void*) {});
  m_engine->SetExpiredHook([this](const CTimerDate& run, const std::shared_ptr<ITimerTask>& task) {
    auto* action = dynamic_cast<CTimerTaskAction*>(task.get());
    if (!action) return;
    CTimertaskInfo info = action->Info();
    info.date = run;
    RefuseTask(kTaskExpired, info);
  });
  std::wstring xml = GetTimerXmlPath();
  if (!xml.empty()) LoadTasks(xml);
}

CTimertaskManager::~CTimertaskManager() {
  std::wstring xml = GetTimerXmlPath();
  if (!xml.empty()) SaveTasks(xml);
  m_engine.reset();
}

bool CTimertaskManager::AddTask(CTimerDate& date, CTimertaskInfo& task) {
  std::unique_lock<std::recursive_mutex> lock(m_mutex);
  if (m_tasks.count(date)) return false;
  SYSTEMTIME now = m_clock->LocalNow();
  if (date.Locate(now) != 2) {
    if (!date.IsEveryDay()) {
      lock.unlock();
      LogException(kTaskExpired, date, task);
      return false;
    }
    while (date.Locate(now) != 2) date.AddOneDay();
    task.date = date;
    // The moved date may meet a task the first check could not see.
    if (m_tasks.count(date)) return false;
  }
  return FileTask(date, task);
}

bool CTimertaskManager::FileTask(const CTimerDate& date, CTimertaskInfo& task) {
  task.date = date;
  task.semaphore = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  if (!task.semaphore) {
    m_error = L"no semaphore for the task";
    return false;
  }
  auto action = std::make_shared<CTimerTaskAction>(task, this);
  if (!m_engine->Add(date, action)) {
    // The engine holds a running task at that time: refused, and nothing
    // is listed that would never run.
    task.semaphore = nullptr;  // closed with the action
    return false;
  }
  m_tasks[date] = task;
  return true;
}

CTimertaskInfo CTimertaskManager::RemoveTask(const CTimerDate& date) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto it = m_tasks.find(date);
  if (it == m_tasks.end()) return CTimertaskInfo();
  CTimertaskInfo removed = it->second;
  CTimerDate key = it->first;
  m_tasks.erase(it);
  if (key.IsEveryDay() || date.IsEveryDay()) {
    CTimerDate next = key;
    do next.AddOneDay();
    while (m_tasks.count(next));
    CTimertaskInfo again = removed;
    again.date = next;
    again.status = kTaskStatusWaiting;
    m_tasks[next] = again;
  }
  return removed;
}

CTimertaskInfo CTimertaskManager::GetTask(const CTimerDate& date) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto it = m_tasks.find(date);
  return it == m_tasks.end() ? CTimertaskInfo() : it->second;
}

CTimertaskInfo CTimertaskManager::GetTaskAt(size_t index) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (index >= m_tasks.size()) return CTimertaskInfo();
  auto it = m_tasks.begin();
  std::advance(it, index);
  return it->second;
}

CTimertaskInfo CTimertaskManager::GetRunningTask() {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  CTimerDate running = m_engine->GetRunningDate();
  if (!running.IsSet()) return CTimertaskInfo();
  auto it = m_tasks.find(running);
  return it == m_tasks.end() ? CTimertaskInfo() : it->second;
}

size_t CTimertaskManager::GetCount() {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return m_tasks.size();
}

bool CTimertaskManager::FindConflicts(const CTimerDate& date, const CTimertaskInfo& task,
                                      std::vector<CTimerDate>& sameName, std::vector<CTimerDate>& conflicts) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  for (const auto& [key, filed] : m_tasks) {
    if (filed.name == task.name) sameName.push_back(key);
    int c = date.Compare(key);
    bool conflict;
    if (!date.IsEveryDay() && !key.IsEveryDay()) {
      conflict = c != -2 && c != 2;
    } else if ((c == -2 && key.IsEveryDay() && !date.IsEveryDay()) ||
               (c == 2 && date.IsEveryDay() && !key.IsEveryDay())) {
      conflict = false;
    } else {
      int daily = OnCommonDay(date).Compare(OnCommonDay(key));
      conflict = daily != -2 && daily != 2;
    }
    if (conflict) conflicts.push_back(key);
  }
  return !sameName.empty() || !conflicts.empty();
}

bool CTimertaskManager::SetTaskStatus(const CTimerDate& date, const SStringW& status) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto it = m_tasks.find(date);
  if (it == m_tasks.end()) return false;
  it->second.status = status;
  return true;
}

bool CTimertaskManager::ClearAll() {
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_tasks.clear();
  }
  // Outside the lock: a stopping run's messages reach the window, whose
  // handlers take the lock again.
  m_engine->StopAll();
  return true;
}

bool CTimertaskManager::StopTask(const CTimerDate& date) {
  CTimerDate key;
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_tasks.find(date);
    if (it == m_tasks.end()) return false;
    key = it->first;
    m_tasks.erase(it);
  }
  m_engine->Stop(key);
  return true;
}

bool CTimertaskManager::LogException(int code, const CTimerDate& date, const CTimertaskInfo& task) {
  SYSTEMTIME now = m_clock->LocalNow();
  SStringW nowText, startText;
  FormatSystemTime(nowText, &now);
  FormatSystemTime(startText, &date.start);
  std::wstring text = std::wstring(nowText.c_str()) + L"\n任务名称：“" + task.name.c_str() + L"”\n开始时间：“" +
                      startText.c_str() + L"”\n失败原因：" + ReasonOf(code);
  m_logger.WriteLine(text);
  return true;
}

void CTimertaskManager::RefuseTask(int code, const CTimertaskInfo& task) {
  LogException(code, task.date, task);
  RemoveTask(task.date);
}

bool CTimertaskManager::LoadTasks(const std::wstring& path) {
  if (!FileExists(path)) return true;
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_file(WStringToUtf8Ret(path).c_str());
  pugi::xml_node root = doc.child("content");
  if (!parsed || !root) {
    std::wstring aside = logic::SetFileAside(path);
    // A file that could not be moved keeps its place: no save may replace
    // tasks that were never loaded.
    if (aside.empty()) m_keptUnreadable = path;
    m_error = L"timer-task file unreadable (" + Utf8ToWStringRet(parsed.description()) + L"), set aside as " +
              (aside.empty() ? L"(could not be moved)" : aside);
    return false;
  }
  for (pugi::xml_node rec : root.children()) {
    if (rec.type() != pugi::node_element) continue;
    CTimertaskInfo task;
    bool valid = task.Load(rec);
    if (!task.date.IsSet()) continue;
    if (!valid) {
      LogException(kTaskInvalidDate, task.date, task);
      continue;
    }
    CTimerDate date = task.date;
    AddTask(date, task);
  }
  return true;
}

bool CTimertaskManager::SaveTasks(const std::wstring& path) {
  if (!m_keptUnreadable.empty() && path == m_keptUnreadable) {
    m_error = L"timer-task file left as it is: it could not be read nor set aside";
    return false;
  }
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("content");
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (const auto& [key, task] : m_tasks) task.Save(root);
  }
  // Written beside the old file and moved over it, so a failed write never
  // leaves half a list.
  std::string target = WStringToUtf8Ret(path), temp = target + ".new";
  if (!doc.save_file(temp.c_str(), "\t")) {
    std::remove(temp.c_str());
    m_error = L"timer-task file could not be written";
    return false;
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    m_error = L"timer-task file could not be replaced";
    return false;
  }
  return true;
}

bool CTimertaskManager::SetTargetWindow(HWND window) {
  m_target.store(window);
  return true;
}
