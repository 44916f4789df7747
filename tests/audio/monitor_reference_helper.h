#pragma once
// A plain capture of one PulseAudio source into memory, read on a thread of
// its own: what a sink really played, so that a test can tell a falter of
// its own tone player (which a loaded machine causes) from a gap the
// recorder made.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace audio_test {

class MonitorReference {
public:
    using Clock = std::chrono::steady_clock;

    // Starts capturing `source` (e.g. "speakers.monitor") mono 16-bit.
    MonitorReference(const std::string& source, int rate);
    ~MonitorReference();
    void Stop();
    bool Started() const { return started_; }
    const std::string& Error() const { return error_; }
    int Rate() const { return rate_; }
    // When the first sample read was captured, on the steady clock.
    Clock::time_point FirstSample() const { return first_; }
    // Read after Stop.
    const std::vector<short>& Samples() const { return samples_; }

    // When a stretch of the capture quieter than `rmsLimit` (10 ms blocks)
    // began, on the steady clock; the first `skipSeconds` are left out.
    std::vector<Clock::time_point> QuietBlocks(double rmsLimit, double skipSeconds) const;

private:
    void Run(std::string source);

    const int rate_;
    std::atomic<bool> stop_{false}, started_{false}, ready_{false};
    Clock::time_point first_{};
    std::vector<short> samples_;
    std::string error_;
    std::thread thread_;
};

}  // namespace audio_test
