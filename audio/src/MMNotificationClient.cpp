#include "audio/MMNotificationClient.h"

#include <algorithm>

using namespace capture_host;

unsigned long CMMNotificationClient::AddRef() { return ++refs_; }

unsigned long CMMNotificationClient::Release() {
    // Never `delete this`: the object is a member of the notifier.
    unsigned long now = refs_.load();
    while (now > 0 && !refs_.compare_exchange_weak(now, now - 1)) {
    }
    return now > 0 ? now - 1 : 0;
}

std::deque<HotSwappingInterface*> CMMNotificationClient::CopyListeners() {
    // Listeners are called on the copy, without the mutex, so that they may
    // add or remove listeners while a notification is being handed out.
    std::lock_guard<std::mutex> guard(mutex_);
    return listeners_;
}

long CMMNotificationClient::OnDeviceStateChanged(const wchar_t* deviceId, uint32_t newState) {
    auto listeners = CopyListeners();
    CEndpointInfo info{GetDeviceName(deviceId), deviceId ? deviceId : L""};
    for (HotSwappingInterface* l : listeners) {
        switch (newState) {
        case DEVICE_STATE_ACTIVE: l->OnDeviceActive(info); break;
        case DEVICE_STATE_DISABLED: l->OnDeviceDisabled(info); break;
        case DEVICE_STATE_NOTPRESENT: l->OnDeviceNotPresent(info); break;
        case DEVICE_STATE_UNPLUGGED: l->OnDeviceUnplugged(info); break;
        default: l->OnDeviceStateChanged(info, newState); break;
        }
    }
    return S_OK_RESULT;
}

long CMMNotificationClient::OnDeviceAdded(const wchar_t*) { return S_OK_RESULT; }

long CMMNotificationClient::OnDeviceRemoved(const wchar_t*) { return S_OK_RESULT; }

long CMMNotificationClient::OnDefaultDeviceChanged(EDataFlow flow, ERole, const wchar_t* defaultDeviceId) {
    auto listeners = CopyListeners();
    if (!defaultDeviceId) return S_OK_RESULT;
    const std::wstring flowName = flow == eRender ? L"eRender" : L"eCapture";
    CEndpointInfo info{GetDeviceName(defaultDeviceId), defaultDeviceId};
    for (HotSwappingInterface* l : listeners) l->OnDefaultDeviceChanged(info, flowName);
    return S_OK_RESULT;
}

void CMMNotificationClient::AddListener(HotSwappingInterface* listener) {
    std::lock_guard<std::mutex> guard(mutex_);
    listeners_.push_back(listener);
}

void CMMNotificationClient::RemoveListener(HotSwappingInterface* listener) {
    std::lock_guard<std::mutex> guard(mutex_);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void CMMNotificationClient::SetNameSource(const EndpointEnumerator* names) { names_ = names; }

std::wstring CMMNotificationClient::GetDeviceName(const wchar_t* deviceId) {
    const EndpointEnumerator* names = names_;
    if (!names || !deviceId) return std::wstring();
    return names->GetFriendlyName(deviceId);
}
