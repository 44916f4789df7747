// The file-by-file transcoder on files made by ffmpeg: one continuous
// timeline across inputs, a looped replacement sound, silence for a
// soundless input, frame-rate filling, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "decoded_file_helper.h"
#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"
#include "mediaconvert/MCLog.h"
#include "z_tolvane/FFmpegFile.h"
#include "z_tolvane/TranslateAudio.h"

namespace {

// Presentation times of the first video stream's frames, in seconds.
std::vector<double> VideoFrameTimes(const std::string& path) {
  const std::string command = "ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of csv=p=0 '" +
                              path + "'";
  std::vector<double> times;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return times;
  char line[128];
  // ffprobe puts blank lines between some frames' records.
  while (fgets(line, sizeof line, pipe) != nullptr) {
    if (line[0] >= '0' && line[0] <= '9') times.push_back(std::atof(line));
  }
  pclose(pipe);
  return times;
}

double Rms(const std::vector<short>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to && i < s.size(); ++i) sum += static_cast<double>(s[i]) * s[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
}

class LegacyConcatTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = mctest::MakeTempDir("legacy-concat");
    first_ = dir_ + "/first30.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=160x120:r=30:d=3 -f lavfi -i sine=f=300:sample_rate=44100:d=3 "
                               "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac '" + first_ + "'"));
    second_ = dir_ + "/second25.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=160x120:r=25:d=2 -f lavfi -i sine=f=300:sample_rate=44100:d=2 "
                               "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac '" + second_ + "'"));
    soundless_ = dir_ + "/soundless.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=160x120:r=30:d=2 -c:v libx264 -preset ultrafast "
                               "-pix_fmt yuv420p '" + soundless_ + "'"));
    tone_ = dir_ + "/tone1000.wav";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=f=1000:sample_rate=44100:d=1 '" + tone_ + "'"));
  }
  static std::string dir_, first_, second_, soundless_, tone_;
};
std::string LegacyConcatTest::dir_, LegacyConcatTest::first_, LegacyConcatTest::second_,
    LegacyConcatTest::soundless_, LegacyConcatTest::tone_;

TEST_F(LegacyConcatTest, ReplacementSoundLoopsOverBothInputsOnOneTimeline) {
  const std::string out = dir_ + "/replaced.mp4";
  MCConvertParam p;
  p.secondInputPath = tone_;
  MCMediaConvert job;
  ASSERT_EQ(job.Concat({first_, second_}, out.c_str(), p, 0, nullptr), 0);

  const audio_test::DecodedFile sound = audio_test::DecodeFile(out);
  ASSERT_TRUE(sound.ok) << sound.error;
  EXPECT_NEAR(sound.duration, 5.0, 0.1);
  // The one-second tone fills all five seconds: every second of the
  // output carries it, none the inputs' own 300 Hz, and nothing is quiet.
  for (int second = 0; second < 5; ++second) {
    const size_t from = static_cast<size_t>(second) * sound.rate + sound.rate / 10;
    const std::vector<short> part(sound.mono.begin() + static_cast<long>(from),
                                  sound.mono.begin() + static_cast<long>(std::min(sound.mono.size(),
                                                                                   from + sound.rate * 8 / 10)));
    // ffmpeg's sine is an eighth of full scale: about 4096.
    EXPECT_GT(audio_test::ToneAmplitude(part, sound.rate, 1000), 2000) << "second " << second;
    EXPECT_LT(audio_test::ToneAmplitude(part, sound.rate, 300), 200) << "second " << second;
  }
  EXPECT_EQ(audio_test::QuietBlocksInside(sound.mono, sound.rate, 1000), 0);
  EXPECT_GT(audio_test::ToneAmplitude(sound.mono, sound.rate, 1000), 2000);

  // The 30 fps encoder follows the first input; the 25 fps second input
  // gets repeated pictures, so frames stay 1/30 s apart throughout.
  const std::vector<double> times = VideoFrameTimes(out);
  ASSERT_FALSE(times.empty());
  EXPECT_NEAR(static_cast<double>(times.size()), 150.0, 3.0);
  for (size_t i = 1; i < times.size(); ++i) {
    ASSERT_GT(times[i], times[i - 1]) << "frame " << i;
    ASSERT_LT(times[i] - times[i - 1], 1.5 / 30) << "gap before frame " << i;
  }
  EXPECT_NEAR(times.back(), 5.0 - 1.0 / 30, 0.1);
}

