// A PulseAudio main loop on a thread of its own, used like libpulse's
// threaded main loop: one recursive lock, held by the loop's thread except
// while it polls, and Wait/Signal for callers waiting on the server.
//
// One thing more: with a gathering time, a loop that finds nothing to do
// lets the server's messages collect for that long before it looks at its
// connection again. A capture stream's server sends a message for every
// few milliseconds of audio, and each costs the loop a wake-up and several
// system calls; gathered, a tenth of a second of them costs one or two. The
// loop still wakes at once for a request of another thread, and does not
// gather while a caller waits for an answer.
#pragma once

#include <pulse/mainloop.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace capture_host {

class PulseLoop {
public:
    explicit PulseLoop(int gatherMs);
    ~PulseLoop();  // stops the thread first
    PulseLoop(const PulseLoop&) = delete;
    PulseLoop& operator=(const PulseLoop&) = delete;

    bool IsValid() const { return loop_ != nullptr; }
    pa_mainloop_api* Api() const;
    bool Start();
    // Ends the loop's thread; called without the lock held.
    void Stop();

    void Lock();
    void Unlock();
    bool InThread() const;
    // With the lock held once: releases it until Signal (or spuriously).
    void Wait();
    // Wakes every Wait.
    void Signal();

private:
    static int Poll(struct pollfd* fds, unsigned long count, int timeout, void* self);
    int GatherThenPoll(struct pollfd* fds, unsigned long count, int timeout);
    void Run();

    const int gatherMs_;
    pa_mainloop* loop_ = nullptr;
    std::recursive_mutex mutex_;
    std::condition_variable_any signalled_;
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
    std::atomic<int> waiters_{0};
};

}  // namespace capture_host
