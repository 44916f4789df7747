// The capture host against the test PulseAudio daemon: its device list, its
// streams and the failures a caller must see.
#include "capture-host/CaptureHost.h"
#include "monitor_reference_helper.h"
#include "pulse_tools_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace capture_host;
using namespace audio_test;
using namespace std::chrono_literals;

namespace {

struct Collector {
    std::mutex mutex;
    std::vector<short> samples;
    std::vector<unsigned long> blockFrames;
    int channels = 0;

    static int Callback(const short* input, unsigned long frames, void* user) {
        auto* c = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> lock(c->mutex);
        c->blockFrames.push_back(frames);
        c->samples.insert(c->samples.end(), input, input + frames * c->channels);
        return Continue;
    }
    size_t Blocks() {
        std::lock_guard<std::mutex> lock(mutex);
        return blockFrames.size();
    }
};

int FindDevice(const DeviceList& list, const std::string& id, bool loopback) {
    for (size_t i = 0; i < list.devices.size(); ++i)
        if (list.devices[i].id == id && list.devices[i].loopback == loopback) return int(i);
    return -1;
}

class CaptureHostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Initialize(), NoError) << "no PulseAudio server for the test"; }
    void TearDown() override { Terminate(); }

    DeviceList List() {
        DeviceList list;
        EXPECT_EQ(ListDevices(list), NoError);
        return list;
    }

    // Records from `device` at its own format until `blocks` blocks have
    // come. A null sink or a virtual source may hold its first audio back for
    // up to its default latency (2 s) before it follows the 10 ms asked for,
    // hence the generous limit.
    void Capture(const DeviceInfo& device, Collector& c, size_t blocks) {
        c.channels = device.maxInputChannels;
        Stream* stream = nullptr;
        ASSERT_EQ(OpenInputStream(&stream, device, c.channels, device.defaultSampleRate, 0,
                                  &Collector::Callback, &c),
                  NoError);
        ASSERT_EQ(StartStream(stream), NoError);
        auto limit = std::chrono::steady_clock::now() + 10s;
        while (c.Blocks() < blocks && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(20ms);
        EXPECT_EQ(StopStream(stream), NoError);
        EXPECT_EQ(CloseStream(stream), NoError);
    }

    // The captured tone: every block one hundredth of a second, the
    // frequency and the level of a sine of amplitude 0.5 recognisable.
    // With `played` (what the sink really played, captured beside it, and
    // `ended`, when the capture stopped), a quiet 10 ms block in the tail is
    // the tone player's when the sink's own output faltered within a second
    // of it (a player starved on a loaded machine runs dry), and is left out
    // of the measure; any other quiet block is the capture's and fails.
    void ExpectTone(const DeviceInfo& device, Collector& c, double frequency,
                    const MonitorReference* played = nullptr,
                    std::chrono::steady_clock::time_point ended = {}) {
        const unsigned long expected = static_cast<unsigned long>(device.defaultSampleRate) / 100;
        ASSERT_GE(c.blockFrames.size(), 150u);
        for (unsigned long f : c.blockFrames) ASSERT_EQ(f, expected);
        std::vector<short> mono = Channel(c.samples, c.channels, 0);
        // The last half second: the tone was playing well before capture began.
        std::vector<short> tail(mono.end() - static_cast<long>(device.defaultSampleRate / 2), mono.end());
        if (played) {
            const std::vector<MonitorReference::Clock::time_point> faltered = played->QuietBlocks(1000, 0);
            std::vector<short> loud;
            std::string quiet, explained;
            const size_t block = expected;
            for (size_t at = 0; at + block <= tail.size(); at += block) {
                const std::vector<short> part(tail.begin() + at, tail.begin() + at + block);
                if (Rms(part) >= 1000) {
                    loud.insert(loud.end(), part.begin(), part.end());
                    continue;
                }
                const auto when = ended - std::chrono::microseconds(
                    1000000LL * static_cast<long long>(tail.size() - at) / expected / 100);
                const bool tones = std::any_of(faltered.begin(), faltered.end(), [&](auto f) {
                    return f - when < 1s && when - f < 1s;
                });
                (tones ? explained : quiet) += " " + std::to_string(at / block);
            }
            EXPECT_TRUE(quiet.empty()) << "quiet blocks of the tail:" << quiet;
            if (!explained.empty()) std::printf("quiet where the played tone faltered (blocks):%s\n", explained.c_str());
            tail = loud;
            ASSERT_GT(tail.size(), expected * 25) << "the tone faltered for most of the tail";
        }
        EXPECT_NEAR(ZeroCrossingFrequency(tail, device.defaultSampleRate), frequency, frequency * 0.02);
        EXPECT_NEAR(Rms(tail), 0.5 * 32767 / std::sqrt(2.0), 0.5 * 32767 / std::sqrt(2.0) * 0.2);
    }
};

