#include <gtest/gtest.h>

#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

// Rewriting a file with a cover picture keeps the picture, whether it is
// copied (same codec) or decoded and encoded again.
TEST(CoverPicture, SurvivesMp3FlacAndM4aRewrites) {
  const std::string dir = mctest::MakeTempDir("cover");
  const std::string png = dir + "/cover.png";
  const std::string jpg = dir + "/cover.jpg";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=64x48 -frames:v 1 '" + png + "'"));
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=s=64x48 -frames:v 1 '" + jpg + "'"));
  const struct {
    const char* ext;
    const char* audio;
    const char* picture;
    const char* pictureCodec;
  } cases[] = {{"mp3", "libmp3lame", "cover.png", "png"},
               {"mp3", "libmp3lame", "cover.jpg", "mjpeg"},
               {"flac", "flac", "cover.png", "png"},
               {"m4a", "aac", "cover.png", "png"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.ext) + " " + c.picture);
    const std::string in = dir + "/in." + c.ext;
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -i '" + dir + "/" + c.picture + "' -map 0 -map 1 -c:a " +
                               c.audio + " -c:v " + c.pictureCodec + " -disposition:v attached_pic '" + in + "'"));
    const std::string out = dir + "/out." + c.ext;
    MCConvertParam param;
    param.tags.SetArtist(L"New");
    MCMediaConvert job;
    ASSERT_EQ(job.Convert(in.c_str(), out.c_str(), param, nullptr), 0) << job.GetErrorInfo().message;
    auto facts = mctest::Probe(out);
    int pictures = 0;
    for (int i = 0; i < 3; ++i) {
      const std::string prefix = "streams.stream." + std::to_string(i) + ".";
      if (facts[prefix + "codec_type"] == "video") {
        ++pictures;
        EXPECT_EQ(facts[prefix + "disposition.attached_pic"], "1");
        EXPECT_EQ(facts[prefix + "width"], "64");
      }
    }
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(mctest::AudioPacketSums(in), mctest::AudioPacketSums(out));
    EXPECT_TRUE(mctest::DecodesCleanly(out));
  }
}

}  // namespace
