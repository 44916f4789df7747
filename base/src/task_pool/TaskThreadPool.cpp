// Construction, the task list and the notices of CTaskThreadPool.
#include "base/TaskThreadPool.h"

CTaskThreadPool::CTaskThreadPool() = default;

CTaskThreadPool::CTaskThreadPool(int max) {
    m_counter.SetMax(max < 1 ? 1 : max);
}

CTaskThreadPool::~CTaskThreadPool() {
    StopAll();
    std::shared_ptr<void> owner;
    {
        std::lock_guard<std::mutex> guard(m_notifyMutex);
        owner.swap(m_notifyOwner);
    }
}

void CTaskThreadPool::AddTask(const std::wstring& key, TaskPtr task) {
    JoinEndedWorkers();
    // The check, the insertion and the worker decision happen under the one
    // lock a worker holds when it decides to end: either that worker sees the
    // new task, or we see it gone and start another.
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    if (m_tasks.Contains(key))
        return;
    m_tasks.Set(key, std::move(task));
    SpawnWorkerUnlessMaxLocked();
}

bool CTaskThreadPool::HasTask(const std::wstring& key) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.Contains(key);
}

int CTaskThreadPool::GetTaskFlags(const std::wstring& key) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    const TaskPtr& task = m_tasks.Get(key);
    return task ? static_cast<int>(task->GetState()) : -1;
}

CTaskThreadPool::TaskPtr CTaskThreadPool::GetTask(const std::wstring& key) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.Get(key);
}

CTaskThreadPool::TaskPtr CTaskThreadPool::GetTaskAt(int position) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.At(position);
}

CTaskThreadPool::TaskPtr CTaskThreadPool::FindTask(uint32_t bits) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.FindFirst(bits);
}

void CTaskThreadPool::RemoveTask(const std::wstring& key) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    m_tasks.Remove(key);
}

std::vector<std::wstring> CTaskThreadPool::GetKeys() {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.GetKeys();
}

int CTaskThreadPool::GetTaskCount() {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.Size();
}

int CTaskThreadPool::GetPendingCount() {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.Size() - m_counter.GetSuspended();
}

bool CTaskThreadPool::IsBusy(bool countPaused) {
    if (m_counter.GetBusy() >= 1)
        return true;
    return countPaused && m_counter.GetSuspended() >= 1;
}

void CTaskThreadPool::EraseTaskLocked(const ITask* task) {
    m_tasks.Erase(task);
}

std::vector<CTaskThreadPool::TaskPtr> CTaskThreadPool::SnapshotTasks() {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    return m_tasks.Snapshot();
}

void CTaskThreadPool::SetNotifyWindow(HWND wnd) {
    std::lock_guard<std::mutex> guard(m_notifyMutex);
    m_notifyWnd = wnd;
}

void CTaskThreadPool::SetNotify(std::shared_ptr<void> owner) {
    {
        std::lock_guard<std::mutex> guard(m_notifyMutex);
        m_notifyOwner.swap(owner);
    }
    // `owner` now holds the previous one, released here outside the lock.
}

void CTaskThreadPool::Notify(UINT message, LPARAM lParam) {
    HWND wnd;
    std::shared_ptr<void> owner;
    {
        std::lock_guard<std::mutex> guard(m_notifyMutex);
        wnd = m_notifyWnd;
        owner = m_notifyOwner;
    }
    if (wnd)
        SendMessageW(wnd, message, reinterpret_cast<WPARAM>(owner.get()), lParam);
}
