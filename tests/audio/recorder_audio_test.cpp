// The recorder against the test PulseAudio daemon: mixing two sources at
// their volumes, pausing, splitting by time, its events and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <regex>
#include <thread>

#include <unistd.h>

#include "audio/OutputFile.h"
#include "audio/OutputRecorder.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"
#include "recorder_events_helper.h"

namespace {

using namespace std::chrono_literals;
using audio_test::DecodeFile;
using audio_test::ToneAmplitude;

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        recorder.settings.output_dir = Utf8ToWide(folder.path());
        recorder.settings.output_format = 1;  // wav: exact samples to measure
        recorder.settings.output_device = 1;
        recorder.settings.output_call = &events;
    }

    // A second null sink whose monitor, remapped, is a microphone "testmic".
    void AddTestMicrophone() {
        feed = std::make_unique<audio_test::ScopedModule>(
            "module-null-sink sink_name=micfeed sink_properties=device.description=micfeed");
        mic = std::make_unique<audio_test::ScopedModule>(
            "module-remap-source master=micfeed.monitor source_name=testmic "
            "source_properties=device.description=testmic");
        ASSERT_TRUE(feed->Loaded() && mic->Loaded());
        recorder.settings.output_mic_name = L"testmic";
        recorder.settings.output_mic_id = L"testmic";
    }

    void TearDown() override {
        recorder.Stop();
        mic.reset();
        feed.reset();
    }

    audio_test::ScratchFolder folder;
    audio_test::EventLog events;
    COutputRecorder recorder;
    std::unique_ptr<audio_test::ScopedModule> feed, mic;
};

TEST_F(RecorderTest, BothSourcesAreMixedAtTheirVolumes) {
    AddTestMicrophone();
    audio_test::TonePlayer system("speakers", 1000, 0.4);
    audio_test::TonePlayer voice("micfeed", 300, 0.4);
    struct Case {
        double speakerVolume, micVolume;
    };
    for (const Case c : {Case{1.0, 0.5}, Case{1.0, 0.0}}) {
        SCOPED_TRACE(c.micVolume);
        recorder.settings.output_device = 2;
        recorder.settings.output_speaker_volume = c.speakerVolume;
        recorder.settings.output_mic_volume = c.micVolume;
        recorder.settings.output_file = Utf8ToWide(folder.path() + "/mix" +
                                                   std::to_string(c.micVolume) + ".wav");
        recorder.Start();
        std::this_thread::sleep_for(3000ms);
        recorder.Stop();
        const auto d = DecodeFile(WideToUtf8(recorder.settings.output_file));
        ASSERT_TRUE(d.ok) << d.error;
        ASSERT_GT(d.duration, 2.5);
        // The last second, by when both devices deliver.
        const std::vector<short> middle(d.mono.end() - d.rate * 11 / 10, d.mono.end() - d.rate / 10);
        const double speakers = ToneAmplitude(middle, d.rate, 1000);
        const double microphone = ToneAmplitude(middle, d.rate, 300);
        EXPECT_GT(speakers, 2000);
        if (c.micVolume > 0)
            EXPECT_NEAR(microphone / speakers, c.micVolume / c.speakerVolume, 0.08);
        else
            EXPECT_LT(microphone, speakers * 0.01);
    }
}

TEST_F(RecorderTest, PauseLeavesTheTimeOutAndStopsTheCounter) {
    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    recorder.Start();
    std::this_thread::sleep_for(1500ms);
    recorder.Pause();
    EXPECT_EQ(recorder.GetState(), 5u);
    std::this_thread::sleep_for(300ms);  // packets already queued still land
    const int64_t atPause = recorder.GetElapsedMs();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(recorder.GetElapsedMs(), atPause);
    recorder.Resume();
    EXPECT_EQ(recorder.GetState(), 1u);
    std::this_thread::sleep_for(1500ms);
    EXPECT_GT(recorder.GetElapsedMs(), atPause + 1000);
    recorder.Stop();
    ASSERT_TRUE(events.WaitFor(2, 1s));
    const auto d = DecodeFile(WideToUtf8(events.Events().back().path));
    ASSERT_TRUE(d.ok) << d.error;
    // 4.8 s passed, 1.8 s of them paused: the tone runs on in the file
    // without the pause in it, neither as time nor as silence. (A capture
    // can start late, so only the time after the resume is sure to be in.)
    const double toneSeconds = double(audio_test::LoudPart(d.mono, d.rate).size()) / d.rate;
    EXPECT_GT(toneSeconds, 1.3);
    EXPECT_LT(toneSeconds, 3.4);
    EXPECT_LE(audio_test::QuietBlocksInside(d.mono, d.rate), 2);
}

