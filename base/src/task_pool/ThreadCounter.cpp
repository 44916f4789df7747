#include "base/ThreadCounter.h"

CStateUtil CThreadCounter::BitsLocked() const {
    CStateUtil bits;
    if (m_busy <= 0)
        bits.Add(NoneBusy);
    if (m_threads <= 0)
        bits.Add(NoThread);
    return bits;
}

void CThreadCounter::Enter() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_threads;
    ++m_busy;
}

CStateUtil CThreadCounter::Leave() {
    std::lock_guard<std::mutex> guard(m_mutex);
    --m_threads;
    --m_busy;
    return BitsLocked();
}

CStateUtil CThreadCounter::IncBusy() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_busy;
    return BitsLocked();
}

CStateUtil CThreadCounter::DecBusy() {
    std::lock_guard<std::mutex> guard(m_mutex);
    --m_busy;
    return BitsLocked();
}

void CThreadCounter::AddBusy() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_busy;
}

void CThreadCounter::SubBusy() {
    std::lock_guard<std::mutex> guard(m_mutex);
    --m_busy;
}

bool CThreadCounter::IsMax() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_busy >= m_max;
}

bool CThreadCounter::IsOver() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_busy > m_max;
}

bool CThreadCounter::IsBusy() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_busy > 0;
}

int CThreadCounter::GetThreads() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_threads;
}

int CThreadCounter::GetBusy() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_busy;
}

int CThreadCounter::GetSuspended() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_threads - m_busy;
}

void CThreadCounter::SetMax(int max) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_max = max;
}