TEST_F(CaptureHostTest, ListsEachRenderEndpointFollowedByItsTwinAndThenTheMicrophones) {
    DeviceList list = List();
    int speakers = FindDevice(list, "speakers", false);
    ASSERT_GE(speakers, 0);
    ASSERT_LT(speakers + 1, int(list.devices.size()));
    const DeviceInfo& render = list.devices[speakers];
    const DeviceInfo& twin = list.devices[speakers + 1];
    EXPECT_EQ(render.name, "speakers");
    EXPECT_EQ(render.maxInputChannels, 0);
    EXPECT_GT(render.maxOutputChannels, 0);
    EXPECT_EQ(twin.name, "speakers (loopback)");
    EXPECT_EQ(twin.id, "speakers");
    EXPECT_TRUE(twin.loopback);
    EXPECT_EQ(twin.maxInputChannels, render.maxOutputChannels);
    EXPECT_EQ(twin.maxOutputChannels, 0);
    EXPECT_EQ(twin.defaultSampleRate, render.defaultSampleRate);
    EXPECT_EQ(twin.defaultLowInputLatency, render.defaultLowOutputLatency);

    int microphone = FindDevice(list, "microphone", false);
    ASSERT_GT(microphone, speakers + 1);
    EXPECT_EQ(list.devices[microphone].name, "microphone");
    EXPECT_GT(list.devices[microphone].maxInputChannels, 0);
    EXPECT_EQ(list.defaultOutputDevice, speakers);
    EXPECT_EQ(list.defaultInputDevice, microphone);

    // Render endpoints each come with their twin right after them, and no
    // monitor source passes for a microphone.
    for (size_t i = 0; i < list.devices.size(); ++i) {
        const DeviceInfo& d = list.devices[i];
        EXPECT_EQ(d.id.find(".monitor"), std::string::npos) << d.id;
        if (d.maxOutputChannels > 0) {
            ASSERT_LT(i + 1, list.devices.size());
            EXPECT_TRUE(list.devices[i + 1].loopback);
            EXPECT_EQ(list.devices[i + 1].id, d.id);
        }
    }
}

TEST_F(CaptureHostTest, ListingFollowsDevicesAddedAndRemovedAfterInitialisation) {
    auto late = std::make_unique<ScopedModule>(
        "module-null-sink sink_name=late_sink sink_properties=device.description=late");
    ASSERT_TRUE(late->Loaded());
    DeviceList list = List();
    int i = FindDevice(list, "late_sink", false);
    ASSERT_GE(i, 0);
    EXPECT_EQ(list.devices[i].name, "late");
    EXPECT_EQ(list.devices[i + 1].name, "late (loopback)");

    late.reset();
    list = List();
    EXPECT_EQ(FindDevice(list, "late_sink", false), -1);
    EXPECT_EQ(FindDevice(list, "late_sink", true), -1);
}

TEST_F(CaptureHostTest, TwinCapturesTheToneTheSinkPlays) {
    TonePlayer tone("speakers", 440, 0.5);
    ASSERT_TRUE(tone.Started());
    std::this_thread::sleep_for(300ms);
    DeviceList list = List();
    int twin = FindDevice(list, "speakers", true);
    ASSERT_GE(twin, 0);
    Collector c;
    Capture(list.devices[twin], c, 150);
    ExpectTone(list.devices[twin], c, 440);
}

