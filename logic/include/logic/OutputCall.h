// The recorder's events and the interface they reach the controller through.
#pragma once

#include <string>

#include "win32/windows.h"

// One event of the recorder: a file opened (16), a file closed (8) or the
// recording ended (2), with its result code (0 success, 2 disk nearly full,
// -99997 no audio stream or encoder, -99998 no container or file, -99999 no
// encoder when frames were due, other negative values FFmpeg's own write
// errors).
struct COutputCallInfo {
    enum Type { kFileOpened = 16, kFileClosed = 8, kRecordingEnded = 2 };

    int type = 0;
    int value = 1;
    int code = 0;
    std::wstring text;
    std::wstring path;
    HANDLE semaphore = nullptr;  // the settings' completion handle, not owned
};

// The listener of the recorder's events, called on the recorder's worker
// thread. The record lives only for the call.
class IOutputCall {
public:
    using COutputCallInfo = ::COutputCallInfo;

    virtual ~IOutputCall() = default;
    virtual int OnOutput(COutputCallInfo* info) = 0;
};
