#include "audio/OutputRecorder.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "audio/AudioMixer.h"
#include "audio/AudioRecoder.h"
#include "audio/OutputFile.h"
#include "../SaturatingCast.h"
#include "../WakeSignal.h"
#include "base/CodePage.h"
#include "base/DiskSpace.h"
#include "base/FileNaming.h"
#include "capture-host/CaptureHost.h"
#include "capture-host/DeliveryBatch.h"

extern "C" {
#include <libavutil/mathematics.h>
}

const wchar_t* const kTextNoSource = L"没有可录制的音频源。";

namespace {

// The longest a stop waits for audio still on its way: the server keeps no
// more than 3 s for a client that does not read.
constexpr std::chrono::milliseconds kStopCatchUp{kCaptureSilenceAfterMs + 500};
// How long a source is given to hand on the silence it held back.
constexpr std::chrono::milliseconds kHandOnHeldWait{500};

}  // namespace

COutputRecorder::COutputRecorder() : wake_(std::make_unique<CWakeSignal>()) {
    commands_.SetCapacity(kRecorderQueueCapacity);
}

COutputRecorder::~COutputRecorder() {
    Stop();
}

bool COutputRecorder::StartSource(int key, const std::wstring& name, const std::wstring& id,
                                  int loopback) {
    std::lock_guard<std::mutex> lock(sourcesMutex_);
    std::unique_ptr<CAudioRecoder>& source = sources_[key];
    if (!source) source = std::make_unique<CAudioRecoder>();
    source->SetLoopback(loopback);
    source->SetName(name);
    source->SetId(id);
    source->SetOutput(this, key);
    if (source->Start() == 0) {
        if (key >= 0 && key < kSourceKeys) {
            openedAt_[key] = std::chrono::steady_clock::now();
            opened_[key] = true;
        }
        return true;
    }
    // A device that cannot be opened delivers nothing: kept in the mix, it
    // would hold back every frame of the other source.
    source->Stop();
    sources_.erase(key);
    WriteLine(L"capture device cannot be opened: " + name);
    return false;
}

bool COutputRecorder::Start() {
    Stop();
    WriteLine(L"");
    {
        std::lock_guard<std::mutex> lock(pausesMutex_);
        for (int key = 0; key < kSourceKeys; ++key) {
            opened_[key] = false;
            capturedNs_[key] = 0;
            stopAtNs_[key] = INT64_MAX;
            pauses_[key].clear();
        }
        recordedPauses_.clear();
        pausedNs_ = 0;
        pausedSinceNs_ = -1;
    }
    state.exchange(kRecorderRecording);
    if (!settings.output_speaker_name.empty() && settings.output_device != 0)
        StartSource(1, settings.output_speaker_name, settings.output_speaker_id, 1);
    if (!settings.output_mic_name.empty() && settings.output_device != 1)
        StartSource(0, settings.output_mic_name, settings.output_mic_id, 0);
    std::chrono::steady_clock::time_point common{};
    for (int key = 0; key < kSourceKeys; ++key)
        if (opened_[key] && openedAt_[key] > common) common = openedAt_[key];
    for (int key = 0; key < kSourceKeys; ++key)
        startLeadNs_[key] = opened_[key]
            ? std::chrono::duration_cast<std::chrono::nanoseconds>(common - openedAt_[key]).count()
            : 0;
    StartRecordingClock(common);
    worker_ = new std::thread(&COutputRecorder::WorkerMain, this, CArgOutput(settings));
    return true;
}

void COutputRecorder::Stop() {
    if (!worker_) {
        state.fetch_or(kRecorderStopRequested);
        return;
    }
    // What was played up to now is still on its way from the server (a
    // fragment, or more on a loaded machine): it belongs to the recording,
    // up to the pause when the recording is paused.
    if (!(state.load() & kRecorderStopRequested)) {
        {
            // The recording ends here: its time stops with it.
            std::lock_guard<std::mutex> lock(pausesMutex_);
            FollowPauseOnClock(true);
        }
        WaitForSourcesToCatchUp();
    }
    state.fetch_or(kRecorderStopRequested);
    wake_->Signal();
    worker_->join();
    delete worker_;
    worker_ = nullptr;
}

