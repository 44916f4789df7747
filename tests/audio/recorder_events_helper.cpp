#include "recorder_events_helper.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>

namespace audio_test {

int EventLog::OnOutput(COutputCallInfo* info) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(*info);
    changed_.notify_all();
    return 0;
}

bool EventLog::WaitFor(int type, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
        return std::any_of(events_.begin(), events_.end(),
                           [type](const COutputCallInfo& e) { return e.type == type; });
    });
}

std::vector<COutputCallInfo> EventLog::Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<int> EventLog::Types() {
    std::vector<int> out;
    for (const COutputCallInfo& e : Events()) out.push_back(e.type);
    return out;
}

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/recorder-test-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::Files() const {
    std::vector<std::string> out;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        if (entry.is_regular_file()) out.push_back(entry.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace audio_test
