// One device turned into a steady packet stream: real blocks, clock-paced
// silence of the device's own format, and failures the owner sees.
#include "audio/AudioRecoder.h"
#include "audio/CaptureDeviceMatch.h"
#include "collecting_sink_helper.h"
#include "pulse_tools_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

using namespace audio_test;
using namespace std::chrono_literals;

namespace {

// Keeps when each block arrived and how long it was.
class TimedSink : public IProcessCapture {
public:
    struct Arrival {
        std::chrono::steady_clock::time_point at;
        int frames;
    };
    int OnCapture(CAudioPacket& packet) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!std::all_of(packet.samples.begin(), packet.samples.end(), [](int16_t s) { return s == 0; }))
            arrivals_.push_back({std::chrono::steady_clock::now(), packet.frames});
        changed_.notify_all();
        return 0;
    }
    // Waits for `n` audible blocks.
    bool WaitFor(size_t n, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return arrivals_.size() >= n; });
    }
    std::vector<Arrival> Arrivals() {
        std::lock_guard<std::mutex> lock(mutex_);
        return arrivals_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Arrival> arrivals_;
};

void ExpectOneFormat(const std::vector<PacketFacts>& packets, int frames, int channels, int rate, int ms, int tag) {
    for (const PacketFacts& p : packets) {
        ASSERT_EQ(p.frames, frames);
        ASSERT_EQ(p.channels, channels);
        ASSERT_EQ(p.rate, rate);
        ASSERT_EQ(p.ms, ms);
        ASSERT_EQ(p.tag, tag);
    }
}

TEST(CaptureWorker, TwinDeliversThePlayedToneAndSilenceInTheSameFormat) {
    TonePlayer tone("speakers", 440, 0.5);
    ASSERT_TRUE(tone.Started());
    CollectingSink sink;
    CAudioRecoder rec;  // "__device_out_default", loopback 1
    rec.SetOutput(&sink, 1);
    ASSERT_EQ(rec.Start(), 0);
    EXPECT_TRUE(rec.IsStarted());
    const int rate = rec.Device().GetSampleRate();
    const int channels = rec.Device().GetChannels();
    EXPECT_TRUE(sink.WaitForPackets(50, 10s, true)) << "the tone never arrived";
    rec.Stop();
    EXPECT_FALSE(rec.IsStarted());
    ExpectOneFormat(sink.Packets(), rate / 100, channels, rate, PacketMilliseconds(rate / 100, rate), 1);
}

TEST(CaptureWorker, QuietDeviceGetsSilencePacedByFramesOverRate) {
    // A suspended sink at 22050 Hz: its twin opens, and delivers nothing.
    ScopedModule slow("module-null-sink sink_name=slow_sink rate=22050 sink_properties=device.description=slow");
    ASSERT_TRUE(slow.Loaded());
    Pactl("suspend-sink slow_sink 1");
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(L"slow");
    rec.Device().SetId(L"slow_sink");
    rec.Device().SetLoopback(1);
    rec.SetOutput(&sink, 1);
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(rec.Start(), 0);
    std::this_thread::sleep_for(3s);
    rec.Stop();
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    auto packets = sink.Packets();
    ASSERT_FALSE(packets.empty());
    ExpectOneFormat(packets, 220, 2, 22050, 9, 1);
    EXPECT_EQ(sink.CountAudible(), 0u);
    // 220 frames last 9.98 ms: pacing by the 9 whole milliseconds would give
    // about 11% too much.
    double seconds = packets.size() * 220 / 22050.0;
    EXPECT_GT(seconds / elapsed, 0.9);
    EXPECT_LT(seconds / elapsed, 1.04);
}

TEST(CaptureWorker, DataEndsTheSilenceAtOnce) {
    ScopedModule quiet("module-null-sink sink_name=quiet_sink sink_properties=device.description=quiet");
    ASSERT_TRUE(quiet.Loaded());
    Pactl("suspend-sink quiet_sink 1");
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(L"quiet");
    rec.Device().SetId(L"quiet_sink");
    rec.Device().SetLoopback(1);
    rec.SetOutput(&sink, 0);
    ASSERT_EQ(rec.Start(), 0);
    // Silence for an open device is held back in case its audio comes late,
    // and handed on once it has stood for longer than the server keeps.
    ASSERT_TRUE(sink.WaitForPackets(20, 10s)) << "no silence while the device was quiet";
    Pactl("suspend-sink quiet_sink 0");
    TonePlayer tone("quiet_sink", 440, 0.5);
    EXPECT_TRUE(sink.WaitForPackets(50, 10s, true)) << "real blocks did not come through";
    rec.Stop();
}

