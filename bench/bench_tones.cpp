#include "bench_tones.h"

#include <pthread.h>
#include <sched.h>

#include <pulse/simple.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

BenchTone::BenchTone(const std::string& sink, double frequency, double amplitude)
    : thread_(&BenchTone::Run, this, sink, frequency, amplitude) {
    while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

BenchTone::~BenchTone() {
    stop_ = true;
    thread_.join();
}

void BenchTone::Run(std::string sink, double frequency, double amplitude) {
    // Real-time priority where the process may have it, as players ask for:
    // a tone starved by the load of a soak would put its own gaps in the
    // recording.
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 48000, 2};
    int error = 0;
    pa_simple* s = pa_simple_new(nullptr, "bench-tone", PA_STREAM_PLAYBACK, sink.c_str(), "tone",
                                 &spec, nullptr, nullptr, &error);
    started_ = s != nullptr;
    ready_ = true;
    if (!s) return;
    std::vector<short> chunk(480 * 2);
    double phase = 0;
    const double step = 2 * M_PI * frequency / spec.rate;
    while (!stop_) {
        for (size_t i = 0; i < chunk.size(); i += 2) {
            chunk[i] = chunk[i + 1] = static_cast<short>(std::lround(std::sin(phase) * amplitude * 32767));
            phase += step;
        }
        phase = std::fmod(phase, 2 * M_PI);
        if (pa_simple_write(s, chunk.data(), chunk.size() * sizeof(short), &error) < 0) break;
    }
    pa_simple_free(s);
}

int LoadModule(const std::string& nameAndArgs) {
    FILE* pipe = popen(("pactl load-module " + nameAndArgs + " 2>/dev/null").c_str(), "r");
    if (!pipe) return -1;
    int index = -1;
    if (std::fscanf(pipe, "%d", &index) != 1) index = -1;
    pclose(pipe);
    return index;
}

void UnloadModule(int index) {
    if (index < 0) return;
    const std::string command = "pactl unload-module " + std::to_string(index) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not unload module %d\n", index);
}
