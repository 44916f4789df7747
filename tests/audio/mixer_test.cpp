#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "audio/AudioMixer.h"
#include "decoded_file_helper.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {

// Interleaved 16-bit sine of `frames` frames.
std::vector<int16_t> Sine(int frames, int channels, int rate, double freq, double amp,
                          long long start = 0) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(amp * 32767 * std::sin(2 * M_PI * freq * double(start + i) / rate)));
        for (int c = 0; c < channels; ++c) out[static_cast<size_t>(i) * channels + c] = v;
    }
    return out;
}

// Channel 0 of an S16 (interleaved) frame.
std::vector<short> FirstChannel(const AVFrame* f) {
    std::vector<short> out;
    const auto* s = reinterpret_cast<const int16_t*>(f->data[0]);
    for (int i = 0; i < f->nb_samples; ++i) out.push_back(s[i * f->ch_layout.nb_channels]);
    return out;
}

TEST(MixerVolume, GainTable) {
    struct Case {
        int volume;
        int16_t in;
        int16_t out;
    };
    const Case cases[] = {
        {255, 32767, 32639}, {512, 20000, 32767}, {512, -20000, -32768},
        {0, 12345, 0},       {256, -7, -7},       {128, -3, -1},
    };
    for (const Case& c : cases) {
        int16_t s = c.in;
        ScaleVolumeS16(&s, 1, c.volume);
        EXPECT_EQ(s, c.out) << c.volume << " " << c.in;
    }
    EXPECT_EQ(SampleFormatFromBits(16, false), 1);
    EXPECT_EQ(SampleFormatFromBits(32, true), 8);
    EXPECT_EQ(SampleFormatFromBits(24, false), -1);
}

// 48000 Hz source into a 44100 Hz encoder with frames of 1152: every frame
// is whole, and what goes in comes out (less the resampler's short delay).
TEST(AudioFifo, ResamplesIntoExactFramesWithoutLoss) {
    CAudioFifo fifo;
    ASSERT_EQ(fifo.Init(48000, 2, AV_SAMPLE_FMT_FLTP, 44100, 2), 0);
    long long written = 0;
    int frames = 0;
    long long out = 0;
    for (int packet = 0; packet < 300; ++packet) {  // 3 s in 10 ms blocks
        const auto block = Sine(480, 2, 48000, 1000, 0.5, written);
        ASSERT_EQ(fifo.Write(block.data(), 480), 480);
        written += 480;
        while (AVFrame* f = fifo.Read(1152)) {
            ASSERT_EQ(f->nb_samples, 1152);
            ASSERT_EQ(f->format, AV_SAMPLE_FMT_FLTP);
            ASSERT_EQ(f->sample_rate, 44100);
            // No unfilled tail: the last sample is still part of the sine.
            const float* left = reinterpret_cast<const float*>(f->data[0]);
            if (frames > 0) EXPECT_GT(std::fabs(left[1151]) + std::fabs(left[1150]), 0.01f);
            ++frames;
            out += f->nb_samples;
            av_frame_free(&f);
        }
    }
    const long long expected = written * 44100 / 48000;
    EXPECT_LE(out, expected);
    EXPECT_GT(out + fifo.Size(), expected - 100);  // at most the resampler's delay is held back
    EXPECT_LT(fifo.Size(), 1152);
    EXPECT_FALSE(fifo.HasEnough(1152));
}

TEST(AudioFifo, VolumeAppliesToWhatIsWrittenAfterIt) {
    CAudioFifo fifo;
    ASSERT_EQ(fifo.Init(44100, 1, AV_SAMPLE_FMT_S16, 44100, 1), 0);
    const auto block = Sine(4410, 1, 44100, 441, 0.5);
    fifo.SetVolume(128);
    fifo.Write(block.data(), 4410);
    AVFrame* f = fifo.Read(4000);
    ASSERT_NE(f, nullptr);
    EXPECT_NEAR(audio_test::ToneAmplitude(FirstChannel(f), 44100, 441), 0.25 * 32767, 400);
    av_frame_free(&f);
    CAudioFifo other;
    other.CopyVolume(fifo);
    EXPECT_EQ(other.GetVolume(), 128);
    EXPECT_EQ(CAudioFifo().GetVolume(), 256);
}

TEST(AudioFifo, UnusableFormatIsRefused) {
    CAudioFifo fifo;
    EXPECT_LT(fifo.Init(0, 2, AV_SAMPLE_FMT_S16, 44100, 2), 0);
    const auto block = Sine(100, 2, 44100, 1000, 0.5);
    EXPECT_LT(fifo.Write(block.data(), 100), 0);
    EXPECT_EQ(fifo.Read(10), nullptr);
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        mic = new CAudioFifo;
        sys = new CAudioFifo;
        ASSERT_EQ(mic->Init(48000, 1, AV_SAMPLE_FMT_S16, 44100, 2), 0);
        ASSERT_EQ(sys->Init(44100, 2, AV_SAMPLE_FMT_S16, 44100, 2), 0);
        mixer.AddInput(0, mic);
        mixer.AddInput(1, sys);
        mixer.SetMode(CAudioMixer::kBoth);
    }
    CAudioMixer mixer;
    CAudioFifo* mic = nullptr;
    CAudioFifo* sys = nullptr;
};

