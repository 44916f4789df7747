// A unit of work for CTaskThreadPool. The pool moves the state word through
// its bits under the task's mutex; the task does its work in Run and is
// asked to finish early through Stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class CTaskThreadPool;

class ITask {
public:
    // State bits.
    static constexpr uint32_t StateQueued = 0x01;
    static constexpr uint32_t StateRunning = 0x02;
    static constexpr uint32_t StateStopAsked = 0x04;
    static constexpr uint32_t StateStopped = 0x08;
    static constexpr uint32_t StatePauseAsked = 0x10;
    static constexpr uint32_t StatePaused = 0x20;
    static constexpr uint32_t StateResumeAsked = 0x40;
    static constexpr uint32_t StateResumed = 0x80;

    ITask() = default;
    ITask(const ITask&) = delete;
    ITask& operator=(const ITask&) = delete;
    virtual ~ITask() = default;

    // Does the work on a worker thread, with no pool or task lock held.
    // The result is the task's own business; the pool ignores it.
    virtual bool Run() = 0;
    // Asks a running Run to finish soon. Called on the thread that stops the
    // task, possibly while Run is still going, and also for a task that never
    // ran. The result is ignored.
    virtual bool Stop() = 0;

    // Pausing is cooperative: the pool calls Suspend when it pauses the task
    // and Resume when it lets it go on (also before stopping a paused task).
    // The defaults hold Run at its next WaitWhilePaused(). Both are called
    // with the task's mutex held, so they must be quick and must not call
    // back into the pool or the task's Lock.
    virtual void Suspend();
    virtual void Resume();

    // The pool keeps its own index of waiting tasks: setting 0x01 or 0x40
    // here from outside the pool does not make a worker pick the task; the
    // pool's ResumeTask does.
    uint32_t GetState() const { return m_state.load(); }
    void SetState(uint32_t word) { m_state.exchange(word); }
    void AddState(uint32_t bits) { m_state.fetch_or(bits); }
    void RemoveState(uint32_t bits) { m_state.fetch_and(~bits); }
    // True when all given bits are set.
    bool HasState(uint32_t bits) const { return (m_state.load() & bits) == bits; }

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

    bool CallStop() { return Stop(); }
    // Runs the task on the calling thread, outside any pool.
    bool RunInline() { return Run(); }

    // Free for the task's own use; the pool never touches it.
    bool m_bUser = false;

protected:
    // A safe point for Run: blocks while the task is paused (default
    // Suspend/Resume). Returns at once otherwise.
    void WaitWhilePaused();
    // True while the default Suspend holds the task.
    bool IsPauseHeld() const;

private:
    friend class CTaskThreadPool;

    std::mutex m_mutex;
    std::atomic<uint32_t> m_state{StateQueued};
    // Set by the pool, under m_mutex, once Run has returned: a pause that
    // comes later has no thread to hold and is refused.
    bool m_runEnded = false;

    mutable std::mutex m_pauseMutex;
    std::condition_variable m_pauseChanged;
    bool m_pauseHeld = false;
};
