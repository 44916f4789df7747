// Runs keyed tasks on worker threads that start on demand and end when they
// find nothing to do. Tasks run in the order they were added; at most `max`
// workers run tasks at once (1 by default: a single serial task thread).
// When a worker ends, the pool tells the notify window with the UM_TASKPOOL_*
// messages, sent synchronously: the window must not wait for the pool's
// workers (StopAll, destruction) while it can receive them.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/ITask.h"
#include "base/TaskList.h"
#include "base/ThreadCounter.h"
#include "win32/windows.h"

// wParam: address of the notify owner; lParam: address of the pool.
constexpr UINT UM_TASKPOOL_WORKER_DONE = 1955;  // a worker ended
constexpr UINT UM_TASKPOOL_NONE_BUSY = 1956;    // ...and no worker is busy
constexpr UINT UM_TASKPOOL_NO_WORKER = 1957;    // ...and no worker is left

class CTaskThreadPool {
public:
    using TaskPtr = std::shared_ptr<ITask>;

    CTaskThreadPool();
    explicit CTaskThreadPool(int max);  // max below 1 counts as 1
    // Stops every task and waits for every worker thread.
    ~CTaskThreadPool();
    CTaskThreadPool(const CTaskThreadPool&) = delete;
    CTaskThreadPool& operator=(const CTaskThreadPool&) = delete;

    // A key that is present already keeps its task; the given one is dropped.
    void AddTask(const std::wstring& key, TaskPtr task);
    bool StopTask(const std::wstring& key);
    bool PauseTask(const std::wstring& key);
    bool ResumeTask(const std::wstring& key);
    // Stops every task, then joins every worker but the calling one.
    bool StopAll();
    bool PauseAll();
    bool ResumeAll();

    bool HasTask(const std::wstring& key);
    // -1 when the key holds an empty pointer; throws std::out_of_range when
    // the key is absent.
    int GetTaskFlags(const std::wstring& key);
    TaskPtr GetTask(const std::wstring& key);  // throws std::out_of_range
    TaskPtr GetTaskAt(int position);           // empty when out of range
    TaskPtr FindTask(uint32_t bits);           // first task with all the bits
    void RemoveTask(const std::wstring& key);
    std::vector<std::wstring> GetKeys();  // in key order
    int GetTaskCount();
    int GetPendingCount();  // tasks minus paused workers
    bool IsBusy(bool countPaused);

    void SetNotifyWindow(HWND wnd);
    void SetNotify(std::shared_ptr<void> owner);
    void Notify(UINT message, LPARAM lParam);

    void SpawnWorker();
    void StartWorkers();
    void FillWorkers();
    void LockTasks() { m_tasksMutex.lock(); }
    void UnlockTasks() { m_tasksMutex.unlock(); }

private:
    struct Worker {
        std::thread thread;
        bool ended = false;  // set by the worker itself as its last act
    };

    void WorkerLoop();
    void RunTask(const TaskPtr& task);
    void StopTaskPtr(const TaskPtr& task);
    // The task kept under the key (possibly empty); false when the key is absent.
    bool FindByKey(const std::wstring& key, TaskPtr& task);
    // Step 1 of a pause (the request); true when it should be applied.
    bool RequestPause(ITask& task);
    // Step 1 of a resume; true when it queued a task that never ran.
    bool RequestResume(ITask& task);
    // Under the task's mutex, after a resume request: tells the task list.
    void NoteRequeued(const ITask& task);
    // Under the task's mutex: lets a paused task with a resume request go on.
    void ApplyResumeLocked(ITask& task);
    // Under m_tasksMutex: starts a worker unless the pool is at its maximum.
    void SpawnWorkerUnlessMaxLocked();
    void EraseTaskLocked(const ITask* task);
    std::vector<TaskPtr> SnapshotTasks();
    void MarkWorkerEnded();
    void JoinEndedWorkers();

    // Lock order: a task's mutex, then m_tasksMutex, then m_workersMutex,
    // then the counter's mutex. m_notifyMutex is taken alone.
    std::mutex m_workersMutex;
    std::vector<std::unique_ptr<Worker>> m_workers;
    CThreadCounter m_counter;
    CTaskList m_tasks;
    std::mutex m_tasksMutex;
    std::mutex m_notifyMutex;
    HWND m_notifyWnd = nullptr;
    std::shared_ptr<void> m_notifyOwner;
};
