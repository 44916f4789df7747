#include "PulseConnection.h"

#include <pulse/rtclock.h>

#include "HostLog.h"

namespace capture_host {

namespace {
// A server that accepts the socket but never answers must not hang the
// caller (the device server's task thread waits on us without a limit).
constexpr pa_usec_t kConnectTimeout = 5 * PA_USEC_PER_SEC;

void SignalLoop(pa_operation*, void* loop) { static_cast<PulseLoop*>(loop)->Signal(); }
}  // namespace

PulseConnection::PulseConnection(int gatherMs) : loop_(std::make_unique<PulseLoop>(gatherMs)) {}

PulseConnection::Lock::Lock(const PulseConnection& c) : loop_(c.loop_.get()) {
    if (loop_ && loop_->InThread()) loop_ = nullptr;
    if (loop_) loop_->Lock();
}

PulseConnection::Lock::~Lock() {
    if (loop_) loop_->Unlock();
}

void PulseConnection::OnContextState(pa_context* c, void* self) {
    auto* me = static_cast<PulseConnection*>(self);
    pa_context_state_t st = pa_context_get_state(c);
    if (st == PA_CONTEXT_READY) me->wasReady_ = true;
    if (st == PA_CONTEXT_FAILED && me->wasReady_)
        HostLog("lost the PulseAudio server: %s", pa_strerror(pa_context_errno(c)));
    me->loop_->Signal();
}

void PulseConnection::OnConnectTimeout(pa_mainloop_api* api, pa_time_event* e,
                                       const struct timeval*, void* self) {
    auto* me = static_cast<PulseConnection*>(self);
    me->timedOut_ = true;
    api->time_free(e);
    me->loop_->Signal();
}

bool PulseConnection::Connect(const char* clientName, std::string& error) {
    if (!loop_->IsValid()) {
        error = "cannot create the PulseAudio main loop";
        return false;
    }
    context_ = pa_context_new(loop_->Api(), clientName);
    if (!context_) {
        error = "cannot create a PulseAudio context";
        return false;
    }
    pa_context_set_state_callback(context_, OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = LastError();
        return false;
    }
    if (!loop_->Start()) {
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
        loop_->Wait();
    }
    // A timer that fired has freed itself.
    if (timer && !timedOut_) loop_->Api()->time_free(timer);
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool PulseConnection::IsUsable() const {
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool PulseConnection::Wait(pa_operation* op) {
    if (!op) return false;
    pa_operation_set_state_callback(op, SignalLoop, loop_.get());
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) loop_->Wait();
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
    {
        Lock lock(*this);
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    loop_->Stop();
}

}  // namespace capture_host
