// The first recording of a process, with a capture stream opened cold:
// the file holds the played tone in real time, from start to end, neither
// shortened by a late first block nor lengthened by silence counted twice.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"
#include "recorder_events_helper.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(ColdStartRecording, FirstRecordingHoldsTheToneForItsWholeLength) {
    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    ASSERT_TRUE(tone.Started());
    audio_test::ScratchFolder folder;
    audio_test::EventLog events;
    COutputRecorder recorder;
    recorder.settings.output_device = 1;
    recorder.settings.output_format = 1;  // wav: exact samples to measure
    recorder.settings.output_dir = Utf8ToWide(folder.path());
    recorder.settings.output_call = &events;

    const Clock::time_point before = Clock::now();
    recorder.Start();
    std::this_thread::sleep_for(3s);
    const double untilStop = std::chrono::duration<double>(Clock::now() - before).count();
    recorder.Stop();
    const double untilStopped = std::chrono::duration<double>(Clock::now() - before).count();

    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    const auto d = audio_test::DecodeFile(WideToUtf8(events.Events().back().path));
    ASSERT_TRUE(d.ok) << d.error;
    // Real time: no longer than the recording ran, and short of it only by
    // the stream's start-up and the last part-frame.
    EXPECT_LE(d.duration, untilStopped + 0.05);
    EXPECT_GE(d.duration, untilStop - 0.2);
    // The tone from the first tenth of a second to the end, without holes.
    const std::vector<short> loud = audio_test::LoudPart(d.mono, d.rate);
    EXPECT_GE(double(loud.size()) / d.rate, d.duration - 0.1)
        << "the file starts with " << d.duration - double(loud.size()) / d.rate << " s without the tone";
    EXPECT_EQ(audio_test::QuietBlocksInside(d.mono, d.rate), 0);
    EXPECT_NEAR(audio_test::DominantFrequency(loud, d.rate, 800, 1200), 1000, 6);
}

}  // namespace