TEST_F(LegacyConcatTest, InputWithoutSoundGetsSilenceOfItsLength) {
  const std::string out = dir_ + "/silence.mp4";
  MCConvertParam p;
  MCMediaConvert job;
  ASSERT_EQ(job.Concat({first_, soundless_}, out.c_str(), p, 0, nullptr), 0);

  const audio_test::DecodedFile sound = audio_test::DecodeFile(out);
  ASSERT_TRUE(sound.ok) << sound.error;
  EXPECT_NEAR(sound.duration, 5.0, 0.1);
  const std::vector<short> firstPart(sound.mono.begin() + sound.rate / 2, sound.mono.begin() + sound.rate * 5 / 2);
  EXPECT_GT(audio_test::ToneAmplitude(firstPart, sound.rate, 300), 2000);
  EXPECT_LT(Rms(sound.mono, static_cast<size_t>(sound.rate) * 31 / 10, sound.mono.size()), 50);

  const std::vector<double> times = VideoFrameTimes(out);
  EXPECT_NEAR(static_cast<double>(times.size()), 150.0, 3.0);
}

TEST_F(LegacyConcatTest, RefusalsCreateNoFile) {
  const std::string out = dir_ + "/refused.mp4";
  MCConvertParam soundless;
  soundless.keepAudio = false;
  soundless.keepVideo = false;
  const struct {
    const char* what;
    std::vector<std::string> inputs;
    int refIndex;
    MCConvertParam param;
  } cases[] = {
      {"refIndex beyond the list", {first_, second_}, 2, MCConvertParam{}},
      {"negative refIndex", {first_}, -1, MCConvertParam{}},
      {"no inputs", {}, 0, MCConvertParam{}},
      {"nothing kept", {first_}, 0, soundless},
      {"unreadable reference", {dir_ + "/missing.mp4"}, 0, MCConvertParam{}},
  };
  for (const auto& c : cases) {
    MCMediaConvert job;
    EXPECT_EQ(job.Concat(c.inputs, out.c_str(), c.param, c.refIndex, nullptr), -1) << c.what;
    EXPECT_FALSE(mctest::FileExists(out)) << c.what;
  }
}

TEST_F(LegacyConcatTest, OutputThatCannotBeSetUpLeavesAnExistingFileAlone) {
  const std::string out = dir_ + "/keep.nosuchcontainer";
  mctest::WriteFile(out, "the user's own bytes");
  MCMediaConvert job;
  EXPECT_EQ(job.Concat({first_}, out.c_str(), MCConvertParam{}, 0, nullptr), -1);
  EXPECT_EQ(mctest::ReadFile(out), "the user's own bytes");
}

TEST_F(LegacyConcatTest, UnreadableLaterInputFailsButFinishesTheOutput) {
  const std::string out = dir_ + "/partial.mp4";
  MCMediaConvert job;
  const std::string log = dir_ + "/partial.log";
  EXPECT_EQ(job.Concat({first_, dir_ + "/missing.mp4", second_}, out.c_str(), MCConvertParam{}, 0, log.c_str()), -1);
  // The job's messages went to its log, and only while it ran.
  EXPECT_NE(mctest::ReadFile(log).find("missing.mp4"), std::string::npos);
  MCLogPrintf("after the job\n");
  EXPECT_EQ(mctest::ReadFile(log).find("after the job"), std::string::npos);
  // What came before the unreadable input is a complete, playable file.
  EXPECT_TRUE(mctest::DecodesCleanly(out));
  const audio_test::DecodedFile sound = audio_test::DecodeFile(out);
  ASSERT_TRUE(sound.ok) << sound.error;
  EXPECT_NEAR(sound.duration, 3.0, 0.1);
}

