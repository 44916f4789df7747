// One capture device as the rest of the system names it: a wanted name and
// endpoint id with a loopback selector, and, while open, the stream that
// captures it in 16-bit blocks of one hundredth of a second, handed to a
// target. Open and Close run only on the device server's task thread.
#pragma once

#include "audio/AudioPacket.h"
#include "capture-host/CaptureHost.h"

#include <atomic>
#include <mutex>
#include <string>

// What the stream callback needs; owned by the device while it is open.
struct CCaptureContext {
    int channels = 0;  // the channel count the stream was opened with
    int rate = 0;
    int bitsPerSample = 16;
    int msPerBuffer = 0;
    std::wstring deviceName;
    IPacall* target = nullptr;
    int32_t tag = 0;
};

class CAudioDev {
public:
    CAudioDev();   // registers with the device server
    ~CAudioDev();  // leaves it
    CAudioDev(const CAudioDev&) = delete;
    CAudioDev& operator=(const CAudioDev&) = delete;

    void SetName(const std::wstring& name);
    void SetId(const std::wstring& id);
    void SetLoopback(int loopback);
    std::wstring GetName();
    std::wstring GetId();
    int GetLoopback();
    void SetTarget(IPacall* target, int32_t tag);

    // 0 when the device was found, opened and started; otherwise a
    // capture_host result, logged. A device that failed stays closed (no
    // format, nothing delivered), so nobody mistakes it for a silent one.
    int Open();
    int Close();
    bool IsAvailable();

    // True while a stream captures.
    bool IsOpened() const { return m_opened.load(); }
    // True from Open (whatever its outcome) until Close: the device is meant
    // to capture, and a default-device change may retry it.
    bool IsWanted() const { return m_wanted.load(); }

    // The format of the open stream; all 0 while closed.
    int GetFramesPerBuffer();
    int GetMsPerBuffer();
    int GetChannels();
    int GetSampleRate();
    // The four above in one locked read, so they always belong together.
    void GetFormat(int& frames, int& channels, int& ms, int& rate);
    // The endpoint the last open resolved to (a placeholder's default at that
    // time), and whether it was a twin; empty while closed or failed.
    std::wstring GetOpenedId();
    int GetOpenedLoopback();
    capture_host::DeviceInfo GetDeviceInfo();

    // Guards every field below; PortAudio-style calls run without it.
    std::mutex& Mutex() { return m_mutex; }
    // For CAudioRecoder::Start, which sets target and tag under Mutex().
    void SetTargetLocked(IPacall* target, int32_t tag) {
        m_target = target;
        m_tag = tag;
    }

private:
    void ResetFormatLocked();

    std::atomic<bool> m_opened{false};
    std::atomic<bool> m_wanted{false};
    std::mutex m_mutex;
    int m_framesPerBuffer = 0;
    int m_msPerBuffer = 0;
    int m_channels = 0;
    int m_rate = 0;
    std::wstring m_name = L"__device_out_default";
    std::wstring m_id;
    int m_loopback = 1;
    capture_host::DeviceInfo m_info;  // of the opened device, with its own name and id
    std::wstring m_openedId;
    int m_openedLoopback = 0;
    IPacall* m_target = nullptr;
    int32_t m_tag = 0;
    capture_host::Stream* m_stream = nullptr;
    CCaptureContext* m_context = nullptr;
};

// The stream of one capture: opens `info` with its own channel count, and
// with half as many again while the server refuses, down to one.
capture_host::Stream* OpenCaptureStream(const capture_host::DeviceInfo& info, IPacall* target,
                                        int32_t tag, CCaptureContext* context, int* result);
int CaptureStreamCallback(const short* input, unsigned long frames, void* context);
int CloseCaptureStream(capture_host::Stream* stream);