void COutputRecorder::WaitForSourcesToCatchUp() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    for (int key = 0; key < kSourceKeys; ++key)
        if (opened_[key]) stopAtNs_[key] = CaptureClockNs(key);
    auto caughtUp = [&](Clock::time_point deadline) {
        for (;;) {
            bool behind = false;
            for (int key = 0; key < kSourceKeys; ++key)
                behind = behind || (opened_[key] && capturedNs_[key].load() < stopAtNs_[key].load());
            if (!behind) return true;
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    if (caughtUp(now + kStopCatchUp)) return;
    // A source still silent holds back the silence standing in for it, in
    // case its audio turns up late: it can wait no longer.
    {
        std::lock_guard<std::mutex> lock(sourcesMutex_);
        for (auto& [key, source] : sources_) source->HandOnHeld();
    }
    if (!caughtUp(Clock::now() + kHandOnHeldWait))
        WriteLine(L"stopped before every source had caught up with the clock");
}

void COutputRecorder::StartRecordingClock(std::chrono::steady_clock::time_point common) {
    if (common == std::chrono::steady_clock::time_point{}) return;  // nothing to record
    SYSTEMTIME local{};
    GetLocalTime(&local);
    const auto now = std::chrono::steady_clock::now();
    FILETIME ticks{};
    SystemTimeToFileTime(&local, &ticks);
    const uint64_t nowTicks = (static_cast<uint64_t>(ticks.dwHighDateTime) << 32) | ticks.dwLowDateTime;
    recordingStart_ = common;
    recordingStartLocalTicks_ =
        nowTicks - std::chrono::duration_cast<std::chrono::nanoseconds>(now - common).count() / 100;
    clockRunning_ = true;
}

int64_t COutputRecorder::RecordingClockNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                recordingStart_)
        .count();
}

void COutputRecorder::FollowPauseOnClock(bool paused) {
    if (!clockRunning_) return;
    if (paused && pausedSinceNs_ < 0) pausedSinceNs_ = RecordingClockNs();
    if (!paused && pausedSinceNs_ >= 0) {
        const int64_t length = RecordingClockNs() - pausedSinceNs_;
        recordedPauses_.push_back({pausedSinceNs_ - pausedNs_, length});
        pausedNs_ += length;
        pausedSinceNs_ = -1;
    }
}

int64_t COutputRecorder::GetElapsedMs() const {
    if (!clockRunning_) return 0;
    std::lock_guard<std::mutex> lock(pausesMutex_);
    const int64_t until = pausedSinceNs_ >= 0 ? pausedSinceNs_ : RecordingClockNs();
    return std::max<int64_t>(0, until - pausedNs_) / 1000000;
}

SYSTEMTIME COutputRecorder::CaptureLocalTime(int64_t recordedNs) const {
    int64_t captureNs = recordedNs;
    {
        std::lock_guard<std::mutex> lock(pausesMutex_);
        for (const RecordedPause& p : recordedPauses_)
            if (p.recordedAtNs <= recordedNs) captureNs += p.lengthNs;
        // Audio after a pause still open comes after its resume, at the
        // earliest now.
        if (pausedSinceNs_ >= 0 && pausedSinceNs_ - pausedNs_ <= recordedNs)
            captureNs += RecordingClockNs() - pausedSinceNs_;
    }
    const uint64_t ticks = recordingStartLocalTicks_ + static_cast<uint64_t>(captureNs / 100);
    FILETIME time{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME local{};
    if (!clockRunning_ || !FileTimeToSystemTime(&time, &local)) GetLocalTime(&local);
    return local;
}

int64_t COutputRecorder::CaptureClockNs(int key) const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                openedAt_[key])
        .count();
}

void COutputRecorder::Pause() {
    std::lock_guard<std::mutex> lock(pausesMutex_);
    if (state.fetch_or(kRecorderPaused) & kRecorderPaused) return;
    FollowPauseOnClock(true);
    for (int key = 0; key < kSourceKeys; ++key)
        if (opened_[key]) pauses_[key].push_back({CaptureClockNs(key), INT64_MAX});
}

void COutputRecorder::Resume() {
    std::lock_guard<std::mutex> lock(pausesMutex_);
    if (!(state.fetch_and(~static_cast<uint32_t>(kRecorderPaused)) & kRecorderPaused)) return;
    FollowPauseOnClock(false);
    for (int key = 0; key < kSourceKeys; ++key)
        if (opened_[key] && !pauses_[key].empty() && pauses_[key].back().toNs == INT64_MAX)
            pauses_[key].back().toNs = CaptureClockNs(key);
}

void COutputRecorder::FollowStateBits(int key) {
    std::lock_guard<std::mutex> lock(pausesMutex_);
    std::vector<PausedStretch>& pauses = pauses_[key];
    const bool open = !pauses.empty() && pauses.back().toNs == INT64_MAX;
    const bool paused = state.load() & kRecorderPaused;
    // The paused bit set or cleared directly, not through Pause or Resume:
    // the pause begins or ends when this source learns of it.
    if (paused && !open) pauses.push_back({CaptureClockNs(key), INT64_MAX});
    if (!paused && open) pauses.back().toNs = CaptureClockNs(key);
    FollowPauseOnClock(paused);
}

