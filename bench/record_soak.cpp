// A long recording of system sound and microphone, mixed, while every core
// is kept busy: does the file hold all of the audio, once?
//
//   record_soak [minutes] [load-nice]   (default 10 minutes; needs PULSE_SERVER)
//
// load-nice (0 to 19, default 0) lowers the load threads' priority: every
// core stays busy, and a machine shared with other work stays usable.
//
// A continuous tone plays into the speakers (1002.5 Hz) and another into a
// microphone of the soak's own (300 Hz); the recorder writes 16-bit WAV,
// exact to measure. Afterwards the file is read back and reported: its
// duration against the wall time the recording ran, the gaps (stretches of
// about 20 ms or more in which either tone is missing), and the doubled or
// dropped stretches (jumps in the speakers' tone's phase: a stretch heard
// twice puts the tone late, a stretch lost puts it early; at 1002.5 Hz a
// shift of 10 ms moves the phase by 9 degrees).
//
// The tones themselves can falter under the load (a player running dry, the
// daemon held up): the soak records both sinks' monitors as well, with plain
// captures of its own, and counts against the recorder only what these
// references do not have within a second of the same moment.
#include <pthread.h>
#include <sys/resource.h>
#include <sched.h>
#include <unistd.h>

#include <pulse/error.h>
#include <pulse/sample.h>
#include <pulse/timeval.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "bench_tones.h"
#include "monitor_reference_helper.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSystemTone = 1002.5;
constexpr double kMicTone = 300;
const char* kMicName = "soakmic";
constexpr int kReferenceRate = 44100;

struct EndListener : IOutputCall {
    std::atomic<int> code{1};
    int OnOutput(COutputCallInfo* info) override {
        if (info->type == COutputCallInfo::kRecordingEnded) code = info->code;
        return 0;
    }
};

// Keeps every core busy until stopped.
class Load {
public:
    explicit Load(int nice) {
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
            threads_.emplace_back([this, nice] {
                if (nice > 0 && setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice) != 0)
                    std::perror("setpriority");
                volatile double x = 1.0;
                while (!stop_)
                    for (int k = 0; k < 100000; ++k) x = std::sqrt(x * x + 1.0) - 0.5;
            });
    }
    ~Load() {
        stop_ = true;
        for (std::thread& t : threads_) t.join();
    }
    size_t Threads() const { return threads_.size(); }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

// A plain capture of each monitor, to tell the tones' own faults from the
// recorder's.
using Reference = audio_test::MonitorReference;

struct Wav {
    bool ok = false;
    int rate = 0, channels = 0;
    std::vector<short> left;
};

