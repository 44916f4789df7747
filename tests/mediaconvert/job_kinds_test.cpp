// The job kinds beside the plain conversion, on files made by ffmpeg and
// read back by decoding: merge, cut and segment.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "decoded_file_helper.h"
#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

using audio_test::DecodeFile;
using audio_test::DecodedFile;
using audio_test::DominantFrequency;
using audio_test::ToneAmplitude;

constexpr int64_t kSecond = 1000000;
// One codec frame of the coarsest codec used here (mp3, 1152 samples at
// 44100 Hz) and a little more for its decoder delay.
constexpr double kFrame = 0.05;

std::vector<short> Window(const DecodedFile& f, double from, double to) {
  const size_t a = static_cast<size_t>(from * f.rate), b = static_cast<size_t>(to * f.rate);
  if (b > f.mono.size() || a >= b) return {};
  return std::vector<short>(f.mono.begin() + a, f.mono.begin() + b);
}

// The loudest of 200..1000 Hz in the window of the file.
double ToneIn(const DecodedFile& f, double from, double to) {
  const auto w = Window(f, from, to);
  return w.empty() ? -1 : DominantFrequency(w, f.rate, 200, 1000, 5);
}

// Ratio of the strongest of the other tones to the wanted one.
double OthersRatio(const DecodedFile& f, double from, double to, double wanted, std::vector<double> others) {
  const auto w = Window(f, from, to);
  const double main = ToneAmplitude(w, f.rate, wanted);
  double worst = 0;
  for (double o : others) worst = std::max(worst, ToneAmplitude(w, f.rate, o));
  return main > 0 ? worst / main : 1e9;
}

class JobKindsTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = mctest::MakeTempDir("jobs"); }
  std::string Tone(const std::string& name, double seconds, int hz, const std::string& codec = "") {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=frequency=" + std::to_string(hz) +
                               ":sample_rate=44100:duration=" + std::to_string(seconds) + " " + codec + " '" + path +
                               "'"));
    return path;
  }
  // Eight seconds: 300, 500, 700 and 900 Hz, two seconds each.
  std::string FourTones(const std::string& name) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(mctest::Ffmpeg("-f lavfi -i \"aevalsrc=0.5*sin(2*PI*(300+200*floor(t/2))*t):s=44100:d=8\" '" + path +
                               "'"));
    return path;
  }
  std::string dir_;
};

TEST_F(JobKindsTest, MergePlaysInputsInTurnWithAGapBetween) {
  const std::vector<std::string> inputs = {Tone("a.mp3", 2.0, 300, "-c:a libmp3lame"), Tone("b.wav", 1.0, 500),
                                           Tone("c.flac", 1.5, 700)};
  const std::string out = dir_ + "/merged.wav";
  MCMediaConvert job;
  ASSERT_EQ(job.Merge(inputs, out.c_str(), MCConvertParam(), 1, nullptr), 0) << job.GetErrorInfo().message;
  const DecodedFile f = DecodeFile(out);
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_NEAR(f.duration, 2.0 + 1.0 + 1.5 + 2 * 0.1, kFrame);
  // Each input at its offset: 0, 2.1 and 3.2 s.
  EXPECT_NEAR(ToneIn(f, 0.1, 1.9), 300, 5);
  EXPECT_NEAR(ToneIn(f, 2.2, 3.0), 500, 5);
  EXPECT_NEAR(ToneIn(f, 3.3, 4.6), 700, 5);
  EXPECT_LT(OthersRatio(f, 2.2, 3.0, 500, {300, 700}), 0.05);
  // The join itself is quiet.
  const auto gap = Window(f, 2.03, 2.07);
  EXPECT_LT(ToneAmplitude(gap, f.rate, 300) + ToneAmplitude(gap, f.rate, 500), 500);
}

