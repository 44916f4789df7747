#include "capture-host/EndpointNotifications.h"

#include "HostLog.h"
#include "PulseConnection.h"
#include "crt/utf8.h"

#include <algorithm>

namespace capture_host {

// The PulseAudio callbacks. They run on the watcher's loop thread with the
// loop locked, and only queue further requests, never wait for them.
struct EndpointEvents {
    static void OnEvent(pa_context* c, pa_subscription_event_type_t type, uint32_t index, void* self) {
        auto* me = static_cast<EndpointEnumerator*>(self);
        unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        pa_operation* op = nullptr;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER && kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
            op = pa_context_get_server_info(c, OnServerInfo, me);
        } else if (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
            bool sink = facility == PA_SUBSCRIPTION_EVENT_SINK;
            if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) me->Removed(sink, index);
            else if (kind == PA_SUBSCRIPTION_EVENT_NEW && sink)
                op = pa_context_get_sink_info_by_index(c, index, OnNewSink, me);
            else if (kind == PA_SUBSCRIPTION_EVENT_NEW)
                op = pa_context_get_source_info_by_index(c, index, OnNewSource, me);
        }
        if (op) pa_operation_unref(op);
    }

    static void OnServerInfo(pa_context*, const pa_server_info* info, void* self) {
        if (!info) return;
        static_cast<EndpointEnumerator*>(self)->DefaultsSeen(
            info->default_sink_name ? info->default_sink_name : "",
            info->default_source_name ? info->default_source_name : "", true);
    }

    static void OnNewSink(pa_context*, const pa_sink_info* info, int eol, void* self) {
        if (eol || !info) return;  // gone again before we asked
        static_cast<EndpointEnumerator*>(self)->Added(true, info->index, info->name, info->description);
    }

    static void OnNewSource(pa_context*, const pa_source_info* info, int eol, void* self) {
        if (eol || !info || info->monitor_of_sink != PA_INVALID_INDEX) return;
        static_cast<EndpointEnumerator*>(self)->Added(false, info->index, info->name, info->description);
    }

    // What the watcher learns before it subscribes; collected while the
    // caller waits.
    static void OnFirstSink(pa_context*, const pa_sink_info* info, int eol, void* self) {
        if (eol || !info) return;
        auto* me = static_cast<EndpointEnumerator*>(self);
        std::lock_guard<std::mutex> guard(me->endpointsMutex_);
        me->sinks_[info->index] = {info->name, info->description ? info->description : ""};
    }

    static void OnFirstSource(pa_context*, const pa_source_info* info, int eol, void* self) {
        if (eol || !info || info->monitor_of_sink != PA_INVALID_INDEX) return;
        auto* me = static_cast<EndpointEnumerator*>(self);
        std::lock_guard<std::mutex> guard(me->endpointsMutex_);
        me->sources_[info->index] = {info->name, info->description ? info->description : ""};
    }

    static void OnFirstServerInfo(pa_context*, const pa_server_info* info, void* self) {
        if (!info) return;
        static_cast<EndpointEnumerator*>(self)->DefaultsSeen(
            info->default_sink_name ? info->default_sink_name : "",
            info->default_source_name ? info->default_source_name : "", false);
    }
};

EndpointEnumerator::EndpointEnumerator() = default;

EndpointEnumerator::~EndpointEnumerator() {
    if (connection_) {
        PulseConnection::Lock lock(*connection_);
        if (connection_->Context()) pa_context_set_subscribe_callback(connection_->Context(), nullptr, nullptr);
        for (IMMNotificationClient* c : clients_) c->Release();
        clients_.clear();
    }
    connection_.reset();
}

std::unique_ptr<EndpointEnumerator> EndpointEnumerator::Create(std::string& error) {
    std::unique_ptr<EndpointEnumerator> e(new EndpointEnumerator());
    if (!e->Start(error)) {
        HostLog("endpoint notifications unavailable: %s", error.c_str());
        return nullptr;
    }
    return e;
}

