// A recorder listener that keeps every event, and a scratch folder, for the
// recorder's tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "logic/OutputCall.h"

namespace audio_test {

class EventLog : public IOutputCall {
public:
    int OnOutput(COutputCallInfo* info) override;
    // Waits until an event of `type` has arrived; false after `limit`.
    bool WaitFor(int type, std::chrono::milliseconds limit = std::chrono::seconds(10));
    std::vector<COutputCallInfo> Events();
    std::vector<int> Types();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<COutputCallInfo> events_;
};

// A fresh folder under /tmp, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }
    std::vector<std::string> Files() const;  // sorted full paths

private:
    std::string path_;
};

}  // namespace audio_test
