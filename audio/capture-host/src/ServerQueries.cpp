#include "ServerQueries.h"

#include <cstdio>
#include <vector>

namespace capture_host {

namespace {

constexpr std::size_t kMaxNameBytes = 511;
// What the host asks the server for: 10 ms fragments; the high figure is
// what a busy server may settle on.
constexpr double kLowLatency = 0.010;
constexpr double kHighLatency = 0.030;

struct Endpoint {
    std::string name;
    std::string description;
    int channels = 0;
    unsigned rate = 0;
    bool monitor = false;
};

struct Answer {
    std::string defaultSink;
    std::string defaultSource;
    std::vector<Endpoint> sinks;
    std::vector<Endpoint> sources;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* user) {
    auto* a = static_cast<Answer*>(user);
    if (!info) return;
    a->defaultSink = info->default_sink_name ? info->default_sink_name : "";
    a->defaultSource = info->default_source_name ? info->default_source_name : "";
}

void OnSink(pa_context*, const pa_sink_info* info, int eol, void* user) {
    if (eol || !info) return;
    static_cast<Answer*>(user)->sinks.push_back(
        {info->name, info->description ? info->description : "", info->sample_spec.channels,
         info->sample_spec.rate, false});
}

void OnSource(pa_context*, const pa_source_info* info, int eol, void* user) {
    if (eol || !info) return;
    static_cast<Answer*>(user)->sources.push_back(
        {info->name, info->description ? info->description : "", info->sample_spec.channels,
         info->sample_spec.rate, info->monitor_of_sink != PA_INVALID_INDEX});
}

std::string EndpointName(const Endpoint& e, std::size_t position) {
    if (!e.description.empty()) return CutUtf8(e.description, kMaxNameBytes);
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "baddev%zu", position);
    return fallback;
}

struct MonitorAnswer {
    bool found = false;
    std::string monitor;
};

void OnSinkMonitor(pa_context*, const pa_sink_info* info, int eol, void* user) {
    if (eol || !info) return;
    auto* a = static_cast<MonitorAnswer*>(user);
    a->found = info->monitor_source_name != nullptr;
    if (a->found) a->monitor = info->monitor_source_name;
}

}  // namespace

std::string CutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

int QueryDevices(PulseConnection& connection, DeviceList& out) {
    Answer a;
    {
        PulseConnection::Lock lock(connection);
        if (!connection.IsUsable()) return HostUnavailable;
        pa_context* c = connection.Context();
        if (!connection.Wait(pa_context_get_server_info(c, OnServerInfo, &a)) ||
            !connection.Wait(pa_context_get_sink_info_list(c, OnSink, &a)) ||
            !connection.Wait(pa_context_get_source_info_list(c, OnSource, &a)))
            return HostUnavailable;
    }

    DeviceList list;
    for (const Endpoint& sink : a.sinks) {
        DeviceInfo render;
        render.name = EndpointName(sink, list.devices.size());
        render.id = sink.name;
        render.maxOutputChannels = sink.channels;
        render.defaultLowOutputLatency = kLowLatency;
        render.defaultHighOutputLatency = kHighLatency;
        render.defaultSampleRate = sink.rate;
        if (sink.name == a.defaultSink) list.defaultOutputDevice = static_cast<int>(list.devices.size());

        DeviceInfo twin = render;
        twin.name = CutUtf8(render.name + " (loopback)", kMaxNameBytes);
        twin.maxInputChannels = render.maxOutputChannels;
        twin.maxOutputChannels = 0;
        twin.defaultLowInputLatency = render.defaultLowOutputLatency;
        twin.defaultHighInputLatency = render.defaultHighOutputLatency;
        twin.defaultLowOutputLatency = 0;
        twin.defaultHighOutputLatency = 0;
        twin.loopback = true;

        list.devices.push_back(std::move(render));
        list.devices.push_back(std::move(twin));
    }
    for (const Endpoint& source : a.sources) {
        if (source.monitor) continue;  // monitors are reached through the twins
        DeviceInfo capture;
        capture.name = EndpointName(source, list.devices.size());
        capture.id = source.name;
        capture.maxInputChannels = source.channels;
        capture.defaultLowInputLatency = kLowLatency;
        capture.defaultHighInputLatency = kHighLatency;
        capture.defaultSampleRate = source.rate;
        if (source.name == a.defaultSource) list.defaultInputDevice = static_cast<int>(list.devices.size());
        list.devices.push_back(std::move(capture));
    }
    out = std::move(list);
    return NoError;
}

bool QueryMonitorSource(PulseConnection& connection, const std::string& sinkName,
                        std::string& monitor) {
    MonitorAnswer a;
    PulseConnection::Lock lock(connection);
    if (!connection.IsUsable()) return false;
    connection.Wait(pa_context_get_sink_info_by_name(connection.Context(), sinkName.c_str(),
                                                     OnSinkMonitor, &a));
    if (a.found) monitor = a.monitor;
    return a.found;
}

}  // namespace capture_host