TEST_F(MixerTest, BothModeWaitsForBothSourcesAndTakesNothingMeanwhile) {
    const auto block = Sine(4800, 1, 48000, 500, 0.5);
    mic->Write(block.data(), 4800);
    const int before = mic->Size();
    int error = 1;
    EXPECT_EQ(mixer.ReadMixedFrame(1152, 0, &error), nullptr);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(mic->Size(), before);
    EXPECT_FALSE(mixer.HasEnoughAll(1152));
}

TEST_F(MixerTest, BothModeMixesEachSourceAtItsVolume) {
    mic->SetVolume(256);
    sys->SetVolume(128);
    std::vector<short> mixed;
    long long micAt = 0, sysAt = 0;
    for (int block = 0; block < 100; ++block) {
        const auto m = Sine(480, 1, 48000, 500, 0.4, micAt);
        const auto s = Sine(441, 2, 44100, 2000, 0.4, sysAt);
        micAt += 480;
        sysAt += 441;
        mic->Write(m.data(), 480);
        sys->Write(s.data(), 441);
        int error = 0;
        while (AVFrame* f = mixer.ReadMixedFrame(1152, 7, &error)) {
            EXPECT_EQ(f->nb_samples, 1152);
            EXPECT_EQ(f->pts, 7);
            const auto ch = FirstChannel(f);
            mixed.insert(mixed.end(), ch.begin(), ch.end());
            av_frame_free(&f);
        }
        ASSERT_EQ(error, 0) << mixer.LastError();
    }
    ASSERT_GT(mixed.size(), 30000u);
    const double micTone = audio_test::ToneAmplitude(mixed, 44100, 500);
    const double sysTone = audio_test::ToneAmplitude(mixed, 44100, 2000);
    EXPECT_GT(micTone, 1000);
    // The mono microphone reaches each stereo channel at -3 dB (the
    // resampler's centre-to-sides rule), the system sound at half volume.
    EXPECT_NEAR(sysTone / micTone, 0.5 / M_SQRT1_2, 0.06);
}

TEST_F(MixerTest, SingleModesReadOnlyTheirSource) {
    const auto m = Sine(4800, 1, 48000, 500, 0.4);
    mic->Write(m.data(), 4800);
    mixer.SetMode(CAudioMixer::kSystemSound);
    EXPECT_EQ(mixer.ReadMixedFrame(1024, 0), nullptr);
    mixer.SetMode(CAudioMixer::kMicrophone);
    AVFrame* f = mixer.ReadMixedFrame(1024, 42);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->pts, 42);
    av_frame_free(&f);
    mixer.SetMode(9);
    EXPECT_EQ(mixer.ReadMixedFrame(1024, 0), nullptr);
}

TEST(Mixer, BothModeWithAMissingSourceGivesNothing) {
    CAudioMixer mixer;
    auto* sys = new CAudioFifo;
    ASSERT_EQ(sys->Init(44100, 2, AV_SAMPLE_FMT_S16, 44100, 2), 0);
    mixer.AddInput(1, sys);
    mixer.SetMode(CAudioMixer::kBoth);
    const auto s = Sine(4410, 2, 44100, 1000, 0.4);
    sys->Write(s.data(), 4410);
    EXPECT_EQ(mixer.ReadMixedFrame(1024, 0), nullptr);
    EXPECT_EQ(mixer.GetInput(0), nullptr);
}

