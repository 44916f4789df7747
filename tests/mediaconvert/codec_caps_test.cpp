#include <gtest/gtest.h>

#include "mediaconvert/MCCodecCaps.h"

namespace {

using Ints = std::vector<int>;

TEST(EncoderLists, OwnTablesComeBeforeFFmpegs) {
  EXPECT_EQ(MCGetEncoderSampleRates("mp2"), (Ints{16000, 22050, 24000, 32000, 44100, 48000}));
  EXPECT_EQ(MCGetEncoderSampleRates("ac3"), (Ints{32000, 44100, 48000}));
  EXPECT_EQ(MCGetEncoderSampleRates("wmav2"), (Ints{8000, 11025, 16000, 22050, 44100}));
  EXPECT_EQ(MCGetEncoderSampleRates("libopencore_amrnb"), (Ints{8000}));
  EXPECT_EQ(MCGetEncoderChannels("libopencore_amrnb"), (Ints{1}));
  EXPECT_TRUE(MCGetEncoderSampleRates(static_cast<const AVCodec*>(nullptr)).empty());
  EXPECT_TRUE(MCGetEncoderChannels("no_such_encoder").empty());
}

TEST(EncoderLists, FFmpegTablesSortedOrDefault) {
  // libmp3lame lists its rates descending; the result is ascending.
  const Ints mp3 = MCGetEncoderSampleRates("libmp3lame");
  ASSERT_FALSE(mp3.empty());
  EXPECT_TRUE(std::is_sorted(mp3.begin(), mp3.end()));
  EXPECT_EQ(mp3.back(), 48000);
  // pcm_s16le has no rate list: the eight defaults.
  EXPECT_EQ(MCGetEncoderSampleRates("pcm_s16le"),
            (Ints{8000, 11025, 16000, 22050, 44100, 48000, 88200, 96000}));
  EXPECT_EQ(MCGetEncoderChannels("pcm_s16le"), (Ints{1, 2}));
  // The ac3 encoder lists many layouts, counts 1 to 6 among them.
  const Ints ac3 = MCGetEncoderChannels("ac3");
  EXPECT_TRUE(std::is_sorted(ac3.begin(), ac3.end()));
  EXPECT_EQ(ac3.front(), 1);
  EXPECT_EQ(ac3.back(), 6);
}

TEST(EncoderLists, Snapping) {
  EXPECT_EQ(MCSnapToList({8000}, 44100), 8000);
  EXPECT_EQ(MCSnapToList({32000, 44100, 48000}, 50000), 48000);
  EXPECT_EQ(MCSnapToList({2, 6}, 1), 2);
  EXPECT_EQ(MCSnapToList({32000, 44100, 48000}, 44100), 44100);
  EXPECT_EQ(MCSnapToList({}, 12345), 12345);
}

struct AudioFix {
  AVCodecID id;
  int64_t bitRate;
  int rate;
  int channels;
  int64_t wantBitRate;
  int wantRate;
  int wantChannels;
};

TEST(FixAudioParams, Table) {
  const AudioFix cases[] = {
      {AV_CODEC_ID_AMR_NB, 12200, 44100, 2, 12200, 8000, 1},
      {AV_CODEC_ID_MP2, 192000, 44100, 2, 192000, 44100, 2},
      {AV_CODEC_ID_MP2, 100000, 44100, 2, 112000, 44100, 2},
      {AV_CODEC_ID_MP2, 100000, 22050, 2, 112000, 48000, 2},
      {AV_CODEC_ID_MP2, 500000, 44100, 2, 384000, 44100, 2},
      // MPEG-1's list at its own rates keeps the rate; MPEG-2's figures
      // elsewhere go to its half rates.
      {AV_CODEC_ID_MP2, 64000, 48000, 2, 64000, 48000, 2},
      {AV_CODEC_ID_MP2, 128000, 44100, 2, 128000, 44100, 2},
      {AV_CODEC_ID_MP2, 128000, 32000, 2, 128000, 32000, 2},
      {AV_CODEC_ID_MP2, 144000, 44100, 2, 144000, 24000, 2},
      {AV_CODEC_ID_MP2, 128000, 22050, 2, 128000, 22050, 2},
      // 8 kbit/s: two channels only up to 16 kHz (above, noise); one
      // channel at MPEG-2's highest rate.
      {AV_CODEC_ID_MP2, 8000, 48000, 2, 8000, 16000, 2},
      {AV_CODEC_ID_MP2, 8000, 48000, 1, 8000, 24000, 1},
      {AV_CODEC_ID_MP3, 128000, 22050, 2, 128000, 32000, 2},
      {AV_CODEC_ID_MP3, 64000, 22050, 2, 64000, 22050, 2},
      {AV_CODEC_ID_MP3, 144000, 44100, 2, 144000, 24000, 2},
      {AV_CODEC_ID_MP3, 24000, 44100, 2, 24000, 8000, 2},
      {AV_CODEC_ID_MP3, 48000, 44100, 2, 48000, 32000, 2},
      {AV_CODEC_ID_AC3, 32000, 44100, 6, 32000, 32000, 4},
      {AV_CODEC_ID_AC3, 192000, 44100, 6, 192000, 44100, 6},
      {AV_CODEC_ID_FLAC, 1, 7, 9, 1, 7, 9},
  };
  for (const AudioFix& c : cases) {
    int64_t br = c.bitRate;
    int rate = c.rate, ch = c.channels;
    MCFixAudioParams(c.id, &br, &rate, &ch);
    EXPECT_EQ(br, c.wantBitRate) << avcodec_get_name(c.id) << " " << c.bitRate;
    EXPECT_EQ(rate, c.wantRate) << avcodec_get_name(c.id) << " " << c.bitRate;
    EXPECT_EQ(ch, c.wantChannels) << avcodec_get_name(c.id) << " " << c.bitRate;
  }
}

TEST(FrameRates, NearestAndOrientation) {
  // mpeg1video only takes the MPEG frame-rate table (..., 24, 25, 30000/1001, 30, ...).
  const AVCodec* mpeg1 = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  ASSERT_NE(mpeg1, nullptr);
  EXPECT_EQ(av_cmp_q(MCGetNearestFrameRate(mpeg1, {26, 1}), AVRational{25, 1}), 0);
  EXPECT_EQ(av_cmp_q(MCGetNearestFrameRate(mpeg1, {25, 1}), AVRational{25, 1}), 0);
  EXPECT_EQ(av_cmp_q(MCGetNearestFrameRate(mpeg1, {200, 1}), AVRational{60, 1}), 0);
  EXPECT_EQ(av_cmp_q(MCGetNearestFrameRate(nullptr, {7, 3}), AVRational{7, 3}), 0);

  AVStream stream{};
  stream.r_frame_rate = {25, 1};
  EXPECT_EQ(av_cmp_q(MCFixFrameRate(&stream, {1, 25}), AVRational{25, 1}), 0);
  EXPECT_EQ(av_cmp_q(MCFixFrameRate(&stream, {30, 1}), AVRational{30, 1}), 0);
  EXPECT_EQ(av_cmp_q(MCFixFrameRate(&stream, {1000, 1}), AVRational{30, 1}), 0);
}

TEST(HardwareEncoders, NamesWithoutAmdRuntime) {
  if (MCIsAmfAvailable()) GTEST_SKIP() << "AMD runtime present";
  EXPECT_EQ(MCGetHwEncoders(AV_CODEC_ID_H264), (std::vector<std::string>{"h264_nvenc", "h264_qsv"}));
  EXPECT_EQ(MCGetHwEncoders(AV_CODEC_ID_HEVC), (std::vector<std::string>{"hevc_nvenc", "hevc_qsv"}));
  EXPECT_TRUE(MCGetHwEncoders(AV_CODEC_ID_MP3).empty());
  // Decoder list ends with the software decoder whatever hardware exists.
  const auto decoders = MCGetHwDecoders(AV_CODEC_ID_H264);
  ASSERT_FALSE(decoders.empty());
  EXPECT_EQ(decoders.back(), "h264");
}

TEST(TextHelpers, SplitAnsiReadAndSubtitle) {
  using W = std::vector<std::wstring>;
  EXPECT_EQ(MCSplitString(L"mov,mp4,m4a", L","), (W{L"mov", L"mp4", L"m4a"}));
  EXPECT_EQ(MCSplitString(L"a,b,", L","), (W{L"a", L"b"}));
  EXPECT_EQ(MCSplitString(L"abc", L","), (W{L"abc"}));
  EXPECT_TRUE(MCSplitString(L"abc", L"").empty());

  EXPECT_FALSE(MCIsAnsiText("caf\xC3\xA9"));
  EXPECT_FALSE(MCIsAnsiText("\xE4\xB8\xAD"));
  EXPECT_TRUE(MCIsAnsiText("plain"));
  EXPECT_TRUE(MCIsAnsiText(""));
  EXPECT_TRUE(MCIsAnsiText("caf\xE9x"));
  EXPECT_TRUE(MCIsAnsiText("\x80"));
  EXPECT_TRUE(MCIsAnsiText("\xE4\xB8"));

  const uint8_t bytes[] = {1, 2, 3, 4};
  EXPECT_EQ(MCReadUInt32(bytes, -1), 0x04030201u);
  EXPECT_EQ(MCReadUInt32(bytes, 0), 0x01020304u);
  EXPECT_EQ(MCReadUInt32(nullptr, 0), 0u);

  EXPECT_TRUE(MCIsTextSubtitle(AV_CODEC_ID_SUBRIP));
  EXPECT_FALSE(MCIsTextSubtitle(AV_CODEC_ID_DVD_SUBTITLE));
  EXPECT_EQ(MCBytesPerSample(AV_SAMPLE_FMT_FLTP), 4);
}

}  // namespace