TEST_F(JobKindsTest, MergeOfVideosKeepsEachPictureInItsTime) {
  const std::string red = dir_ + "/red.mp4", blue = dir_ + "/blue.mkv";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=red:s=96x64:r=25:d=1 -f lavfi -i sine=d=1 -c:v libx264 "
                             "-preset ultrafast -c:a aac -shortest '" + red + "'"));
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=blue:s=96x64:r=25:d=1 -f lavfi -i sine=d=1 -c:v libx264 "
                             "-preset ultrafast -c:a aac -shortest '" + blue + "'"));
  const std::string out = dir_ + "/joined.mp4";
  MCMediaConvert job;
  ASSERT_EQ(job.Merge({red, blue}, out.c_str(), MCConvertParam(), 0, nullptr), 0) << job.GetErrorInfo().message;
  auto facts = mctest::Probe(out);
  EXPECT_NEAR(std::atof(facts["format.duration"].c_str()), 2.1, 0.1);
  EXPECT_EQ(mctest::ColorAt(out, 0.5), "red");
  EXPECT_EQ(mctest::ColorAt(out, 1.6), "blue");
  EXPECT_TRUE(mctest::DecodesCleanly(out));
}

TEST_F(JobKindsTest, MergeEndsAtTheFirstRangesEnd) {
  const std::vector<std::string> inputs = {Tone("long1.wav", 4.0, 300), Tone("long2.wav", 4.0, 500)};
  const std::string out = dir_ + "/five.wav";
  MCConvertParam p;
  p.ranges.push_back({0, 5 * kSecond});
  MCMediaConvert job;
  ASSERT_EQ(job.Merge(inputs, out.c_str(), p, 0, nullptr), 0) << job.GetErrorInfo().message;
  const DecodedFile f = DecodeFile(out);
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_NEAR(f.duration, 5.0, kFrame);
  EXPECT_NEAR(ToneIn(f, 4.3, 4.9), 500, 5);
}

TEST_F(JobKindsTest, RefusedJobsCreateNoFile) {
  const std::string in = Tone("in.wav", 1.0, 300);
  const std::string out = dir_ + "/refused.wav";
  MCMediaConvert job;
  const struct {
    const char* what;
    int rc;
  } cases[] = {
      {"merge, no inputs", job.Merge({}, out.c_str(), MCConvertParam(), 0, nullptr)},
      {"merge, refIndex past the list", job.Merge({in}, out.c_str(), MCConvertParam(), 1, nullptr)},
      {"merge, negative refIndex", job.Merge({in}, out.c_str(), MCConvertParam(), -1, nullptr)},
      {"cut, no ranges", job.Cut(in.c_str(), out.c_str(), MCConvertParam())},
      {"segment, no ranges", job.Segment(in.c_str(), dir_.c_str(), "wav", nullptr, nullptr, MCConvertParam())},
  };
  for (const auto& c : cases) EXPECT_EQ(c.rc, AVERROR(EINVAL)) << c.what;
  EXPECT_EQ(job.GetErrorInfo().code, AVERROR(EINVAL));
  EXPECT_EQ(mctest::ListDir(dir_), std::vector<std::string>{"in.wav"});
}

TEST_F(JobKindsTest, CutKeepsItsRangesWithoutGaps) {
  const std::string in = FourTones("four.wav");
  const std::string out = dir_ + "/cut.mp3";
  MCConvertParam p;
  p.ranges = {{2 * kSecond, 4 * kSecond}, {6 * kSecond, 8 * kSecond}};
  MCMediaConvert job;
  ASSERT_EQ(job.Cut(in.c_str(), out.c_str(), p), 0) << job.GetErrorInfo().message;
  const DecodedFile f = DecodeFile(out);
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_NEAR(f.duration, 4.0, kFrame);
  EXPECT_NEAR(ToneIn(f, 0.1, 1.9), 500, 5);
  EXPECT_NEAR(ToneIn(f, 2.1, 3.9), 900, 5);
  EXPECT_LT(OthersRatio(f, 0.1, 1.9, 500, {300, 700}), 0.05);
  EXPECT_LT(OthersRatio(f, 2.1, 3.9, 900, {300, 700}), 0.05);

  // An open end runs to the input's end.
  const std::string tail = dir_ + "/tail.wav";
  p.ranges = {{5 * kSecond, std::numeric_limits<int64_t>::max()}};
  ASSERT_EQ(job.Cut(in.c_str(), tail.c_str(), p), 0) << job.GetErrorInfo().message;
  const DecodedFile t = DecodeFile(tail);
  EXPECT_NEAR(t.duration, 3.0, kFrame);
  EXPECT_NEAR(ToneIn(t, 0.1, 0.9), 700, 5);
  EXPECT_NEAR(ToneIn(t, 1.1, 2.9), 900, 5);
}