// FFmpeg's own two-input mix filter, as the reference the recorder's mix
// must equal sample for sample.
class ReferenceMix {
public:
    ReferenceMix(AVSampleFormat format, int rate, int channels) {
        graph_ = avfilter_graph_alloc();
        char layout[64] = {0};
        AVChannelLayout l{};
        av_channel_layout_default(&l, channels);
        av_channel_layout_describe(&l, layout, sizeof layout);
        char args[256];
        std::snprintf(args, sizeof args, "time_base=1/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s", rate,
                      rate, av_get_sample_fmt_name(format), layout);
        const AVFilter* abuffer = avfilter_get_by_name("abuffer");
        ok_ = graph_ && avfilter_graph_create_filter(&in0_, abuffer, "in0", args, nullptr, graph_) >= 0 &&
              avfilter_graph_create_filter(&in1_, abuffer, "in1", args, nullptr, graph_) >= 0 &&
              avfilter_graph_create_filter(&sink_, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr,
                                           graph_) >= 0;
        const int formats[] = {format};
        ok_ = ok_ && av_opt_set_bin(sink_, "sample_fmts", reinterpret_cast<const uint8_t*>(formats), sizeof formats,
                                    AV_OPT_SEARCH_CHILDREN) >= 0;
        AVFilterContext* mix = nullptr;
        ok_ = ok_ && avfilter_graph_create_filter(&mix, avfilter_get_by_name("amix"), "mix", "inputs=2", nullptr,
                                                  graph_) >= 0 &&
              avfilter_link(in0_, 0, mix, 0) >= 0 && avfilter_link(in1_, 0, mix, 1) >= 0 &&
              avfilter_link(mix, 0, sink_, 0) >= 0 && avfilter_graph_config(graph_, nullptr) >= 0;
    }
    ~ReferenceMix() { avfilter_graph_free(&graph_); }
    bool ok() const { return ok_; }
    // Pushes one frame to each input; returns the frames of n samples ready.
    std::vector<AVFrame*> Add(const AVFrame* a, const AVFrame* b, int n) {
        std::vector<AVFrame*> out;
        AVFrame* ca = av_frame_clone(a);
        AVFrame* cb = av_frame_clone(b);
        ok_ = ok_ && av_buffersrc_add_frame(in0_, ca) >= 0 && av_buffersrc_add_frame(in1_, cb) >= 0;
        av_frame_free(&ca);
        av_frame_free(&cb);
        for (;;) {
            AVFrame* f = av_frame_alloc();
            if (av_buffersink_get_samples(sink_, f, n) < 0) {
                av_frame_free(&f);
                return out;
            }
            out.push_back(f);
        }
    }

private:
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext *in0_ = nullptr, *in1_ = nullptr, *sink_ = nullptr;
    bool ok_ = false;
};

AVFrame* RandomFrame(AVSampleFormat format, int channels, int n, int64_t pts, std::mt19937& random) {
    AVFrame* f = av_frame_alloc();
    f->format = format;
    f->nb_samples = n;
    f->sample_rate = 44100;
    f->pts = pts;
    av_channel_layout_default(&f->ch_layout, channels);
    av_frame_get_buffer(f, 0);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? channels : 1;
    const int count = n * (planar ? 1 : channels);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int p = 0; p < planes; ++p)
        for (int i = 0; i < count; ++i) {
            // Full-scale values, and the extremes, where rounding and range
            // show first.
            const int v = i < 4 ? (i % 2 ? 32767 : -32768) : sample(random);
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_S16: reinterpret_cast<int16_t*>(f->extended_data[p])[i] = int16_t(v); break;
            case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(f->extended_data[p])[i] = v / 32768.0f; break;
            default: break;
            }
        }
    return f;
}

// The mix of both sources equals FFmpeg's mix filter bit for bit in each
// format the recorder's encoders take: 16-bit integers (WAV, FLAC, MP2,
// AMR), planar float (MP3, AAC, Vorbis, AC3, WMA), and the packed float and
// planar 16-bit forms.
TEST(Mixer, BothSourcesMixExactlyAsFFmpegsMixFilter) {
    for (const AVSampleFormat format : {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16P}) {
        SCOPED_TRACE(av_get_sample_fmt_name(format));
        ReferenceMix reference(format, 44100, 2);
        ASSERT_TRUE(reference.ok());
        CAudioMixer mixer;
        std::mt19937 random(7);
        const int n = 1152;
        const int bytes = av_get_bytes_per_sample(format);
        size_t compared = 0;
        for (int k = 0; k < 20; ++k) {
            AVFrame* a = RandomFrame(format, 2, n, int64_t(k) * n, random);
            AVFrame* b = RandomFrame(format, 2, n, int64_t(k) * n, random);
            std::vector<AVFrame*> expected = reference.Add(a, b, n);
            ASSERT_EQ(mixer.MixInto(a, b), 0) << mixer.LastError();
            ASSERT_EQ(expected.size(), 1u);
            const int planes = av_sample_fmt_is_planar(format) ? 2 : 1;
            const size_t size = size_t(n) * bytes * (planes == 1 ? 2 : 1);
            for (int p = 0; p < planes; ++p)
                EXPECT_EQ(std::memcmp(a->extended_data[p], expected[0]->extended_data[p], size), 0)
                    << "frame " << k << " plane " << p;
            compared += size * planes;
            for (AVFrame* f : expected) av_frame_free(&f);
            av_frame_free(&a);
            av_frame_free(&b);
        }
        EXPECT_EQ(compared, size_t(20) * n * 2 * bytes);
    }
}

TEST(Mixer, FramesOfDifferentShapesAreRefused) {
    std::mt19937 random(1);
    AVFrame* a = RandomFrame(AV_SAMPLE_FMT_S16, 2, 100, 0, random);
    AVFrame* b = RandomFrame(AV_SAMPLE_FMT_S16, 2, 99, 0, random);
    CAudioMixer mixer;
    EXPECT_LT(mixer.MixInto(a, b), 0);
    EXPECT_NE(mixer.LastError().find("MixInto"), std::string::npos);
    av_frame_free(&a);
    av_frame_free(&b);
}

}  // namespace
