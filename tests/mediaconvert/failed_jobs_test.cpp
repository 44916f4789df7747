// Jobs that fail: each returns its error with a text, leaves no file of its
// own behind and leaves a file that was already at the output path as it
// was. Also the reasons given for inputs that cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <limits>
#include <string>
#include <vector>

#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

constexpr int64_t kSecond = 1000000;

class FailedJobsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    inputs_ = mctest::MakeTempDir("failed-inputs");
    tone_ = inputs_ + "/tone.wav";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=f=440:sample_rate=44100:d=2 '" + tone_ + "'"));
    video_ = inputs_ + "/clip.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=blue:s=96x64:r=25:d=2 -f lavfi -i sine=d=2 -c:v libx264 "
                               "-preset ultrafast -c:a aac -shortest '" + video_ + "'"));
    // A file that exists but is no media at all.
    notMedia_ = inputs_ + "/notes.mp4";
    mctest::WriteFile(notMedia_, std::string(4096, 'x'));
  }

  static std::string inputs_, tone_, video_, notMedia_;
};
std::string FailedJobsTest::inputs_, FailedJobsTest::tone_, FailedJobsTest::video_, FailedJobsTest::notMedia_;

struct FailingJob {
  const char* what;
  const char* outputName;
  // Runs the job into `out` (in `dir`); returns its result.
  std::function<int(MCMediaConvert&, const std::string& dir, const std::string& out)> run;
};

TEST_F(FailedJobsTest, FailureLeavesNoFileAndKeepsAnEarlierOne) {
  const std::string missing = inputs_ + "/missing.png";
  const std::vector<FailingJob> jobs = {
      {"merge, first input not media", "merged.wav",
       [](MCMediaConvert& j, const std::string&, const std::string& out) {
         return j.Merge({notMedia_, tone_}, out.c_str(), MCConvertParam(), 1, nullptr);
       }},
      {"title page, source missing", "titled.mp4",
       [missing](MCMediaConvert& j, const std::string&, const std::string& out) {
         MCConvertParam p;
         p.title.sourcePath = missing;
         p.title.titleLength = kSecond;
         return j.TitlePage(video_.c_str(), out.c_str(), p);
       }},
      {"convert, subtitle file missing", "subtitled.mp4",
       [](MCMediaConvert& j, const std::string&, const std::string& out) {
         MCConvertParam p;
         p.stream.subtitlePath = inputs_ + "/missing.srt";
         return j.Convert(video_.c_str(), out.c_str(), p, nullptr);
       }},
      {"legacy concatenation, first input not media", "joined.mp4",
       [](MCMediaConvert& j, const std::string&, const std::string& out) {
         return j.Concat({notMedia_, video_}, out.c_str(), MCConvertParam(), 1, nullptr);
       }},
      {"cut, range after the end", "cut.wav",
       [](MCMediaConvert& j, const std::string&, const std::string& out) {
         MCConvertParam p;
         p.ranges = {{10 * kSecond, 12 * kSecond}};
         return j.Cut(tone_.c_str(), out.c_str(), p);
       }},
  };
  for (const FailingJob& job : jobs) {
    for (const bool earlier : {false, true}) {
      SCOPED_TRACE(std::string(job.what) + (earlier ? ", over an earlier file" : ""));
      const std::string dir = mctest::MakeTempDir(std::string("failed-") + job.outputName + (earlier ? "-2" : ""));
      const std::string out = dir + "/" + job.outputName;
      if (earlier) mctest::WriteFile(out, "the user's earlier file");
      MCMediaConvert convert;
      const int rc = job.run(convert, dir, out);
      EXPECT_LT(rc, 0);
      // The older transcoder answers -1 and keeps the cause in its record.
      EXPECT_LT(convert.GetErrorInfo().code, 0);
      EXPECT_FALSE(convert.GetErrorInfo().message.empty());
      if (earlier) {
        EXPECT_EQ(mctest::ListDir(dir), std::vector<std::string>{job.outputName});
        EXPECT_EQ(mctest::ReadFile(out), "the user's earlier file");
      } else {
        EXPECT_TRUE(mctest::ListDir(dir).empty());
      }
    }
  }
}

