#include <gtest/gtest.h>

#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "audio/AudioMixer.h"
#include "audio/EncoderSettings.h"
#include "audio/OutputFile.h"
#include "base/CodePage.h"
#include "decoded_file_helper.h"
#include "pulse_tools_helper.h"

namespace fs = std::filesystem;

namespace {

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/output-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        settings.output_dir = Utf8ToWide(dir + "/录音");
        settings.output_samplerate = 44100;
        settings.output_channel = 2;
    }
    void TearDown() override { fs::remove_all(dir); }

    // Feeds `seconds` of a sine through a FIFO in the encoder's format.
    void WriteTone(COutputFile& file, double seconds, double freq) {
        AVCodecContext* e = file.Encoder();
        ASSERT_NE(e, nullptr);
        CAudioFifo fifo;
        ASSERT_EQ(fifo.Init(48000, 2, e->sample_fmt, e->sample_rate, e->ch_layout.nb_channels), 0);
        const int total = static_cast<int>(seconds * 48000);
        std::vector<int16_t> block(960);
        for (int at = 0; at < total; at += 480) {
            for (int i = 0; i < 480; ++i)
                block[2 * i] = block[2 * i + 1] = static_cast<int16_t>(
                    std::lround(16000 * std::sin(2 * M_PI * freq * (at + i) / 48000.0)));
            ASSERT_EQ(fifo.Write(block.data(), 480), 480);
            while (AVFrame* f = fifo.Read(file.FrameSize())) {
                const int rc = file.EncodeFrame(f);
                av_frame_free(&f);
                ASSERT_EQ(rc, 0) << WideToUtf8(file.GetLastText());
            }
        }
    }

    std::string dir;
    CArgOutput settings;
};

struct FormatCase {
    int format;
    double quality;
    const char* codec;
    int rate;
    int channels;
};

TEST_F(OutputFileTest, EveryWritableFormatDecodesAsExpected) {
    const FormatCase cases[] = {
        {0, 128, "mp3", 44100, 2},   {1, 0, "pcm_s16le", 44100, 2}, {2, 6, "vorbis", 44100, 2},
        {3, 8, "flac", 44100, 2},    {4, 128, "mp2", 44100, 2},     {5, 128, "aac", 44100, 2},
        {6, 128, "aac", 44100, 2},   {7, 192, "ac3", 44100, 2},     {8, 12.2, "amr_nb", 8000, 1},
        {9, 128, "wmav2", 44100, 2},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.codec);
        settings.output_format = c.format;
        settings.output_quality = c.quality;
        COutputFile file;
        ASSERT_EQ(file.OpenForRecord(settings), 0) << WideToUtf8(file.GetLastText());
        WriteTone(file, 2.0, 1000);
        EXPECT_EQ(file.Close(), 0) << WideToUtf8(file.GetLastText());
        const audio_test::DecodedFile d = audio_test::DecodeFile(WideToUtf8(file.GetPath()));
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.codec, c.codec);
        EXPECT_EQ(d.rate, c.rate);
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_NEAR(d.duration, 2.0, 0.15);
        const std::vector<short> middle(d.mono.begin() + d.mono.size() / 4,
                                        d.mono.end() - d.mono.size() / 4);
        EXPECT_NEAR(audio_test::DominantFrequency(middle, d.rate, 800, 1200), 1000, 6);
    }
}

