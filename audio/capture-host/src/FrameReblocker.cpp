#include "capture-host/FrameReblocker.h"

#include <cstring>

namespace capture_host {

FrameReblocker::FrameReblocker(int channels, std::size_t framesPerBlock)
    : blockBytes_(framesPerBlock * static_cast<std::size_t>(channels) * sizeof(short)) {}

void FrameReblocker::Append(const void* bytes, std::size_t count) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    pending_.insert(pending_.end(), p, p + count);
}

void FrameReblocker::AppendSilence(std::size_t count) {
    pending_.resize(pending_.size() + count, 0);
}

void FrameReblocker::Clear() {
    pending_.clear();
    start_ = 0;
}

void FrameReblocker::Compact() {
    // Blocks start at multiples of blockBytes_ (even), so handing out
    // pointers into the byte buffer keeps 16-bit alignment.
    if (start_ == 0) return;
    std::size_t rest = pending_.size() - start_;
    if (rest) std::memmove(pending_.data(), pending_.data() + start_, rest);
    pending_.resize(rest);
    start_ = 0;
}

}  // namespace capture_host
