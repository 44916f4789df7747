// Every format's lowest and highest option, as the format panel offers them
// at 44100 Hz in stereo: the file holds the rate and bit rate that the
// writer's fitting reports (which the panel shows), and the tone that went
// in comes out at its level.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>

#include "audio/AudioFormatTable.h"
#include "audio/AudioMixer.h"
#include "audio/EncoderSettings.h"
#include "audio/OutputFile.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"

namespace fs = std::filesystem;

namespace {

constexpr double kToneLevel = 16000;

// Feeds `seconds` of a 1 kHz sine at kToneLevel through a FIFO in the
// encoder's format.
void WriteTone(COutputFile& file, double seconds) {
    AVCodecContext* e = file.Encoder();
    ASSERT_NE(e, nullptr);
    CAudioFifo fifo;
    ASSERT_EQ(fifo.Init(48000, 2, e->sample_fmt, e->sample_rate, e->ch_layout.nb_channels), 0);
    const int total = static_cast<int>(seconds * 48000);
    std::vector<int16_t> block(960);
    for (int at = 0; at < total; at += 480) {
        for (int i = 0; i < 480; ++i)
            block[2 * i] = block[2 * i + 1] =
                static_cast<int16_t>(std::lround(kToneLevel * std::sin(2 * M_PI * 1000 * (at + i) / 48000.0)));
        ASSERT_EQ(fifo.Write(block.data(), 480), 480);
        while (AVFrame* f = fifo.Read(file.FrameSize())) {
            const int rc = file.EncodeFrame(f);
            av_frame_free(&f);
            ASSERT_EQ(rc, 0) << WideToUtf8(file.GetLastText());
        }
    }
}

double Rms(const std::vector<short>& samples) {
    double sum = 0;
    for (short v : samples) sum += static_cast<double>(v) * v;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

TEST(OutputRates, LowestAndHighestOptionOfEveryFormat) {
    char pattern[] = "/tmp/output-rates-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::cout << "format option | shown rate, bit rate | ffprobe rate, bit rate | tone level, tone share\n";
    for (const CAudioFormat& format : GetOutputFormats()) {
        for (const CFormatOption& option : {format.options.front(), format.options.back()}) {
            const std::string what = WideToUtf8(format.extension.c_str()) + " " + WideToUtf8(option.label.c_str());
            SCOPED_TRACE(what);
            const RecordChoice shown = FitRecordChoice(format.id, option.value, 44100, 2);
            CArgOutput settings;
            settings.output_dir = Utf8ToWide(dir);
            settings.output_format = format.id;
            settings.output_quality = shown.quality;
            settings.output_samplerate = shown.sampleRate;
            settings.output_channel = 2;
            COutputFile file;
            ASSERT_EQ(file.OpenForRecord(settings), 0) << WideToUtf8(file.GetLastText());
            WriteTone(file, 4.0);
            ASSERT_EQ(file.Close(), 0) << WideToUtf8(file.GetLastText());
            const std::string path = WideToUtf8(file.GetPath());

            const int rate = std::atoi(audio_test::ProbeEntry(path, "stream=sample_rate").c_str());
            const double bitRate = std::atof(audio_test::ProbeEntry(path, "format=bit_rate").c_str());
            const audio_test::DecodedFile d = audio_test::DecodeFile(path);
            ASSERT_TRUE(d.ok) << d.error;
            const std::vector<short> middle(d.mono.begin() + d.mono.size() / 4, d.mono.end() - d.mono.size() / 4);
            const double tone = audio_test::ToneAmplitude(middle, d.rate, 1000);
            // A pure sine's RMS is its amplitude over √2: the share of the
            // signal that is the tone, 1 for a clean one.
            const double share = tone / (std::sqrt(2.0) * std::max(Rms(middle), 1.0));
            std::cout << what << " | " << shown.sampleRate << ", " << shown.quality << " | " << rate << ", "
                      << bitRate / 1000 << " | " << tone << ", " << share << "\n";

            EXPECT_EQ(rate, shown.sampleRate) << "the window shows the file's rate";
            // AMR, a speech codec, gives a 1 kHz tone back at about 60 %.
            EXPECT_GT(tone, 0.4 * kToneLevel) << "no silence";
            EXPECT_GT(share, 0.85) << "no noise";
            // Constant bit rates: the file's, header and packets included,
            // is the one shown. (AAC spends what a signal needs, below the
            // asked rate for a pure tone.)
            const bool constant = format.id == 0 || format.id == 4 || format.id == 7 || format.id == 9;
            if (constant) EXPECT_NEAR(bitRate / 1000, shown.quality, 0.12 * shown.quality + 3) << "bit rate";
        }
    }
    fs::remove_all(dir);
}

// What the panel shows for choices the encoders cannot take as they are.
TEST(OutputRates, ChoicesMovedToWhatTheEncoderTakes) {
    struct Case {
        int format;
        double quality;
        int rate;
        double shownQuality;
        int shownRate;
    };
    const Case cases[] = {
        {0, 8, 44100, 8, 8000},      // mp3 at 8 kbit/s: 8000 Hz only
        {0, 320, 44100, 320, 44100},  // as asked
        {4, 8, 44100, 16, 24000},     // mp2 at 8 kbit/s is silent: 16 kbit/s
        {4, 32, 16000, 32, 22050},    // mp2 below 40 kbit/s at 16000 Hz is faint
        {4, 320, 44100, 320, 44100},
        {7, 32, 44100, 32, 32000},    // ac3 at 32 kbit/s: its lowest rate
        {9, 320, 44100, 320, 44100},
        {8, 12.2, 44100, 12.2, 8000},  // amr: 8000 Hz only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.format) + " " + std::to_string(c.quality) + " " + std::to_string(c.rate));
        const RecordChoice shown = FitRecordChoice(c.format, c.quality, c.rate, 2);
        EXPECT_EQ(shown.sampleRate, c.shownRate);
        EXPECT_EQ(shown.quality, c.shownQuality);
        // Shown again, it stays: the panel and the writer agree.
        const RecordChoice again = FitRecordChoice(c.format, shown.quality, shown.sampleRate, 2);
        EXPECT_EQ(again.sampleRate, shown.sampleRate);
        EXPECT_EQ(again.quality, shown.quality);
    }
}

}  // namespace