TEST_F(OutputFileTest, FileNameFromTheLocalTimeInTheOutputFolder) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 5;
    t.wHour = 14;
    t.wMinute = 7;
    t.wSecond = 9;
    t.wMilliseconds = 42;
    EXPECT_EQ(MakeRecordingFileName(t, L"mp3"), L"2024-03-05__14-07-09-0042.mp3");

    COutputFile file;
    ASSERT_EQ(file.OpenForRecord(settings), 0);
    const fs::path path(WideToUtf8(file.GetPath()));
    EXPECT_EQ(path.parent_path().string(), dir + "/录音");
    EXPECT_TRUE(std::regex_match(path.filename().string(),
                                 std::regex(R"(\d{4}-\d\d-\d\d__\d\d-\d\d-\d\d-\d{4}\.mp3)")))
        << path;
    EXPECT_EQ(file.Encoder()->bit_rate, 320000);
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(OutputFileTest, ExplicitPathAndRingtoneMuxer) {
    settings.output_file = Utf8ToWide(dir + "/given.m4r");
    settings.output_format = 6;
    settings.output_quality = 128;
    COutputFile file;
    ASSERT_EQ(file.OpenForRecord(settings), 0);
    EXPECT_EQ(file.GetPath(), settings.output_file);
    EXPECT_STREQ(file.Container()->oformat->name, "ipod");
    EXPECT_TRUE(fs::is_directory(dir + "/录音"));  // the folder is still made
    file.Close();
}

// Recordings named in one millisecond, or after the clock was set back,
// meet a name already in use: while the first file is still being written,
// and after it was closed. Each keeps its own audio; none is truncated.
TEST_F(OutputFileTest, ANameInUseIsNeverTruncated) {
    const std::string taken = dir + "/录音/2024-03-05__14-07-09-0042.mp3";
    settings.output_file = Utf8ToWide(taken);
    COutputFile first, second, third;
    ASSERT_EQ(first.OpenForRecord(settings), 0);
    WriteTone(first, 1.0, 1000);
    ASSERT_EQ(second.OpenForRecord(settings), 0);  // the first is still open
    WriteTone(second, 1.0, 500);
    ASSERT_EQ(first.Close(), 0);
    ASSERT_EQ(second.Close(), 0);
    ASSERT_EQ(third.OpenForRecord(settings), 0);  // the first is finished
    WriteTone(third, 1.0, 700);
    ASSERT_EQ(third.Close(), 0);

    EXPECT_EQ(WideToUtf8(first.GetPath()), taken);
    EXPECT_EQ(WideToUtf8(second.GetPath()), dir + "/录音/2024-03-05__14-07-09-0042(0).mp3");
    EXPECT_EQ(WideToUtf8(third.GetPath()), dir + "/录音/2024-03-05__14-07-09-0042(1).mp3");
    const struct {
        const COutputFile* file;
        double frequency;
    } expected[] = {{&first, 1000}, {&second, 500}, {&third, 700}};
    for (const auto& e : expected) {
        SCOPED_TRACE(WideToUtf8(e.file->GetPath()));
        const auto d = audio_test::DecodeFile(WideToUtf8(e.file->GetPath()));
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_NEAR(d.duration, 1.0, 0.1);
        EXPECT_NEAR(audio_test::DominantFrequency(d.mono, d.rate, 300, 1200), e.frequency, 6);
    }
}

// The mp4 family (m4a, m4r) keeps its index in the file: a file cut off
// mid-recording must still play up to its last second, a finished one must
// have the usual layout (one index, at the front, no fragments).
TEST_F(OutputFileTest, Mp4FamilyPlaysWhenCutOffAndIsPlainWhenFinished) {
    auto bytesOf = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (const int format : {5, 6}) {
        SCOPED_TRACE(format);
        settings.output_format = format;
        settings.output_quality = 128;
        settings.output_id3_title = L"片段";
        COutputFile file;
        ASSERT_EQ(file.OpenForRecord(settings), 0);
        const std::string path = WideToUtf8(file.GetPath());
        WriteTone(file, 3.5, 1000);
        // The file as a kill now would leave it.
        const std::string cut = dir + "/cut" + std::to_string(format) + ".m4a";
        fs::copy_file(path, cut);
        const auto c = audio_test::DecodeFile(cut);
        ASSERT_TRUE(c.ok) << c.error;
        EXPECT_EQ(c.codec, "aac");
        EXPECT_GE(c.duration, 2.5);
        EXPECT_LE(c.duration, 3.6);
        EXPECT_NEAR(audio_test::DominantFrequency(c.mono, c.rate, 800, 1200), 1000, 6);

        WriteTone(file, 0.5, 1000);
        ASSERT_EQ(file.Close(), 0) << WideToUtf8(file.GetLastText());
        const std::string whole = bytesOf(path);
        EXPECT_EQ(whole.find("moof"), std::string::npos);
        EXPECT_EQ(whole.find("mvex"), std::string::npos);
        ASSERT_NE(whole.find("moov"), std::string::npos);
        EXPECT_LT(whole.find("moov"), whole.find("mdat"));
        const auto d = audio_test::DecodeFile(path);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_NEAR(d.duration, 4.0, 0.1);
        EXPECT_EQ(d.tags.count("title") ? d.tags.at("title") : "", "片段");
        size_t files = 0;
        for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
            ++files;
            EXPECT_EQ(entry.path().string(), path);  // no rewrite left beside it
        }
        EXPECT_EQ(files, 1u);
        fs::remove(path);
    }
}

