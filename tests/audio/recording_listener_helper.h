// A device-change listener that records what it hears, for the notifier
// tests.
#pragma once

#include "audio/HotSwappingInterface.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace audio_test {

struct HeardEvent {
    std::string kind;  // "active", "unplugged", "disabled", "notpresent", "state", "default"
    std::wstring name;
    std::wstring id;
    std::wstring flow;
    unsigned long state = 0;
};

class RecordingListener : public HotSwappingInterface {
public:
    void OnDeviceActive(const CEndpointInfo& i) override { Add({"active", i.name, i.id, L"", 0}); }
    void OnDeviceUnplugged(const CEndpointInfo& i) override { Add({"unplugged", i.name, i.id, L"", 0}); }
    void OnDeviceDisabled(const CEndpointInfo& i) override { Add({"disabled", i.name, i.id, L"", 0}); }
    void OnDeviceNotPresent(const CEndpointInfo& i) override { Add({"notpresent", i.name, i.id, L"", 0}); }
    void OnDeviceStateChanged(const CEndpointInfo& i, unsigned long s) override {
        Add({"state", i.name, i.id, L"", s});
    }
    void OnDefaultDeviceChanged(const CEndpointInfo& i, const std::wstring& flow) override {
        Add({"default", i.name, i.id, flow});
    }

    // Waits up to `limit` for an event that `match` accepts.
    bool WaitFor(const std::function<bool(const HeardEvent&)>& match,
                 std::chrono::milliseconds limit = std::chrono::seconds(5));
    int Count(const std::function<bool(const HeardEvent&)>& match);
    std::vector<HeardEvent> Events();

private:
    void Add(HeardEvent e);
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<HeardEvent> events_;
};

}  // namespace audio_test
