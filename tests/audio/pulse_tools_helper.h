// What the audio tests need of the test PulseAudio daemon besides the code
// under test: loading modules with pactl, playing a tone into a sink, and
// measuring what came back.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

namespace audio_test {

// Runs `pactl <args>` and returns its standard output, trimmed; `ok` tells
// whether pactl succeeded.
std::string Pactl(const std::string& args, bool* ok = nullptr);

// Loads a module and unloads it again at the end of the scope.
class ScopedModule {
public:
    explicit ScopedModule(const std::string& nameAndArgs);
    ~ScopedModule();
    ScopedModule(const ScopedModule&) = delete;
    ScopedModule& operator=(const ScopedModule&) = delete;
    bool Loaded() const { return index_ >= 0; }
    void Unload();

private:
    int index_ = -1;
};

// Plays a sine of `frequency` Hz at `amplitude` (0..1 of full scale) into
// `sink` until destroyed. Construction returns once the sink plays the tone
// (at most a few seconds), so a capture started then records it at once.
class TonePlayer {
public:
    TonePlayer(const std::string& sink, double frequency, double amplitude);
    ~TonePlayer();
    bool Started() const { return started_; }

private:
    void Run(std::string sink, double frequency, double amplitude);
    std::atomic<bool> stop_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> ready_{false};
    std::thread thread_;
};

// The source each capture stream of the server records from, by the
// stream's index.
std::vector<std::pair<int, std::string>> SourceOutputs();

// Polls `done` every 20 ms for up to `limit`.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5));

// Frequency from the zero crossings of a mono signal.
double ZeroCrossingFrequency(const std::vector<short>& samples, double rate);
double Rms(const std::vector<short>& samples);
// Channel `channel` of interleaved samples.
std::vector<short> Channel(const std::vector<short>& interleaved, int channels, int channel);

}  // namespace audio_test
