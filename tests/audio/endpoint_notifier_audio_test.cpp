// Endpoint notifications from the test PulseAudio daemon reaching the
// program's listeners.
#include "audio/DeviceNotifier.h"
#include "pulse_tools_helper.h"
#include "recording_listener_helper.h"

#include <gtest/gtest.h>

#include <thread>

using namespace audio_test;
using namespace std::chrono_literals;

namespace {

class EndpointNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        CDeviceNotifier* n = GetDeviceNotifier();
        ASSERT_NE(n, nullptr);
        ASSERT_NE(n->enumerator, nullptr) << "no PulseAudio server for the test";
        AddDeviceListener(&listener);
    }
    void TearDown() override {
        Pactl("set-default-sink speakers");
        Pactl("set-default-source microphone");
        RemoveDeviceListener(&listener);
        ReleaseDeviceNotifier();
    }
    RecordingListener listener;
};

auto Is(const char* kind, const wchar_t* id, const wchar_t* flow = nullptr) {
    return [=](const HeardEvent& e) {
        return e.kind == kind && e.id == id && (!flow || e.flow == flow);
    };
}

TEST_F(EndpointNotifierTest, NewDefaultSinkIsReportedOncePerChangeWithItsName) {
    ScopedModule sink("module-null-sink sink_name=notify_sink sink_properties=device.description=Notify");
    ASSERT_TRUE(sink.Loaded());
    ASSERT_TRUE(listener.WaitFor(Is("active", L"notify_sink")));
    EXPECT_EQ(listener.Count(Is("active", L"notify_sink.monitor")), 0) << "a monitor is no endpoint";

    Pactl("set-default-sink notify_sink");
    ASSERT_TRUE(listener.WaitFor(Is("default", L"notify_sink", L"eRender")));
    std::this_thread::sleep_for(300ms);  // a second report would arrive by now
    EXPECT_EQ(listener.Count(Is("default", L"notify_sink", L"eRender")), 1);
    EXPECT_EQ(listener.Count([](const HeardEvent& e) { return e.kind == "default" && e.flow == L"eCapture"; }), 0);
    for (const HeardEvent& e : listener.Events()) {
        if (e.id == L"notify_sink") {
            EXPECT_EQ(e.name, L"Notify");
        }
    }

    Pactl("set-default-sink speakers");
    ASSERT_TRUE(listener.WaitFor(Is("default", L"speakers", L"eRender")));
    sink.Unload();
    ASSERT_TRUE(listener.WaitFor(Is("unplugged", L"notify_sink")));
    for (const HeardEvent& e : listener.Events()) {
        if (e.kind == "unplugged") {
            EXPECT_EQ(e.name, L"Notify") << "the name is still known at removal";
        }
    }
}

TEST_F(EndpointNotifierTest, NewDefaultSourceIsReportedAsCapture) {
    ScopedModule source("module-null-source source_name=notify_source description=NotifyIn");
    ASSERT_TRUE(source.Loaded());
    ASSERT_TRUE(listener.WaitFor(Is("active", L"notify_source")));
    Pactl("set-default-source notify_source");
    ASSERT_TRUE(listener.WaitFor(Is("default", L"notify_source", L"eCapture")));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(listener.Count(Is("default", L"notify_source", L"eCapture")), 1);
    EXPECT_EQ(listener.Count([](const HeardEvent& e) { return e.kind == "default" && e.flow == L"eRender"; }), 0);
}

TEST_F(EndpointNotifierTest, NothingArrivesAfterTheNotifierIsReleased) {
    ReleaseDeviceNotifier();  // with the listener still registered
    {
        ScopedModule sink("module-null-sink sink_name=unheard_sink");
        ASSERT_TRUE(sink.Loaded());
        std::this_thread::sleep_for(300ms);
    }
    EXPECT_EQ(listener.Count(Is("active", L"unheard_sink")), 0);

    // A new notifier starts afresh, with an empty listener list.
    RecordingListener late;
    AddDeviceListener(&late);
    ScopedModule sink("module-null-sink sink_name=heard_sink");
    EXPECT_TRUE(late.WaitFor(Is("active", L"heard_sink")));
    EXPECT_EQ(listener.Count(Is("active", L"heard_sink")), 0);
    RemoveDeviceListener(&late);
}

}  // namespace
