// The notification client's dispatch to listeners, driven directly as the
// endpoint watcher drives it.
#include "audio/MMNotificationClient.h"
#include "recording_listener_helper.h"

#include <gtest/gtest.h>

using namespace capture_host;
using audio_test::HeardEvent;
using audio_test::RecordingListener;

namespace {

TEST(MMNotificationClient, EachStateReachesItsListenerOperation) {
    struct Case { uint32_t state; const char* kind; } cases[] = {
        {DEVICE_STATE_ACTIVE, "active"},        {DEVICE_STATE_DISABLED, "disabled"},
        {DEVICE_STATE_NOTPRESENT, "notpresent"}, {DEVICE_STATE_UNPLUGGED, "unplugged"},
        {0x10, "state"},                        {3, "state"},
    };
    for (const Case& c : cases) {
        CMMNotificationClient client;
        RecordingListener first, second;
        client.AddListener(&first);
        client.AddListener(&second);
        EXPECT_EQ(client.OnDeviceStateChanged(L"dev", c.state), S_OK_RESULT);
        for (RecordingListener* l : {&first, &second}) {
            auto events = l->Events();
            ASSERT_EQ(events.size(), 1u) << c.state;
            EXPECT_EQ(events[0].kind, c.kind) << c.state;
            EXPECT_EQ(events[0].id, L"dev");
            EXPECT_EQ(events[0].name, L"") << "no name source, no name";
            if (events[0].kind == "state") {
                EXPECT_EQ(events[0].state, c.state);
            }
        }
    }
}

TEST(MMNotificationClient, DefaultChangeNamesTheFlowAndSkipsAMissingDevice) {
    CMMNotificationClient client;
    RecordingListener l;
    client.AddListener(&l);
    client.OnDefaultDeviceChanged(eRender, eConsole, L"out");
    client.OnDefaultDeviceChanged(eCapture, eMultimedia, L"in");
    client.OnDefaultDeviceChanged(eRender, eMultimedia, nullptr);
    auto events = l.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].flow, L"eRender");
    EXPECT_EQ(events[0].id, L"out");
    EXPECT_EQ(events[1].flow, L"eCapture");
    EXPECT_EQ(events[1].id, L"in");
}

struct SelfRemover : RecordingListener {
    CMMNotificationClient* client = nullptr;
    void OnDeviceActive(const CEndpointInfo& i) override {
        RecordingListener::OnDeviceActive(i);
        client->RemoveListener(this);
    }
};

TEST(MMNotificationClient, ListenersMayLeaveDuringANotification) {
    CMMNotificationClient client;
    SelfRemover leaving;
    leaving.client = &client;
    RecordingListener staying;
    client.AddListener(&leaving);
    client.AddListener(&staying);
    client.OnDeviceStateChanged(L"a", DEVICE_STATE_ACTIVE);
    client.OnDeviceStateChanged(L"b", DEVICE_STATE_ACTIVE);
    EXPECT_EQ(leaving.Events().size(), 1u);
    EXPECT_EQ(staying.Events().size(), 2u);
}

TEST(MMNotificationClient, ReleaseToZeroLeavesTheEmbeddedClientAlive) {
    struct Holder {
        int before = 7;
        CMMNotificationClient client;
        int after = 9;
    } holder;
    EXPECT_EQ(holder.client.AddRef(), 2u);
    EXPECT_EQ(holder.client.Release(), 1u);
    EXPECT_EQ(holder.client.Release(), 0u);
    EXPECT_EQ(holder.client.Release(), 0u) << "the count does not wrap";
    RecordingListener l;
    holder.client.AddListener(&l);
    holder.client.OnDeviceStateChanged(L"x", DEVICE_STATE_ACTIVE);
    EXPECT_EQ(l.Events().size(), 1u);
}

}  // namespace