void COutputRecorder::CutPausedAndStopped(CAudioPacket& packet, int64_t at) {
    const int64_t length = static_cast<int64_t>(packet.frames) * 1000000000 / packet.rate;
    std::vector<PausedStretch> cuts;
    {
        std::lock_guard<std::mutex> lock(pausesMutex_);
        std::vector<PausedStretch>& pauses = pauses_[packet.tag];
        // Stretches this source's audio has passed are done with: it is
        // handed on in order.
        while (!pauses.empty() && pauses.front().toNs <= at) pauses.erase(pauses.begin());
        for (const PausedStretch& p : pauses)
            if (p.fromNs < at + length) cuts.push_back(p);
    }
    const int64_t stop = stopAtNs_[packet.tag].load();
    if (stop < at + length) cuts.push_back({stop, INT64_MAX});
    if (cuts.empty()) return;

    // The frame at a capture time, rounded to the nearest, within the packet.
    auto frameAt = [&](int64_t ns) -> int64_t {
        if (ns <= at) return 0;
        if (ns >= at + length) return packet.frames;
        return std::min<int64_t>(packet.frames, ((ns - at) * packet.rate + 500000000) / 1000000000);
    };
    std::vector<bool> dropped(static_cast<size_t>(packet.frames), false);
    for (const PausedStretch& c : cuts)
        for (int64_t f = frameAt(c.fromNs), end = frameAt(c.toNs); f < end; ++f) dropped[f] = true;
    size_t kept = 0;
    const size_t channels = static_cast<size_t>(packet.channels);
    for (size_t f = 0; f < dropped.size(); ++f) {
        if (dropped[f]) continue;
        if (kept != f)
            std::copy_n(packet.samples.begin() + f * channels, channels, packet.samples.begin() + kept * channels);
        ++kept;
    }
    packet.frames = static_cast<int32_t>(kept);
    packet.samples.resize(kept * channels);
}

void COutputRecorder::SetVolume(int key, float volume) {
    commands_.Push(std::make_shared<CCmdProcessSetVolume>(key, SaturatingCast<int>(volume * 255.0, 0)));
    wake_->Signal();
}

int COutputRecorder::OnCapture(CAudioPacket& packet) {
    // Counted paused or not: a stop compares it with the clock.
    // Pauses and the stop cut each source at the moment of the command in
    // its own audio, not when its audio happens to arrive.
    bool timed = false;
    if (packet.tag >= 0 && packet.tag < kSourceKeys && packet.rate > 0 && packet.frames > 0) {
        const int64_t length = static_cast<int64_t>(packet.frames) * 1000000000 / packet.rate;
        const int64_t at = capturedNs_[packet.tag].fetch_add(length);
        if (at >= stopAtNs_[packet.tag].load()) return 0;
        timed = opened_[packet.tag];
        if (timed) FollowStateBits(packet.tag);
        CutPausedAndStopped(packet, at);
        if (packet.frames <= 0) return 0;
    }
    if (state.load() & kRecorderStopRequested) return 0;
    // A packet of no known source time can only go by the state now.
    if (!timed && (state.load() & kRecorderPaused)) return 0;
    // The packet is the capture worker's to discard after this call: its
    // samples move into the command instead of being copied.
    commands_.Push(std::make_shared<CCmdProcessCapture>(
        packet.tag, std::make_unique<CAudioPacket>(std::move(packet))));
    // A source hands on a fragment's blocks in one batch: one wake for all.
    capture_host::AfterDelivery(&COutputRecorder::WakeWorker, wake_.get());
    return 0;
}

void COutputRecorder::WakeWorker(void* wake) { static_cast<CWakeSignal*>(wake)->Signal(); }

void COutputRecorder::Notify(COutputCallInfo& info, const CArgOutput& s) {
    if (!s.output_call) return;
    info.semaphore = s.output_done;
    s.output_call->OnOutput(&info);
}

int COutputRecorder::OpenOutput(COutputFile& writer, const CArgOutput& s, int64_t recordedNs) {
    const SYSTEMTIME captured = CaptureLocalTime(recordedNs);
    const int result = writer.OpenForRecord(s, &captured);
    COutputCallInfo info;
    info.type = COutputCallInfo::kFileOpened;
    info.code = result;
    info.text = writer.GetLastText();
    info.path = writer.GetPath();
    WriteLine(info.text);
    Notify(info, s);
    return result;
}

