#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

using mctest::Probe;

double Seconds(const std::map<std::string, std::string>& facts) {
  const auto it = facts.find("format.duration");
  return it == facts.end() ? -1.0 : std::atof(it->second.c_str());
}

// Peak of the first channel's samples, decoded by ffmpeg as s16.
int PeakOf(const std::string& path) {
  FILE* pipe = popen(("ffmpeg -nostdin -v error -i '" + path + "' -f s16le -ac 1 -").c_str(), "r");
  if (pipe == nullptr) return -1;
  int16_t sample;
  int peak = 0;
  while (fread(&sample, sizeof sample, 1, pipe) == 1) peak = std::max(peak, std::abs(static_cast<int>(sample)));
  pclose(pipe);
  return peak;
}

// Zero crossings of the first channel in the first and in the last
// `span` seconds, decoded by ffmpeg as s16 at 8000 Hz.
std::pair<int, int> CrossingsAtEnds(const std::string& path, double span) {
  FILE* pipe = popen(("ffmpeg -nostdin -v error -i '" + path + "' -f s16le -ac 1 -ar 8000 -").c_str(), "r");
  std::vector<int16_t> samples;
  if (pipe != nullptr) {
    int16_t sample;
    while (fread(&sample, sizeof sample, 1, pipe) == 1) samples.push_back(sample);
    pclose(pipe);
  }
  const size_t n = static_cast<size_t>(span * 8000);
  if (samples.size() < 2 * n) return {-1, -1};
  auto count = [&samples](size_t from, size_t to) {
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    return crossings;
  };
  return {count(0, n), count(samples.size() - n, samples.size())};
}

class ConvertJobTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = mctest::MakeTempDir("convert"); }
  std::string Tone(const std::string& name, double seconds, int rate = 44100) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=frequency=440:sample_rate=" + std::to_string(rate) +
                               ":duration=" + std::to_string(seconds) + " -ac 2 '" + path + "'"));
    return path;
  }
  std::string dir_;
};

TEST_F(ConvertJobTest, ResamplesAndChangesCodec) {
  const std::string in = Tone("in.wav", 2.0);
  const std::string out = dir_ + "/out.mp3";
  MCConvertParam param;
  param.sampleRate = 22050;
  param.channels = 1;
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), param, nullptr), 0) << job.GetErrorInfo().message;
  auto facts = Probe(out);
  EXPECT_EQ(facts["streams.stream.0.codec_name"], "mp3");
  EXPECT_EQ(facts["streams.stream.0.sample_rate"], "22050");
  EXPECT_EQ(facts["streams.stream.0.channels"], "1");
  EXPECT_NEAR(Seconds(facts), 2.0, 0.1);
  EXPECT_TRUE(mctest::DecodesCleanly(out));
}

TEST_F(ConvertJobTest, VolumeAndTempo) {
  const std::string in = Tone("in.wav", 2.0);
  const std::string out = dir_ + "/out.flac";
  MCConvertParam param;
  param.stream.volume = 0.5;
  param.stream.speed = 2.0;
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), param, nullptr), 0) << job.GetErrorInfo().message;
  auto facts = Probe(out);
  EXPECT_EQ(facts["streams.stream.0.codec_name"], "flac");
  EXPECT_NEAR(Seconds(facts), 1.0, 0.1);
  const int before = PeakOf(in), after = PeakOf(out);
  ASSERT_GT(before, 1000);
  EXPECT_NEAR(after, before / 2, before * 0.06);
  EXPECT_TRUE(mctest::DecodesCleanly(out));
}

TEST_F(ConvertJobTest, VideoThroughFilterGraph) {
  const std::string in = dir_ + "/in.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=d=2:s=160x120:r=25 -f lavfi -i sine=d=2:sample_rate=48000 "
                             "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest '" + in + "'"));
  const std::string out = dir_ + "/out.avi";
  MCConvertParam param;
  param.width = 96;
  param.height = 96;
  param.stream.contrast = 1.3;
  param.stream.rotation = 90;
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), param, nullptr), 0) << job.GetErrorInfo().message;
  auto facts = Probe(out);
  EXPECT_EQ(facts["streams.stream.0.codec_type"], "video");
  EXPECT_EQ(facts["streams.stream.0.width"], "96");
  EXPECT_EQ(facts["streams.stream.0.height"], "96");
  EXPECT_EQ(facts["streams.stream.1.codec_type"], "audio");
  EXPECT_NEAR(Seconds(facts), 2.0, 0.15);
  EXPECT_TRUE(mctest::DecodesCleanly(out));
  // Every input picture arrives: 2 s at 25 frames/s.
  const int frames = std::atoi(facts["streams.stream.0.nb_frames"].c_str());
  EXPECT_EQ(frames, 50);  // the first picture (index 0) included
}

