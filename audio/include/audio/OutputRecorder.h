// The recorder: captures system sound (key 1, through the loopback twin of
// a render device), the microphone (key 0) or both, mixes them, encodes the
// mix into one file or a series of timed files, stops by itself when the
// disk is nearly full, and reports every file opened or closed and the end
// of the recording to the settings' IOutputCall.
//
// The caller's thread starts, stops, pauses and resumes it and changes
// volumes; capture workers hand in packets; one worker thread of its own
// does all mixing, encoding and writing and makes every report.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioPacket.h"
#include "audio/CmdQueue.h"
#include "base/Logger.h"
#include "logic/ArgOutput.h"
#include "win32/windows.h"

class CAudioRecoder;
class CAudioMixer;
class COutputFile;
class CWakeSignal;

enum RecorderStateFlags : uint32_t {
    kRecorderRecording = 1,
    kRecorderStopRequested = 2,
    kRecorderPaused = 4,
};

// Free space below this ends a recording (10 MiB or less left).
constexpr uint64_t kMinFreeDiskBytes = 0xA00001;
constexpr int kRecorderQueueCapacity = 1000;

extern const wchar_t* const kTextNoSource;  // "没有可录制的音频源。"

class COutputRecorder : public IProcessCapture, public CLogger {
public:
    COutputRecorder();
    // Stops and joins a recording still running.
    ~COutputRecorder() override;
    COutputRecorder(const COutputRecorder&) = delete;
    COutputRecorder& operator=(const COutputRecorder&) = delete;

    // Starts a recording with `settings`. Sources whose device cannot be
    // opened are left out; with none left the recording ends at once with
    // -99997. Always true: the outcome arrives as events.
    bool Start();
    void Stop();
    void Pause();
    void Resume();
    // volume 1.0 = as captured; applied when the worker reaches it.
    void SetVolume(int key, float volume);

    int OnCapture(CAudioPacket& packet) override;

    // The length of the recording so far by the capture clock: what a stop
    // now would leave in the files, whether or not the worker has encoded
    // it yet. 0 when no recording runs.
    int64_t GetElapsedMs() const;
    uint32_t GetState() const { return state.load(); }

    // The settings of the next recording, assigned before Start.
    CArgOutput settings;
    // RecorderStateFlags; the user interface reads bits 1 and 4.
    std::atomic<uint32_t> state{0};

private:
    // The sample count at which the worker last looked at the free space.
    int64_t diskCheckedAt_ = -1;
    static void WakeWorker(void* wake);
    void WorkerMain(CArgOutput s);
    // Names the file by the capture time of the audio `recordedNs` into the
    // recording, its first sample.
    int OpenOutput(COutputFile& writer, const CArgOutput& s, int64_t recordedNs);
    int CloseOutput(COutputFile& writer, const CArgOutput& s);
    // Encodes every whole frame the sources make; with `lastPart`, at the
    // end, also what is left of less than a frame, where the encoder takes
    // a short last frame.
    int EncodeMixed(CAudioMixer& mixer, COutputFile& writer, const CArgOutput& s, bool lastPart = false);
    int AddSourceFifo(CAudioMixer& mixer, COutputFile& writer, int key, int rate, int channels,
                      int volume);
    // Handles the commands taken at one wake; non-zero ends the recording.
    int HandleCommands(CCmdQueue::Commands& commands, CAudioMixer& mixer, COutputFile& writer,
                       const CArgOutput& s);
    int ReportResult(int code, const std::wstring& path, const CArgOutput& s);
    void Notify(COutputCallInfo& info, const CArgOutput& s);
    bool StartSource(int key, const std::wstring& name, const std::wstring& id, int loopback);
    // Waits, at most kStopCatchUp, until every source has handed on the
    // audio captured up to now: on a loaded machine it may still be on its
    // way from the server or in the capture worker. Then a source that still
    // holds back silence for a late device hands it on.
    void WaitForSourcesToCatchUp();

    // Per source key (0 microphone, 1 system sound): when its device was
    // opened, and the nanoseconds of audio it has handed on since, real or
    // silent, paused or not.
    static constexpr int kSourceKeys = 2;
    std::chrono::steady_clock::time_point openedAt_[kSourceKeys];
    std::atomic<bool> opened_[kSourceKeys] = {};
    std::atomic<int64_t> capturedNs_[kSourceKeys] = {};
    // Where a stop falls in each source's audio: what a source hands on
    // past it (while the stop waits for a late source) is left out.
    std::atomic<int64_t> stopAtNs_[kSourceKeys] = {};
    // The stretches of each source's audio that a pause leaves out, from the
    // moment of the pause to that of the resume (open while paused), in the
    // same nanoseconds as capturedNs_. A source hands its audio on late, so
    // a packet that arrives after the pause may hold audio from before it,
    // and one that arrives after the resume audio from the pause.
    struct PausedStretch {
        int64_t fromNs, toNs;
    };
    mutable std::mutex pausesMutex_;
    std::vector<PausedStretch> pauses_[kSourceKeys];

    // The recording's own clock, from the common start (see startLeadNs_):
    // its capture time, and the local wall time it began at (FILETIME
    // ticks) to name each file by when its first sample was captured.
    std::atomic<bool> clockRunning_{false};
    std::chrono::steady_clock::time_point recordingStart_;
    uint64_t recordingStartLocalTicks_ = 0;
    // The recording's pauses on that clock (under pausesMutex_): each
    // closed one by where it falls in the recorded audio and how long it
    // lasted, the one open (-1 when none) by when it began.
    struct RecordedPause {
        int64_t recordedAtNs, lengthNs;
    };
    std::vector<RecordedPause> recordedPauses_;
    int64_t pausedNs_ = 0;
    int64_t pausedSinceNs_ = -1;
    int64_t RecordingClockNs() const;
    // Starts the clock at `common`, the moment both sources' audio begins.
    void StartRecordingClock(std::chrono::steady_clock::time_point common);
    // Opens or closes the open pause to match `paused`; under pausesMutex_.
    void FollowPauseOnClock(bool paused);
    // The local time at which the audio `recordedNs` into the recording was
    // captured: the start plus the recorded audio plus the pauses before it.
    SYSTEMTIME CaptureLocalTime(int64_t recordedNs) const;
    // Brings the paused stretches of a source in line with the paused bit
    // when the bit was changed directly.
    void FollowStateBits(int key);
    // Nanoseconds of a source's audio since its device opened, now.
    int64_t CaptureClockNs(int key) const;
    // Leaves the parts of `packet`, which starts at capture time `at`, that
    // a pause or the stop left out out of it.
    void CutPausedAndStopped(CAudioPacket& packet, int64_t at);
    // Both sources are mixed from one common moment, when the later device
    // opened: each source's audio from before it is left out (a source
    // opened 100 ms earlier would otherwise sound 100 ms late in the mix and
    // lose its last 100 ms at the stop). Set by Start, read by the worker.
    int64_t startLeadNs_[kSourceKeys] = {};
    // Leaves out the part of `packet` captured before the common start;
    // returns the index of the first frame to keep.
    int SkipStartLead(const CAudioPacket& packet, int key);

    std::atomic<int64_t> sampleCounter_{0};
    std::mutex sourcesMutex_;
    std::map<int, std::unique_ptr<CAudioRecoder>> sources_;
    std::unique_ptr<CWakeSignal> wake_;  // released after every queued command and by Stop
    CCmdQueue commands_;
    std::thread* worker_ = nullptr;
};
