// One block of captured audio on its way from a capture stream to the
// recorder or a waveform, and the two interfaces it travels through.
#pragma once

#include <cstdint>
#include <vector>

// Whole milliseconds of a block as the capture side computes them: single
// precision, truncated (10 for 441 frames at 44100 Hz, 9 for 220 at 22050).
int PacketMilliseconds(int frames, int rate);

struct CAudioPacket {
    std::vector<int16_t> samples;  // interleaved, frames x channels
    int32_t ms = 0;
    int32_t frames = 0;
    int32_t channels = 0;
    int32_t rate = 0;
    int32_t tag = 0;  // the source key: 0 microphone, 1 system sound

    CAudioPacket() = default;
    CAudioPacket(std::vector<int16_t>&& samples, int32_t ms, int32_t frames, int32_t channels,
                 int32_t rate, int32_t tag);
    // A silent block of the given format.
    CAudioPacket(int32_t frames, int32_t channels, int32_t rate, int32_t ms, int32_t tag);
    CAudioPacket(const CAudioPacket&) = default;
    CAudioPacket(CAudioPacket&&) noexcept = default;
    CAudioPacket& operator=(const CAudioPacket&) = default;
    // Gives the sample buffer held until then back to the pool.
    CAudioPacket& operator=(CAudioPacket&& other) noexcept;
    // Gives the sample buffer back to the pool it came from (or any buffer a
    // listener left in the packet), so the next block reuses it.
    ~CAudioPacket();
};

// Target of a capture stream's callback, called on the stream's audio
// thread once per buffer. Returns 0 when the block was taken, 2 when it was
// refused.
class IPacall {
public:
    virtual int OnAudioData(const int16_t* samples, int frames, int channels, int rate, int ms,
                            int32_t tag) = 0;

protected:
    ~IPacall() = default;
};

// Listener of finished packets, called on a capture worker's thread. The
// packet is discarded after the call: a listener that keeps data takes it
// during the call.
class IProcessCapture {
public:
    virtual ~IProcessCapture() = default;
    virtual int OnCapture(CAudioPacket& packet) = 0;
};
