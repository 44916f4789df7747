// The output side of the media file object: encoders chosen and fitted
// from the container and the parameter block, on inputs made by ffmpeg.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "media_files_helper.h"
#include "z_tolvane/FFmpegFile.h"

namespace {

class LegacyOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = mctest::MakeTempDir("legacy-out");
    video_ = dir_ + "/in.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=160x120:r=25:d=1 -f lavfi -i sine=sample_rate=32000:d=1 "
                               "-c:v libx264 -preset ultrafast -c:a aac '" + video_ + "'"));
    sound48k_ = dir_ + "/in48k.wav";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=sample_rate=48000:d=1 '" + sound48k_ + "'"));
    sound44k_ = dir_ + "/in44k.wav";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=sample_rate=44100:d=1 '" + sound44k_ + "'"));
  }
  static std::string dir_, video_, sound48k_, sound44k_;
};
std::string LegacyOutputTest::dir_, LegacyOutputTest::video_, LegacyOutputTest::sound48k_, LegacyOutputTest::sound44k_;

TEST_F(LegacyOutputTest, EncodersFollowContainerAndParameters) {
  const struct {
    const std::string* input;
    const char* output;
    double audioKbps;
    const char* videoEncoder;  // null: no video stream
    const char* audioEncoder;
    int rate;
    int64_t bitRate;  // 0: not checked
  } cases[] = {
      // Hardware candidates are tried first and give way to the software
      // encoder; the sound keeps the input's rate.
      {&video_, "out.mp4", -1, "libx264", "aac", 32000, 0},
      {&sound48k_, "out.flv", -1, nullptr, "libmp3lame", 44100, 0},
      {&sound44k_, "out.mp2", 128, nullptr, "mp2", 44100, 128000},
      {&sound48k_, "out.mxf", -1, nullptr, "pcm_s16le", 48000, 0},
  };
  for (const auto& c : cases) {
    FFmpegFile input;
    std::unique_ptr<MCMedia> media(input.Open(c.input->c_str(), true, true));
    ASSERT_NE(media, nullptr) << c.output;
    MCConvertParam p;
    p.audioBitRate = c.audioKbps;
    FFmpegFile output;
    const std::string path = dir_ + "/" + c.output;
    ASSERT_TRUE(output.OpenOutputFile(path.c_str(), &input, p)) << c.output;
    if (c.videoEncoder) {
      ASSERT_NE(output.VideoContext(), nullptr) << c.output;
      EXPECT_STREQ(output.VideoContext()->codec->name, c.videoEncoder) << c.output;
      EXPECT_FALSE(p.hwEncode) << c.output;
      EXPECT_EQ(output.VideoContext()->width, 160);
    } else {
      EXPECT_EQ(output.VideoContext(), nullptr) << c.output;
    }
    ASSERT_NE(output.AudioContext(), nullptr) << c.output;
    EXPECT_STREQ(output.AudioContext()->codec->name, c.audioEncoder) << c.output;
    EXPECT_EQ(output.AudioContext()->sample_rate, c.rate) << c.output;
    if (c.bitRate) EXPECT_EQ(output.AudioContext()->bit_rate, c.bitRate) << c.output;
    EXPECT_TRUE(mctest::FileExists(path)) << c.output;
  }
}

TEST_F(LegacyOutputTest, SoundStreamThatCannotBeMadeFailsTheOutput) {
  FFmpegFile input;
  std::unique_ptr<MCMedia> media(input.Open(sound44k_.c_str(), true, false));
  ASSERT_NE(media, nullptr);
  MCConvertParam p;
  p.flacLevel = 99;  // beyond what the FLAC encoder accepts
  FFmpegFile output;
  const std::string path = dir_ + "/bad.flac";
  EXPECT_FALSE(output.OpenOutputFile(path.c_str(), &input, p));
  EXPECT_FALSE(mctest::FileExists(path));
}

TEST(LegacyOutput, FitVideoBitRateCapsByPictureAndLowersHighRates) {
  AVCodecContext* ctx = avcodec_alloc_context3(nullptr);
  ctx->width = 100;
  ctx->height = 50;
  ctx->framerate = AVRational{60, 1};
  ctx->bit_rate = 10000000;
  MCConvertParam p;
  p.videoBitRateFactor = 0.5f;
  p.frameRateFactor = 0.5;
  FFmpegFile::FitVideoBitRate(ctx, p);
  EXPECT_EQ(av_cmp_q(ctx->framerate, AVRational{30, 1}), 0);
  EXPECT_EQ(ctx->bit_rate, 100 * 50 * 30 / 2);
  EXPECT_EQ(ctx->rc_max_rate, ctx->bit_rate);
  EXPECT_EQ(ctx->rc_buffer_size, ctx->bit_rate);
  // A rate already below the cap stays.
  ctx->bit_rate = 1000;
  FFmpegFile::FitVideoBitRate(ctx, p);
  EXPECT_EQ(ctx->bit_rate, 1000);
  avcodec_free_context(&ctx);
}

}  // namespace
