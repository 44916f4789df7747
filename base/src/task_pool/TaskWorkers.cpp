// The worker threads of CTaskThreadPool: starting, the loop, and reaping.
#include "base/TaskThreadPool.h"

void CTaskThreadPool::SpawnWorker() {
    std::lock_guard<std::mutex> guard(m_workersMutex);
    // The worker is counted here rather than when its thread begins, so that
    // the next decision to start one already sees it.
    m_counter.Enter();
    auto worker = std::make_unique<Worker>();
    try {
        worker->thread = std::thread([this] { WorkerLoop(); });
    } catch (...) {
        m_counter.Leave();
        throw;
    }
    m_workers.push_back(std::move(worker));
}

void CTaskThreadPool::SpawnWorkerUnlessMaxLocked() {
    if (!m_counter.IsMax())
        SpawnWorker();
}

// Both hold the task list's lock while they start workers: a worker can only
// end under that lock, so the count they watch only grows and the loop ends.
void CTaskThreadPool::StartWorkers() {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    while (!m_counter.IsMax()) {
        if (!m_tasks.FirstQueued())
            return;
        SpawnWorker();
    }
}

void CTaskThreadPool::FillWorkers() {
    std::lock_guard<std::mutex> guard(m_tasksMutex);
    while (!m_counter.IsMax())
        SpawnWorker();
}

void CTaskThreadPool::WorkerLoop() {
    CStateUtil left;
    for (;;) {
        TaskPtr resume;
        TaskPtr queued;
        {
            // Deciding to end and leaving the counter happen under the task
            // list's lock, the one AddTask holds while it decides whether a
            // new worker is needed.
            std::lock_guard<std::mutex> guard(m_tasksMutex);
            if (!m_counter.IsOver()) {
                resume = m_tasks.FirstResumeAsked();
                if (!resume)
                    queued = m_tasks.FirstQueued();
            }
            if (!resume && !queued) {
                left = m_counter.Leave();
                break;
            }
        }
        if (resume) {
            std::lock_guard<std::mutex> guard(resume->m_mutex);
            ApplyResumeLocked(*resume);
        } else {
            RunTask(queued);
        }
    }
    LPARAM self = reinterpret_cast<LPARAM>(this);
    Notify(UM_TASKPOOL_WORKER_DONE, self);
    if (left.Test(CThreadCounter::NoneBusy))
        Notify(UM_TASKPOOL_NONE_BUSY, self);
    if (left.Test(CThreadCounter::NoThread))
        Notify(UM_TASKPOOL_NO_WORKER, self);
    MarkWorkerEnded();
}

void CTaskThreadPool::RunTask(const TaskPtr& task) {
    {
        std::lock_guard<std::mutex> guard(task->m_mutex);
        if (!task->HasState(ITask::StateQueued))
            return;  // another worker took it, or it was paused or stopped
        task->RemoveState(ITask::StateQueued);
        task->AddState(ITask::StateRunning);
    }
    task->Run();
    std::lock_guard<std::mutex> guard(task->m_mutex);
    task->m_runEnded = true;
    // A pause applied after Run's last safe point holds no thread: give the
    // worker back to the count, or the pool would run over its maximum.
    bool held = task->HasState(ITask::StatePaused);
    task->RemoveState(ITask::StatePauseAsked | ITask::StatePaused | ITask::StateResumeAsked);
    if (held) {
        m_counter.IncBusy();
        task->Resume();
    }
    std::lock_guard<std::mutex> tasksGuard(m_tasksMutex);
    EraseTaskLocked(task.get());
}

void CTaskThreadPool::MarkWorkerEnded() {
    std::lock_guard<std::mutex> guard(m_workersMutex);
    auto self = std::this_thread::get_id();
    for (auto& worker : m_workers) {
        if (worker->thread.get_id() == self) {
            worker->ended = true;
            return;
        }
    }
    // Not listed: StopAll has taken this worker and is joining it.
}

void CTaskThreadPool::JoinEndedWorkers() {
    std::vector<std::unique_ptr<Worker>> ended;
    {
        std::lock_guard<std::mutex> guard(m_workersMutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if ((*it)->ended) {
                ended.push_back(std::move(*it));
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : ended)
        worker->thread.join();
}