// The first channel of a 16-bit PCM WAV file.
Wav ReadWav(const std::string& path) {
    Wav wav;
    std::ifstream in(path, std::ios::binary);
    char riff[12];
    if (!in.read(riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return wav;
    for (;;) {
        char id[4];
        uint32_t size = 0;
        if (!in.read(id, 4) || !in.read(reinterpret_cast<char*>(&size), 4)) return wav;
        if (std::memcmp(id, "fmt ", 4) == 0) {
            std::vector<char> fmt(size);
            in.read(fmt.data(), size);
            int16_t channels = 0, bits = 0;
            int32_t rate = 0;
            std::memcpy(&channels, fmt.data() + 2, 2);
            std::memcpy(&rate, fmt.data() + 4, 4);
            std::memcpy(&bits, fmt.data() + 14, 2);
            if (bits != 16) return wav;
            wav.channels = channels;
            wav.rate = rate;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (wav.channels <= 0) return wav;
            // A file closed by a stop may say 0 or too much: read to the end.
            short frame[8];
            while (in.read(reinterpret_cast<char*>(frame), sizeof(short) * std::min(wav.channels, 8)))
                wav.left.push_back(frame[0]);
            wav.ok = true;
            return wav;
        } else {
            in.seekg(size + (size & 1), std::ios::cur);
        }
    }
}

// Amplitude and phase of one frequency over a window (Hann-weighted, so the
// other tone does not leak in).
void Measure(const short* x, int n, double rate, double f, double start, double& amplitude, double& phase) {
    double re = 0, im = 0, weight = 0;
    for (int i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / n);
        const double t = (start + i) / rate;
        re += w * x[i] * std::cos(2 * M_PI * f * t);
        im += w * x[i] * std::sin(2 * M_PI * f * t);
        weight += w;
    }
    amplitude = 2 * std::hypot(re, im) / weight;
    phase = std::atan2(re, im);  // of sin(2 pi f t + phase)
}

// One tone's level and phase in windows of 20 ms, 5 ms apart.
struct Track {
    double step = 0;  // seconds between windows
    std::vector<double> level, phase;
};

Track Follow(const std::vector<short>& x, int rate, double tone) {
    Track t;
    const int window = rate / 50;  // 20 ms
    const int step = rate / 200;   // 5 ms
    t.step = double(step) / rate;
    for (size_t at = 0; at + window <= x.size(); at += step) {
        double a = 0, p = 0;
        Measure(&x[at], window, rate, tone, double(at), a, p);
        t.level.push_back(a);
        t.phase.push_back(p);
    }
    return t;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Where, in seconds from the start of the samples, the tones falter.
struct Events {
    std::vector<double> gaps, doubled, dropped;
};

// `tracks` must all be present for the sound to count as there; phase jumps
// are looked for in the first of them.
Events Find(const std::vector<const Track*>& tracks) {
    Events out;
    const size_t count = tracks.front()->level.size();
    std::vector<double> medians;
    for (const Track* t : tracks) medians.push_back(Median(t->level));
    auto present = [&](size_t i) {
        for (size_t k = 0; k < tracks.size(); ++k)
            if (tracks[k]->level[i] <= 0.5 * medians[k]) return false;
        return true;
    };
    // The tones' start and end: the streams start a moment apart.
    size_t first = 0, last = count;
    while (first < last && !present(first)) ++first;
    while (last > first && !present(last - 1)) --last;
    const double step = tracks.front()->step;
    // A window of 20 ms lies wholly inside a gap of 25 ms or more, and its
    // level falls below half for a gap of more than 10 ms in it: a run of
    // two steps or more is a gap of about 15 to 20 ms at least.
    int run = 0;
    for (size_t i = first; i < last; ++i) {
        run = present(i) ? 0 : run + 1;
        if (run == 2) out.gaps.push_back(i * step);
    }
    // Phase jumps between windows that do not overlap; one event per run.
    const std::vector<double>& phase = tracks.front()->phase;
    const size_t apart = 4;  // 20 ms
    bool inJump = false;
    for (size_t i = first; i + apart < last; ++i) {
        if (!present(i) || !present(i + apart)) continue;
        const double d = std::remainder(phase[i + apart] - phase[i], 2 * M_PI);
        const bool jump = std::fabs(d) > 4.5 * M_PI / 180;  // half of a 10 ms shift at 1002.5 Hz
        if (jump && !inJump) (d < 0 ? out.doubled : out.dropped).push_back(i * step);
        inJump = jump;
    }
    return out;
}

// Events of the recording not matched by an event of a reference within a
// second (`shift` moves reference times onto the recording's clock).
int Unexplained(const std::vector<double>& recorded, const std::vector<double>& reference, double shift) {
    int n = 0;
    for (double t : recorded) {
        bool explained = false;
        for (double r : reference) explained = explained || std::fabs(r + shift - t) <= 1.0;
        if (!explained) ++n;
    }
    return n;
}

void Print(const char* what, const std::vector<double>& at) {
    std::printf("  %s %zu", what, at.size());
    for (size_t i = 0; i < at.size() && i < 12; ++i) std::printf("%s%.2f", i ? ", " : " at ", at[i]);
    std::printf("%s\n", at.size() > 12 ? ", ..." : "");
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int loadNice = argc > 2 ? std::atoi(argv[2]) : 0;
    if (minutes <= 0 || loadNice < 0 || loadNice > 19 || !std::getenv("PULSE_SERVER")) {
        std::fprintf(stderr, "usage: PULSE_SERVER=... %s [minutes] [load-nice 0-19]\n", argv[0]);
        return 2;
    }
    char folder[] = "/tmp/record-soak-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    const std::string path = std::string(folder) + "/soak.wav";

    const int feed = LoadModule(
        "module-null-sink sink_name=soakmicfeed sink_properties=device.description=soakmicfeed");
    const int mic = LoadModule(std::string("module-remap-source master=soakmicfeed.monitor source_name=") +
                               kMicName + " source_properties=device.description=" + kMicName);
    int rc = 0;
    double wall = 0;
    double opening = 0;
    Clock::time_point start{};
    EndListener listener;
    std::unique_ptr<Reference> systemReference, micReference;
    {
        BenchTone system("speakers", kSystemTone, 0.4);
        BenchTone voice("soakmicfeed", kMicTone, 0.3);
        systemReference = std::make_unique<Reference>("speakers.monitor", kReferenceRate);
        micReference = std::make_unique<Reference>("soakmicfeed.monitor", kReferenceRate);
        if (feed < 0 || mic < 0 || !system.Started() || !voice.Started() || !systemReference->Started() ||
            !micReference->Started()) {
            std::fprintf(stderr, "cannot set up the sources on the PulseAudio daemon %s%s\n",
                         systemReference->Error().c_str(), micReference->Error().c_str());
            rc = 2;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            Load load(loadNice);
            std::printf("%.1f min, both sources mixed to 16-bit WAV, %zu load threads (nice %d) on %u cores\n",
                        minutes, load.Threads(), loadNice, std::thread::hardware_concurrency());
            std::fflush(stdout);
            COutputRecorder recorder;
            recorder.settings.output_device = 2;
            recorder.settings.output_mic_name = Utf8ToWide(kMicName);
            recorder.settings.output_mic_id = Utf8ToWide(kMicName);
            recorder.settings.output_format = 1;
            recorder.settings.output_samplerate = 44100;
            recorder.settings.output_channel = 2;
            recorder.settings.output_file = Utf8ToWide(path);
            recorder.settings.output_call = &listener;
            start = Clock::now();
            recorder.Start();
            // Both devices open inside the start call, one after the other,
            // and the mix begins where the second opened: the recording
            // really starts when the call returns.
            opening = std::chrono::duration<double>(Clock::now() - start).count();
            std::this_thread::sleep_for(std::chrono::duration<double>(minutes * 60));
            wall = std::chrono::duration<double>(Clock::now() - start).count();
            recorder.Stop();
        }
        // The references run on a little past the recording's end.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        systemReference->Stop();
        micReference->Stop();
    }
    UnloadModule(mic);
    UnloadModule(feed);
    if (rc == 0) {
        const Wav wav = ReadWav(path);
        if (!wav.ok || listener.code != 0) {
            std::fprintf(stderr, "the recording failed (end code %d) or its file cannot be read\n",
                         listener.code.load());
            rc = 1;
        } else {
            const Track systemTone = Follow(wav.left, wav.rate, kSystemTone);
            const Track micTone = Follow(wav.left, wav.rate, kMicTone);
            const Events recorded = Find({&systemTone, &micTone});
            const Track systemPlayed = Follow(systemReference->Samples(), kReferenceRate, kSystemTone);
            const Track micPlayed = Follow(micReference->Samples(), kReferenceRate, kMicTone);
            const Events systemFaults = Find({&systemPlayed});
            const Events micFaults = Find({&micPlayed});
            // Every fault of the played tones, on the recording's clock.
            std::vector<double> played;
            auto add = [&](const Events& e, double shift) {
                for (const auto* list : {&e.gaps, &e.doubled, &e.dropped})
                    for (double t : *list) played.push_back(t + shift);
            };
            // The file begins where the start call returned.
            add(systemFaults,
                std::chrono::duration<double>(systemReference->FirstSample() - start).count() - opening);
            add(micFaults, std::chrono::duration<double>(micReference->FirstSample() - start).count() - opening);
            std::sort(played.begin(), played.end());

            const double seconds = double(wav.left.size()) / wav.rate;
            const double sinceOpen = wall - opening;
            std::printf("file %.3f s; wall time from the start call's return (both devices open) to the stop "
                        "%.3f s, difference %+.3f s\n",
                        seconds, sinceOpen, seconds - sinceOpen);
            std::printf("the start call took %.3f s (from its call to the stop %.3f s)\n", opening, wall);
            if (std::fabs(seconds - sinceOpen) > 0.020) {
                std::printf("the file's length is more than 20 ms off the wall time\n");
                rc = 1;
            }
            std::printf("in the file (seconds from its start):\n");
            Print("gaps", recorded.gaps);
            Print("doubled", recorded.doubled);
            Print("dropped", recorded.dropped);
            std::printf("in the played tones (references, on the file's clock):\n");
            Print("faults", played);
            const int gaps = Unexplained(recorded.gaps, played, 0);
            const int doubled = Unexplained(recorded.doubled, played, 0);
            const int dropped = Unexplained(recorded.dropped, played, 0);
            std::printf("recorder's own: gaps %d, doubled stretches %d, dropped stretches %d\n", gaps, doubled,
                        dropped);
            if (gaps || doubled || dropped) rc = 1;
        }
    }
    std::remove(path.c_str());
    rmdir(folder);
    return rc;
}
