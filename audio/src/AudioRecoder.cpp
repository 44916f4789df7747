#include "audio/AudioRecoder.h"

#include "AudioLog.h"
#include "audio/ServerAudioDev.h"
#include "base/CodePage.h"

#include <chrono>
#include <cmath>

namespace {
// Waits of this many periods without data start the silence.
constexpr int kEmptyWaitsBeforeSilence = 10;
// The wait period while the device has no format (between a close and an
// open, or after a failed open): no busy loop, and data still wakes us.
constexpr int kIdleWaitMs = 10;
}  // namespace

CAudioRecoder::CAudioRecoder() {
    m_wake = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    m_queue.SetCapacity(100);
}

CAudioRecoder::~CAudioRecoder() {
    Stop();
    {
        std::lock_guard<std::mutex> guard(m_device.Mutex());
        m_device.SetTargetLocked(nullptr, 0);
    }
    m_queue.Clear();
    CloseHandle(m_wake);
}

int CAudioRecoder::SetOutput(IProcessCapture* sink, int key) {
    m_key = key;
    std::lock_guard<std::mutex> guard(m_sinkMutex);
    m_sink = sink;
    return 0;
}

IProcessCapture* CAudioRecoder::GetSink() {
    std::lock_guard<std::mutex> guard(m_sinkMutex);
    return m_sink;
}

int CAudioRecoder::Start() {
    m_stop = false;
    {
        std::lock_guard<std::mutex> guard(m_device.Mutex());
        m_device.SetTargetLocked(this, m_key);
    }
    int result = GetServerAudioDev()->OpenDevice(&m_device);
    m_worker = new std::thread(&CAudioRecoder::WorkerLoop, this);
    m_started = true;
    return result;
}

int CAudioRecoder::Stop() {
    m_stop = true;  // blocks still arriving during the close are refused
    GetServerAudioDev()->CloseDevice(&m_device);
    if (m_worker) {
        m_worker->join();
        delete m_worker;
        m_worker = nullptr;
    }
    m_started = false;
    m_queue.Clear();
    return 0;
}

int CAudioRecoder::Restart() {
    GetServerAudioDev()->CloseDevice(&m_device);
    return GetServerAudioDev()->OpenDevice(&m_device);
}

int CAudioRecoder::OnAudioData(const int16_t* samples, int frames, int channels, int rate, int ms,
                               int32_t tag) {
    if (m_stop || !m_device.IsOpened()) return 2;
    std::vector<int16_t> copy(samples, samples + static_cast<std::size_t>(frames) * channels);
    m_queue.Push(CAudioPacket(std::move(copy), ms, frames, channels, rate, tag));
    ReleaseSemaphore(m_wake, 1, nullptr);  // past the maximum of 1: one wake for a burst
    return 0;
}

void CAudioRecoder::WorkerLoop() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    double delivered = 0;  // seconds handed to the sink, real and silent
    int empty = 0;
    while (true) {
        int wait = m_device.GetMsPerBuffer();
        if (wait <= 0) wait = kIdleWaitMs;
        DWORD woke = WaitForSingleObject(m_wake, static_cast<DWORD>(wait));
        if (m_stop) return;
        if (woke == WAIT_OBJECT_0) {
            long dropped = 0;
            std::deque<CAudioPacket> packets = m_queue.TakeAll(&dropped);
            if (dropped > 0)
                AudioLog("capture of \"%s\" fell behind: %ld packets lost",
                         WStringToUtf8Ret(m_device.GetName()).c_str(), dropped);
            for (CAudioPacket& packet : packets) {
                IProcessCapture* sink = GetSink();
                if (!sink) continue;  // taken and dropped; not counted as delivered
                if (packet.rate > 0) delivered += static_cast<double>(packet.frames) / packet.rate;
                sink->OnCapture(packet);
            }
            empty = 0;
            continue;
        }
        if (++empty < kEmptyWaitsBeforeSilence) continue;
        RunSilence(delivered, start);
    }
}

void CAudioRecoder::RunSilence(double& delivered, std::chrono::steady_clock::time_point start) {
    using Clock = std::chrono::steady_clock;
    while (!m_stop) {
        if (WaitForSingleObject(m_wake, 0) == WAIT_OBJECT_0) {
            ReleaseSemaphore(m_wake, 1, nullptr);  // for the worker's own wait
            return;
        }
        int frames = 0, channels = 0, ms = 0, rate = 0;
        m_device.GetFormat(frames, channels, ms, rate);
        if (frames == 0 || channels == 0 || ms == 0 || rate == 0) {
            // No format: the device is between a close and an open, or failed.
            if (WaitForSingleObject(m_wake, kIdleWaitMs) == WAIT_OBJECT_0) {
                ReleaseSemaphore(m_wake, 1, nullptr);
                return;
            }
            continue;
        }
        // Paced by frames over rate: a block of 220 frames at 22050 Hz lasts
        // 9.98 ms, not the 9 ms of its whole-millisecond duration.
        const double block = static_cast<double>(frames) / rate;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const long n = static_cast<long>(std::floor((elapsed - delivered) / block));
        if (n <= 0) {
            double until = delivered + block - elapsed;
            auto sleep = static_cast<DWORD>(std::ceil(until * 1000.0));
            if (WaitForSingleObject(m_wake, sleep > 0 ? sleep : 1) == WAIT_OBJECT_0) {
                ReleaseSemaphore(m_wake, 1, nullptr);
                return;
            }
            continue;
        }
        IProcessCapture* sink = GetSink();
        delivered += n * block;
        if (!sink) continue;
        const int key = m_key;
        for (long i = 0; i < n && !m_stop; ++i) {
            CAudioPacket silence(frames, channels, rate, ms, key);
            sink->OnCapture(silence);
        }
    }
}
