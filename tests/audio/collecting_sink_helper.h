// Listeners that keep what the capture side hands them, for the device and
// worker tests.
#pragma once

#include "audio/AudioPacket.h"

#include <chrono>
#include <mutex>
#include <vector>

namespace audio_test {

struct PacketFacts {
    int frames, channels, rate, ms, tag;
    bool silent;
};

class CollectingSink : public IProcessCapture {
public:
    int OnCapture(CAudioPacket& packet) override;
    std::vector<PacketFacts> Packets();
    size_t Count();
    size_t CountAudible();
    // Waits up to `limit` until `n` packets (or `n` audible ones) have come.
    bool WaitForPackets(size_t n, std::chrono::milliseconds limit, bool audible = false);

private:
    std::mutex mutex_;
    std::vector<PacketFacts> packets_;
};

// Counts the blocks a capture stream hands to its target.
class CountingTarget : public IPacall {
public:
    int OnAudioData(const int16_t* samples, int frames, int channels, int rate, int ms, int32_t tag) override;
    size_t Blocks();
    int LastFrames();
    int LastChannels();

private:
    std::mutex mutex_;
    size_t blocks_ = 0;
    int frames_ = 0;
    int channels_ = 0;
};

}  // namespace audio_test
