// The host's process-wide state: its initialisation count, its connection
// and its open streams, all guarded by one mutex. The stream callbacks never
// take that mutex, so holding it while waiting for the server is safe.
#pragma once

#include "PulseConnection.h"

#include <memory>
#include <mutex>
#include <set>

namespace capture_host {

struct Stream;

struct HostState {
    std::mutex mutex;
    int initCount = 0;
    std::unique_ptr<PulseConnection> connection;
    std::set<Stream*> streams;
};

HostState& Host();

// True on a thread that is inside a stream callback, where a blocking call
// into the host would wait for itself.
bool InStreamCallback();

// Stops and frees a stream; the caller holds the host mutex.
void DestroyStreamLocked(HostState& host, Stream* stream);

}  // namespace capture_host
