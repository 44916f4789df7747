#include "pulse_tools_helper.h"

#include <pthread.h>
#include <pulse/simple.h>
#include <sched.h>
#include <pulse/timeval.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <sstream>

namespace audio_test {

namespace {

// A sink this close to the present plays what is written to it now.
constexpr long kHeardLatencyUsec = 100000;

// How far ahead of the present the sink has rendered, from `pactl list
// sinks`; -1 when the sink is not listed.
long SinkLatencyUsec(const std::string& sink) {
    std::istringstream lines(Pactl("list sinks"));
    bool ours = false;
    for (std::string line; std::getline(lines, line);) {
        const size_t name = line.find("Name: ");
        if (name != std::string::npos) ours = line.substr(name + 6) == sink;
        const size_t latency = line.find("Latency: ");
        if (ours && latency != std::string::npos && line.find("usec") != std::string::npos)
            return std::atol(line.c_str() + latency + 9);
    }
    return -1;
}

}  // namespace

std::string Pactl(const std::string& args, bool* ok) {
    std::string command = "pactl " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    if (!pipe) {
        if (ok) *ok = false;
        return out;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    int status = pclose(pipe);
    if (ok) *ok = status == 0;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

ScopedModule::ScopedModule(const std::string& nameAndArgs) {
    bool ok = false;
    std::string out = Pactl("load-module " + nameAndArgs, &ok);
    if (ok && !out.empty()) index_ = std::stoi(out);
}

ScopedModule::~ScopedModule() { Unload(); }

void ScopedModule::Unload() {
    if (index_ >= 0) Pactl("unload-module " + std::to_string(index_));
    index_ = -1;
}

TonePlayer::TonePlayer(const std::string& sink, double frequency, double amplitude)
    : thread_(&TonePlayer::Run, this, sink, frequency, amplitude) {
    while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // A sink that had nobody to play for rendered up to its full latency of
    // silence ahead; the tone is heard (and reaches the monitor) only once
    // that has played out. Return when it is heard, as a listener would.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (started_ && std::chrono::steady_clock::now() < limit) {
        const long latency = SinkLatencyUsec(sink);
        if (latency >= 0 && latency < kHeardLatencyUsec) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

TonePlayer::~TonePlayer() {
    stop_ = true;
    thread_.join();
}

void TonePlayer::Run(std::string sink, double frequency, double amplitude) {
    // A player starved by a loaded machine runs dry, and the sink plays
    // gaps: the player gets the real-time priority players ask for, where
    // the process may have it (as root).
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 48000, 2};
    int error = 0;
    // 100 ms of buffer, refilled every 10 ms: the null sink then renders
    // 40 ms ahead. A null sink whose daemon wakes late renders everything
    // overdue at once, and a player with less in its buffer than that runs
    // dry: with 20 ms (5 ms of rendering ahead) a loaded machine put gaps
    // into the tone itself, which every capture then faithfully recorded.
    pa_buffer_attr attr;
    attr.maxlength = attr.prebuf = attr.fragsize = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(100 * PA_USEC_PER_MSEC, &spec));
    attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &spec));
    pa_simple* s = pa_simple_new(nullptr, "tone", PA_STREAM_PLAYBACK, sink.c_str(), "tone", &spec,
                                 nullptr, &attr, &error);
    started_ = s != nullptr;
    ready_ = true;
    if (!s) return;
    const int frames = 480;
    std::vector<short> chunk(frames * 2);
    double phase = 0;
    const double step = 2 * M_PI * frequency / spec.rate;
    while (!stop_) {
        for (int i = 0; i < frames; ++i) {
            short v = static_cast<short>(std::lround(std::sin(phase) * amplitude * 32767));
            chunk[2 * i] = chunk[2 * i + 1] = v;
            phase += step;
        }
        phase = std::fmod(phase, 2 * M_PI);
        if (pa_simple_write(s, chunk.data(), chunk.size() * sizeof(short), &error) < 0) break;
    }
    pa_simple_free(s);
}

std::vector<std::pair<int, std::string>> SourceOutputs() {
    std::map<int, std::string> sources;
    std::istringstream sourceLines(Pactl("list short sources"));
    for (std::string line; std::getline(sourceLines, line);) {
        std::istringstream fields(line);
        int index;
        std::string name;
        if (fields >> index >> name) sources[index] = name;
    }
    std::vector<std::pair<int, std::string>> out;
    std::istringstream outputLines(Pactl("list short source-outputs"));
    for (std::string line; std::getline(outputLines, line);) {
        std::istringstream fields(line);
        int index, source;
        if (fields >> index >> source) out.emplace_back(index, sources[source]);
    }
    return out;
}

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

double ZeroCrossingFrequency(const std::vector<short>& samples, double rate) {
    if (samples.size() < 2) return 0;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    return crossings / 2.0 / (samples.size() / rate);
}

double Rms(const std::vector<short>& samples) {
    if (samples.empty()) return 0;
    double sum = 0;
    for (short s : samples) sum += double(s) * s;
    return std::sqrt(sum / samples.size());
}

std::vector<short> Channel(const std::vector<short>& interleaved, int channels, int channel) {
    std::vector<short> out;
    for (size_t i = channel; i < interleaved.size(); i += channels) out.push_back(interleaved[i]);
    return out;
}

}  // namespace audio_test
