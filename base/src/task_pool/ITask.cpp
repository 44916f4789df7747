#include "base/ITask.h"

void ITask::Suspend() {
    std::lock_guard<std::mutex> guard(m_pauseMutex);
    m_pauseHeld = true;
}

void ITask::Resume() {
    {
        std::lock_guard<std::mutex> guard(m_pauseMutex);
        m_pauseHeld = false;
    }
    m_pauseChanged.notify_all();
}

void ITask::WaitWhilePaused() {
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    m_pauseChanged.wait(lock, [this] { return !m_pauseHeld; });
}

bool ITask::IsPauseHeld() const {
    std::lock_guard<std::mutex> guard(m_pauseMutex);
    return m_pauseHeld;
}