TEST_F(LegacyConcatTest, RangeSeeksOnThePictureAndKeepsOnlyItsSound) {
  const std::string twoTones = dir_ + "/two-tones.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=160x120:r=30:d=4 -f lavfi -i sine=f=300:sample_rate=44100:d=2 "
                             "-f lavfi -i sine=f=900:sample_rate=44100:d=2 -filter_complex '[1][2]concat=n=2:v=0:a=1' "
                             "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 10 -c:a aac '" + twoTones + "'"));
  AVRational tb{};
  {
    FFmpegFile probe;
    std::unique_ptr<MCMedia> media(probe.Open(twoTones.c_str(), true, true));
    ASSERT_NE(media, nullptr);
    tb = probe.GetVideoStream()->time_base;
  }
  MCConvertParam p;
  // Ranges are in the picture stream's own time.
  p.ranges = {{av_rescale_q(2, AVRational{1, 1}, tb), std::numeric_limits<int64_t>::max()}};
  const std::string out = dir_ + "/range.mp4";
  MCMediaConvert job;
  ASSERT_EQ(job.Concat({twoTones}, out.c_str(), p, 0, nullptr), 0);

  const audio_test::DecodedFile sound = audio_test::DecodeFile(out);
  ASSERT_TRUE(sound.ok) << sound.error;
  EXPECT_NEAR(sound.duration, 2.0, 0.1);
  const std::vector<short> inner(sound.mono.begin() + sound.rate / 10, sound.mono.end() - sound.rate / 10);
  EXPECT_GT(audio_test::ToneAmplitude(inner, sound.rate, 900), 2000);
  EXPECT_LT(audio_test::ToneAmplitude(inner, sound.rate, 300), 200);
  const std::vector<double> times = VideoFrameTimes(out);
  EXPECT_NEAR(static_cast<double>(times.size()), 60.0, 3.0);
  ASSERT_FALSE(times.empty());
  EXPECT_LT(times.front(), 0.05);
}

// "pts duration" of each packet of the first subtitle stream, in seconds.
std::vector<std::pair<double, double>> SubtitlePackets(const std::string& path) {
  const std::string command = "ffprobe -v error -select_streams s:0 -show_entries packet=pts_time,duration_time "
                              "-of csv=p=0 '" + path + "'";
  std::vector<std::pair<double, double>> packets;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return packets;
  char line[128];
  while (fgets(line, sizeof line, pipe) != nullptr) {
    double pts = 0, duration = 0;
    if (std::sscanf(line, "%lf,%lf", &pts, &duration) == 2) packets.emplace_back(pts, duration);
  }
  pclose(pipe);
  return packets;
}

TEST_F(LegacyConcatTest, SubtitlesFollowTheirFileOntoTheOutputTimeline) {
  const std::string srt = dir_ + "/hello.srt";
  mctest::WriteFile(srt, "1\n00:00:00,500 --> 00:00:01,500\nHello\n\n");
  const std::string titled = dir_ + "/titled.mkv";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=160x120:r=30:d=2 -i '" + srt +
                             "' -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:s srt '" + titled + "'"));
  const std::string out = dir_ + "/titled-out.mkv";
  MCMediaConvert job;
  ASSERT_EQ(job.Concat({titled, titled}, out.c_str(), MCConvertParam{}, 0, nullptr), 0);
  const auto packets = SubtitlePackets(out);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_NEAR(packets[0].first, 0.5, 0.05);
  EXPECT_NEAR(packets[1].first, 2.5, 0.05);
  for (const auto& packet : packets) EXPECT_NEAR(packet.second, 1.0, 0.05);
}

class ProgressLog : public MCIConvertListener {
 public:
  bool OnReadProgress(std::wstring, int64_t, int64_t) override { return true; }
  bool OnWriteProgress(std::wstring name, int64_t position, int64_t total) override {
    calls.push_back({name, position, total});
    return true;
  }
  struct Call {
    std::wstring name;
    int64_t position, total;
  };
  std::vector<Call> calls;
};

TEST_F(LegacyConcatTest, ProgressRunsForwardPerFileOverTheKeptLength) {
  const std::string out = dir_ + "/progress.mp4";
  MCMediaConvert job;
  ProgressLog log;
  job.listener = &log;
  MCConvertParam p;
  p.progressInterval = 10;
  ASSERT_EQ(job.Concat({first_, second_}, out.c_str(), p, 0, nullptr), 0);
  for (const std::string& file : {first_, second_}) {
    const std::wstring name(file.begin(), file.end());
    std::vector<ProgressLog::Call> mine;
    for (const auto& c : log.calls) {
      if (c.name == name) mine.push_back(c);
    }
    ASSERT_GE(mine.size(), 3u) << file;
    EXPECT_EQ(mine.back().position, 1);
    EXPECT_EQ(mine.back().total, 1);
    mine.pop_back();
    // Times against the file's kept length, in microseconds.
    const double seconds = file == first_ ? 3.0 : 2.0;
    for (size_t i = 0; i < mine.size(); ++i) {
      EXPECT_NEAR(static_cast<double>(mine[i].total) / 1e6, seconds, 0.1) << file;
      EXPECT_LE(mine[i].position, mine[i].total) << file;
      if (i > 0) EXPECT_GE(mine[i].position, mine[i - 1].position) << file;
    }
    EXPECT_GT(static_cast<double>(mine.back().position) / static_cast<double>(mine.back().total), 0.7) << file;
  }
}

