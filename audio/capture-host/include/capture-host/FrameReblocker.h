// Cuts the audio PulseAudio delivers, in chunks of whatever size, into
// blocks of a fixed number of frames, keeping the remainder for the next
// chunk. Holes in the server's buffer come in as silence.
#pragma once

#include <algorithm>
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
    // stops early when `deliver` returns false (the refused block counts as
    // handed on). False when it stopped early.
    template <class Deliver>
    bool Drain(Deliver&& deliver) {
        bool all = true;
        while (pending_.size() - start_ >= blockBytes_) {
            const short* block = reinterpret_cast<const short*>(pending_.data() + start_);
            start_ += blockBytes_;
            if (!deliver(block)) {
                all = false;
                break;
            }
        }
        Compact();
        return all;
    }

    // Append and Drain in one, without copying: whole blocks inside the
    // chunk are handed on where they lie, and only a block begun by an
    // earlier chunk or left unfinished by this one passes through the
    // buffer. After an early stop the rest of the chunk is kept, as Drain
    // keeps it.
    template <class Deliver>
    void Feed(const void* bytes, std::size_t count, Deliver&& deliver) {
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        if (BufferedBytes() > 0) {
            const std::size_t partial = BufferedBytes() % blockBytes_;
            const std::size_t take = partial ? std::min(count, blockBytes_ - partial) : 0;
            Append(p, take);
            p += take;
            count -= take;
            if (!Drain(deliver) || BufferedBytes() > 0) {
                Append(p, count);
                return;
            }
        }
        // Blocks read in place must keep 16-bit alignment; the server's
        // chunks always do, and anything else goes through the buffer.
        bool more = true;
        if (reinterpret_cast<std::uintptr_t>(p) % alignof(short) == 0) {
            while (more && count >= blockBytes_) {
                const short* block = reinterpret_cast<const short*>(p);
                p += blockBytes_;
                count -= blockBytes_;
                more = deliver(block);
            }
        }
        Append(p, count);
        if (more && BufferedBytes() >= blockBytes_) Drain(deliver);
    }

    // A hole of `count` bytes, handed on as silence.
    template <class Deliver>
    void FeedSilence(std::size_t count, Deliver&& deliver) {
        AppendSilence(count);
        Drain(deliver);
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
