// Cuts the audio PulseAudio delivers, in chunks of whatever size, into
// blocks of a fixed number of frames, keeping the remainder for the next
// chunk. Holes in the server's buffer come in as silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture_host {

class FrameReblocker {
public:
    FrameReblocker(int channels, std::size_t framesPerBlock);

    void Append(const void* bytes, std::size_t count);
    void AppendSilence(std::size_t count);
    void Clear();

    // Hands every complete block, oldest first, to `deliver(const short*)`;
    // stops early when `deliver` returns false.
    template <class Deliver>
    void Drain(Deliver&& deliver) {
        while (pending_.size() - start_ >= blockBytes_) {
            const short* block = reinterpret_cast<const short*>(pending_.data() + start_);
            start_ += blockBytes_;
            if (!deliver(block)) break;
        }
        Compact();
    }

    std::size_t BufferedBytes() const { return pending_.size() - start_; }
    std::size_t BlockBytes() const { return blockBytes_; }

private:
    void Compact();

    std::size_t blockBytes_;
    std::vector<std::uint8_t> pending_;
    std::size_t start_ = 0;
};

}  // namespace capture_host