TEST_F(CaptureHostTest, RemappedSourceIsCapturedAsAMicrophoneWithItsOwnTone) {
    ScopedModule feed("module-null-sink sink_name=tone_feed sink_properties=device.description=feed");
    ScopedModule mic("module-remap-source master=tone_feed.monitor source_name=tone_mic "
                     "source_properties=device.description=tone_mic");
    ASSERT_TRUE(feed.Loaded() && mic.Loaded());
    TonePlayer tone("tone_feed", 1000, 0.5);
    TonePlayer other("speakers", 440, 0.5);  // must not leak into the microphone
    ASSERT_TRUE(tone.Started());
    std::this_thread::sleep_for(300ms);

    DeviceList list = List();
    int i = FindDevice(list, "tone_mic", false);
    ASSERT_GE(i, 0);
    EXPECT_EQ(list.devices[i].name, "tone_mic");
    EXPECT_EQ(FindDevice(list, "tone_feed.monitor", false), -1);
    // The remapped source follows the feed's monitor: what the feed played
    // is the reference for a falter of the tone player.
    MonitorReference played("tone_feed.monitor", 48000);
    ASSERT_TRUE(played.Started()) << played.Error();
    Collector c;
    Capture(list.devices[i], c, 150);
    const auto ended = std::chrono::steady_clock::now();
    played.Stop();
    ExpectTone(list.devices[i], c, 1000, &played, ended);
}

TEST_F(CaptureHostTest, StoppedStreamDeliversNothingUntilStartedAgain) {
    DeviceList list = List();
    int mic = FindDevice(list, "microphone", false);
    ASSERT_GE(mic, 0);
    const DeviceInfo& d = list.devices[mic];
    Collector c;
    c.channels = d.maxInputChannels;
    Stream* stream = nullptr;
    ASSERT_EQ(OpenInputStream(&stream, d, c.channels, d.defaultSampleRate, 0, &Collector::Callback, &c),
              NoError);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(c.Blocks(), 0u) << "a stream opened but not started delivers";
    ASSERT_EQ(StartStream(stream), NoError);
    EXPECT_EQ(StartStream(stream), StreamNotStopped);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(IsStreamActive(stream), 1);
    ASSERT_EQ(StopStream(stream), NoError);
    size_t afterStop = c.Blocks();
    EXPECT_GT(afterStop, 5u);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(c.Blocks(), afterStop);
    EXPECT_EQ(IsStreamActive(stream), 0);
    ASSERT_EQ(StartStream(stream), NoError);
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(c.Blocks(), afterStop);
    EXPECT_EQ(CloseStream(stream), NoError);
    EXPECT_EQ(CloseStream(stream), BadStreamPtr);
}

TEST_F(CaptureHostTest, VanishedDeviceEndsItsStreamWithoutMovingIt) {
    ScopedModule sink("module-null-sink sink_name=short_lived sink_properties=device.description=short");
    ASSERT_TRUE(sink.Loaded());
    DeviceList list = List();
    int twin = FindDevice(list, "short_lived", true);
    ASSERT_GE(twin, 0);
    Collector c;
    c.channels = list.devices[twin].maxInputChannels;
    Stream* stream = nullptr;
    ASSERT_EQ(OpenInputStream(&stream, list.devices[twin], c.channels,
                              list.devices[twin].defaultSampleRate, 0, &Collector::Callback, &c),
              NoError);
    ASSERT_EQ(StartStream(stream), NoError);
    std::this_thread::sleep_for(200ms);
    testing::internal::CaptureStderr();
    sink.Unload();
    std::this_thread::sleep_for(200ms);
    size_t blocks = c.Blocks();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(c.Blocks(), blocks) << "the stream moved to another device";
    EXPECT_EQ(IsStreamActive(stream), 0);
    EXPECT_EQ(CloseStream(stream), NoError);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("short"), std::string::npos);
}