TEST_F(RecorderTest, SplitByTimeGivesConsecutiveFilesOfTheSplitLength) {
    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    recorder.settings.output_format = 0;
    recorder.settings.output_quality = 128;
    recorder.settings.output_open_split = true;
    recorder.settings.output_split_time = 1000;
    recorder.Start();
    std::this_thread::sleep_for(3600ms);
    const int64_t elapsed = recorder.GetElapsedMs();
    recorder.Stop();
    EXPECT_GT(elapsed, 3000);  // runs on across files

    const std::vector<COutputCallInfo> all = events.Events();
    const std::vector<int> types = events.Types();
    ASSERT_GE(types.size(), 8u);
    EXPECT_EQ(types.front(), 16);
    for (size_t i = 1; i + 2 < types.size(); i += 2) {
        EXPECT_EQ(types[i], 8) << i;
        EXPECT_EQ(types[i + 1], 16) << i;
        EXPECT_EQ(all[i].path, all[i - 1].path);  // closes the file opened before
        EXPECT_NE(all[i + 1].path, all[i].path);
    }
    EXPECT_EQ(types[types.size() - 2], 8);
    EXPECT_EQ(types.back(), 2);
    EXPECT_EQ(all.back().code, 0);

    const std::vector<std::string> files = folder.Files();
    ASSERT_EQ(files.size(), (types.size() - 1) / 2);
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_TRUE(std::regex_search(files[i], std::regex(R"(__\d\d-\d\d-\d\d-\d{4}\.mp3$)")));
        const auto d = DecodeFile(files[i]);
        ASSERT_TRUE(d.ok) << files[i];
        if (i + 1 < files.size()) EXPECT_NEAR(d.duration, 1.0, 0.06) << files[i];
    }
}

TEST_F(RecorderTest, AMissingMicrophoneRecordsTheSystemSoundAlone) {
    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    recorder.settings.output_device = 2;
    recorder.settings.output_mic_name = L"no such microphone";
    recorder.settings.output_mic_id = L"nowhere";
    recorder.Start();
    std::this_thread::sleep_for(2500ms);
    recorder.Stop();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    const auto d = DecodeFile(WideToUtf8(events.Events().back().path));
    ASSERT_TRUE(d.ok);
    EXPECT_GT(d.duration, 0.8);
    EXPECT_NEAR(audio_test::DominantFrequency(audio_test::LoudPart(d.mono, d.rate), d.rate, 800, 1200),
                1000, 6);
}

TEST_F(RecorderTest, NoSourceAtAllEndsAtOnceWithAnError) {
    recorder.settings.output_device = 0;
    recorder.settings.output_mic_name = L"";
    recorder.Start();
    ASSERT_TRUE(events.WaitFor(2, 5s));
    const auto all = events.Events();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].code, kOutputNoStream);
    EXPECT_EQ(all[0].text, kTextNoSource);
    EXPECT_TRUE(all[0].path.empty());
    EXPECT_TRUE(folder.Files().empty());
    EXPECT_EQ(recorder.GetState(), 0u);
}

TEST_F(RecorderTest, AFirstFileThatCannotBeOpenedEndsTheRecording) {
    recorder.settings.output_file = Utf8ToWide(folder.path() + "/take.xyz");
    recorder.Start();
    ASSERT_TRUE(events.WaitFor(2, 5s));
    const auto all = events.Events();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 2}));
    EXPECT_EQ(all[0].code, kOutputNoContainer);
    EXPECT_EQ(all[1].code, kOutputNoContainer);
    EXPECT_EQ(all[1].text, L"无法创建文件格式。");
    EXPECT_TRUE(all[1].path.empty());
    EXPECT_TRUE(folder.Files().empty());
}

