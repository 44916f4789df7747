// Stopping, pausing and resuming the tasks of CTaskThreadPool.
#include "base/TaskThreadPool.h"

bool CTaskThreadPool::FindByKey(const std::wstring& key, TaskPtr& task) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    if (!m_tasks.Contains(key))
        return false;
    task = m_tasks.Get(key);
    return true;
}

bool CTaskThreadPool::StopTask(const std::wstring& key) {
    TaskPtr task;
    if (!FindByKey(key, task) || !task)
        return false;
    StopTaskPtr(task);
    return true;
}

void CTaskThreadPool::StopTaskPtr(const TaskPtr& task) {
    {
        std::lock_guard<std::mutex> guard(task->m_mutex);
        // Request. A task that never ran leaves the list at once; a running
        // one stays until its Run returns.
        if (task->HasState(ITask::StateRunning)) {
            task->AddState(ITask::StateStopAsked);
        } else {
            task->RemoveState(ITask::StateQueued);
            task->AddState(ITask::StateStopAsked);
            std::lock_guard<std::mutex> tasksGuard(m_tasksMutex);
            EraseTaskLocked(task.get());
        }
        // Apply. A paused task is let go first so that its Run can finish.
        if (!task->HasState(ITask::StateStopAsked))
            return;
        bool wasPaused = task->HasState(ITask::StatePaused);
        if (wasPaused) {
            task->RemoveState(ITask::StatePaused | ITask::StateResumeAsked);
            task->AddState(ITask::StateResumed);
        }
        task->RemoveState(ITask::StateStopAsked);
        task->AddState(ITask::StateStopped);
        if (wasPaused) {
            m_counter.IncBusy();
            task->Resume();
        }
    }
    task->CallStop();
}

bool CTaskThreadPool::StopAll() {
    // Every task present now is stopped, whatever workers remove meanwhile.
    for (const TaskPtr& task : SnapshotTasks())
        StopTaskPtr(task);
    // A worker can call this from a task; it cannot wait for itself.
    auto self = std::this_thread::get_id();
    for (;;) {
        std::unique_ptr<Worker> worker;
        {
            std::lock_guard<std::mutex> guard(m_workersMutex);
            for (auto it = m_workers.begin(); it != m_workers.end(); ++it) {
                if ((*it)->thread.get_id() != self) {
                    worker = std::move(*it);
                    m_workers.erase(it);
                    break;
                }
            }
        }
        if (!worker)
            return true;
        worker->thread.join();
    }
}

bool CTaskThreadPool::RequestPause(ITask& task) {
    if (!task.HasState(ITask::StateRunning)) {
        // Not started: no worker picks it up, and it stays in the list.
        task.RemoveState(ITask::StateQueued);
        return false;
    }
    if (task.HasState(ITask::StateResumeAsked)) {
        task.RemoveState(ITask::StateResumeAsked);  // cancels the pending resume
        return false;
    }
    constexpr uint32_t refused = ITask::StateStopAsked | ITask::StateStopped | ITask::StatePaused;
    if ((task.GetState() & refused) != 0 || task.m_runEnded)
        return false;
    task.AddState(ITask::StatePauseAsked);
    return true;
}

bool CTaskThreadPool::PauseTask(const std::wstring& key) {
    TaskPtr task;
    if (!FindByKey(key, task))
        return false;
    if (!task)
        return true;
    {
        std::lock_guard<std::mutex> guard(task->m_mutex);
        if (!RequestPause(*task) || !task->HasState(ITask::StatePauseAsked))
            return true;
        task->RemoveState(ITask::StatePauseAsked);
        task->AddState(ITask::StatePaused);
        m_counter.DecBusy();
        task->Suspend();
    }
    // The paused task keeps its worker; let the other tasks go on meanwhile.
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    if (!m_counter.IsMax() && m_tasks.Size() != m_counter.GetSuspended())
        SpawnWorker();
    return true;
}

bool CTaskThreadPool::RequestResume(ITask& task) {
    if (task.HasState(ITask::StateStopAsked))
        return false;
    if (!task.HasState(ITask::StateRunning)) {
        task.AddState(ITask::StateQueued);
        return true;
    }
    if (task.HasState(ITask::StatePauseAsked))
        task.RemoveState(ITask::StatePauseAsked);  // the pause was not applied yet
    else if (task.HasState(ITask::StatePaused))
        task.AddState(ITask::StateResumeAsked);
    return false;
}

void CTaskThreadPool::ApplyResumeLocked(ITask& task) {
    if (!task.HasState(ITask::StateResumeAsked))
        return;
    task.RemoveState(ITask::StateResumeAsked);
    // Only a task still paused gets its worker counted back; a stop or the
    // end of its Run may have let it go already.
    if (!task.HasState(ITask::StatePaused))
        return;
    task.RemoveState(ITask::StatePaused);
    task.AddState(ITask::StateResumed);
    m_counter.IncBusy();
    task.Resume();
}

// Under the task's mutex, so that a worker looking for work either sees
// the bits a resume request set or finds the task in the list's indexes.
void CTaskThreadPool::NoteRequeued(const ITask& task) {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    m_tasks.NoteRequeued(&task);
}

bool CTaskThreadPool::ResumeTask(const std::wstring& key) {
    TaskPtr task;
    if (!FindByKey(key, task))
        return false;
    if (!task)
        return false;
    bool requeued;
    {
        std::lock_guard<std::mutex> guard(task->m_mutex);
        requeued = RequestResume(*task);
        NoteRequeued(*task);
        // At the maximum the request waits for the next worker that looks
        // for work, so the pool does not run more tasks than it may.
        if (!m_counter.IsMax())
            ApplyResumeLocked(*task);
    }
    if (requeued) {
        // With no worker left, a task queued again would wait for an
        // unrelated AddTask; start one as AddTask would.
        std::lock_guard<std::mutex> guard(m_tasksMutex);
        if (m_tasks.HoldsTask(task.get()))
            SpawnWorkerUnlessMaxLocked();
    }
    return true;
}

bool CTaskThreadPool::PauseAll() {
    for (const TaskPtr& task : SnapshotTasks()) {
        std::lock_guard<std::mutex> guard(task->m_mutex);
        RequestPause(*task);
    }
    SpawnWorker();
    return true;
}

bool CTaskThreadPool::ResumeAll() {
    for (const TaskPtr& task : SnapshotTasks()) {
        {
            std::lock_guard<std::mutex> guard(task->m_mutex);
            RequestResume(*task);
            NoteRequeued(*task);
        }
        if (!m_counter.IsMax())
            SpawnWorker();
    }
    return true;
}