std::string NumberedName(void* context, const std::string&, const std::string& folder, int64_t, int64_t,
                         const std::string& extension) {
  int& n = *static_cast<int*>(context);
  return folder + "/part-" + std::to_string(n++) + "." + extension;
}

TEST_F(JobKindsTest, SegmentWritesOneFilePerRange) {
  const std::string in = FourTones("src.wav");
  const std::string folder = mctest::MakeTempDir("segments");
  MCConvertParam p;
  p.ranges = {{0, 2 * kSecond}, {2 * kSecond, 5 * kSecond}, {5 * kSecond, 8 * kSecond}};
  MCMediaConvert job;
  ASSERT_EQ(job.Segment(in.c_str(), folder.c_str(), nullptr, nullptr, nullptr, p), 0) << job.GetErrorInfo().message;
  const std::string names[] = {"/src_0-2000000.mp4", "/src_2000000-5000000.mp4", "/src_5000000-8000000.mp4"};
  const double lengths[] = {2, 3, 3};
  const double tones[] = {300, 500, 700};
  for (int i = 0; i < 3; ++i) {
    const DecodedFile f = DecodeFile(folder + names[i]);
    ASSERT_TRUE(f.ok) << names[i] << ": " << f.error;
    EXPECT_NEAR(f.duration, lengths[i], kFrame) << names[i];
    EXPECT_NEAR(ToneIn(f, 0.2, 0.8), tones[i], 5) << names[i];
  }
  EXPECT_EQ(mctest::ListDir(folder).size(), 3u);

  // A caller's name function names the outputs.
  const std::string mine = mctest::MakeTempDir("named");
  int counter = 0;
  ASSERT_EQ(job.Segment(in.c_str(), mine.c_str(), "wav", &counter, NumberedName, p), 0);
  EXPECT_EQ(counter, 3);
  for (int i = 0; i < 3; ++i) {
    const DecodedFile f = DecodeFile(mine + "/part-" + std::to_string(i) + ".wav");
    ASSERT_TRUE(f.ok) << i;
    EXPECT_NEAR(f.duration, lengths[i], 0.01) << i;
  }
}

TEST(SegmentNames, DistinctForEveryRange) {
  EXPECT_EQ(MCDefaultSegmentName(nullptr, "/in/clip.mkv", "/out", 12, 345, "mp4"), "/out/clip_12-345.mp4");
  EXPECT_NE(MCDefaultSegmentName(nullptr, "/in/clip.mkv", "/out", 12, 345, "mp4"),
            MCDefaultSegmentName(nullptr, "/in/clip.mkv", "/out", 1, 2345, "mp4"));
  // Long paths are not cut short.
  const std::string folder = "/" + std::string(600, 'f');
  EXPECT_EQ(MCDefaultSegmentName(nullptr, "/a/b.wav", folder, 0, 1, "wav"), folder + "/b_0-1.wav");
}

}  // namespace

namespace {

class TwoPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = mctest::MakeTempDir("twopass");
    // The statistics' folder is made under TMPDIR: a folder of the test's
    // own shows whether anything is left there.
    statsRoot_ = mctest::MakeTempDir("twopass-tmp");
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    hadTmp_ = old != nullptr;
    setenv("TMPDIR", statsRoot_.c_str(), 1);
  }
  void TearDown() override {
    if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
  }
  std::string dir_, statsRoot_, oldTmp_;
  bool hadTmp_ = false;
};

