// Capture devices opened through the device server against the test
// PulseAudio daemon: listing, availability, resolution of names and
// placeholders, and the restart after a default-device change.
#include "audio/AudioDev.h"
#include "audio/CaptureDeviceMatch.h"
#include "audio/ServerAudioDev.h"
#include "collecting_sink_helper.h"
#include "pulse_tools_helper.h"
#include "win32/windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace audio_test;
using namespace std::chrono_literals;

namespace {

bool Listed(const std::vector<std::shared_ptr<CAudioDev>>& devices, const wchar_t* name, const wchar_t* id,
            int loopback) {
    return std::any_of(devices.begin(), devices.end(), [&](const std::shared_ptr<CAudioDev>& d) {
        return d->GetName() == name && d->GetId() == id && d->GetLoopback() == loopback;
    });
}

TEST(DeviceServer, ListsMicrophonesAndTwinsButNoRenderEndpoint) {
    auto devices = GetServerAudioDev()->GetDevices();
    EXPECT_TRUE(Listed(devices, L"speakers (loopback)", L"speakers", 1));
    EXPECT_TRUE(Listed(devices, L"microphone", L"microphone", 0));
    EXPECT_FALSE(Listed(devices, L"speakers", L"speakers", 0));
    EXPECT_FALSE(Listed(devices, L"speakers", L"speakers", 1));
    for (const auto& d : devices) {
        EXPECT_FALSE(d->IsOpened());
        EXPECT_EQ(d->GetChannels(), 0);
    }
}

TEST(DeviceServer, AvailabilityComparesNameAndIdExactly) {
    struct Case { const wchar_t* name; const wchar_t* id; bool available; } cases[] = {
        {L"__device_in_default", L"whatever", true},
        {L"__device_out_default", L"", true},
        {L"microphone", L"microphone", true},
        {L"speakers (loopback)", L"speakers", true},
        {L"speakers", L"speakers", false},  // the render endpoint itself is no capture device
        {L"micro", L"microphone", false},   // a part of a name is not enough here
        {L"microphone", L"speakers", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetServerAudioDev()->IsDeviceAvailable(c.name, c.id), c.available) << c.name << " / " << c.id;
}

TEST(DeviceServer, DefaultOutputPlaceholderOpensTheDefaultSinksTwin) {
    CountingTarget target;
    CAudioDev dev;  // name "__device_out_default", loopback 1 by default
    dev.SetTarget(&target, 1);
    ASSERT_EQ(GetServerAudioDev()->OpenDevice(&dev), 0);
    EXPECT_TRUE(dev.IsOpened());
    EXPECT_EQ(dev.GetOpenedId(), L"speakers");
    EXPECT_EQ(dev.GetOpenedLoopback(), 1);
    EXPECT_EQ(dev.GetName(), L"__device_out_default") << "the placeholder stays in the record";
    const int rate = dev.GetSampleRate();
    EXPECT_GT(rate, 0);
    EXPECT_EQ(dev.GetFramesPerBuffer(), rate / 100);
    EXPECT_EQ(dev.GetMsPerBuffer(), PacketMilliseconds(rate / 100, rate));
    EXPECT_EQ(dev.GetChannels(), dev.GetDeviceInfo().maxInputChannels);
    EXPECT_EQ(dev.GetDeviceInfo().name, "speakers (loopback)");

    EXPECT_EQ(GetServerAudioDev()->CloseDevice(&dev), 0);
    EXPECT_FALSE(dev.IsOpened());
    int frames, channels, ms, r;
    dev.GetFormat(frames, channels, ms, r);
    EXPECT_EQ(frames + channels + ms + r, 0) << "a closed device has no format";
}

TEST(DeviceServer, NamesSelectorsAndIdsPickTheDevice) {
    struct Case {
        const wchar_t* name;
        const wchar_t* id;
        int loopback;
        bool opens;
        const wchar_t* openedId;
    } cases[] = {
        {L"__device_in_default", L"", 0, true, L"microphone"},
        {L"micro", L"microphone", 0, true, L"microphone"},   // a part of the name matches
        {L"micro", L"microphone", 1, false, L""},            // ...but not as a twin
        {L"speakers (loopback)", L"speakers", 0, false, L""},  // a twin is no microphone
        {L"speakers", L"speakers", 1, true, L"speakers"},
        {L"microphone", L"wrong id", 0, false, L""},
    };
    for (const Case& c : cases) {
        CAudioDev dev;
        CountingTarget target;
        dev.SetName(c.name);
        dev.SetId(c.id);
        dev.SetLoopback(c.loopback);
        dev.SetTarget(&target, 0);
        testing::internal::CaptureStderr();
        int result = GetServerAudioDev()->OpenDevice(&dev);
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result == 0, c.opens) << c.name;
        EXPECT_EQ(dev.IsOpened(), c.opens) << c.name;
        EXPECT_EQ(dev.GetOpenedId(), c.openedId) << c.name;
        if (!c.opens) {
            EXPECT_NE(log.find("cannot open"), std::string::npos) << c.name;
            EXPECT_EQ(dev.GetChannels(), 0) << "a failed device must not pass for a silent one";
            EXPECT_TRUE(dev.IsWanted());
        }
        GetServerAudioDev()->CloseDevice(&dev);
    }
}

TEST(DeviceServer, OpenDeviceDeliversBlocksOfOneHundredthOfASecond) {
    CountingTarget target;
    CAudioDev dev;
    dev.SetName(L"microphone");
    dev.SetId(L"microphone");
    dev.SetLoopback(0);
    dev.SetTarget(&target, 0);
    ASSERT_EQ(GetServerAudioDev()->OpenDevice(&dev), 0);
    EXPECT_TRUE(Eventually([&] { return target.Blocks() >= 20; }));
    EXPECT_EQ(target.LastFrames(), dev.GetSampleRate() / 100);
    EXPECT_EQ(target.LastChannels(), dev.GetChannels());
    GetServerAudioDev()->CloseDevice(&dev);
    size_t blocks = target.Blocks();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(target.Blocks(), blocks) << "a closed device still delivers";
}

// A window of this thread that receives the device server's notices.
class ListenerWindow {
public:
    ListenerWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"DeviceServerTestListener";
        RegisterClassExW(&wc);
        hwnd = CreateWindowExW(0, L"DeviceServerTestListener", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
    }
    ~ListenerWindow() { DestroyWindow(hwnd); }
    int TakeDeviceNotices() {
        int n = 0;
        MSG msg;
        while (PeekMessageW(&msg, hwnd, UM_DEVICES_CHANGED, UM_DEVICES_CHANGED, PM_REMOVE)) ++n;
        return n;
    }
    HWND hwnd;
};

std::vector<int> OutputsOn(const std::string& source) {
    std::vector<int> out;
    for (const auto& [index, name] : SourceOutputs())
        if (name == source) out.push_back(index);
    return out;
}

TEST(DeviceServer, DefaultChangeReopensOnlyPlaceholderDevicesWhoseDefaultMoved) {
    ListenerWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    GetServerAudioDev()->AddListener(window.hwnd);

    CountingTarget t1, t2, t3;
    CAudioDev explicitMic, defaultIn, defaultOut;
    explicitMic.SetName(L"microphone");
    explicitMic.SetId(L"microphone");
    explicitMic.SetLoopback(0);
    explicitMic.SetTarget(&t1, 0);
    defaultIn.SetName(kDeviceInDefault);
    defaultIn.SetLoopback(0);
    defaultIn.SetTarget(&t2, 0);
    defaultOut.SetTarget(&t3, 1);
    ASSERT_EQ(GetServerAudioDev()->OpenDevice(&explicitMic), 0);
    ASSERT_EQ(GetServerAudioDev()->OpenDevice(&defaultIn), 0);
    ASSERT_EQ(GetServerAudioDev()->OpenDevice(&defaultOut), 0);
    std::vector<int> micStreams = OutputsOn("microphone");
    std::vector<int> speakerStreams = OutputsOn("speakers.monitor");
    ASSERT_EQ(micStreams.size(), 2u);
    ASSERT_EQ(speakerStreams.size(), 1u);

    ScopedModule newIn("module-null-source source_name=other_in description=other_in");
    ASSERT_TRUE(newIn.Loaded());
    Pactl("set-default-source other_in");
    EXPECT_TRUE(Eventually([&] { return defaultIn.GetOpenedId() == L"other_in"; }));
    EXPECT_TRUE(Eventually([&] { return window.TakeDeviceNotices() > 0; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(window.TakeDeviceNotices(), 0) << "one notice per change";

    // The explicit microphone kept its stream; the output twin was not touched.
    std::vector<int> micNow = OutputsOn("microphone");
    ASSERT_EQ(micNow.size(), 1u);
    EXPECT_NE(std::find(micStreams.begin(), micStreams.end(), micNow[0]), micStreams.end());
    EXPECT_EQ(OutputsOn("speakers.monitor"), speakerStreams);
    EXPECT_EQ(OutputsOn("other_in").size(), 1u);
    EXPECT_TRUE(explicitMic.IsOpened());
    EXPECT_TRUE(defaultIn.IsOpened());

    ScopedModule newOut("module-null-sink sink_name=other_out sink_properties=device.description=other_out");
    ASSERT_TRUE(newOut.Loaded());
    Pactl("set-default-sink other_out");
    EXPECT_TRUE(Eventually([&] { return defaultOut.GetOpenedId() == L"other_out"; }));
    EXPECT_TRUE(OutputsOn("speakers.monitor").empty());
    EXPECT_EQ(OutputsOn("other_out.monitor").size(), 1u);
    EXPECT_EQ(OutputsOn("microphone"), micNow);

    Pactl("set-default-sink speakers");
    Pactl("set-default-source microphone");
    EXPECT_TRUE(Eventually([&] {
        return defaultOut.GetOpenedId() == L"speakers" && defaultIn.GetOpenedId() == L"microphone";
    }));
    GetServerAudioDev()->RemoveListener(window.hwnd);
    for (CAudioDev* d : {&explicitMic, &defaultIn, &defaultOut}) GetServerAudioDev()->CloseDevice(d);
}

}  // namespace