// A 15 frames/s input whose time base counts fifteenths of a second (a
// common screen or webcam recording), into a container whose encoder only
// offers 23.976 frames/s or more: the run ends, with every picture.
TEST_F(ConvertJobTest, CoarseTimeBaseToAHigherFrameRateEnds) {
  const std::string in = dir_ + "/fifteen.avi";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=d=1:s=160x120:r=15 -c:v mpeg4 -f avi '" + in + "'"));
  ASSERT_EQ(Probe(in)["streams.stream.0.time_base"], "1/15");
  const std::string out = dir_ + "/fifteen.mpg";
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), MCConvertParam(), nullptr), 0) << job.GetErrorInfo().message;
  EXPECT_EQ(Probe(out)["streams.stream.0.codec_name"], "mpeg1video");
  EXPECT_TRUE(mctest::DecodesCleanly(out));
  FILE* pipe = popen(("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "
                      "-of csv=p=0 '" + out + "'").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[64] = {0};
  const bool read = fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  ASSERT_TRUE(read);
  EXPECT_GE(std::atoi(line), 15);
}

TEST_F(ConvertJobTest, SameParametersAreCopiedBitExact) {
  const std::string in = dir_ + "/in.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1.5 -c:a libmp3lame -b:a 96k '" + in + "'"));
  const std::string out = dir_ + "/out.mp3";
  MCMediaConvert job;
  MCConvertParam param;
  param.tags.SetTitle(L"Copied");
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), param, nullptr), 0);
  const auto a = mctest::AudioPacketSums(in), b = mctest::AudioPacketSums(out);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_EQ(Probe(out)["format.tags.title"], "Copied");

  // copyWhenSame off: re-encoded, so the packets differ but it decodes.
  const std::string again = dir_ + "/again.mp3";
  param.copyWhenSame = false;
  MCMediaConvert job2;
  ASSERT_EQ(job2.Convert(in.c_str(), again.c_str(), param, nullptr), 0);
  EXPECT_NE(mctest::AudioPacketSums(again), a);
  EXPECT_TRUE(mctest::DecodesCleanly(again));
}

TEST_F(ConvertJobTest, CorruptInputsEndInErrorWithRecord) {
  const std::string good = dir_ + "/good.m4a";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=2 -c:a aac '" + good + "'"));
  const std::string bytes = mctest::ReadFile(good);
  std::string random(8192, '\0');
  unsigned state = 12345;
  for (char& c : random) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  const struct {
    const char* name;
    std::string content;
  } cases[] = {{"truncated.m4a", bytes.substr(0, bytes.size() / 3)},
               {"random.mp3", random},
               {"empty.wav", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string in = dir_ + "/" + c.name;
    mctest::WriteFile(in, c.content);
    MCMediaConvert job;
    const int rc = job.Convert(in.c_str(), (dir_ + "/out.wav").c_str(), MCConvertParam(), nullptr);
    EXPECT_LT(rc, 0);
    const MCErrorInfo error = job.GetErrorInfo();
    EXPECT_EQ(error.code, rc);
    EXPECT_FALSE(error.message.empty());
    EXPECT_FALSE(error.function.empty());
  }
  MCMediaConvert missing;
  EXPECT_LT(missing.Convert((dir_ + "/none.wav").c_str(), (dir_ + "/o.wav").c_str(), MCConvertParam(), nullptr), 0);
  EXPECT_EQ(missing.GetErrorInfo().function, "MCDeMuxerBase::InitDeMuxer");
}

struct CancelAtFirstReport : MCIConvertListener {
  MCMediaConvert* job = nullptr;
  int reads = 0;
  bool OnReadProgress(std::wstring, int64_t, int64_t) override {
    if (++reads == 3) job->enabled.exchange(false);
    return true;
  }
  bool OnWriteProgress(std::wstring, int64_t, int64_t) override { return true; }
};

TEST_F(ConvertJobTest, CancelReturnsNonZeroAndRunAgainConverts) {
  const std::string in = Tone("in.wav", 3.0);
  MCMediaConvert job;
  CancelAtFirstReport listener;
  listener.job = &job;
  job.listener = &listener;
  EXPECT_EQ(job.Convert(in.c_str(), (dir_ + "/cut.mp3").c_str(), MCConvertParam(), nullptr), AVERROR_EXIT);
  EXPECT_EQ(listener.reads, 3);

  // The same job converts again when asked.
  job.enabled = true;
  job.listener = nullptr;
  const std::string out = dir_ + "/second.ogg";
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), MCConvertParam(), nullptr), 0);
  EXPECT_NEAR(Seconds(Probe(out)), 3.0, 0.1);
  const std::string third = dir_ + "/third.flac";
  ASSERT_EQ(job.Convert(in.c_str(), third.c_str(), MCConvertParam(), nullptr), 0);
  EXPECT_TRUE(mctest::DecodesCleanly(third));
}

