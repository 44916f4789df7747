// The process's endpoint notifier: the endpoint watcher paired with the
// program's notification client. Created on first use, freed by the
// program's entry after its message loop.
#pragma once

#include "audio/MMNotificationClient.h"

#include <memory>

struct CDeviceNotifier {
    // Null when no PulseAudio server answered; listeners then simply hear
    // nothing.
    std::unique_ptr<capture_host::EndpointEnumerator> enumerator;
    CMMNotificationClient client;
};

CDeviceNotifier* GetDeviceNotifier();
void ReleaseDeviceNotifier();
void AddDeviceListener(HotSwappingInterface* listener);
void RemoveDeviceListener(HotSwappingInterface* listener);
