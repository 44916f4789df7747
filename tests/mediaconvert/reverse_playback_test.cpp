// Reverse playback over inputs long enough for many read windows: the
// output is the input's samples backwards, one for one, with nothing
// doubled or lost where two windows meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "decoded_file_helper.h"
#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

using audio_test::DecodeFile;
using audio_test::DecodedFile;

// Samples of `out` that differ from the input read backwards, shifted by
// `lag`.
int Mismatches(const std::vector<short>& in, const std::vector<short>& out, int lag) {
  const long n = static_cast<long>(in.size());
  int bad = 0;
  for (long i = 0; i < static_cast<long>(out.size()); ++i) {
    const long j = n - 1 - i + lag;
    if (j < 0 || j >= n) continue;
    bad += std::abs(out[i] - in[j]) > 2;
  }
  return bad;
}

// The shift (within a codec frame or two) that lines the start of the
// output up with the end of the input.
int BestLag(const std::vector<short>& in, const std::vector<short>& out) {
  const std::vector<short> head(out.begin(), out.begin() + std::min<size_t>(out.size(), 4410));
  int best = 0, fewest = 1 << 30;
  for (int lag = -2048; lag <= 2048; ++lag) {
    const int bad = Mismatches(in, head, lag);
    if (bad < fewest) {
      fewest = bad;
      best = lag;
    }
  }
  return best;
}

TEST(ReversePlayback, OutputIsTheInputBackwardsSampleForSample) {
  const std::string dir = mctest::MakeTempDir("reverse");
  const struct {
    const char* name;
    const char* args;
  } cases[] = {
      {"chirp.wav", "-f lavfi -i \"aevalsrc=0.5*sin(2*PI*(200+60*t)*t):s=44100:d=8\" -c:a pcm_s16le"},
      {"stereo.flac", "-f lavfi -i \"aevalsrc=0.4*sin(2*PI*(300+80*t)*t)|0.3*sin(2*PI*500*t):s=48000:d=4.5\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string in = dir + "/" + c.name;
    ASSERT_TRUE(mctest::Ffmpeg(std::string(c.args) + " '" + in + "'"));
    const std::string out = dir + "/reversed-" + c.name;
    MCConvertParam p;
    p.stream.reverse = true;
    MCMediaConvert job;
    ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
    const DecodedFile original = DecodeFile(in), reversed = DecodeFile(out);
    ASSERT_TRUE(original.ok) << original.error;
    ASSERT_TRUE(reversed.ok) << reversed.error;
    ASSERT_EQ(reversed.rate, original.rate);
    // The input's length, within one codec frame.
    EXPECT_NEAR(static_cast<double>(reversed.mono.size()), static_cast<double>(original.mono.size()), 1152);
    const int lag = BestLag(original.mono, reversed.mono);
    EXPECT_EQ(Mismatches(original.mono, reversed.mono, lag), 0) << "lag " << lag;
    if (reversed.channels == 2) EXPECT_EQ(Mismatches(original.second, reversed.second, lag), 0);
  }
}

// Pictures and sound together: the colours come in reverse order and the
// length stays that of the input.
TEST(ReversePlayback, VideoWithSoundRunsBackwards) {
  const std::string dir = mctest::MakeTempDir("reverse-video");
  const std::string in = dir + "/three.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=red:s=96x64:r=25:d=1.2 -f lavfi -i color=c=lime:s=96x64:r=25:d=1.2 "
                             "-f lavfi -i color=c=blue:s=96x64:r=25:d=1.2 -f lavfi -i sine=d=3.6 "
                             "-filter_complex \"[0][1][2]concat=n=3:v=1:a=0[v]\" -map \"[v]\" -map 3 -c:v libx264 "
                             "-preset ultrafast -g 10 -c:a aac '" + in + "'"));
  const std::string out = dir + "/back.mp4";
  MCConvertParam p;
  p.stream.reverse = true;
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
  auto facts = mctest::Probe(out);
  EXPECT_NEAR(std::atof(facts["format.duration"].c_str()), 3.6, 0.1);
  EXPECT_EQ(mctest::ColorAt(out, 0.5), "blue");
  EXPECT_EQ(mctest::ColorAt(out, 1.8), "green");
  EXPECT_EQ(mctest::ColorAt(out, 3.1), "red");
  const DecodedFile sound = DecodeFile(out);
  ASSERT_TRUE(sound.ok) << sound.error;
  EXPECT_NEAR(sound.duration, 3.6, 0.1);
}

}  // namespace