TEST_F(RecorderTest, AFailedWriteEndsTheRecordingWithAnErrorNotSuccess) {
    audio_test::TonePlayer tone("speakers", 1000, 0.4);
    const std::string full = folder.path() + "/full.mp3";
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    recorder.settings.output_format = 0;
    recorder.settings.output_file = Utf8ToWide(full);
    recorder.Start();
    ASSERT_TRUE(events.WaitFor(2, 10s)) << "the recording did not end by itself";
    const auto all = events.Events();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    EXPECT_EQ(all[0].code, 0);
    EXPECT_EQ(all[2].code, kOutputDiskFull);  // the device answers "no space left"
    EXPECT_EQ(all[2].text, L"磁盘空间不足。");
    EXPECT_EQ(all[2].path, Utf8ToWide(full));
}

TEST_F(RecorderTest, EndReportGoesToTheRecordingsOwnListener) {
    HANDLE done = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    recorder.settings.output_done = done;
    recorder.Start();
    std::this_thread::sleep_for(500ms);
    audio_test::EventLog next;
    recorder.settings.output_call = &next;  // the controller prepares the next one
    recorder.settings.output_done = nullptr;
    recorder.Stop();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
    EXPECT_TRUE(next.Events().empty());
    EXPECT_EQ(events.Events().back().semaphore, done);
    CloseHandle(done);
}

TEST_F(RecorderTest, StartingAgainEndsTheFirstRecordingFirst) {
    recorder.Start();
    std::this_thread::sleep_for(500ms);
    recorder.Start();
    std::this_thread::sleep_for(500ms);
    recorder.Stop();
    ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2, 16, 8, 2}));
    EXPECT_EQ(folder.Files().size(), 2u);
    recorder.Stop();  // a second stop does nothing
    EXPECT_EQ(events.Types().size(), 6u);
}

// A source that runs behind the clock (a monitor that follows another, a
// loaded machine): what it captured up to the stop still reaches the file,
// however late it hands it on, and a stop waits for it.
TEST_F(RecorderTest, StopWaitsForASourceThatHandsOnItsBlocksLate) {
    audio_test::ScopedModule quiet(
        "module-null-sink sink_name=behind_sink sink_properties=device.description=behind");
    ASSERT_TRUE(quiet.Loaded());
    audio_test::Pactl("suspend-sink behind_sink 1");  // its twin opens and delivers nothing itself
    recorder.settings.output_speaker_name = L"behind";
    recorder.settings.output_speaker_id = L"behind_sink";
    recorder.settings.output_file = Utf8ToWide(folder.path() + "/behind.wav");
    recorder.Start();
    const auto started = std::chrono::steady_clock::now();

    // The source's blocks, a 1000 Hz tone, each handed on half a second
    // after the time it stands for.
    constexpr int kRate = 44100, kFrames = kRate / 100;
    std::atomic<bool> done{false};
    std::thread source([&] {
        double phase = 0;
        for (int k = 0; !done; ++k) {
            std::this_thread::sleep_until(started + 500ms + k * 10ms);
            std::vector<int16_t> samples(kFrames * 2);
            for (int i = 0; i < kFrames; ++i) {
                samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(std::sin(phase) * 12000));
                phase = std::fmod(phase + 2 * M_PI * 1000 / kRate, 2 * M_PI);
            }
            CAudioPacket packet(std::move(samples), 10, kFrames, 2, kRate, 1);
            recorder.OnCapture(packet);
        }
    });
    std::this_thread::sleep_until(started + 1200ms);
    recorder.Stop();
    const double stopped = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    done = true;
    source.join();

    ASSERT_TRUE(events.WaitFor(2, 1s));
    const auto d = DecodeFile(WideToUtf8(recorder.settings.output_file));
    ASSERT_TRUE(d.ok) << d.error;
    // 1.2 s up to the stop, all of it tone: a stop that did not wait would
    // leave the last half second out (0.7 s of tone).
    const double toneSeconds = double(audio_test::LoudPart(d.mono, d.rate).size()) / d.rate;
    EXPECT_GT(toneSeconds, 1.1) << "stopped after " << stopped << " s";
    EXPECT_LT(toneSeconds, 1.35);
    EXPECT_EQ(audio_test::QuietBlocksInside(d.mono, d.rate), 0);
    EXPECT_GE(stopped, 1.6);
}

