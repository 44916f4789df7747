#include "PulseLoop.h"

#include <poll.h>
#include <signal.h>

namespace capture_host {

PulseLoop::PulseLoop(int gatherMs) : gatherMs_(gatherMs), loop_(pa_mainloop_new()) {
    if (loop_) pa_mainloop_set_poll_func(loop_, &PulseLoop::Poll, this);
}

PulseLoop::~PulseLoop() {
    Stop();
    if (loop_) pa_mainloop_free(loop_);
}

pa_mainloop_api* PulseLoop::Api() const { return loop_ ? pa_mainloop_get_api(loop_) : nullptr; }

bool PulseLoop::Start() {
    if (!loop_ || thread_.joinable()) return false;
    thread_ = std::thread(&PulseLoop::Run, this);
    return true;
}

void PulseLoop::Stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        pa_mainloop_quit(loop_, 0);  // wakes the loop
    }
    thread_.join();
    threadId_ = std::thread::id();
}

void PulseLoop::Lock() { mutex_.lock(); }

void PulseLoop::Unlock() { mutex_.unlock(); }

bool PulseLoop::InThread() const { return threadId_.load() == std::this_thread::get_id(); }

void PulseLoop::Wait() {
    // The answer is awaited now: the loop must look at its connection at
    // once, not after a gathering time.
    ++waiters_;
    pa_mainloop_wakeup(loop_);
    signalled_.wait(mutex_);
    --waiters_;
}

void PulseLoop::Signal() { signalled_.notify_all(); }

void PulseLoop::Run() {
    // Signals go to the process's other threads, as with libpulse's loop.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    threadId_ = std::this_thread::get_id();
    int result = 0;
    pa_mainloop_run(loop_, &result);
}

int PulseLoop::Poll(struct pollfd* fds, unsigned long count, int timeout, void* self) {
    auto* me = static_cast<PulseLoop*>(self);
    me->mutex_.unlock();
    const int ready = me->GatherThenPoll(fds, count, timeout);
    me->mutex_.lock();
    return ready;
}

int PulseLoop::GatherThenPoll(struct pollfd* fds, unsigned long count, int timeout) {
    if (gatherMs_ > 0 && count > 1 && waiters_.load() == 0 && (timeout < 0 || timeout > gatherMs_)) {
        // Whatever is ready now is handled now: gathering only ever delays
        // going to sleep.
        const int ready = ::poll(fds, count, 0);
        if (ready != 0) return ready;
        // The loop's own wake-up pipe comes first among its descriptors: a
        // request from another thread ends the gathering at once. (Were it
        // not first, requests would wait the gathering time at worst.)
        const int woken = ::poll(fds, 1, gatherMs_);
        if (woken != 0) return ::poll(fds, count, 0);
        if (timeout > 0) timeout -= gatherMs_;
    }
    return ::poll(fds, count, timeout);
}

}  // namespace capture_host
