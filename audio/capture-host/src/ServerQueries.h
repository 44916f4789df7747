// Questions the capture host asks the server. Each waits for the answer, so
// none may run on the PulseAudio thread.
#pragma once

#include "capture-host/CaptureHost.h"
#include "PulseConnection.h"

#include <string>

namespace capture_host {

// The current device list, in the host's order (see CaptureHost.h).
int QueryDevices(PulseConnection& connection, DeviceList& out);

// The source that records what sink `sinkName` plays; false when the sink
// is gone.
bool QueryMonitorSource(PulseConnection& connection, const std::string& sinkName,
                        std::string& monitor);

// Cuts UTF-8 text to at most `maxBytes` without splitting a character.
std::string CutUtf8(const std::string& text, std::size_t maxBytes);

}  // namespace capture_host
