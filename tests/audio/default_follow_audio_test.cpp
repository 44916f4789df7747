// A new default output while two capture workers run: the one on
// "__device_out_default" follows it and hears what the new sink plays, the
// one on the speakers' twin by name keeps its stream and never misses a
// stretch, and a listener window with a message loop of its own is told.
#include "audio/AudioRecoder.h"
#include "audio/ServerAudioDev.h"
#include "listener_window_helper.h"
#include "pulse_tools_helper.h"
#include "win32/windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace audio_test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Keeps every packet with the moment it arrived.
class TimedSink : public IProcessCapture {
public:
    struct Packet {
        Clock::time_point at;
        int frames, channels, rate;
        std::vector<int16_t> samples;
        bool Audible() const {
            return std::any_of(samples.begin(), samples.end(), [](int16_t s) { return s != 0; });
        }
    };

    int OnCapture(CAudioPacket& p) override {
        std::lock_guard<std::mutex> lock(mutex_);
        packets_.push_back({Clock::now(), p.frames, p.channels, p.rate, p.samples});
        return 0;
    }
    std::vector<Packet> Packets() {
        std::lock_guard<std::mutex> lock(mutex_);
        return packets_;
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return packets_.size();
    }

private:
    std::mutex mutex_;
    std::vector<Packet> packets_;
};

// Audible packets from `first` on.
size_t AudibleFrom(const std::vector<TimedSink::Packet>& packets, size_t first) {
    size_t n = 0;
    for (size_t i = first; i < packets.size(); ++i) n += packets[i].Audible();
    return n;
}

// Over the last `count` audible packets: a player that fell behind for a
// moment leaves silent blocks, which say nothing about the tone.
double FrequencyOfLast(const std::vector<TimedSink::Packet>& packets, size_t count) {
    std::vector<short> mono;
    int rate = 0;
    for (auto p = packets.rbegin(); p != packets.rend() && count > 0; ++p) {
        if (!p->Audible()) continue;
        std::vector<short> ch = Channel({p->samples.begin(), p->samples.end()}, p->channels, 0);
        mono.insert(mono.begin(), ch.begin(), ch.end());
        rate = p->rate;
        --count;
    }
    return rate ? ZeroCrossingFrequency(mono, rate) : 0;
}

std::vector<int> OutputsOn(const std::string& source) {
    std::vector<int> out;
    for (const auto& [index, name] : SourceOutputs())
        if (name == source) out.push_back(index);
    return out;
}

TEST(DefaultFollow, PlaceholderWorkerFollowsTheNewDefaultWhileTheNamedTwinRunsOn) {
    ScopedModule newSink("module-null-sink sink_name=follow_out sink_properties=device.description=follow_out");
    ASSERT_TRUE(newSink.Loaded());
    TonePlayer speakersTone("speakers", 440, 0.5);
    TonePlayer newSinkTone("follow_out", 1000, 0.5);
    ASSERT_TRUE(speakersTone.Started());
    ASSERT_TRUE(newSinkTone.Started());

    ListenerThread listener;
    ASSERT_NE(listener.hwnd(), nullptr);
    GetServerAudioDev()->AddListener(listener.hwnd());

    TimedSink namedSink, followSink;
    CAudioRecoder named;
    named.Device().SetName(L"speakers (loopback)");
    named.Device().SetId(L"speakers");
    named.Device().SetLoopback(1);
    named.SetOutput(&namedSink, 1);
    ASSERT_EQ(named.Start(), 0);
    const std::vector<int> namedStream = OutputsOn("speakers.monitor");
    ASSERT_EQ(namedStream.size(), 1u);

    CAudioRecoder follower;  // "__device_out_default", loopback 1
    follower.SetOutput(&followSink, 1);
    ASSERT_EQ(follower.Start(), 0);
    EXPECT_EQ(follower.Device().GetOpenedId(), L"speakers");
    ASSERT_TRUE(Eventually([&] { return AudibleFrom(followSink.Packets(), 0) >= 30; }, 10s));
    EXPECT_NEAR(FrequencyOfLast(followSink.Packets(), 30), 440, 20) << "the speakers' tone before the change";

    const Clock::time_point changed = Clock::now();
    Pactl("set-default-sink follow_out");

    EXPECT_TRUE(Eventually([&] { return listener.Notices() > 0; }, 5s)) << "no 0x2F0E reached the window";
    ASSERT_TRUE(Eventually([&] { return follower.Device().GetOpenedId() == L"follow_out"; }, 5s))
        << "the default worker did not follow";
    const size_t followedFrom = followSink.Count();
    EXPECT_TRUE(Eventually([&] { return AudibleFrom(followSink.Packets(), followedFrom) >= 50; }, 10s));
    EXPECT_NEAR(FrequencyOfLast(followSink.Packets(), 30), 1000, 40) << "the new sink's tone";
    EXPECT_TRUE(follower.IsStarted());

    // Give the named twin a good stretch after the change to show it ran on.
    std::this_thread::sleep_until(changed + 2s);
    const Clock::time_point end = Clock::now();

    EXPECT_EQ(OutputsOn("speakers.monitor"), namedStream) << "the named twin's stream was reopened";
    EXPECT_EQ(OutputsOn("follow_out.monitor").size(), 1u);

    // Packets of the named twin track the clock across the change: one block
    // of 10 ms per 10 ms, no missing stretch, no long pause. Arrival times are
    // what is measured, and a loaded two-core machine delays a few hundred
    // milliseconds of them now and then; a reopened device is caught exactly
    // by the stream check above, so the bounds here leave room for that.
    auto packets = namedSink.Packets();
    ASSERT_FALSE(packets.empty());
    double seconds = 0;
    Clock::duration longestPause{};
    Clock::time_point previous{};
    for (const auto& p : packets) {
        if (p.at < changed || p.at > end) continue;
        seconds += double(p.frames) / p.rate;
        if (previous != Clock::time_point{}) longestPause = std::max(longestPause, p.at - previous);
        previous = p.at;
    }
    const double wall = std::chrono::duration<double>(end - changed).count();
    EXPECT_GT(seconds / wall, 0.75) << seconds << " s of audio in " << wall << " s";
    EXPECT_LT(seconds / wall, 1.25) << seconds << " s of audio in " << wall << " s";
    EXPECT_LT(longestPause, 600ms) << "the named twin paused for "
                                   << std::chrono::duration_cast<std::chrono::milliseconds>(longestPause).count()
                                   << " ms";

    EXPECT_EQ(listener.BadNotices(), 0) << "a notice with parameters, or off the window's thread";

    Pactl("set-default-sink speakers");
    EXPECT_TRUE(Eventually([&] { return follower.Device().GetOpenedId() == L"speakers"; }, 5s));
    GetServerAudioDev()->RemoveListener(listener.hwnd());
    follower.Stop();
    named.Stop();
}

}  // namespace
