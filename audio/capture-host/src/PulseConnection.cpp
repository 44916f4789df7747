#include "PulseConnection.h"

#include <pulse/rtclock.h>

#include "HostLog.h"

namespace capture_host {

namespace {
// A server that accepts the socket but never answers must not hang the
// caller (the device server's task thread waits on us without a limit).
constexpr pa_usec_t kConnectTimeout = 5 * PA_USEC_PER_SEC;

void SignalLoop(pa_operation*, void* loop) {
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}
}  // namespace

PulseConnection::Lock::Lock(const PulseConnection& c) : loop_(c.loop_) {
    if (loop_ && pa_threaded_mainloop_in_thread(loop_)) loop_ = nullptr;
    if (loop_) pa_threaded_mainloop_lock(loop_);
}

PulseConnection::Lock::~Lock() {
    if (loop_) pa_threaded_mainloop_unlock(loop_);
}

void PulseConnection::OnContextState(pa_context* c, void* self) {
    auto* me = static_cast<PulseConnection*>(self);
    pa_context_state_t st = pa_context_get_state(c);
    if (st == PA_CONTEXT_READY) me->wasReady_ = true;
    if (st == PA_CONTEXT_FAILED && me->wasReady_)
        HostLog("lost the PulseAudio server: %s", pa_strerror(pa_context_errno(c)));
    pa_threaded_mainloop_signal(me->loop_, 0);
}

void PulseConnection::OnConnectTimeout(pa_mainloop_api* api, pa_time_event* e,
                                       const struct timeval*, void* self) {
    auto* me = static_cast<PulseConnection*>(self);
    me->timedOut_ = true;
    api->time_free(e);
    pa_threaded_mainloop_signal(me->loop_, 0);
}

bool PulseConnection::Connect(const char* clientName, std::string& error) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        error = "cannot create the PulseAudio main loop";
        return false;
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName);
    if (!context_) {
        error = "cannot create a PulseAudio context";
        return false;
    }
    pa_context_set_state_callback(context_, OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = LastError();
        return false;
    }
    if (pa_threaded_mainloop_start(loop_) < 0) {
        error = "cannot start the PulseAudio main loop thread";
        return false;
    }
    Lock lock(*this);
    pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + kConnectTimeout,
                                                 OnConnectTimeout, this);
    for (;;) {
        pa_context_state_t st = pa_context_get_state(context_);
        if (st == PA_CONTEXT_READY) break;
        if (!PA_CONTEXT_IS_GOOD(st)) {
            error = LastError();
            break;
        }
        if (timedOut_) {
            error = "the PulseAudio server did not answer";
            break;
        }
        pa_threaded_mainloop_wait(loop_);
    }
    // A timer that fired has freed itself.
    if (timer && !timedOut_) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool PulseConnection::IsUsable() const {
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool PulseConnection::Wait(pa_operation* op) {
    if (!op) return false;
    pa_operation_set_state_callback(op, SignalLoop, loop_);
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_threaded_mainloop_wait(loop_);
    bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_set_state_callback(op, nullptr, nullptr);
    pa_operation_unref(op);
    return done;
}

std::string PulseConnection::LastError() const {
    if (!context_) return "no PulseAudio context";
    return pa_strerror(pa_context_errno(context_));
}

PulseConnection::~PulseConnection() {
    if (loop_) {
        {
            Lock lock(*this);
            if (context_) {
                pa_context_set_state_callback(context_, nullptr, nullptr);
                pa_context_disconnect(context_);
                pa_context_unref(context_);
                context_ = nullptr;
            }
        }
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    } else if (context_) {
        pa_context_unref(context_);
    }
}

}  // namespace capture_host