TEST_F(CaptureHostTest, RefusedOpensAreReportedAndLogged) {
    DeviceList list = List();
    int mic = FindDevice(list, "microphone", false);
    ASSERT_GE(mic, 0);
    const DeviceInfo good = list.devices[mic];
    DeviceInfo noId = good;
    noId.id.clear();
    DeviceInfo gone = good;
    gone.id = "no_such_source";
    DeviceInfo goneTwin = list.devices[FindDevice(list, "speakers", true)];
    goneTwin.id = "no_such_sink";
    Collector c;
    struct Case {
        const char* what;
        const DeviceInfo* device;
        int channels;
        double rate;
        StreamCallback callback;
        int expected;
    } cases[] = {
        {"no channels", &good, 0, good.defaultSampleRate, &Collector::Callback, InvalidChannelCount},
        {"too many channels", &good, good.maxInputChannels + 1, good.defaultSampleRate,
         &Collector::Callback, InvalidChannelCount},
        {"no rate", &good, 1, 0, &Collector::Callback, InvalidSampleRate},
        {"no callback", &good, 1, good.defaultSampleRate, nullptr, NullCallback},
        {"no endpoint id", &noId, 1, good.defaultSampleRate, &Collector::Callback, InvalidDevice},
        {"source gone", &gone, 1, good.defaultSampleRate, &Collector::Callback, DeviceUnavailable},
        {"render endpoint gone", &goneTwin, 1, good.defaultSampleRate, &Collector::Callback,
         DeviceUnavailable},
    };
    for (const Case& k : cases) {
        Stream* stream = reinterpret_cast<Stream*>(&c);
        testing::internal::CaptureStderr();
        EXPECT_EQ(OpenInputStream(&stream, *k.device, k.channels, k.rate, 0, k.callback, &c), k.expected)
            << k.what;
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(stream, nullptr) << k.what;
        if (k.expected != NullCallback) {
            EXPECT_NE(log.find("cannot open"), std::string::npos) << k.what;
        }
    }
    EXPECT_EQ(StartStream(nullptr), BadStreamPtr);
    EXPECT_EQ(StopStream(reinterpret_cast<Stream*>(&c)), BadStreamPtr);
}

TEST(CaptureHostLifetime, InitialisationsAreCounted) {
    ASSERT_EQ(Initialize(), NoError);
    ASSERT_EQ(Initialize(), NoError);
    DeviceList list;
    EXPECT_EQ(Terminate(), NoError);
    EXPECT_EQ(ListDevices(list), NoError) << "one initialisation is still held";
    EXPECT_EQ(Terminate(), NoError);
    EXPECT_EQ(ListDevices(list), NotInitialized);
    EXPECT_EQ(Terminate(), NotInitialized);
}

TEST(CaptureHostLifetime, TerminateClosesStreamsLeftOpen) {
    ASSERT_EQ(Initialize(), NoError);
    DeviceList list;
    ASSERT_EQ(ListDevices(list), NoError);
    int twin = FindDevice(list, "speakers", true);
    ASSERT_GE(twin, 0);
    Collector c;
    c.channels = list.devices[twin].maxInputChannels;
    Stream* stream = nullptr;
    ASSERT_EQ(OpenInputStream(&stream, list.devices[twin], c.channels,
                              list.devices[twin].defaultSampleRate, 0, &Collector::Callback, &c),
              NoError);
    ASSERT_EQ(StartStream(stream), NoError);
    EXPECT_EQ(Terminate(), NoError);
    size_t blocks = c.Blocks();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(c.Blocks(), blocks);
    EXPECT_EQ(StopStream(stream), BadStreamPtr);
}

TEST(CaptureHostLifetime, MissingServerIsReportedAndLogged) {
    const char* saved = std::getenv("PULSE_SERVER");
    std::string keep = saved ? saved : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/quorvale-test/native", 1);
    testing::internal::CaptureStderr();
    int result = Initialize();
    std::string log = testing::internal::GetCapturedStderr();
    if (saved) setenv("PULSE_SERVER", keep.c_str(), 1);
    else unsetenv("PULSE_SERVER");
    EXPECT_EQ(result, HostUnavailable);
    EXPECT_NE(log.find("cannot connect to the PulseAudio server"), std::string::npos) << log;
    DeviceList list;
    EXPECT_EQ(ListDevices(list), NotInitialized);
    EXPECT_EQ(Terminate(), NotInitialized) << "a failed initialisation holds nothing";
}

}  // namespace
