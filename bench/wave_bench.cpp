// The waveform's level reduction: one second of 48 kHz stereo (100 packets
// of 10 ms, reduced in batches of five, as the engine's data thread does),
// timed beside a plain copy of the same samples, in the same run.
//
//   wave_bench [repeats]     (default 2000)
//
// Prints the median of the repeats, in microseconds per second of audio.
#include "audio/AudioWaveRender.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int kFrames = kRate / 100;
constexpr int kPackets = 100;

std::vector<std::deque<std::unique_ptr<CAudioPacket>>> MakeSecond() {
    std::vector<std::deque<std::unique_ptr<CAudioPacket>>> batches(kPackets / CAudioWaveRender::kBatchSize);
    for (int p = 0; p < kPackets; ++p) {
        std::vector<int16_t> samples(static_cast<size_t>(kFrames) * kChannels);
        for (int f = 0; f < kFrames; ++f) {
            const double t = static_cast<double>(p * kFrames + f) / kRate;
            samples[f * 2] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 440 * t));
            samples[f * 2 + 1] = static_cast<int16_t>(9000 * std::sin(2 * M_PI * 997 * t));
        }
        batches[p / CAudioWaveRender::kBatchSize].push_back(
            std::make_unique<CAudioPacket>(std::move(samples), 10, kFrames, kChannels, kRate, 1));
    }
    return batches;
}

template <class F>
double MedianMicroseconds(int repeats, F&& work) {
    std::vector<double> times;
    times.reserve(repeats);
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + repeats / 2, times.end());
    return times[repeats / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const auto batches = MakeSecond();
    volatile int32_t sink = 0;  // keeps the results alive

    const double reduce = MedianMicroseconds(repeats, [&] {
        int32_t peak = 0;
        for (const auto& batch : batches) {
            const std::vector<LevelEntry> levels = CAudioWaveRender::ReduceBatch(batch);
            peak ^= levels[0].max ^ levels[1].min;
        }
        sink = sink + peak;
    });

    std::vector<int16_t> target(static_cast<size_t>(kPackets) * kFrames * kChannels);
    const double copy = MedianMicroseconds(repeats, [&] {
        int16_t* out = target.data();
        for (const auto& batch : batches)
            for (const auto& packet : batch) {
                std::memcpy(out, packet->samples.data(), packet->samples.size() * sizeof(int16_t));
                out += packet->samples.size();
            }
        sink = sink + target[target.size() / 3];
    });

    std::printf("level reduction of 1 s of 48 kHz stereo: %.1f us per second of audio (%.4f %% of one core)\n", reduce,
                reduce / 1e4);
    std::printf("plain copy of the same samples:          %.1f us per second of audio\n", copy);
    std::printf("reduction / copy: %.2f\n", reduce / copy);
    return 0;
}
