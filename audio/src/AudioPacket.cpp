#include "audio/AudioPacket.h"
#include "audio/SampleBufferPool.h"

#include <cstddef>
#include <utility>

int PacketMilliseconds(int frames, int rate) {
    if (rate <= 0) return 0;
    return static_cast<int>(static_cast<float>(frames) * 1000.0f / static_cast<float>(rate));
}

CAudioPacket::CAudioPacket(std::vector<int16_t>&& samples_, int32_t ms_, int32_t frames_,
                           int32_t channels_, int32_t rate_, int32_t tag_)
    : samples(std::move(samples_)), ms(ms_), frames(frames_), channels(channels_), rate(rate_), tag(tag_) {}

CAudioPacket::CAudioPacket(int32_t frames_, int32_t channels_, int32_t rate_, int32_t ms_, int32_t tag_)
    : samples(AcquireSilentBuffer(static_cast<std::size_t>(frames_ > 0 && channels_ > 0 ? frames_ * channels_ : 0))),
      ms(ms_), frames(frames_), channels(channels_), rate(rate_), tag(tag_) {}

CAudioPacket& CAudioPacket::operator=(CAudioPacket&& other) noexcept {
    if (this == &other) return *this;
    RecycleSampleBuffer(samples);
    samples = std::move(other.samples);
    ms = other.ms;
    frames = other.frames;
    channels = other.channels;
    rate = other.rate;
    tag = other.tag;
    return *this;
}

CAudioPacket::~CAudioPacket() { RecycleSampleBuffer(samples); }
