// The audio encoders at the edges of what the output choices offer: low
// bit rates must still carry the sound, and a higher bit rate asked must
// give a higher bit rate where the encoder can spend it.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <vector>
#include <string>

#include "decoded_file_helper.h"
#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

using audio_test::DecodeFile;
using audio_test::DecodedFile;
using audio_test::ToneAmplitude;

class EncoderChoicesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = mctest::MakeTempDir("encoder-choices");
    tone_ = dir_ + "/tone.wav";
    // 440 Hz at half scale, stereo.
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i \"sine=f=440:sample_rate=44100:d=3\" -af volume=0.5 -ac 2 '" + tone_ +
                               "'"));
    const DecodedFile in = DecodeFile(tone_);
    ASSERT_TRUE(in.ok) << in.error;
    inputTone_ = ToneAmplitude(std::vector<short>(in.mono.begin() + in.rate, in.mono.begin() + 2 * in.rate), in.rate,
                               440);
  }
  static std::string dir_, tone_;
  static double inputTone_;
};
std::string EncoderChoicesTest::dir_, EncoderChoicesTest::tone_;
double EncoderChoicesTest::inputTone_ = 0;

TEST_F(EncoderChoicesTest, LowBitRatesStillCarryTheTone) {
  const struct {
    const char* ext;
    double kbps;
    int rate;  // -1: the input's
    int channels;
  } cases[] = {
      {"mp2", 8, -1, 2},    {"mp2", 8, 22050, 2}, {"mp2", 8, 24000, 2}, {"mp2", 8, -1, 1},
      {"mp2", 16, -1, 2},   {"mp3", 8, -1, 2},    {"m4a", 8, 7350, 2},  {"m4a", 16, 8000, 2},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.ext) + " " + std::to_string(static_cast<int>(c.kbps)) + " kbit/s " +
                             std::to_string(c.rate) + " Hz " + std::to_string(c.channels) + " ch";
    SCOPED_TRACE(what);
    const std::string out = dir_ + "/low-" + std::to_string(&c - cases) + "." + c.ext;
    MCConvertParam p;
    p.audioBitRate = c.kbps;
    p.sampleRate = c.rate;
    p.channels = c.channels;
    MCMediaConvert job;
    ASSERT_EQ(job.Convert(tone_.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
    const DecodedFile f = DecodeFile(out);
    ASSERT_TRUE(f.ok) << f.error;
    ASSERT_GT(f.mono.size(), static_cast<size_t>(f.rate));
    // One second from the middle: the tone at about its level (half scale),
    // and little else beside it.
    const std::vector<short> middle(f.mono.begin() + f.rate, f.mono.begin() + 2 * f.rate);
    double sum = 0;
    for (short s : middle) sum += static_cast<double>(s) * s;
    const double rms = std::sqrt(sum / static_cast<double>(middle.size()));
    const double tone = ToneAmplitude(middle, f.rate, 440);
    // (A down-mix to one channel may lower the level a little.)
    EXPECT_GT(tone, inputTone_ * 0.5);
    EXPECT_LT(tone, inputTone_ * 1.3);
    // A pure tone's RMS is its amplitude over the square root of two.
    EXPECT_LT(rms, tone / std::sqrt(2.0) * 1.25) << "noise beside the tone";
  }
}

TEST_F(EncoderChoicesTest, HigherBitRateChosenGivesHigherBitRate) {
  // Noise, so that the encoder has something to spend bits on.
  const std::string noise = dir_ + "/noise.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i \"anoisesrc=d=4:c=pink:a=0.3:r=44100\" -ac 2 '" + noise + "'"));
  const struct {
    const char* ext;
    int rate;
    std::vector<double> kbps;
  } cases[] = {
      // AAC at the lowest rates spends at most about 41 kbit/s on two
      // channels, whatever is asked: the steps below that.
      {"m4a", 7350, {8, 16, 24, 32}},
      {"m4a", 8000, {8, 16, 24, 32}},
      {"m4a", 44100, {32, 64, 128, 320}},
      {"mp3", 44100, {64, 128, 320}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.ext) + " at " + std::to_string(c.rate));
    double previous = 0;
    for (double kbps : c.kbps) {
      const std::string out = dir_ + "/rate-" + std::to_string(c.rate) + "-" + std::to_string(static_cast<int>(kbps)) +
                              "." + c.ext;
      MCConvertParam p;
      p.audioBitRate = kbps;
      p.sampleRate = c.rate;
      MCMediaConvert job;
      ASSERT_EQ(job.Convert(noise.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
      const double rate = std::atof(mctest::Probe(out)["format.bit_rate"].c_str()) / 1000;
      EXPECT_EQ(std::atoi(mctest::Probe(out)["streams.stream.0.sample_rate"].c_str()), c.rate) << kbps;
      EXPECT_GT(rate, previous * 1.1) << kbps << " kbit/s asked";
      previous = rate;
    }
  }
}

}  // namespace
