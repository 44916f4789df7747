// The recorder's clock against the test PulseAudio daemon: the elapsed time
// it shows and the times its files are named by follow the capture of the
// audio, not its later arrival at the encoder.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"
#include "recorder_events_helper.h"

namespace {

using namespace std::chrono_literals;
using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;

double Seconds(SteadyClock::duration d) { return std::chrono::duration<double>(d).count(); }

// The local time a recording's file name gives, e.g.
// ".../2026-12-11__19-31-02-0457.wav"; false for another name.
bool TimeFromName(const std::string& path, SystemClock::time_point& time) {
    static const std::regex pattern(R"((\d{4})-(\d\d)-(\d\d)__(\d\d)-(\d\d)-(\d\d)-(\d{4})\.\w+$)");
    std::smatch m;
    if (!std::regex_search(path, m, pattern)) return false;
    std::tm local{};
    local.tm_year = std::stoi(m[1]) - 1900;
    local.tm_mon = std::stoi(m[2]) - 1;
    local.tm_mday = std::stoi(m[3]);
    local.tm_hour = std::stoi(m[4]);
    local.tm_min = std::stoi(m[5]);
    local.tm_sec = std::stoi(m[6]);
    local.tm_isdst = -1;
    time = SystemClock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(std::stoi(m[7]));
    return true;
}

double SecondsBetween(SystemClock::time_point from, SystemClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Sound playing, or none: a silent source hands on nothing until it stands
// in silence for it, seconds later, and the encoder waits for it.
class RecordingClockTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        if (GetParam()) {
            tone = std::make_unique<audio_test::TonePlayer>("speakers", 1000, 0.4);
            ASSERT_TRUE(tone->Started());
        }
        recorder.settings.output_dir = Utf8ToWide(folder.path());
        recorder.settings.output_format = 1;  // wav: exact sample counts
        recorder.settings.output_device = 1;
        recorder.settings.output_call = &events;
    }
    void TearDown() override {
        recorder.Stop();
        tone.reset();
    }

    std::unique_ptr<audio_test::TonePlayer> tone;
    audio_test::ScratchFolder folder;
    audio_test::EventLog events;
    COutputRecorder recorder;
};

// The time shown runs with the audio captured, not behind it by what is
// still between the server and the file; and it is what the file holds at
// the stop.
TEST_P(RecordingClockTest, ElapsedTimeKeepsUpWithTheCaptureAndMatchesTheFile) {
    const SteadyClock::time_point called = SteadyClock::now();
    recorder.Start();
    const SteadyClock::time_point started = SteadyClock::now();
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(500ms);
        const SteadyClock::time_point before = SteadyClock::now();
        const double elapsed = recorder.GetElapsedMs() / 1000.0;
        const SteadyClock::time_point after = SteadyClock::now();
        // Audio is captured from no earlier than the call to Start, and from
        // no later than its return.
        EXPECT_LE(elapsed, Seconds(after - called) + 0.01) << i;
        // A once-a-second display may lag by no more than its refresh.
        EXPECT_GT(elapsed, Seconds(before - started) - 1.0) << i;
    }
    const double shown = recorder.GetElapsedMs() / 1000.0;
    const SteadyClock::time_point stopCalled = SteadyClock::now();
    recorder.Stop();
    const double readToStop = Seconds(SteadyClock::now() - stopCalled);
    ASSERT_TRUE(events.WaitFor(2, 1s));
    const auto d = audio_test::DecodeFile(WideToUtf8(events.Events().back().path));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_GT(d.duration, shown - 0.05);
    EXPECT_LT(d.duration, shown + readToStop + 0.1);
}

// Each file of a split recording is named by the moment its first sample
// was captured: the start of the recording plus the audio of the files
// before it.
TEST_P(RecordingClockTest, SplitFilesAreNamedByTheCaptureOfTheirFirstSample) {
    recorder.settings.output_open_split = true;
    recorder.settings.output_split_time = 1000;
    const SystemClock::time_point called = SystemClock::now();
    recorder.Start();
    const SystemClock::time_point started = SystemClock::now();
    std::this_thread::sleep_for(3300ms);
    recorder.Stop();
    ASSERT_TRUE(events.WaitFor(2, 1s));

    std::vector<std::string> paths;
    for (const COutputCallInfo& e : events.Events())
        if (e.type == 16 && e.code == 0) paths.push_back(WideToUtf8(e.path));
    ASSERT_GE(paths.size(), 3u);

    SystemClock::time_point first;
    ASSERT_TRUE(TimeFromName(paths[0], first)) << paths[0];
    // Names keep milliseconds; the start falls between the call and return.
    EXPECT_GE(SecondsBetween(called, first), -0.002);
    EXPECT_LE(SecondsBetween(started, first), 0.002);

    double before = 0;  // seconds of audio in the files so far
    for (size_t i = 1; i < paths.size(); ++i) {
        const auto previous = audio_test::DecodeFile(paths[i - 1]);
        ASSERT_TRUE(previous.ok) << previous.error;
        before += previous.duration;
        SystemClock::time_point named;
        ASSERT_TRUE(TimeFromName(paths[i], named)) << paths[i];
        EXPECT_NEAR(SecondsBetween(first, named), before, 0.1) << paths[i];
    }
}

// A pause moves the capture of what follows it on by its length: a file
// begun after it is named that much later than its place in the audio.
TEST_P(RecordingClockTest, SplitFileAfterAPauseIsNamedPastThePause) {
    recorder.settings.output_open_split = true;
    recorder.settings.output_split_time = 1000;
    recorder.Start();
    std::this_thread::sleep_for(600ms);
    const SteadyClock::time_point paused = SteadyClock::now();
    recorder.Pause();
    std::this_thread::sleep_for(800ms);
    recorder.Resume();
    const double pauseLength = Seconds(SteadyClock::now() - paused);
    std::this_thread::sleep_for(1700ms);
    recorder.Stop();
    ASSERT_TRUE(events.WaitFor(2, 1s));

    std::vector<std::string> paths;
    for (const COutputCallInfo& e : events.Events())
        if (e.type == 16 && e.code == 0) paths.push_back(WideToUtf8(e.path));
    ASSERT_GE(paths.size(), 2u);
    SystemClock::time_point first, second;
    ASSERT_TRUE(TimeFromName(paths[0], first)) << paths[0];
    ASSERT_TRUE(TimeFromName(paths[1], second)) << paths[1];
    const auto firstFile = audio_test::DecodeFile(paths[0]);
    ASSERT_TRUE(firstFile.ok) << firstFile.error;
    // The first file holds 0.6 s from before the pause and the rest after.
    EXPECT_NEAR(SecondsBetween(first, second), firstFile.duration + pauseLength, 0.1) << paths[1];
}

INSTANTIATE_TEST_SUITE_P(Sound, RecordingClockTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Playing" : "Silent";
                         });

}  // namespace