TEST_F(ConvertJobTest, CancelledBeforeItStartsCreatesNoFile) {
  const std::string in = Tone("in.wav", 1.0);
  const std::string out = dir_ + "/never.mp3";
  MCMediaConvert job;
  job.enabled = false;
  EXPECT_EQ(job.Convert(in.c_str(), out.c_str(), MCConvertParam(), nullptr), AVERROR_EXIT);
  EXPECT_FALSE(mctest::FileExists(out));
  EXPECT_EQ(job.GetErrorInfo().code, AVERROR_EXIT);
}

TEST_F(ConvertJobTest, Mp2AtAnMpeg1RateKeepsIt) {
  const std::string in = Tone("in.wav", 1.0);
  const struct {
    double kbps;
    int rate;
    const char* wantRate;
  } cases[] = {{128, 44100, "44100"}, {64, 48000, "48000"}, {144, 44100, "24000"}};
  for (const auto& c : cases) {
    const std::string out = dir_ + "/out-" + std::to_string(c.rate) + "-" + std::to_string(int(c.kbps)) + ".mp2";
    MCConvertParam p;
    p.audioBitRate = c.kbps;
    p.sampleRate = c.rate;
    MCMediaConvert job;
    ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
    auto facts = Probe(out);
    EXPECT_EQ(facts["streams.stream.0.sample_rate"], c.wantRate) << c.kbps;
    EXPECT_EQ(facts["streams.stream.0.bit_rate"], std::to_string(int(c.kbps * 1000))) << c.kbps;
  }
}

TEST_F(ConvertJobTest, LogPathTakesMessagesAndStdoutStaysOpen) {
  const std::string log = dir_ + "/run.log";
  MCMediaConvert job;
  EXPECT_LT(job.Convert((dir_ + "/none.wav").c_str(), (dir_ + "/o.wav").c_str(), MCConvertParam(), log.c_str()), 0);
  const std::string text = mctest::ReadFile(log);
  EXPECT_NE(text.find("MCDeMuxerBase::InitDeMuxer"), std::string::npos) << text;
  EXPECT_NE(fcntl(STDOUT_FILENO, F_GETFD), -1);
  EXPECT_GE(fprintf(stdout, "%s", ""), 0);
}

TEST_F(ConvertJobTest, ReversePlaysBackwards) {
  // A rising tone: the reversed file falls.
  const std::string in = dir_ + "/rise.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i \"aevalsrc=0.8*sin(2*PI*(200+400*t)*t):s=8000:d=1\" -c:a pcm_s16le '" + in +
                             "'"));
  const std::string out = dir_ + "/fall.wav";
  MCConvertParam param;
  param.stream.reverse = true;
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), param, nullptr), 0) << job.GetErrorInfo().message;
  EXPECT_NEAR(Seconds(Probe(out)), 1.0, 0.05);
  EXPECT_TRUE(mctest::DecodesCleanly(out));
  // The tone rises from 200 to 1000 Hz: the input crosses zero far more
  // often at its end, the reversed output at its start.
  const auto [inStart, inEnd] = CrossingsAtEnds(in, 0.3);
  const auto [outStart, outEnd] = CrossingsAtEnds(out, 0.3);
  ASSERT_GT(inStart, 0);
  EXPECT_GT(inEnd, inStart * 2);
  EXPECT_GT(outStart, outEnd * 2);
  EXPECT_NEAR(outStart, inEnd, inEnd * 0.15);
  EXPECT_NEAR(outEnd, inStart, inStart * 0.15);
}

}  // namespace
