#include "capture-host/CaptureHost.h"

#include "HostLog.h"
#include "HostState.h"
#include "ServerQueries.h"

namespace capture_host {

HostState& Host() {
    static HostState host;
    return host;
}

const char* GetErrorText(int result) {
    switch (result) {
    case NoError: return "no error";
    case NotInitialized: return "the capture host is not initialised";
    case HostUnavailable: return "no PulseAudio server";
    case InvalidChannelCount: return "invalid channel count";
    case InvalidSampleRate: return "invalid sample rate";
    case InvalidDevice: return "invalid device";
    case NullCallback: return "no stream callback";
    case BadStreamPtr: return "invalid stream";
    case DeviceUnavailable: return "device unavailable";
    case StreamNotStopped: return "the stream is running";
    case CalledFromCallback: return "called on the PulseAudio thread";
    default: return "unknown error";
    }
}

int Initialize() {
    if (InStreamCallback()) return CalledFromCallback;
    HostState& host = Host();
    std::lock_guard<std::mutex> guard(host.mutex);
    if (host.initCount > 0) {
        ++host.initCount;
        return NoError;
    }
    // Half a fragment: while streams run, the loop looks at its connection
    // about twenty times a second instead of at every message of the server
    // (one for every few milliseconds of audio). A whole fragment would
    // often find a little less than a fragment waiting and hand on two at
    // once, five times a second: the waveform would move in jerks.
    auto connection = std::make_unique<PulseConnection>(kFragmentMs / 2);
    std::string error;
    if (!connection->Connect("Quorvale capture", error)) {
        HostLog("cannot connect to the PulseAudio server: %s", error.c_str());
        return HostUnavailable;
    }
    host.connection = std::move(connection);
    host.initCount = 1;
    return NoError;
}

int Terminate() {
    if (InStreamCallback()) return CalledFromCallback;
    HostState& host = Host();
    std::lock_guard<std::mutex> guard(host.mutex);
    if (host.initCount == 0) return NotInitialized;
    if (--host.initCount > 0) return NoError;
    while (!host.streams.empty()) DestroyStreamLocked(host, *host.streams.begin());
    host.connection.reset();
    return NoError;
}

int ListDevices(DeviceList& out) {
    if (InStreamCallback()) return CalledFromCallback;
    HostState& host = Host();
    std::lock_guard<std::mutex> guard(host.mutex);
    if (host.initCount == 0) return NotInitialized;
    int result = QueryDevices(*host.connection, out);
    if (result != NoError)
        HostLog("cannot list the devices: %s (%s)", GetErrorText(result),
                host.connection->LastError().c_str());
    return result;
}

}  // namespace capture_host
