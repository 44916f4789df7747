// Turns one capture device into a steady stream of packets delivered, on a
// worker thread of its own, to one listener. While the device delivers
// nothing, the worker makes silent packets of the device's format, paced by
// the clock, so a quiet source still advances at real time.
#pragma once

#include "audio/AudioDev.h"
#include "audio/AudioPacket.h"
#include "audio/PacketQueue.h"
#include "win32/windows.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class CWakeSignal;

// A device that has delivered nothing for this long is stood in for by
// silence. A live source can run this late without being gone: the server
// hands blocks over a fragment (100 ms) at a time, a source that follows
// another (a monitor, a remapped device) adds its master's buffer, and on a
// loaded machine the server or this process may be held up for a while.
// A device that is gone is stood in for within this time, and the mix
// catches up at once.
constexpr long kCaptureSilenceAfterMs = 2500;
// While the device is open, the newest silence standing in for it (this
// many seconds of it) is held back instead of handed on, and audio that
// turns up late takes its place. The server keeps at most 3 s for a client
// that does not read, so any audio it still delivers finds its stand-in
// held. What it costs: a listener that mixes this source with another
// waits that much longer while the device is silent.
constexpr double kStandInHoldSeconds = 3.5;
// Blocks the worker's queue holds (3 s of 10 ms blocks): more than the
// silence wait, so a source catching up after a stall loses nothing here.
constexpr int kCaptureQueueBlocks = 300;

class CAudioRecoder : public IPacall {
public:
    CAudioRecoder();
    virtual ~CAudioRecoder();
    CAudioRecoder(const CAudioRecoder&) = delete;
    CAudioRecoder& operator=(const CAudioRecoder&) = delete;

    int SetOutput(IProcessCapture* sink, int key);
    // Opens the device on the device server's thread and starts the worker.
    // Returns the device's open result: 0, or the logged capture failure
    // (the worker runs either way, so a later restart can still bring the
    // device in).
    int Start();
    int Stop();
    // Closes and reopens the device with its current name, id and loopback
    // selector; returns the open result. The worker and the sink stay.
    int Restart();
    bool IsStarted() const { return m_started.load(); }
    // Hands on at once the silence held back for a late device and the
    // audio waiting behind it (a listener that stops wants its stream up to
    // now and can wait no longer).
    void HandOnHeld();
    IProcessCapture* GetSink();

    // The stream callback's entry: 0 when the block was taken, 2 when refused.
    int OnAudioData(const int16_t* samples, int frames, int channels, int rate, int ms,
                    int32_t tag) override;

    void SetName(const std::wstring& name) { m_device.SetName(name); }
    void SetId(const std::wstring& id) { m_device.SetId(id); }
    void SetLoopback(int loopback) { m_device.SetLoopback(loopback); }
    std::wstring GetName() { return m_device.GetName(); }
    std::wstring GetId() { return m_device.GetId(); }

    CAudioDev& Device() { return m_device; }

private:
    // The worker's account of time: what it handed on against the clock.
    struct Timeline {
        struct Format {
            int frames = 0, channels = 0, ms = 0, rate = 0;
            bool operator==(const Format&) const = default;
        };
        std::chrono::steady_clock::time_point start;
        // Seconds handed to the sink or held for it, real and silent.
        double delivered = 0;
        // Silent blocks of heldFormat standing in for the open device while
        // it delivers nothing, not handed on yet; and the real blocks that
        // arrived since, which go after whatever silence is left.
        long heldBlocks = 0;
        Format heldFormat;
        std::deque<CAudioPacket> waiting;
        double onTimeSinceHold = 0;  // seconds of waiting audio that came on time
        // The device's block format last seen, for silence while it has none.
        Format lastFormat;
        double Elapsed() const {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    };

    static void WakeWorker(void* wake);
    void WorkerLoop();
    // Hands real packets on, or holds them behind held silence; returns how
    // many took the place of silence that stood in for them.
    long Forward(std::deque<CAudioPacket>& packets, Timeline& timeline);
    // Silence while the device delivers nothing; returns when data is
    // waiting or stop is set.
    void RunSilence(Timeline& timeline);
    // Hands on the held silence, then the audio waiting behind it.
    void Release(Timeline& timeline);
    void SendSilence(long blocks, const Timeline::Format& format);

    std::mutex m_sinkMutex;
    std::atomic<bool> m_started{false};
    std::atomic<int> m_key{0};
    IProcessCapture* m_sink = nullptr;
    CAudioDev m_device;
    std::thread* m_worker = nullptr;
    std::unique_ptr<CWakeSignal> m_wake;  // maximum count 1: a burst of blocks makes one wake
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_handOnHeld{false};
    CPacketQueue m_queue;
};
