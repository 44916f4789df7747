// A wake-up with the semantics of a semaphore of maximum count 1: many
// signals before a wait make one wake. Private to its owner, so that a
// signal per packet wakes only the owner's worker (the Windows-style kernel
// objects of the platform layer wake every waiter in the process).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class CWakeSignal {
public:
    void Signal() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (signalled_) return;
            signalled_ = true;
        }
        changed_.notify_one();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return signalled_; });
        signalled_ = false;
    }
    // True when signalled within `ms` milliseconds (0: only a test); the
    // signal is taken.
    bool WaitFor(long ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return signalled_; }))
            return false;
        signalled_ = false;
        return true;
    }
    // Whether a signal is waiting, without taking it.
    bool IsSignalled() {
        std::lock_guard<std::mutex> lock(mutex_);
        return signalled_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};
