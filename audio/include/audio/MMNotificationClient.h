// The program's receiver of endpoint notifications: hands each one, with
// the endpoint's friendly name and id, to every registered listener.
#pragma once

#include "audio/HotSwappingInterface.h"
#include "capture-host/EndpointNotifications.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

class CMMNotificationClient : public capture_host::IMMNotificationClient {
public:
    CMMNotificationClient() = default;
    virtual ~CMMNotificationClient() = default;

    // The count is kept for the enumerator's sake only: the client lives
    // inside the notifier, which frees it, so reaching 0 frees nothing.
    unsigned long AddRef() override;
    unsigned long Release() override;

    long OnDeviceStateChanged(const wchar_t* deviceId, uint32_t newState) override;
    long OnDeviceAdded(const wchar_t* deviceId) override;
    long OnDeviceRemoved(const wchar_t* deviceId) override;
    long OnDefaultDeviceChanged(capture_host::EDataFlow flow, capture_host::ERole role,
                                const wchar_t* defaultDeviceId) override;

    void AddListener(HotSwappingInterface* listener);
    void RemoveListener(HotSwappingInterface* listener);

    // Where friendly names are read; null leaves every name empty.
    void SetNameSource(const capture_host::EndpointEnumerator* names);
    std::wstring GetDeviceName(const wchar_t* deviceId);

private:
    std::deque<HotSwappingInterface*> CopyListeners();

    std::atomic<unsigned long> refs_{1};
    std::atomic<const capture_host::EndpointEnumerator*> names_{nullptr};
    std::deque<HotSwappingInterface*> listeners_;
    std::mutex mutex_;
};
