// The file-by-file transcoder's picture chain: an overlay, the two logos,
// the crop rectangle and fitting a differently shaped input to the
// encoder's size, read back as colours of regions of the output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

bool IsColour(const std::vector<int>& rgb, int r, int g, int b) {
  if (rgb.size() != 3) return false;
  return std::abs(rgb[0] - r) < 40 && std::abs(rgb[1] - g) < 40 && std::abs(rgb[2] - b) < 40;
}

class LegacyConcatPictureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = mctest::MakeTempDir("legacy-picture");
    blue_ = dir_ + "/blue.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=blue:s=160x120:r=25:d=1 -c:v libx264 -preset ultrafast "
                               "-pix_fmt yuv420p '" + blue_ + "'"));
    wide_ = dir_ + "/wide.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=blue:s=320x120:r=25:d=1 -c:v libx264 -preset ultrafast "
                               "-pix_fmt yuv420p '" + wide_ + "'"));
    halves_ = dir_ + "/halves.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=red:s=80x120:r=25:d=1 -f lavfi -i color=blue:s=80x120:r=25:d=1 "
                               "-filter_complex hstack -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" +
                               halves_ + "'"));
    red_ = dir_ + "/red.png";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=red:s=32x32 -frames:v 1 '" + red_ + "'"));
    green_ = dir_ + "/green.png";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=0x00FF00:s=66x20 -frames:v 1 '" + green_ + "'"));
  }
  static std::string dir_, blue_, wide_, halves_, red_, green_;
};
std::string LegacyConcatPictureTest::dir_, LegacyConcatPictureTest::blue_, LegacyConcatPictureTest::wide_,
    LegacyConcatPictureTest::halves_, LegacyConcatPictureTest::red_, LegacyConcatPictureTest::green_;

TEST_F(LegacyConcatPictureTest, ChainShapesThePicture) {
  static int32_t rightHalf[4] = {80, 120, 80, 0};  // width, height, x, y
  struct Region {
    const char* crop;  // w:h:x:y of the output
    int r, g, b;
  };
  struct Case {
    const char* what;
    std::vector<std::string> inputs;
    double at;  // seconds into the output
    MCConvertParam param;
    std::vector<Region> regions;
  };
  MCConvertParam overlay;
  overlay.overlayPath = red_;
  MCConvertParam logo;
  logo.legacyWatermark = true;
  logo.legacyWatermarkPath = green_;
  MCConvertParam stretch;
  stretch.legacyKeepAspect = false;
  MCConvertParam crop;
  crop.legacyContext = rightHalf;
  const Case cases[] = {
      {"overlay over the whole picture", {blue_}, 0.5, overlay, {{"", 255, 0, 0}}},
      // 120 high: logos 12 high and 39 wide, 1 from the edges.
      {"logo top left and bottom right, picture between",
       {blue_},
       0.5,
       logo,
       {{"30:8:4:3", 0, 255, 0}, {"30:8:124:109", 0, 255, 0}, {"40:40:60:40", 0, 0, 255}}},
      {"wide input letterboxed into the first one's size",
       {blue_, wide_},
       1.5,
       MCConvertParam{},
       {{"160:20:0:5", 0, 0, 0}, {"160:40:0:40", 0, 0, 255}, {"160:20:0:95", 0, 0, 0}}},
      {"wide input stretched without keep-aspect", {blue_, wide_}, 1.5, stretch, {{"160:20:0:5", 0, 0, 255}}},
      // The 80×120 crop is pillarboxed into 160×120: black, blue, black.
      {"crop rectangle keeps the right half",
       {halves_},
       0.5,
       crop,
       {{"30:120:5:0", 0, 0, 0}, {"60:120:50:0", 0, 0, 255}, {"30:120:125:0", 0, 0, 0}}},
      {"no crop: the left half stays red", {halves_}, 0.5, MCConvertParam{}, {{"40:120:10:0", 255, 0, 0}}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string out = dir_ + "/out" + std::to_string(n++) + ".mp4";
    MCMediaConvert job;
    ASSERT_EQ(job.Concat(c.inputs, out.c_str(), c.param, 0, nullptr), 0) << c.what;
    for (const Region& region : c.regions) {
      const std::vector<int> rgb = mctest::RgbAt(out, c.at, region.crop);
      EXPECT_TRUE(IsColour(rgb, region.r, region.g, region.b))
          << c.what << " at " << region.crop << ": " << (rgb.size() == 3 ? rgb[0] : -1) << ","
          << (rgb.size() == 3 ? rgb[1] : -1) << "," << (rgb.size() == 3 ? rgb[2] : -1);
    }
  }
}

}  // namespace
