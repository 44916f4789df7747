// Each of the ten formats recorded from the speakers' loopback twin while a
// known tone plays, and read back with FFmpeg.
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

struct FormatCase {
    int format;
    double quality;
    const char* codec;
    int rate;
    int channels;
};

TEST(RecorderFormats, ToneRecordedInEveryFormat) {
    const FormatCase cases[] = {
        {0, 128, "mp3", 44100, 2},   {1, 0, "pcm_s16le", 44100, 2}, {2, 6, "vorbis", 44100, 2},
        {3, 8, "flac", 44100, 2},    {4, 128, "mp2", 44100, 2},     {5, 128, "aac", 44100, 2},
        {6, 128, "aac", 44100, 2},   {7, 192, "ac3", 44100, 2},     {8, 12.2, "amr_nb", 8000, 1},
        {9, 128, "wmav2", 44100, 2},
    };
    audio_test::TonePlayer tone("speakers", 1000, 0.5);
    ASSERT_TRUE(tone.Started());
    std::this_thread::sleep_for(500ms);  // the sink is playing before the first take
    COutputRecorder recorder;
    {
        // The first capture stream of a process can take a second to deliver;
        // a short take first keeps that out of the table.
        audio_test::ScratchFolder warmUp;
        recorder.settings.output_device = 1;
        recorder.settings.output_dir = Utf8ToWide(warmUp.path());
        recorder.Start();
        std::this_thread::sleep_for(1000ms);
        recorder.Stop();
    }
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.codec);
        audio_test::ScratchFolder folder;
        audio_test::EventLog events;
        recorder.settings = CArgOutput();
        recorder.settings.output_device = 1;
        recorder.settings.output_dir = Utf8ToWide(folder.path());
        recorder.settings.output_format = c.format;
        recorder.settings.output_quality = c.quality;
        recorder.settings.output_id3_title = L"测试录音";
        recorder.settings.output_id3_artist = L"Zoë";
        recorder.settings.output_id3_date = L"2026";
        recorder.settings.output_call = &events;
        recorder.Start();
        std::this_thread::sleep_for(2500ms);
        const int64_t elapsed = recorder.GetElapsedMs();
        recorder.Stop();

        ASSERT_EQ(events.Types(), (std::vector<int>{16, 8, 2}));
        const COutputCallInfo end = events.Events().back();
        EXPECT_EQ(end.code, 0) << WideToUtf8(end.text);
        const std::vector<std::string> files = folder.Files();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(WideToUtf8(end.path), files[0]);
        const audio_test::DecodedFile d = audio_test::DecodeFile(files[0]);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.codec, c.codec);
        EXPECT_EQ(d.rate, c.rate);
        EXPECT_EQ(d.channels, c.channels);
        // The elapsed counter was read a moment before the stop; what was
        // captured until then and the last frames make the rest.
        EXPECT_GT(elapsed, 2000);
        EXPECT_NEAR(d.duration, elapsed / 1000.0, 0.3);
        const std::vector<short> tonePart = audio_test::LoudPart(d.mono, d.rate);
        ASSERT_GT(tonePart.size(), size_t(d.rate));
        EXPECT_NEAR(audio_test::DominantFrequency(tonePart, d.rate, 800, 1200), 1000, 6);
        EXPECT_GT(audio_test::Rms(tonePart), 3000);
        if (c.format == 0) {
            auto tag = [&d](const char* key) {
                auto it = d.tags.find(key);
                return it == d.tags.end() ? std::string("(missing)") : it->second;
            };
            EXPECT_EQ(tag("title"), "测试录音");
            EXPECT_EQ(tag("artist"), "Zoë");
            EXPECT_EQ(tag("date"), "2026");
        }
    }
}

}  // namespace
