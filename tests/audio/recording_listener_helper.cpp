#include "recording_listener_helper.h"

#include <algorithm>

namespace audio_test {

void RecordingListener::Add(HeardEvent e) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(e));
    changed_.notify_all();
}

bool RecordingListener::WaitFor(const std::function<bool(const HeardEvent&)>& match,
                                std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return std::any_of(events_.begin(), events_.end(), match); });
}

int RecordingListener::Count(const std::function<bool(const HeardEvent&)>& match) {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(events_.begin(), events_.end(), match));
}

std::vector<HeardEvent> RecordingListener::Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

}  // namespace audio_test
