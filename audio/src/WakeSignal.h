// A wake-up with the semantics of a semaphore of maximum count 1: many
// signals before a wait make one wake. Private to the recorder, so that its
// once-per-packet signal wakes only its own worker.
#pragma once

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

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};