// What the file holds around a pause, read from a tone whose frequency
// tells the three stretches apart: 1000 Hz before the pause, 2000 Hz while
// paused, 1500 Hz after the resume.
struct PauseJoins {
    double duration = 0;     // seconds of the file
    double join = -1;        // where 1500 Hz first follows 1000 Hz
    double last1000 = -1;    // where the last 1000 Hz window ends
    double pausedTone = 0;   // seconds of 2000 Hz in the file
};

PauseJoins FindPauseJoins(const std::vector<short>& mono, int rate) {
    PauseJoins out;
    out.duration = double(mono.size()) / rate;
    const int window = rate / 200;  // 5 ms
    for (size_t at = 0; at + window <= mono.size(); at += window) {
        const std::vector<short> part(mono.begin() + at, mono.begin() + at + window);
        const double a1000 = ToneAmplitude(part, rate, 1000);
        const double a1500 = ToneAmplitude(part, rate, 1500);
        const double a2000 = ToneAmplitude(part, rate, 2000);
        const double loudest = std::max({a1000, a1500, a2000});
        if (loudest < 1000) continue;
        const double t = double(at) / rate;
        if (loudest == a1000) out.last1000 = t + double(window) / rate;
        if (loudest == a1500 && out.join < 0) out.join = t;
        if (loudest == a2000) out.pausedTone += double(window) / rate;
    }
    return out;
}

// A source that hands its audio on late (here 300 ms, as a loaded machine
// or a device that follows another can): the pause and the resume still
// cut its audio where they fell in it, not where its packets happened to
// be when the commands came. Alone and mixed with a second, live source.
TEST_F(RecorderTest, PauseAndResumeCutEachSourceAtTheMomentOfTheCommand) {
    struct Case {
        const char* name;
        bool mixed;
        bool resumed;  // or stopped while paused
    };
    for (const Case c : {Case{"system sound alone", false, true}, Case{"mixed with a live source", true, true},
                         Case{"stopped while paused", false, false}}) {
        SCOPED_TRACE(c.name);
        // The late source's device opens and delivers nothing itself: the
        // test hands on its packets.
        audio_test::ScopedModule late(
            "module-null-sink sink_name=late_sink sink_properties=device.description=late");
        ASSERT_TRUE(late.Loaded());
        audio_test::Pactl("suspend-sink late_sink 1");
        std::unique_ptr<audio_test::ScopedModule> lateMic;
        int lateKey = 1;
        if (c.mixed) {
            // The microphone is late; the speakers' twin delivers on time.
            lateMic = std::make_unique<audio_test::ScopedModule>(
                "module-remap-source master=late_sink.monitor source_name=latemic "
                "source_properties=device.description=latemic");
            ASSERT_TRUE(lateMic->Loaded());
            lateKey = 0;
            recorder.settings.output_device = 2;
            recorder.settings.output_speaker_name = L"speakers";
            recorder.settings.output_speaker_id = L"speakers";
            recorder.settings.output_mic_name = L"latemic";
            recorder.settings.output_mic_id = L"latemic";
        } else {
            recorder.settings.output_device = 1;
            recorder.settings.output_speaker_name = L"late";
            recorder.settings.output_speaker_id = L"late_sink";
        }
        recorder.settings.output_file = Utf8ToWide(folder.path() + "/" + c.name + ".wav");
        recorder.Start();
        const auto started = std::chrono::steady_clock::now();

        constexpr auto kLate = 300ms, kPause = 1000ms, kResume = 1600ms, kStop = 2400ms;
        constexpr int kRate = 48000, kFrames = kRate / 100;
        std::atomic<bool> done{false};
        std::thread source([&] {
            double phase = 0;
            for (int k = 0; !done; ++k) {
                const auto standsFor = k * 10ms;
                std::this_thread::sleep_until(started + kLate + standsFor);
                const double frequency = standsFor < kPause ? 1000 : standsFor < kResume ? 2000 : 1500;
                std::vector<int16_t> samples(kFrames * 2);
                for (int i = 0; i < kFrames; ++i) {
                    samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(std::sin(phase) * 16000));
                    phase = std::fmod(phase + 2 * M_PI * frequency / kRate, 2 * M_PI);
                }
                CAudioPacket packet(std::move(samples), 10, kFrames, 2, kRate, lateKey);
                recorder.OnCapture(packet);
            }
        });
        std::this_thread::sleep_until(started + kPause);
        recorder.Pause();
        // Stopped while paused: before the audio up to the pause has come.
        std::this_thread::sleep_until(started + (c.resumed ? kResume : kPause + 100ms));
        if (c.resumed) {
            recorder.Resume();
            std::this_thread::sleep_until(started + kStop);
        }
        recorder.Stop();
        done = true;
        source.join();

        ASSERT_TRUE(events.WaitFor(2, 1s));
        const auto d = DecodeFile(WideToUtf8(recorder.settings.output_file));
        ASSERT_TRUE(d.ok) << d.error;
        const PauseJoins j = FindPauseJoins(d.mono, d.rate);
        // 1.0 s before the pause and 0.8 s after the resume, joined where the
        // pause fell. Cut as the packets arrived, the file would lose the
        // last 0.3 s before the pause and take 0.3 s of the paused tone in.
        // Stopped while paused, it ends where the pause fell.
        const double expected = c.resumed ? 1.8 : 1.0;
        std::printf("[ figures ] %s: duration %.4f s (expected %.4f), join %.4f s and last 1000 Hz "
                    "%.4f s (expected 1.0000), paused tone %.4f s (expected 0)\n",
                    c.name, j.duration, expected, j.join, j.last1000, j.pausedTone);
        EXPECT_NEAR(j.duration, expected, 0.010);
        if (c.resumed) EXPECT_NEAR(j.join, 1.0, 0.010);
        else EXPECT_LT(j.join, 0);
        EXPECT_NEAR(j.last1000, 1.0, 0.010);
        EXPECT_LE(j.pausedTone, 0.010);
    }
}