// The rewrite in the usual layout cannot be written (here its name is
// taken by a folder; in use, a disk too full for a second copy): the
// fragmented file stays as the recording, complete and playable, the close
// succeeds with a note, and the folder in the way is left alone.
TEST_F(OutputFileTest, Mp4ThatCannotBeRewrittenKeepsItsFragmentedFile) {
    settings.output_file = Utf8ToWide(dir + "/kept.m4a");
    settings.output_format = 5;
    settings.output_quality = 128;
    COutputFile file;
    ASSERT_EQ(file.OpenForRecord(settings), 0);
    WriteTone(file, 2.0, 1000);
    ASSERT_TRUE(fs::create_directory(dir + "/.kept.m4a.rewrite"));
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(file.GetLastText().rfind(L"文件以分段格式保存：", 0), 0u) << WideToUtf8(file.GetLastText());
    EXPECT_TRUE(fs::is_directory(dir + "/.kept.m4a.rewrite"));
    std::ifstream in(dir + "/kept.m4a", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(bytes.find("moof"), std::string::npos);
    const auto d = audio_test::DecodeFile(dir + "/kept.m4a");
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_NEAR(d.duration, 2.0, 0.1);
}

TEST_F(OutputFileTest, EachOpenStartsItsFileAtTimeZero) {
    COutputFile file;
    ASSERT_EQ(file.OpenForRecord(settings), 0);
    WriteTone(file, 0.5, 440);
    EXPECT_GT(file.GetPtsIn({1, 1000}), 400);
    settings.output_file = Utf8ToWide(dir + "/second.mp3");
    ASSERT_EQ(file.OpenForRecord(settings), 0);
    EXPECT_EQ(file.GetPtsIn({1, 44100}), 0);
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(OutputFileTest, Id3TextsAreWrittenAsUtf8) {
    settings.output_id3_title = L"晨间录音";
    settings.output_id3_artist = L"Zoë 歌手";
    settings.output_id3_album = L"专辑";
    settings.output_id3_genre = L"Speech";
    settings.output_id3_date = L"2026";
    COutputFile file;
    ASSERT_EQ(file.OpenForRecord(settings), 0);
    WriteTone(file, 0.3, 440);
    ASSERT_EQ(file.Close(), 0);
    const auto d = audio_test::DecodeFile(WideToUtf8(file.GetPath()));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.tags.at("title"), "晨间录音");
    EXPECT_EQ(d.tags.at("artist"), "Zoë 歌手");
    EXPECT_EQ(d.tags.at("album"), "专辑");
    EXPECT_EQ(d.tags.at("genre"), "Speech");
    EXPECT_EQ(d.tags.at("date"), "2026");

    CArgOutput plain;
    plain.output_file = Utf8ToWide(dir + "/plain.mp3");
    COutputFile untagged;
    ASSERT_EQ(untagged.OpenForRecord(plain), 0);
    ASSERT_EQ(untagged.Close(), 0);
    const auto u = audio_test::DecodeFile(dir + "/plain.mp3");
    EXPECT_EQ(u.tags.count("title"), 0u);
    EXPECT_EQ(u.tags.count("date"), 0u);
}

TEST_F(OutputFileTest, FailedOpensReportAndLeaveNoFile) {
    settings.output_file = Utf8ToWide(dir + "/what.xyz");
    COutputFile file;
    EXPECT_EQ(file.OpenForRecord(settings), kOutputNoContainer);
    EXPECT_EQ(file.GetLastText(), L"无法创建文件格式。");
    EXPECT_FALSE(fs::exists(dir + "/what.xyz"));

    settings.output_file = Utf8ToWide(dir + "/fast.mp3");
    settings.output_samplerate = 3000000;
    EXPECT_EQ(file.OpenForRecord(settings), kOutputNoStream);
    EXPECT_EQ(file.GetLastText(), L"文件创建音频数据流失败。");
    EXPECT_FALSE(fs::exists(dir + "/fast.mp3"));

    settings.output_file = Utf8ToWide(dir + "/bad.flac");  // levels end at 12
    settings.output_samplerate = 44100;
    settings.output_quality = 20;
    EXPECT_EQ(file.OpenForRecord(settings), kOutputNoStream);
    EXPECT_FALSE(fs::exists(dir + "/bad.flac"));
    EXPECT_EQ(file.EncodeFrame(nullptr), kOutputNoEncoder);
}

TEST_F(OutputFileTest, WriteFailureIsAnErrorNeverSuccess) {
    const std::string full = dir + "/full.wav";
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    settings.output_file = Utf8ToWide(full);
    settings.output_format = 1;
    COutputFile file;
    int rc = file.OpenForRecord(settings);
    if (rc == 0) {
        CAudioFifo fifo;
        AVCodecContext* e = file.Encoder();
        ASSERT_EQ(fifo.Init(44100, 2, e->sample_fmt, 44100, 2), 0);
        std::vector<int16_t> block(882, 1000);
        for (int i = 0; i < 500 && rc == 0; ++i) {
            fifo.Write(block.data(), 441);
            while (AVFrame* f = fifo.Read(file.FrameSize())) {
                rc = file.EncodeFrame(f);
                av_frame_free(&f);
                if (rc != 0) break;
            }
        }
        if (rc == 0) rc = file.Close();
        EXPECT_TRUE(IsDiskFullError(rc)) << rc;
        EXPECT_NE(file.GetLastText().find(L"写入文件失败"), std::wstring::npos);
    } else {
        EXPECT_EQ(rc, kOutputNoContainer);
    }
    file.Close();
    struct stat info {};
    ASSERT_EQ(stat("/dev/full", &info), 0);  // the device itself is untouched
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// Past a header that fits the write buffer, the first full buffer fails.
TEST_F(OutputFileTest, WriteFailureWhileEncodingIsReported) {
    const std::string full = dir + "/full.mp3";
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    settings.output_file = Utf8ToWide(full);
    COutputFile file;
    ASSERT_EQ(file.OpenForRecord(settings), 0) << WideToUtf8(file.GetLastText());
    CAudioFifo fifo;
    AVCodecContext* e = file.Encoder();
    ASSERT_EQ(fifo.Init(44100, 2, e->sample_fmt, 44100, 2), 0);
    std::vector<int16_t> block(882);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<int16_t>((i * 7919) % 20000);
    int rc = 0;
    for (int i = 0; i < 1000 && rc == 0; ++i) {
        fifo.Write(block.data(), 441);
        while (AVFrame* f = fifo.Read(file.FrameSize())) {
            rc = file.EncodeFrame(f);
            av_frame_free(&f);
            if (rc != 0) break;
        }
    }
    EXPECT_TRUE(IsDiskFullError(rc)) << rc;
    EXPECT_NE(file.GetLastText().find(L"写入文件失败"), std::wstring::npos);
    file.Close();
}

TEST(EncoderSettings, QualityBecomesEncoderSettings) {
    EncoderSetup ogg = MakeEncoderSetup({AV_CODEC_ID_VORBIS, 44100, 2, 6});
    EXPECT_TRUE(ogg.qscale);
    EXPECT_EQ(ogg.globalQuality, 708);
    EXPECT_EQ(ogg.bitRate, 0);
    EncoderSetup flac = MakeEncoderSetup({AV_CODEC_ID_FLAC, 44100, 2, 12});
    EXPECT_EQ(flac.compressionLevel, 12);
    EXPECT_EQ(flac.bitRate, 0);
    EncoderSetup mp3 = MakeEncoderSetup({AV_CODEC_ID_MP3, 44100, 0, 320});
    EXPECT_EQ(mp3.bitRate, 320000);
    EXPECT_EQ(mp3.channels, 2);
    EXPECT_EQ(MakeEncoderSetup({AV_CODEC_ID_AMR_NB, 8000, 1, 7.95}).bitRate, 7950);
}

TEST(EncoderSettings, QualityThatIsNoNumberOrTooLargeIsClamped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(MakeEncoderSetup({AV_CODEC_ID_MP3, 44100, 2, nan}).bitRate, 0);
    EXPECT_EQ(MakeEncoderSetup({AV_CODEC_ID_MP3, 44100, 2, -5}).bitRate, 0);
    EXPECT_EQ(MakeEncoderSetup({AV_CODEC_ID_MP3, 44100, 2, 1e300}).bitRate,
              std::numeric_limits<int64_t>::max());
    EXPECT_EQ(MakeEncoderSetup({AV_CODEC_ID_VORBIS, 44100, 2, 1e300}).globalQuality,
              std::numeric_limits<int>::max());
    EXPECT_EQ(MakeEncoderSetup({AV_CODEC_ID_FLAC, 44100, 2, nan}).compressionLevel, 0);
}

TEST(EncoderSettings, RatesAndChannelsSnapToTheEncoder) {
    struct Case {
        const char* encoder;
        AVCodecID muxer;
        int64_t bitRate;
        int rate, channels;
        int64_t wantBitRate;
        int wantRate, wantChannels;
    };
    const Case cases[] = {
        {"mp2", AV_CODEC_ID_MP2, 128000, 44100, 2, 128000, 44100, 2},  // MPEG-1 stays
        {"mp2", AV_CODEC_ID_MP2, 128000, 22050, 2, 128000, 22050, 2},  // MPEG-2 low rate
        {"mp2", AV_CODEC_ID_MP2, 100000, 44100, 2, 112000, 44100, 2},
        {"mp2", AV_CODEC_ID_MP2, 8000, 44100, 2, 16000, 24000, 2},    // 8 kbit/s would be silent
        {"ac3", AV_CODEC_ID_AC3, 192000, 22050, 2, 192000, 32000, 2},
        {"libmp3lame", AV_CODEC_ID_MP3, 320000, 96000, 2, 320000, 48000, 2},
        {"libopencore_amrnb", AV_CODEC_ID_AMR_NB, 12200, 44100, 2, 12200, 8000, 1},
        {"wmav2", AV_CODEC_ID_WMAV2, 128000, 48000, 2, 128000, 44100, 2},
    };
    for (const Case& c : cases) {
        int64_t bitRate = c.bitRate;
        int rate = c.rate, channels = c.channels;
        FitToEncoder(avcodec_find_encoder_by_name(c.encoder), c.muxer, &bitRate, &rate, &channels);
        EXPECT_EQ(bitRate, c.wantBitRate) << c.encoder << " " << c.rate;
        EXPECT_EQ(rate, c.wantRate) << c.encoder << " " << c.rate;
        EXPECT_EQ(channels, c.wantChannels) << c.encoder;
    }
}

}  // namespace