TEST_F(TwoPassTest, SecondPassHitsTheBitRateAndLeavesNoStatistics) {
  // Detailed, moving picture with sound: the passes drop the sound.
  const std::string in = dir_ + "/detail.mkv";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc2=s=640x360:r=25:d=4 -f lavfi -i sine=d=4 -vf noise=alls=6:allf=t "
                             "-c:v libx264 -crf 12 -preset ultrafast -c:a aac '" + in + "'"));
  const std::string first = dir_ + "/pass1.mp4", second = dir_ + "/pass2.mp4";
  std::string a0 = "twopass", a1 = in, a2 = first, a3 = second;
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data()};
  MCMediaConvert job;
  ASSERT_EQ(job.ConvertTwoPass(4, argv), 0) << job.GetErrorInfo().message;
  for (const std::string& out : {first, second}) {
    auto facts = mctest::Probe(out);
    EXPECT_EQ(facts["streams.stream.0.codec_name"], "h264") << out;
    EXPECT_EQ(facts.count("streams.stream.1.codec_type"), 0u) << out;
  }
  const double rate = std::atof(mctest::Probe(second)["streams.stream.0.bit_rate"].c_str());
  EXPECT_NEAR(rate, 1000000, 100000);
  EXPECT_TRUE(mctest::ListDir(statsRoot_).empty());
}

TEST_F(TwoPassTest, MissingInputStopsAtTheFirstPass) {
  const std::string first = dir_ + "/pass1.mp4", second = dir_ + "/pass2.mp4";
  std::string a0 = "twopass", a1 = dir_ + "/none.mkv", a2 = first, a3 = second;
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data()};
  MCMediaConvert job;
  const int rc = job.ConvertTwoPass(4, argv);
  EXPECT_EQ(rc, AVERROR(ENOENT));
  EXPECT_EQ(job.GetErrorInfo().code, rc);
  EXPECT_TRUE(mctest::ListDir(dir_).empty());
  EXPECT_TRUE(mctest::ListDir(statsRoot_).empty());
  char* few[] = {a0.data(), a1.data()};
  EXPECT_EQ(job.ConvertTwoPass(2, few), AVERROR(EINVAL));
}

}  // namespace

namespace {

TEST_F(JobKindsTest, TitlePictureBeforeTheVideo) {
  const std::string title = dir_ + "/title.png", video = dir_ + "/blue.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=red:s=96x64 -frames:v 1 '" + title + "'"));
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=blue:s=96x64:r=25:d=2 -f lavfi -i sine=d=2 -c:v libx264 "
                             "-preset ultrafast -c:a aac -shortest '" + video + "'"));
  const std::string out = dir_ + "/titled.mp4";
  MCConvertParam p;
  p.title.sourcePath = title;
  p.title.titleLength = kSecond;
  MCMediaConvert job;
  ASSERT_EQ(job.TitlePage(video.c_str(), out.c_str(), p), 0) << job.GetErrorInfo().message;
  auto facts = mctest::Probe(out);
  EXPECT_NEAR(std::atof(facts["format.duration"].c_str()), 3.0, 0.1);
  EXPECT_EQ(mctest::ColorAt(out, 0.1), "red");
  EXPECT_EQ(mctest::ColorAt(out, 0.9), "red");
  EXPECT_EQ(mctest::ColorAt(out, 1.2), "blue");
  EXPECT_EQ(mctest::ColorAt(out, 2.8), "blue");
  EXPECT_TRUE(mctest::DecodesCleanly(out));
}

TEST_F(JobKindsTest, TitleTakenFromTheInputAtTitleTime) {
  // Green (lime) for a second, then blue: the title is the first frame at 1 s.
  const std::string video = dir_ + "/two.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=lime:s=96x64:r=25:d=1 -f lavfi -i color=c=blue:s=96x64:r=25:d=1 "
                             "-filter_complex concat=n=2:v=1:a=0 -c:v libx264 -preset ultrafast -g 10 '" + video +
                             "'"));
  const std::string out = dir_ + "/self.mp4";
  MCConvertParam p;
  p.title.sourcePath = video;
  p.title.titleTime = kSecond;
  p.title.titleLength = kSecond;
  MCMediaConvert job;
  ASSERT_EQ(job.TitlePage(video.c_str(), out.c_str(), p), 0) << job.GetErrorInfo().message;
  EXPECT_NEAR(std::atof(mctest::Probe(out)["format.duration"].c_str()), 3.0, 0.1);
  EXPECT_EQ(mctest::ColorAt(out, 0.5), "blue");
  EXPECT_EQ(mctest::ColorAt(out, 1.5), "green");
  EXPECT_EQ(mctest::ColorAt(out, 2.5), "blue");
}

}  // namespace