int COutputRecorder::CloseOutput(COutputFile& writer, const CArgOutput& s) {
    const int result = writer.Close();
    COutputCallInfo info;
    info.type = COutputCallInfo::kFileClosed;
    info.code = result;
    // The writer's last text: its error, or a note on a file closed well.
    info.text = writer.GetLastText();
    info.path = writer.GetPath();
    if (result != 0) WriteLine(info.text);
    Notify(info, s);
    return result;
}

int COutputRecorder::AddSourceFifo(CAudioMixer& mixer, COutputFile& writer, int key, int rate,
                                   int channels, int volume) {
    AVCodecContext* e = writer.Encoder();
    auto* fifo = new CAudioFifo;
    const int rc = fifo->Init(rate, channels, e->sample_fmt, e->sample_rate, e->ch_layout.nb_channels);
    fifo->SetVolume(volume);
    std::lock_guard<std::mutex> lock(sourcesMutex_);
    mixer.AddInput(key, fifo);
    return rc;
}

int COutputRecorder::EncodeMixed(CAudioMixer& mixer, COutputFile& writer, const CArgOutput& s, bool lastPart) {
    AVCodecContext* e = writer.Encoder();
    if (!e) return kOutputNoEncoder;
    int n = writer.FrameSize();
    for (;;) {
        if (lastPart && !mixer.HasEnoughAll(n)) {
            // The audio up to the stop, to its last sample: a part-frame,
            // where the encoder takes a short last frame or any length.
            lastPart = false;
            const int rest = mixer.ReadySamples();
            const int caps = e->codec ? e->codec->capabilities : 0;
            if (rest <= 0 || !(caps & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)))
                return 0;
            n = rest;
        }
        int error = 0;
        AVFrame* frame = mixer.ReadMixedFrame(n, sampleCounter_.load(), &error);
        if (!frame) {
            if (error < 0) {
                WriteLine(Utf8ToWide(mixer.LastError()));
                CloseOutput(writer, s);
                return error;
            }
            return 0;
        }
        const int64_t counter = sampleCounter_.fetch_add(frame->nb_samples) + frame->nb_samples;
        const int rc = writer.EncodeFrame(frame);
        av_frame_free(&frame);
        if (rc != 0) {
            const std::wstring text = writer.GetLastText();
            CloseOutput(writer, s);
            if (IsDiskFullError(rc)) {
                WriteLine(kTextDiskFull);
                return kOutputDiskFull;
            }
            WriteLine(text);
            return rc;
        }

        // The free space is looked at every quarter of a second of audio, not
        // for every frame: what is written in between (a few kilobytes, 44
        // for 16-bit WAV) is nothing beside the limit, and each look is a
        // system call that cost as much as the rest of the frame's handling.
        uint64_t freeBytes = 0, totalBytes = 0;
        std::wstring diskError;
        const bool look = diskCheckedAt_ < 0 || counter - diskCheckedAt_ >= e->sample_rate / 4;
        if (look) diskCheckedAt_ = counter;
        if (look && GetDiskSpace(GetPathDir(writer.GetPath()), freeBytes, totalBytes, diskError) &&
            freeBytes < kMinFreeDiskBytes) {
            CloseOutput(writer, s);
            WriteLine(kTextDiskFull);
            return kOutputDiskFull;
        }

        if (s.output_open_split && writer.GetPtsIn(AVRational{1, 1000}) >= s.output_split_time) {
            const int closed = CloseOutput(writer, s);
            if (closed != 0) return IsDiskFullError(closed) ? kOutputDiskFull : closed;
            // Named by when its first sample was captured, not by when the
            // audio reached this worker, which is later by the pipeline.
            const int opened =
                OpenOutput(writer, s, av_rescale_q(counter, AVRational{1, e->sample_rate}, AVRational{1, 1000000000}));
            if (opened != 0) return opened;
            e = writer.Encoder();
        }
    }
}