TEST(CaptureWorker, LateBlocksTakeThePlaceOfTheSilenceThatStoodForThem) {
    ScopedModule quiet("module-null-sink sink_name=late_sink sink_properties=device.description=late");
    ASSERT_TRUE(quiet.Loaded());
    Pactl("suspend-sink late_sink 1");
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(L"late");
    rec.Device().SetId(L"late_sink");
    rec.Device().SetLoopback(1);
    rec.SetOutput(&sink, 1);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(rec.Start(), 0);
    const int rate = rec.Device().GetSampleRate();
    const int channels = rec.Device().GetChannels();
    const int frames = rate / 100;
    const int ms = PacketMilliseconds(frames, rate);
    const std::vector<int16_t> block(static_cast<size_t>(frames) * channels, 1000);

    // The device holds its first blocks back for longer than the worker
    // waits before silence stands in, and then hands 0.8 s over at once:
    // audio of the stretch the silence stood for.
    std::this_thread::sleep_for(std::chrono::milliseconds(kCaptureSilenceAfterMs + 400));
    for (int i = 0; i < 80; ++i) rec.OnAudioData(block.data(), frames, channels, rate, ms, 1);
    // Then it delivers on time for a second.
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {
        next += std::chrono::microseconds(1000000 * frames / rate);
        std::this_thread::sleep_until(next);
        rec.OnAudioData(block.data(), frames, channels, rate, ms, 1);
    }
    std::this_thread::sleep_for(50ms);
    rec.Stop();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const std::vector<PacketFacts> packets = sink.Packets();
    double seconds = 0;
    for (const PacketFacts& p : packets) seconds += double(p.frames) / p.rate;
    EXPECT_LE(seconds, elapsed + 0.05) << "the stream ran ahead of the clock: a stretch is in it twice";
    EXPECT_GE(seconds, elapsed - 0.15);
    // Every block reaches the listener, the late ones in place of silence:
    // what silence is left lies before them, where the device gave nothing.
    EXPECT_EQ(sink.CountAudible(), 180u);
    const auto firstAudible =
        std::find_if(packets.begin(), packets.end(), [](const PacketFacts& p) { return !p.silent; });
    EXPECT_TRUE(std::none_of(firstAudible, packets.end(), [](const PacketFacts& p) { return p.silent; }))
        << "silence was handed on after late audio that took its place";
}

TEST(CaptureWorker, BlocksHeldBackForLessThanTheWaitAreAllKeptWithoutSilence) {
    ScopedModule quiet("module-null-sink sink_name=lagging_sink sink_properties=device.description=lagging");
    ASSERT_TRUE(quiet.Loaded());
    Pactl("suspend-sink lagging_sink 1");
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(L"lagging");
    rec.Device().SetId(L"lagging_sink");
    rec.Device().SetLoopback(1);
    rec.SetOutput(&sink, 1);
    ASSERT_EQ(rec.Start(), 0);
    const int rate = rec.Device().GetSampleRate();
    const int channels = rec.Device().GetChannels();
    const int frames = rate / 100;
    const int ms = PacketMilliseconds(frames, rate);
    const std::vector<int16_t> block(static_cast<size_t>(frames) * channels, 1000);

    // A second behind (a source that follows another, on a loaded machine),
    // then the whole second at once and on time after it: well inside the
    // worker's wait, so all of it is real audio and none is stood in for.
    std::this_thread::sleep_for(1000ms);
    for (int i = 0; i < 100; ++i) rec.OnAudioData(block.data(), frames, channels, rate, ms, 1);
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) {
        next += std::chrono::microseconds(1000000 * frames / rate);
        std::this_thread::sleep_until(next);
        rec.OnAudioData(block.data(), frames, channels, rate, ms, 1);
    }
    ASSERT_TRUE(sink.WaitForPackets(150, 5s, true));
    rec.Stop();
    EXPECT_EQ(sink.CountAudible(), 150u);
    EXPECT_EQ(sink.Count(), 150u) << "silence stood in for a source that was only late";
}

