#include "collecting_sink_helper.h"

#include <algorithm>
#include <thread>

namespace audio_test {

int CollectingSink::OnCapture(CAudioPacket& p) {
    bool silent = std::all_of(p.samples.begin(), p.samples.end(), [](int16_t s) { return s == 0; });
    std::lock_guard<std::mutex> lock(mutex_);
    packets_.push_back({p.frames, p.channels, p.rate, p.ms, p.tag, silent});
    return 0;
}

std::vector<PacketFacts> CollectingSink::Packets() {
    std::lock_guard<std::mutex> lock(mutex_);
    return packets_;
}

size_t CollectingSink::Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return packets_.size();
}

size_t CollectingSink::CountAudible() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::count_if(packets_.begin(), packets_.end(), [](const PacketFacts& f) { return !f.silent; });
}

bool CollectingSink::WaitForPackets(size_t n, std::chrono::milliseconds limit, bool audible) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if ((audible ? CountAudible() : Count()) >= n) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int CountingTarget::OnAudioData(const int16_t*, int frames, int channels, int, int, int32_t) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++blocks_;
    frames_ = frames;
    channels_ = channels;
    return 0;
}

size_t CountingTarget::Blocks() {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_;
}

int CountingTarget::LastFrames() {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

int CountingTarget::LastChannels() {
    std::lock_guard<std::mutex> lock(mutex_);
    return channels_;
}

}  // namespace audio_test