int COutputRecorder::HandleCommands(CCmdQueue::Commands& commands, CAudioMixer& mixer,
                                    COutputFile& writer, const CArgOutput& s) {
    while (!commands.empty()) {
        std::shared_ptr<ICmd> command = std::move(commands.front());
        commands.pop_front();
        if (command->type() == CCmdProcessSetVolume::kType) {
            auto& c = static_cast<CCmdProcessSetVolume&>(*command);
            mixer.SetVolume(c.key, c.volume);
            continue;
        }
        if (command->type() != CCmdProcessCapture::kType) continue;
        auto& c = static_cast<CCmdProcessCapture&>(*command);
        CAudioFifo* fifo = mixer.GetInput(c.key);
        if (!fifo || !c.packet || c.packet->frames <= 0) continue;  // not a source of this recording
        const CAudioPacket& p = *c.packet;
        if (p.channels != fifo->SourceChannels() || p.rate != fifo->SourceRate()) {
            // The device changed its format: encode what the old FIFO still
            // makes whole, then start over in the new format.
            int rc = EncodeMixed(mixer, writer, s);
            if (rc != 0) return rc;
            rc = AddSourceFifo(mixer, writer, c.key, p.rate, p.channels, fifo->GetVolume());
            fifo = mixer.GetInput(c.key);
            if (rc < 0) continue;
        }
        const int first = SkipStartLead(p, c.key);
        if (first >= p.frames) continue;
        const int written = fifo->Write(p.samples.data() + static_cast<size_t>(first) * p.channels,
                                        p.frames - first);
        if (written < 0) {
            WriteLine(L"resampling failed for source " + std::to_wstring(c.key));
            continue;
        }
        if (mixer.HasEnoughAll(writer.FrameSize())) {
            const int rc = EncodeMixed(mixer, writer, s);
            if (rc != 0) return rc;
        }
    }
    return 0;
}

int COutputRecorder::SkipStartLead(const CAudioPacket& packet, int key) {
    if (key < 0 || key >= kSourceKeys || startLeadNs_[key] <= 0 || packet.rate <= 0) return 0;
    const int64_t packetNs = static_cast<int64_t>(packet.frames) * 1000000000 / packet.rate;
    if (startLeadNs_[key] >= packetNs) {
        startLeadNs_[key] -= packetNs;
        return packet.frames;
    }
    const int frames = static_cast<int>((startLeadNs_[key] * packet.rate + 500000000) / 1000000000);
    startLeadNs_[key] = 0;
    return frames;
}

void COutputRecorder::WorkerMain(CArgOutput s) {
    COutputFile writer;
    CAudioMixer mixer;

    struct SourceFormat {
        int key, rate, channels;
    };
    std::vector<SourceFormat> formats;
    {
        std::lock_guard<std::mutex> lock(sourcesMutex_);
        for (auto& [key, source] : sources_) {
            int frames = 0, channels = 0, ms = 0, rate = 0;
            source->Device().GetFormat(frames, channels, ms, rate);
            formats.push_back({key, rate, channels});
        }
    }
    if (formats.empty()) {
        WriteLine(kTextNoSource);
        ReportResult(kOutputNoStream, L"", s);
        return;
    }

    const int opened = OpenOutput(writer, s, 0);
    if (opened != 0) {
        ReportResult(opened, L"", s);
        return;
    }

    for (const SourceFormat& f : formats) {
        const double volume = f.key == 0 ? s.output_mic_volume : s.output_speaker_volume;
        // A source that cannot be set up yet is rebuilt from its first packet.
        AddSourceFifo(mixer, writer, f.key, f.rate, f.channels, SaturatingCast<int>(volume * 255.0, 0));
    }
    // Record the sources there are: both mixed only when both opened.
    if (formats.size() == 2) mixer.SetMode(CAudioMixer::kBoth);
    else mixer.SetMode(formats.front().key == 0 ? CAudioMixer::kMicrophone : CAudioMixer::kSystemSound);
    sampleCounter_ = 0;
    diskCheckedAt_ = -1;

    for (;;) {
        wake_->Wait();
        const bool stopping = state.load() & kRecorderStopRequested;
        // Packets that arrived before the stop still belong to the file.
        CCmdQueue::Commands pending = commands_.TakeAll();
        const int rc = HandleCommands(pending, mixer, writer, s);
        if (rc != 0) {
            ReportResult(rc, writer.GetPath(), s);
            return;
        }
        if (stopping) break;
    }

    int rc = EncodeMixed(mixer, writer, s, true);
    if (rc == 0) {
        rc = CloseOutput(writer, s);
        if (IsDiskFullError(rc)) {
            WriteLine(kTextDiskFull);
            rc = kOutputDiskFull;
        }
    }
    ReportResult(rc, writer.GetPath(), s);
}

int COutputRecorder::ReportResult(int code, const std::wstring& path, const CArgOutput& s) {
    {
        std::lock_guard<std::mutex> lock(sourcesMutex_);
        for (auto& [key, source] : sources_) source->Stop();
        sources_.clear();
    }
    commands_.Clear();
    sampleCounter_ = 0;
    clockRunning_ = false;
    state.exchange(0);

    COutputCallInfo info;
    info.type = COutputCallInfo::kRecordingEnded;
    info.code = code;
    info.text = GetLastText();
    info.path = path;
    if (!s.output_call) return 0;
    info.semaphore = s.output_done;
    return s.output_call->OnOutput(&info);
}
