#include "audio/DeviceNotifier.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_notifierMutex;
CDeviceNotifier* g_notifier = nullptr;
}  // namespace

CDeviceNotifier* GetDeviceNotifier() {
    std::lock_guard<std::mutex> guard(g_notifierMutex);
    if (g_notifier) return g_notifier;
    auto* notifier = new CDeviceNotifier();
    std::string error;
    // Without a server there is nothing to register with; the failure is
    // logged by the watcher and the program runs on without notifications.
    notifier->enumerator = capture_host::EndpointEnumerator::Create(error);
    if (notifier->enumerator) {
        notifier->client.SetNameSource(notifier->enumerator.get());
        notifier->enumerator->RegisterEndpointNotificationCallback(&notifier->client);
    }
    g_notifier = notifier;
    return g_notifier;
}

void ReleaseDeviceNotifier() {
    CDeviceNotifier* notifier = nullptr;
    {
        // Taken out first: a listener that removes itself from inside a
        // notification must not wait for this mutex while the unregistration
        // below waits for that notification to end.
        std::lock_guard<std::mutex> guard(g_notifierMutex);
        std::swap(notifier, g_notifier);
    }
    if (!notifier) return;
    if (notifier->enumerator) {
        // Once this returns no notification runs or starts, so the client
        // can go with the notifier.
        notifier->enumerator->UnregisterEndpointNotificationCallback(&notifier->client);
        notifier->client.SetNameSource(nullptr);
        notifier->enumerator.reset();
    }
    delete notifier;
}

void AddDeviceListener(HotSwappingInterface* listener) {
    GetDeviceNotifier()->client.AddListener(listener);
}

void RemoveDeviceListener(HotSwappingInterface* listener) {
    std::lock_guard<std::mutex> guard(g_notifierMutex);
    if (g_notifier) g_notifier->client.RemoveListener(listener);
}