// What the waveform and the recorder receive from a capture: blocks of one
// hundredth of a second, handed on a fragment at a time, so the worker and
// its listener wake ten times a second rather than for every block.
TEST(CaptureWorker, HandsOnTenMillisecondBlocksInBurstsOfAFragment) {
    TonePlayer tone("speakers", 440, 0.5);
    ASSERT_TRUE(tone.Started());
    TimedSink sink;
    CAudioRecoder rec;  // the default output's loopback twin
    rec.SetOutput(&sink, 1);
    ASSERT_EQ(rec.Start(), 0);
    const int rate = rec.Device().GetSampleRate();
    ASSERT_TRUE(sink.WaitFor(300, 15s)) << "the tone's blocks did not come";
    rec.Stop();

    const std::vector<TimedSink::Arrival> arrivals = sink.Arrivals();
    std::vector<int> bursts;  // blocks that came together (within 5 ms of each other)
    for (size_t i = 0; i < arrivals.size(); ++i) {
        ASSERT_EQ(arrivals[i].frames, rate / 100) << "block " << i;
        if (i == 0 || arrivals[i].at - arrivals[i - 1].at > 5ms) bursts.push_back(0);
        ++bursts.back();
    }
    // The first burst may be a partial fragment, and a worker held up on a
    // loaded machine may take two fragments at once: the typical burst is
    // a fragment's ten blocks (eleven when the server's chunks leave a
    // remainder that completes one more).
    ASSERT_GE(bursts.size(), 5u);
    std::vector<int> sorted(bursts.begin() + 1, bursts.end());
    std::sort(sorted.begin(), sorted.end());
    const int median = sorted[sorted.size() / 2];
    EXPECT_GE(median, 10);
    EXPECT_LE(median, 11);
}

TEST(CaptureWorker, FailedOpenIsReportedAndMakesNoSilence) {
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(L"no such device");
    rec.Device().SetId(L"nothing");
    rec.Device().SetLoopback(0);
    rec.SetOutput(&sink, 0);
    testing::internal::CaptureStderr();
    int result = rec.Start();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(result, 0);
    EXPECT_NE(log.find("cannot open \"no such device\""), std::string::npos) << log;
    // The worker waits for a format that never comes; it must not spin.
    const std::clock_t cpuBefore = std::clock();
    std::this_thread::sleep_for(1s);
    const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_LT(cpu, 0.3) << "the worker busy-waits while its device has no format";
    EXPECT_EQ(sink.Count(), 0u) << "a device that failed must not record 48000 Hz silence";
    EXPECT_EQ(rec.Stop(), 0);
}

TEST(CaptureWorker, RestartKeepsTheWorkerAndFollowsTheNewDevice) {
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(L"microphone");
    rec.Device().SetId(L"microphone");
    rec.Device().SetLoopback(0);
    rec.SetOutput(&sink, 0);
    ASSERT_EQ(rec.Start(), 0);
    ASSERT_TRUE(sink.WaitForPackets(10, 5s));
    TonePlayer tone("speakers", 440, 0.5);
    rec.Device().SetName(kDeviceOutDefault);
    rec.Device().SetId(L"");
    rec.Device().SetLoopback(1);
    EXPECT_EQ(rec.Restart(), 0);
    EXPECT_EQ(rec.Device().GetOpenedId(), L"speakers");
    EXPECT_TRUE(rec.IsStarted());
    EXPECT_TRUE(sink.WaitForPackets(50, 10s, true));
    rec.Stop();
}

TEST(CaptureWorker, StopRightAfterStartEndsEverything) {
    CollectingSink sink;
    CAudioRecoder rec;
    rec.SetOutput(&sink, 1);
    ASSERT_EQ(rec.Start(), 0);
    EXPECT_EQ(rec.Stop(), 0);
    EXPECT_FALSE(rec.IsStarted());
    EXPECT_FALSE(rec.Device().IsOpened());
    size_t n = sink.Count();
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(sink.Count(), n);
    // And it can start again.
    ASSERT_EQ(rec.Start(), 0);
    EXPECT_TRUE(rec.Device().IsOpened());
    rec.Stop();
}

}  // namespace