TEST_F(LegacyConcatTest, TheLogosOwnFileReportsNoProgress) {
  const std::string out = dir_ + "/logo-file.mp4";
  MCMediaConvert job;
  ProgressLog log;
  job.listener = &log;
  MCConvertParam p;
  p.progressInterval = 10;
  p.legacyWatermarkPath = second_;
  ASSERT_EQ(job.Concat({first_, second_}, out.c_str(), p, 0, nullptr), 0);
  const std::wstring firstName(first_.begin(), first_.end());
  ASSERT_FALSE(log.calls.empty());
  for (const auto& c : log.calls) EXPECT_EQ(c.name, firstName);
  EXPECT_EQ(job.param.progressInterval, 10);  // restored after the file
}

class CancelOnFirstProgress : public MCIConvertListener {
 public:
  explicit CancelOnFirstProgress(MCMediaConvert* job) : job_(job) {}
  bool OnReadProgress(std::wstring, int64_t, int64_t) override { return true; }
  bool OnWriteProgress(std::wstring, int64_t position, int64_t) override {
    if (position > 0) job_->enabled = false;
    return true;
  }

 private:
  MCMediaConvert* job_;
};

TEST_F(LegacyConcatTest, CancelStopsEarlyAndStillClosesTheFile) {
  const std::string out = dir_ + "/cancelled.mp4";
  MCMediaConvert job;
  CancelOnFirstProgress listener(&job);
  job.listener = &listener;
  MCConvertParam p;
  p.progressInterval = 20;
  EXPECT_EQ(job.Concat({first_, second_}, out.c_str(), p, 0, nullptr), AVERROR_EXIT);
  EXPECT_TRUE(mctest::DecodesCleanly(out));
  const audio_test::DecodedFile sound = audio_test::DecodeFile(out);
  ASSERT_TRUE(sound.ok) << sound.error;
  EXPECT_LT(sound.duration, 2.0);
}

}  // namespace

namespace {

// A decoded frame that would resample to more than the converted-sample
// buffer holds is refused with -2 and the overload message, before any
// conversion.
TEST(LegacyAudioLimitTest, OversizedFrameIsRefused) {
  const std::string dir = mctest::MakeTempDir("legacy-limit");
  const std::string in = dir + "/in.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=sample_rate=22050:d=1 -ac 1 '" + in + "'"));
  FFmpegFile input;
  std::unique_ptr<MCMedia> media(input.Open(in.c_str(), true, false));
  ASSERT_NE(media, nullptr);
  MCConvertParam p;
  p.sampleRate = 44100;  // doubling the rate doubles the samples
  FFmpegFile output;
  const std::string out = dir + "/out.wav";
  ASSERT_TRUE(output.OpenOutputFile(out.c_str(), &input, p));
  ASSERT_TRUE(output.WriteHeader());
  TranslateAudio audio;
  ASSERT_EQ(audio.InitOutput(&output), 0);
  ASSERT_EQ(audio.InitResampler(&input), 0);

  const struct {
    int samples;
    int want;
  } cases[] = {{TranslateAudio::kMaxConvertedSamples / 2 + 1000, -2}, {4096, 0}};
  for (const auto& c : cases) {
    AVFrame* frame = av_frame_alloc();
    frame->nb_samples = c.samples;
    frame->format = input.AudioContext()->sample_fmt;
    frame->sample_rate = input.AudioContext()->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &input.AudioContext()->ch_layout);
    ASSERT_EQ(av_frame_get_buffer(frame, 0), 0);
    av_samples_set_silence(frame->extended_data, 0, c.samples, frame->ch_layout.nb_channels,
                           static_cast<AVSampleFormat>(frame->format));
    const std::string log = dir + "/log" + std::to_string(c.samples) + ".txt";
    int rc;
    {
      MCLogRedirect redirect(log.c_str());
      rc = audio.ConvertAndEncode(frame);
    }
    av_frame_free(&frame);
    EXPECT_EQ(rc, c.want) << c.samples;
    EXPECT_EQ(mctest::ReadFile(log).find("frame_size overload that member\n") != std::string::npos, c.want == -2)
        << c.samples;
  }
  EXPECT_GT(audio.EndPosition(), 8000);  // the small frame went through
  EXPECT_EQ(audio.FlushEncoder(), 0);
  EXPECT_TRUE(output.WriteTrailer());
}

}  // namespace
