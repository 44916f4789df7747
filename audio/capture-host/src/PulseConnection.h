// One connection to the PulseAudio server, driven by a main loop on a thread
// of its own (PulseLoop).
// Both the capture host and the endpoint watcher own one. Calls that wait
// for the server must come from outside the loop's thread; code running on
// the loop's thread (stream and subscription callbacks) only reads what it
// is handed and queues further requests without waiting.
#pragma once

#include <pulse/pulseaudio.h>

#include <memory>
#include <string>

#include "PulseLoop.h"

namespace capture_host {

class PulseConnection {
public:
    // `gatherMs`: how long the loop lets the server's messages collect when
    // it has nothing to do (0: it never waits to look).
    explicit PulseConnection(int gatherMs = 0);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Connects to the server that PULSE_SERVER (or the client configuration)
    // names, never spawning one. False, with the reason in `error`, when no
    // server answers within a few seconds.
    bool Connect(const char* clientName, std::string& error);

    PulseLoop* Loop() const { return loop_.get(); }
    pa_context* Context() const { return context_; }
    bool IsUsable() const;

    // Waits, with the loop locked, until `op` has finished; takes over the
    // caller's reference. False when `op` is null or was cancelled because
    // the connection broke.
    bool Wait(pa_operation* op);

    // The server's last error as text.
    std::string LastError() const;

    // Locks the loop for the scope; does nothing on the loop's own thread,
    // where callbacks already run with the lock held.
    class Lock {
    public:
        explicit Lock(const PulseConnection& c);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
    private:
        PulseLoop* loop_;
    };

private:
    static void OnContextState(pa_context* c, void* self);
    static void OnConnectTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);

    std::unique_ptr<PulseLoop> loop_;
    pa_context* context_ = nullptr;
    bool timedOut_ = false;
    bool wasReady_ = false;
};

}  // namespace capture_host
