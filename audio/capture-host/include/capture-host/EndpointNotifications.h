// Endpoint notifications of the capture host, from PulseAudio's
// subscription events, in the shape the audio engine expects of the
// Windows endpoint notifications.
//
// Render endpoints are sinks, capture endpoints the sources that are not
// monitors; endpoint ids are PulseAudio names. A device that appears is
// reported as added and then active; one that goes away as unplugged and
// then removed. A default-device change is reported once per change (the
// server's defaults are compared on every server change event), with the
// multimedia role.
//
// Every notification arrives on the watcher's PulseAudio thread. Clients
// must return quickly and must not wait for anything there: queue the work
// and post.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace capture_host {

enum EDataFlow { eRender = 0, eCapture = 1, eAll = 2 };
enum ERole { eConsole = 0, eMultimedia = 1, eCommunications = 2 };

constexpr uint32_t DEVICE_STATE_ACTIVE = 1;
constexpr uint32_t DEVICE_STATE_DISABLED = 2;
constexpr uint32_t DEVICE_STATE_NOTPRESENT = 4;
constexpr uint32_t DEVICE_STATE_UNPLUGGED = 8;

constexpr long S_OK_RESULT = 0;

class IMMNotificationClient {
public:
    virtual unsigned long AddRef() = 0;
    virtual unsigned long Release() = 0;
    virtual long OnDeviceStateChanged(const wchar_t* deviceId, uint32_t newState) = 0;
    virtual long OnDeviceAdded(const wchar_t* deviceId) = 0;
    virtual long OnDeviceRemoved(const wchar_t* deviceId) = 0;
    // `defaultDeviceId` is null when no device of that flow is left.
    virtual long OnDefaultDeviceChanged(EDataFlow flow, ERole role, const wchar_t* defaultDeviceId) = 0;

protected:
    ~IMMNotificationClient() = default;
};

class PulseConnection;

// Watches the server and tells its registered clients. One connection of
// its own, independent of the capture host's initialisations.
class EndpointEnumerator {
public:
    // Null, with the reason logged and in `error`, when no server answers.
    static std::unique_ptr<EndpointEnumerator> Create(std::string& error);
    ~EndpointEnumerator();
    EndpointEnumerator(const EndpointEnumerator&) = delete;
    EndpointEnumerator& operator=(const EndpointEnumerator&) = delete;

    // Registration takes a reference on the client, unregistration gives it
    // back. After UnregisterEndpointNotificationCallback returns, no call
    // into that client is running or will start.
    long RegisterEndpointNotificationCallback(IMMNotificationClient* client);
    long UnregisterEndpointNotificationCallback(IMMNotificationClient* client);

    // The friendly name (the description) of a known endpoint, empty when it
    // is not known. Answered from what the watcher has seen, so it may be
    // called from a notification; a device being removed is still known
    // while its removal is reported.
    std::wstring GetFriendlyName(const std::wstring& deviceId) const;

private:
    struct Endpoint {
        std::string name;
        std::string description;
    };

    EndpointEnumerator();
    bool Start(std::string& error);

    friend struct EndpointEvents;  // the PulseAudio callbacks

    void Added(bool sink, uint32_t index, const char* name, const char* description);
    void Removed(bool sink, uint32_t index);
    void DefaultsSeen(const std::string& sink, const std::string& source, bool notify);
    std::vector<IMMNotificationClient*> Clients();

    std::unique_ptr<PulseConnection> connection_;
    mutable std::mutex endpointsMutex_;
    std::map<uint32_t, Endpoint> sinks_;     // by server index
    std::map<uint32_t, Endpoint> sources_;   // monitors left out
    std::string defaultSink_;
    std::string defaultSource_;
    // Changed only with the main loop locked, so a notification never runs
    // while a client is being taken out.
    std::vector<IMMNotificationClient*> clients_;
};

}  // namespace capture_host
