// What a listener of endpoint changes receives. Every notification arrives
// on the PulseAudio watcher's thread: a listener queues its work and posts,
// it never waits there.
#pragma once

#include <string>

struct CEndpointInfo {
    std::wstring name;  // the friendly name; empty when it cannot be read
    std::wstring id;    // the endpoint id
};

class HotSwappingInterface {
public:
    virtual void OnDeviceActive(const CEndpointInfo&) {}
    virtual void OnDeviceUnplugged(const CEndpointInfo&) {}
    virtual void OnDeviceDisabled(const CEndpointInfo&) {}
    virtual void OnDeviceNotPresent(const CEndpointInfo&) {}
    virtual void OnDeviceStateChanged(const CEndpointInfo&, unsigned long /*newState*/) {}
    // `flow` is L"eRender" or L"eCapture".
    virtual void OnDefaultDeviceChanged(const CEndpointInfo&, const std::wstring& /*flow*/) {}
    virtual ~HotSwappingInterface() = default;
};