TEST_F(FailedJobsTest, RangesThatSelectNothingFailWithTheirReason) {
  const struct {
    const char* what;
    std::vector<MCTimeRange> ranges;
    const char* reason;
  } cases[] = {
      {"after the end", {{3 * kSecond, 4 * kSecond}}, "outside the media"},
      {"open end after the end", {{5 * kSecond, std::numeric_limits<int64_t>::max()}}, "outside the media"},
      {"before the start", {{-3 * kSecond, -1 * kSecond}}, "outside the media"},
      {"ends where it starts", {{kSecond, kSecond}}, "is empty"},
      {"one good, one outside", {{0, kSecond}, {7 * kSecond, 8 * kSecond}}, "outside the media"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = mctest::MakeTempDir("nothing-selected");
    MCConvertParam p;
    p.ranges = c.ranges;
    MCMediaConvert cut;
    EXPECT_EQ(cut.Cut(tone_.c_str(), (dir + "/cut.wav").c_str(), p), AVERROR(EINVAL));
    EXPECT_NE(cut.GetErrorInfo().message.find(c.reason), std::string::npos) << cut.GetErrorInfo().message;
    MCMediaConvert segment;
    EXPECT_EQ(segment.Segment(tone_.c_str(), dir.c_str(), "wav", nullptr, nullptr, p), AVERROR(EINVAL));
    EXPECT_NE(segment.GetErrorInfo().message.find(c.reason), std::string::npos) << segment.GetErrorInfo().message;
    // Segments of good ranges are complete files; nothing else is left.
    for (const std::string& name : mctest::ListDir(dir)) {
      EXPECT_TRUE(c.ranges.size() > 1 && mctest::DecodesCleanly(dir + "/" + name)) << name;
    }
  }
}

TEST_F(FailedJobsTest, TwoPassOfSoundOnlyLeavesNeitherPass) {
  const std::string dir = mctest::MakeTempDir("failed-twopass");
  const std::string first = dir + "/pass1.mp4", second = dir + "/pass2.mp4";
  std::string a0 = "twopass", a1 = tone_, a2 = first, a3 = second;
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data()};
  MCMediaConvert job;
  const int rc = job.ConvertTwoPass(4, argv);
  EXPECT_LT(rc, 0);
  EXPECT_EQ(job.GetErrorInfo().code, rc);
  EXPECT_NE(job.GetErrorInfo().message.find("none of the streams"), std::string::npos) << job.GetErrorInfo().message;
  EXPECT_TRUE(mctest::ListDir(dir).empty());
}

TEST_F(FailedJobsTest, FinishedOutputReplacesAnEarlierFile) {
  const std::string dir = mctest::MakeTempDir("replaced");
  const std::string out = dir + "/copy.wav";
  mctest::WriteFile(out, "old");
  MCMediaConvert job;
  ASSERT_EQ(job.Convert(tone_.c_str(), out.c_str(), MCConvertParam(), nullptr), 0) << job.GetErrorInfo().message;
  EXPECT_EQ(mctest::ListDir(dir), std::vector<std::string>{"copy.wav"});
  EXPECT_TRUE(mctest::DecodesCleanly(out));
  EXPECT_NEAR(std::atof(mctest::Probe(out)["format.duration"].c_str()), 2.0, 0.01);
}

TEST_F(FailedJobsTest, ConcatenationNamesTheRealReason) {
  const std::string dir = mctest::MakeTempDir("concat-reasons");
  const std::string locked = dir + "/locked.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 '" + locked + "'"));
  chmod(locked.c_str(), 0);
  const bool rootReads = access(locked.c_str(), R_OK) == 0;  // root ignores the mode
  const struct {
    const char* what;
    std::string input;
    int code;
  } cases[] = {
      {"missing", dir + "/absent.mp4", AVERROR(ENOENT)},
      {"not media", notMedia_, AVERROR_INVALIDDATA},
      {"a folder", dir, AVERROR(EISDIR)},
      {"not readable", locked, AVERROR(EACCES)},
  };
  for (const auto& c : cases) {
    if (c.input == locked && rootReads) continue;
    SCOPED_TRACE(c.what);
    for (const int refIndex : {0, 1}) {
      // As the reference input (nothing can start) and as a later one.
      MCMediaConvert job;
      const std::string out = dir + "/out-" + std::to_string(refIndex) + ".mp4";
      EXPECT_EQ(job.Concat({c.input, video_}, out.c_str(), MCConvertParam(), refIndex, nullptr), -1);
      EXPECT_EQ(job.GetErrorInfo().code, c.code) << job.GetErrorInfo().message;
      EXPECT_FALSE(mctest::FileExists(out));
    }
  }
}

}  // namespace