bool EndpointEnumerator::Start(std::string& error) {
    connection_ = std::make_unique<PulseConnection>();
    if (!connection_->Connect("Quorvale endpoint watcher", error)) return false;
    PulseConnection::Lock lock(*connection_);
    pa_context* c = connection_->Context();
    // Subscribe first, so nothing that happens while we list is missed;
    // events queued meanwhile are answered after the listing.
    pa_context_set_subscribe_callback(c, EndpointEvents::OnEvent, this);
    auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                    PA_SUBSCRIPTION_MASK_SERVER);
    bool ok = connection_->Wait(pa_context_subscribe(c, mask, nullptr, nullptr)) &&
              connection_->Wait(pa_context_get_server_info(c, EndpointEvents::OnFirstServerInfo, this)) &&
              connection_->Wait(pa_context_get_sink_info_list(c, EndpointEvents::OnFirstSink, this)) &&
              connection_->Wait(pa_context_get_source_info_list(c, EndpointEvents::OnFirstSource, this));
    if (!ok) error = connection_->LastError();
    return ok;
}

long EndpointEnumerator::RegisterEndpointNotificationCallback(IMMNotificationClient* client) {
    if (!client) return -1;
    PulseConnection::Lock lock(*connection_);
    client->AddRef();
    clients_.push_back(client);
    return S_OK_RESULT;
}

long EndpointEnumerator::UnregisterEndpointNotificationCallback(IMMNotificationClient* client) {
    PulseConnection::Lock lock(*connection_);
    auto it = std::find(clients_.begin(), clients_.end(), client);
    if (it == clients_.end()) return -1;
    clients_.erase(it);
    client->Release();
    return S_OK_RESULT;
}

std::wstring EndpointEnumerator::GetFriendlyName(const std::wstring& deviceId) const {
    std::string id = crt::WideToUtf8(deviceId);
    std::lock_guard<std::mutex> guard(endpointsMutex_);
    for (const auto* map : {&sinks_, &sources_})
        for (const auto& [index, e] : *map)
            if (e.name == id) return crt::Utf8ToWide(e.description);
    return std::wstring();
}

std::vector<IMMNotificationClient*> EndpointEnumerator::Clients() {
    // A client may unregister itself from inside a notification: work on a copy.
    return clients_;
}

void EndpointEnumerator::Added(bool sink, uint32_t index, const char* name, const char* description) {
    {
        std::lock_guard<std::mutex> guard(endpointsMutex_);
        (sink ? sinks_ : sources_)[index] = {name, description ? description : ""};
    }
    std::wstring id = crt::Utf8ToWide(name);
    for (IMMNotificationClient* c : Clients()) {
        c->OnDeviceAdded(id.c_str());
        c->OnDeviceStateChanged(id.c_str(), DEVICE_STATE_ACTIVE);
    }
}

void EndpointEnumerator::Removed(bool sink, uint32_t index) {
    std::string name;
    {
        std::lock_guard<std::mutex> guard(endpointsMutex_);
        auto& map = sink ? sinks_ : sources_;
        auto it = map.find(index);
        if (it == map.end()) return;  // a monitor, or never seen
        name = it->second.name;
    }
    std::wstring id = crt::Utf8ToWide(name);
    for (IMMNotificationClient* c : Clients()) {
        c->OnDeviceStateChanged(id.c_str(), DEVICE_STATE_UNPLUGGED);
        c->OnDeviceRemoved(id.c_str());
    }
    std::lock_guard<std::mutex> guard(endpointsMutex_);
    (sink ? sinks_ : sources_).erase(index);
}

void EndpointEnumerator::DefaultsSeen(const std::string& sink, const std::string& source, bool notify) {
    bool sinkChanged = sink != defaultSink_;
    bool sourceChanged = source != defaultSource_;
    defaultSink_ = sink;
    defaultSource_ = source;
    if (!notify) return;
    if (sinkChanged) {
        std::wstring id = crt::Utf8ToWide(sink);
        for (IMMNotificationClient* c : Clients())
            c->OnDefaultDeviceChanged(eRender, eMultimedia, sink.empty() ? nullptr : id.c_str());
    }
    if (sourceChanged) {
        std::wstring id = crt::Utf8ToWide(source);
        for (IMMNotificationClient* c : Clients())
            c->OnDefaultDeviceChanged(eCapture, eMultimedia, source.empty() ? nullptr : id.c_str());
    }
}

}  // namespace capture_host
