#include "audio/AudioRecoder.h"

#include "AudioLog.h"
#include "WakeSignal.h"
#include "audio/SampleBufferPool.h"
#include "audio/ServerAudioDev.h"
#include "capture-host/DeliveryBatch.h"
#include "base/CodePage.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
// The wait period while the device has no format (between a close and an
// open, or after a failed open): no busy loop, and data still wakes us.
constexpr int kIdleWaitMs = 10;
// Real blocks may run this far ahead of the clock before they count as a
// late copy of time that silence already filled: a block is handed over
// when its last frame is captured, and a fragment's blocks come together.
constexpr double kAheadSlackSeconds = 0.075;
// Silence is matched against late data only while that data follows it:
// once real data has run on time for this long, the silence stays.
constexpr double kSilenceCreditLifetime = 2.0;
}  // namespace

CAudioRecoder::CAudioRecoder() : m_wake(std::make_unique<CWakeSignal>()) {
    m_queue.SetCapacity(kCaptureQueueBlocks);
}

CAudioRecoder::~CAudioRecoder() {
    Stop();
    {
        std::lock_guard<std::mutex> guard(m_device.Mutex());
        m_device.SetTargetLocked(nullptr, 0);
    }
    m_queue.Clear();
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
    m_wake->Signal();  // the worker may be in a long wait for data
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
    const std::size_t count = static_cast<std::size_t>(frames) * channels;
    std::vector<int16_t> buffer = AcquireSampleBuffer(count);
    std::copy(samples, samples + count, buffer.begin());
    m_queue.Push(CAudioPacket(std::move(buffer), ms, frames, channels, rate, tag));
    // Once for all the blocks of a fragment: the stream hands them on in one
    // delivery batch, and the worker takes them in one wake.
    capture_host::AfterDelivery(&CAudioRecoder::WakeWorker, m_wake.get());
    return 0;
}

void CAudioRecoder::WakeWorker(void* wake) { static_cast<CWakeSignal*>(wake)->Signal(); }

void CAudioRecoder::WorkerLoop() {
    Timeline timeline;
    timeline.start = std::chrono::steady_clock::now();
    while (true) {
        // One wake per fragment the server hands over (the stream thread
        // signals once for all of its blocks), or one when it is overdue.
        const bool woke = m_wake->WaitFor(kCaptureSilenceAfterMs);
        if (m_stop) return;
        if (!woke) {
            RunSilence(timeline);
            continue;
        }
        long dropped = 0;
        std::deque<CAudioPacket> packets = m_queue.TakeAll(&dropped);
        if (dropped > 0)
            AudioLog("capture of \"%s\" fell behind: %ld packets lost",
                     WStringToUtf8Ret(m_device.GetName()).c_str(), dropped);
        const long late = Forward(packets, timeline);
        if (late > 0)
            AudioLog("capture of \"%s\": %ld late blocks left out, silence already stood for them",
                     WStringToUtf8Ret(m_device.GetName()).c_str(), late);
    }
}

long CAudioRecoder::Forward(std::deque<CAudioPacket>& packets, Timeline& timeline) {
    const double now = timeline.Elapsed();
    long late = 0;
    // The listener's own worker wakes once for the whole batch.
    capture_host::DeliveryBatch batch;
    for (CAudioPacket& packet : packets) {
        IProcessCapture* sink = GetSink();
        if (!sink) continue;  // taken and dropped; not counted as delivered
        const double seconds = packet.rate > 0 ? static_cast<double>(packet.frames) / packet.rate : 0;
        // Audio cannot be captured before it is played: blocks that would
        // put the stream ahead of the clock repeat a stretch that silence
        // already filled while the device held them back.
        if (timeline.silenceCredit > 0 && timeline.delivered + seconds > now + kAheadSlackSeconds) {
            timeline.silenceCredit -= seconds;
            ++late;
            continue;
        }
        timeline.lastFormat = {packet.frames, packet.channels, packet.ms, packet.rate};
        timeline.delivered += seconds;
        timeline.realSinceSilence += seconds;
        if (timeline.realSinceSilence > kSilenceCreditLifetime) timeline.silenceCredit = 0;
        sink->OnCapture(packet);
    }
    return late;
}

void CAudioRecoder::RunSilence(Timeline& timeline) {
    while (!m_stop) {
        if (m_wake->IsSignalled()) return;  // left for the worker's own wait
        int frames = 0, channels = 0, ms = 0, rate = 0;
        m_device.GetFormat(frames, channels, ms, rate);
        if (frames > 0 && channels > 0 && ms > 0 && rate > 0) {
            timeline.lastFormat = {frames, channels, ms, rate};
        } else if (timeline.lastFormat.frames > 0) {
            // The device is between a close and an open, or could not be
            // opened again (unplugged): its listener still needs time to
            // advance, or a mix waiting for this source would stall.
            frames = timeline.lastFormat.frames;
            channels = timeline.lastFormat.channels;
            ms = timeline.lastFormat.ms;
            rate = timeline.lastFormat.rate;
        } else {
            // Never had a format: nothing to stand in for yet.
            if (m_wake->WaitFor(kIdleWaitMs)) {
                m_wake->Signal();  // for the worker's own wait
                return;
            }
            continue;
        }
        // Paced by frames over rate: a block of 220 frames at 22050 Hz lasts
        // 9.98 ms, not the 9 ms of its whole-millisecond duration.
        const double block = static_cast<double>(frames) / rate;
        const double elapsed = timeline.Elapsed();
        const long n = static_cast<long>(std::floor((elapsed - timeline.delivered) / block));
        if (n <= 0) {
            double until = timeline.delivered + block - elapsed;
            const long sleep = static_cast<long>(std::ceil(until * 1000.0));
            if (m_wake->WaitFor(sleep > 0 ? sleep : 1)) {
                m_wake->Signal();
                return;
            }
            continue;
        }
        IProcessCapture* sink = GetSink();
        timeline.delivered += n * block;
        timeline.silenceCredit += n * block;
        timeline.realSinceSilence = 0;
        if (!sink) continue;
        const int key = m_key;
        capture_host::DeliveryBatch batch;
        for (long i = 0; i < n && !m_stop; ++i) {
            CAudioPacket silence(frames, channels, rate, ms, key);
            sink->OnCapture(silence);
        }
    }
}
