// The default microphone goes away in the middle of a recording of both
// sources: the recording goes on, its clock keeps counting, the system
// sound is in the file without a gap to the end, and the windows that
// listen for device changes are told.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/OutputRecorder.h"
#include "audio/ServerAudioDev.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "listener_window_helper.h"
#include "monitor_reference_helper.h"
#include "pulse_tools_helper.h"
#include "recorder_events_helper.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Takes the daemon's own microphones away for the test's scope and brings
// them back as they were, so that the test's one is the only one.
class OtherMicrophonesAway {
public:
    OtherMicrophonesAway() : previousDefault_(audio_test::Pactl("get-default-source")) {
        std::istringstream lines(audio_test::Pactl("list short modules"));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string index, name;
            if (!(fields >> index >> name) || name != "module-null-source") continue;
            std::string args;
            std::getline(fields, args);
            args.erase(0, args.find_first_not_of(" \t"));
            bool ok = false;
            audio_test::Pactl("unload-module " + index, &ok);
            if (ok) removed_.push_back(name + " " + args);
        }
    }
    ~OtherMicrophonesAway() {
        for (const std::string& module : removed_) audio_test::Pactl("load-module " + module);
        if (!previousDefault_.empty()) audio_test::Pactl("set-default-source " + previousDefault_);
    }

private:
    std::string previousDefault_;
    std::vector<std::string> removed_;
};

TEST(MicrophoneUnplug, TheRecordingRunsOnWithTheSystemSoundAlone) {
    OtherMicrophonesAway away;
    audio_test::ScopedModule plugged(
        "module-null-source source_name=plugmic description=plugmic");
    ASSERT_TRUE(plugged.Loaded());
    audio_test::Pactl("set-default-source plugmic");
    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    ASSERT_TRUE(tone.Started());
    // What the sink really played: on a loaded machine the tone player
    // itself falters now and then, and such a falter is in the file too.
    audio_test::MonitorReference played("speakers.monitor", 44100);
    ASSERT_TRUE(played.Started()) << played.Error();

    audio_test::ListenerThread listener;
    ASSERT_NE(listener.hwnd(), nullptr);
    GetServerAudioDev()->AddListener(listener.hwnd());

    audio_test::ScratchFolder folder;
    audio_test::EventLog events;
    COutputRecorder recorder;
    recorder.settings.output_device = 2;  // both, on the default devices
    recorder.settings.output_mic_name = L"__device_in_default";
    recorder.settings.output_format = 1;  // wav: exact samples to measure
    recorder.settings.output_dir = Utf8ToWide(folder.path());
    recorder.settings.output_call = &events;

    const Clock::time_point started = Clock::now();
    recorder.Start();
    std::this_thread::sleep_until(started + 3s);
    plugged.Unload();
    EXPECT_TRUE(audio_test::Eventually([&] { return listener.Notices() > 0; }, 5s))
        << "no 0x2F0E reached the window";
    std::this_thread::sleep_until(started + 7500ms);
    // The counter ran on after the microphone left.
    EXPECT_GT(recorder.GetElapsedMs(), 6000);
    std::this_thread::sleep_until(started + 8s);
    const double untilStop = std::chrono::duration<double>(Clock::now() - started).count();
    recorder.Stop();
    const double untilStopped = std::chrono::duration<double>(Clock::now() - started).count();
    played.Stop();
    GetServerAudioDev()->RemoveListener(listener.hwnd());

    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    EXPECT_EQ(events.Events().back().code, 0);
    const auto d = audio_test::DecodeFile(WideToUtf8(events.Events().back().path));
    ASSERT_TRUE(d.ok) << d.error;
    // As long as the recording ran, less the streams' start-up.
    EXPECT_LE(d.duration, untilStopped + 0.05);
    EXPECT_GE(d.duration, untilStop - 0.4);
    // The tone from start to end: the system sound went on without a gap
    // across the microphone's departure.
    const std::vector<short> loud = audio_test::LoudPart(d.mono, d.rate);
    EXPECT_GE(double(loud.size()) / d.rate, d.duration - 0.3)
        << "the tone ends " << d.duration - double(loud.size()) / d.rate << " s before the file";
    // From the second second on (the streams' start is the cold-start
    // test's business) to the end of the tone: no quiet 10 ms block of the
    // recorder's own, above all none where the microphone left at 3 s. A
    // quiet block within a second of a falter of what the sink played is
    // the tone's, not the recorder's.
    const size_t block = d.rate / 100;
    auto blockRms = [&](size_t at) {
        return audio_test::Rms(std::vector<short>(d.mono.begin() + at, d.mono.begin() + at + block));
    };
    size_t toneStart = 0;
    while (toneStart + block <= d.mono.size() && blockRms(toneStart) < 1000) toneStart += block;
    const size_t toneEnd = std::min(d.mono.size(), toneStart + loud.size());
    const std::vector<Clock::time_point> faltered = played.QuietBlocks(1000, 0.5);
    std::string quiet, explained;
    for (size_t at = std::max<size_t>(d.rate, toneStart); at + block <= toneEnd; at += block) {
        if (blockRms(at) >= 1000) continue;
        // The file's first sample is about when the start call returned.
        const Clock::time_point when = started + std::chrono::microseconds(1000000LL * long(at) / d.rate);
        const bool tones = std::any_of(faltered.begin(), faltered.end(),
                                       [&](Clock::time_point f) { return f - when < 1s && when - f < 1s; });
        (tones ? explained : quiet) += " " + std::to_string(double(at) / d.rate);
    }
    EXPECT_TRUE(quiet.empty()) << "quiet blocks at (s):" << quiet << " (the played tone faltered near:"
                               << explained << ")";
    if (!explained.empty()) std::printf("quiet where the played tone faltered (s):%s\n", explained.c_str());
    EXPECT_NEAR(audio_test::DominantFrequency(loud, d.rate, 800, 1200), 1000, 6);
    EXPECT_EQ(listener.BadNotices(), 0);
}

}  // namespace