// A device that stays open and delivers nothing: the silence standing in
// for it is held back in case its audio comes late, and a stop, once it has
// waited for that audio, hands the held silence on, so the file still runs
// up to the stop.
TEST_F(RecorderTest, AStopHandsOnTheSilenceHeldForASilentDevice) {
    audio_test::ScopedModule quiet(
        "module-null-sink sink_name=mute_sink sink_properties=device.description=mute");
    ASSERT_TRUE(quiet.Loaded());
    audio_test::Pactl("suspend-sink mute_sink 1");  // its twin opens and delivers nothing
    recorder.settings.output_speaker_name = L"mute";
    recorder.settings.output_speaker_id = L"mute_sink";
    recorder.settings.output_file = Utf8ToWide(folder.path() + "/mute.wav");
    recorder.Start();
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(4000ms);
    const double untilStop = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    recorder.Stop();
    ASSERT_TRUE(events.WaitFor(2, 1s));
    EXPECT_EQ(events.Events().back().code, 0);
    const auto d = DecodeFile(WideToUtf8(recorder.settings.output_file));
    ASSERT_TRUE(d.ok) << d.error;
    // Without the held silence the file would end where the hold began,
    // 3.5 s short of the stop.
    EXPECT_NEAR(d.duration, untilStop, 0.15);
    EXPECT_LT(audio_test::Rms(d.mono), 1.0);
}

TEST_F(RecorderTest, VolumeChangesApplyWhileRecording) {
    audio_test::TonePlayer player("speakers", 1000, 0.4);
    recorder.Start();
    std::this_thread::sleep_for(1500ms);
    recorder.SetVolume(1, 0.25f);
    std::this_thread::sleep_for(1200ms);
    recorder.Stop();
    const auto d = DecodeFile(WideToUtf8(events.Events().back().path));
    ASSERT_TRUE(d.ok);
    // The loudest tenth of a second is from before the change, the last
    // half second from after it.
    const std::vector<short> tone = audio_test::LoudPart(d.mono, d.rate);
    ASSERT_GT(tone.size(), size_t(d.rate));
    double before = 0;
    for (size_t at = 0; at + d.rate / 10 <= tone.size(); at += d.rate / 10)
        before = std::max(before, ToneAmplitude(std::vector<short>(tone.begin() + at,
                                                                   tone.begin() + at + d.rate / 10),
                                                d.rate, 1000));
    const std::vector<short> after(tone.end() - d.rate / 2, tone.end() - d.rate / 20);
    const double ratio = ToneAmplitude(after, d.rate, 1000) / before;
    EXPECT_NEAR(ratio, 63.0 / 255.0, 0.03);  // int(0.25 x 255) over int(1.0 x 255)
}

}  // namespace
