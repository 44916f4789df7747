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
// Real blocks may run this far ahead of the clock before they count as late
// audio for time that held silence stands for: a block is handed over when
// its last frame is captured, and a fragment's blocks come together.
constexpr double kAheadSlackSeconds = 0.075;
// Late audio comes in one burst once the device delivers again (the server
// hands over its backlog as fast as it is read): when the device's audio
// has run on time for this long after a hold, the silence left was a real
// gap.
constexpr double kHoldAfterOnTimeSeconds = 0.5;
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

void CAudioRecoder::HandOnHeld() {
    m_handOnHeld = true;
    m_wake->Signal();
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
        if (m_stop) {
            Release(timeline);
            return;
        }
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
            AudioLog("capture of \"%s\": %ld late blocks took the place of the silence that stood for them",
                     WStringToUtf8Ret(m_device.GetName()).c_str(), late);
        if (m_handOnHeld.exchange(false)) Release(timeline);
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
        const Timeline::Format format{packet.frames, packet.channels, packet.ms, packet.rate};
        timeline.lastFormat = format;
        if (timeline.heldBlocks > 0 && !(format == timeline.heldFormat)) Release(timeline);
        if (timeline.heldBlocks == 0) {
            timeline.delivered += seconds;
            sink->OnCapture(packet);
            continue;
        }
        // Audio cannot be captured before it is played: a block that would
        // put the stream ahead of the clock is late audio for time that the
        // held silence stands for, and takes the place of one of its blocks.
        if (timeline.delivered + seconds > now + kAheadSlackSeconds) {
            --timeline.heldBlocks;
            ++late;
        } else {
            timeline.delivered += seconds;
            timeline.onTimeSinceHold += seconds;
        }
        timeline.waiting.push_back(std::move(packet));
        if (timeline.heldBlocks == 0 || timeline.onTimeSinceHold > kHoldAfterOnTimeSeconds) Release(timeline);
    }
    return late;
}

void CAudioRecoder::Release(Timeline& timeline) {
    // Late audio is recognised within a slack, so a few held blocks may be
    // left that its audio already covers: they would put the stream ahead
    // of the clock.
    const Timeline::Format& f = timeline.heldFormat;
    const double ahead = timeline.delivered - timeline.Elapsed();
    if (timeline.heldBlocks > 0 && ahead > 0 && f.rate > 0 && f.frames > 0) {
        const double block = static_cast<double>(f.frames) / f.rate;
        const long over = std::min(timeline.heldBlocks, std::lround(ahead / block));
        timeline.heldBlocks -= over;
        timeline.delivered -= over * block;
    }
    IProcessCapture* sink = GetSink();
    if (sink && (timeline.heldBlocks > 0 || !timeline.waiting.empty())) {
        capture_host::DeliveryBatch batch;
        // The silence goes first: the waiting audio is the newest there is.
        SendSilence(timeline.heldBlocks, timeline.heldFormat);
        for (CAudioPacket& packet : timeline.waiting) sink->OnCapture(packet);
    }
    timeline.heldBlocks = 0;
    timeline.waiting.clear();
    timeline.onTimeSinceHold = 0;
}

void CAudioRecoder::SendSilence(long blocks, const Timeline::Format& format) {
    IProcessCapture* sink = GetSink();
    if (!sink) return;
    const int key = m_key;
    capture_host::DeliveryBatch batch;
    for (long i = 0; i < blocks; ++i) {
        CAudioPacket silence(format.frames, format.channels, format.rate, format.ms, key);
        sink->OnCapture(silence);
    }
}

void CAudioRecoder::RunSilence(Timeline& timeline) {
    // Audio waiting behind an earlier hold goes on before a new one begins.
    if (!timeline.waiting.empty()) Release(timeline);
    while (!m_stop) {
        if (m_wake->IsSignalled()) return;  // left for the worker's own wait
        Timeline::Format format;
        bool open = false;
        m_device.GetFormat(format.frames, format.channels, format.ms, format.rate);
        if (format.frames > 0 && format.channels > 0 && format.ms > 0 && format.rate > 0) {
            timeline.lastFormat = format;
            open = true;
        } else if (timeline.lastFormat.frames > 0) {
            // The device is between a close and an open, or could not be
            // opened again (unplugged): its listener still needs time to
            // advance, or a mix waiting for this source would stall.
            format = timeline.lastFormat;
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
        const double block = static_cast<double>(format.frames) / format.rate;
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
        timeline.delivered += n * block;
        if (timeline.heldBlocks > 0 && (!open || !(format == timeline.heldFormat))) Release(timeline);
        if (!open) {
            // A closed stream has nothing late to deliver.
            SendSilence(n, format);
            continue;
        }
        timeline.heldFormat = format;
        timeline.heldBlocks += n;
        const long limit = static_cast<long>(kStandInHoldSeconds / block);
        if (timeline.heldBlocks > limit) {
            SendSilence(timeline.heldBlocks - limit, format);
            timeline.heldBlocks = limit;
        }
    }
}
