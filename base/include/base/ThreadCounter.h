// Counts a pool's workers: threads alive, and those of them not held by a
// paused task (busy). Every read and change happens under its own mutex.
#pragma once

#include <mutex>

#include "base/StateUtil.h"

class CThreadCounter {
public:
    // Bits of the CStateUtil that Leave, IncBusy and DecBusy return.
    static constexpr uint32_t NoneBusy = 0x01;  // busy is 0 or less
    static constexpr uint32_t NoThread = 0x02;  // threads is 0 or less

    void Enter();
    CStateUtil Leave();
    CStateUtil IncBusy();
    CStateUtil DecBusy();
    void AddBusy();
    void SubBusy();

    bool IsMax() const;   // busy is at least max
    bool IsOver() const;  // busy is above max
    bool IsBusy() const;  // busy is above 0
    int GetThreads() const;
    int GetBusy() const;
    int GetSuspended() const;  // threads minus busy
    void SetMax(int max);

private:
    CStateUtil BitsLocked() const;

    mutable std::mutex m_mutex;
    int m_threads = 0;
    int m_busy = 0;
    int m_max = 1;
};
