// A long recording of system sound and microphone, mixed, while every core
// is kept busy: does the file hold all of the audio, once?
//
//   record_soak [minutes]     (default 10; needs PULSE_SERVER)
//
// A continuous tone plays into the speakers (1002.5 Hz) and another into a
// microphone of the soak's own (300 Hz); the recorder writes 16-bit WAV,
// exact to measure. Afterwards the file is read back and reported: its
// duration against the wall time the recording ran, the gaps (stretches of
// about 20 ms or more in which either tone is missing), and the doubled or
// dropped stretches (jumps in the speakers' tone's phase: a stretch heard
// twice puts the tone late, a stretch lost puts it early; at 1002.5 Hz a
// shift of 10 ms moves the phase by 9 degrees).
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "bench_tones.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSystemTone = 1002.5;
constexpr double kMicTone = 300;
const char* kMicName = "soakmic";

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
    Load() {
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
            threads_.emplace_back([this] {
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

struct Findings {
    double seconds = 0;
    int gaps = 0;
    int doubled = 0;
    int dropped = 0;
};

Findings Analyse(const Wav& wav) {
    Findings out;
    out.seconds = double(wav.left.size()) / wav.rate;
    const int window = wav.rate / 50;  // 20 ms
    const int step = wav.rate / 200;   // 5 ms
    std::vector<double> system, mic, phase;
    for (size_t at = 0; at + window <= wav.left.size(); at += step) {
        double a = 0, p = 0, m = 0, ignored = 0;
        Measure(&wav.left[at], window, wav.rate, kSystemTone, double(at), a, p);
        Measure(&wav.left[at], window, wav.rate, kMicTone, double(at), m, ignored);
        system.push_back(a);
        mic.push_back(m);
        phase.push_back(p);
    }
    if (system.empty()) return out;
    auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    const double systemLevel = median(system), micLevel = median(mic);
    auto present = [&](size_t i) { return system[i] > 0.5 * systemLevel && mic[i] > 0.5 * micLevel; };
    // The tones' start and end: the streams start a moment apart.
    size_t first = 0, last = system.size();
    while (first < last && !present(first)) ++first;
    while (last > first && !present(last - 1)) --last;
    // A window of 20 ms lies wholly inside a gap of 25 ms or more, and its
    // level falls below half for a gap of more than 10 ms in it: a run of
    // two steps or more is a gap of about 15 to 20 ms at least.
    int run = 0;
    for (size_t i = first; i < last; ++i) {
        run = present(i) ? 0 : run + 1;
        if (run == 2) ++out.gaps;
    }
    // Phase jumps between windows that do not overlap; one event per run.
    const size_t apart = window / step;
    bool inJump = false;
    for (size_t i = first; i + apart < last; ++i) {
        if (!present(i) || !present(i + apart)) continue;
        double d = phase[i + apart] - phase[i];
        d = std::remainder(d, 2 * M_PI);
        const bool jump = std::fabs(d) > 4.5 * M_PI / 180;  // half of a 10 ms shift
        if (jump && !inJump) (d < 0 ? out.doubled : out.dropped) += 1;
        inJump = jump;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    if (minutes <= 0 || !std::getenv("PULSE_SERVER")) {
        std::fprintf(stderr, "usage: PULSE_SERVER=... %s [minutes]\n", argv[0]);
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
    EndListener listener;
    {
        BenchTone system("speakers", kSystemTone, 0.4);
        BenchTone voice("soakmicfeed", kMicTone, 0.3);
        if (feed < 0 || mic < 0 || !system.Started() || !voice.Started()) {
            std::fprintf(stderr, "cannot set up the sources on the PulseAudio daemon\n");
            rc = 2;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            Load load;
            std::printf("%.1f min, both sources mixed to 16-bit WAV, %zu load threads on %u cores\n", minutes,
                        load.Threads(), std::thread::hardware_concurrency());
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
            const Clock::time_point start = Clock::now();
            recorder.Start();
            std::this_thread::sleep_for(std::chrono::duration<double>(minutes * 60));
            wall = std::chrono::duration<double>(Clock::now() - start).count();
            recorder.Stop();
        }
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
            const Findings f = Analyse(wav);
            std::printf("file %.3f s, wall %.3f s (from start to the stop), difference %+.3f s\n", f.seconds, wall,
                        f.seconds - wall);
            std::printf("gaps %d, doubled stretches %d, dropped stretches %d\n", f.gaps, f.doubled, f.dropped);
            if (f.gaps || f.doubled || f.dropped) rc = 1;
        }
    }
    std::remove(path.c_str());
    rmdir(folder);
    return rc;
}
