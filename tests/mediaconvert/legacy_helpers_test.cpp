// The file-by-file transcoder's small helpers: error texts and box fitting.
#include <gtest/gtest.h>

#include <string>

#include "mediaconvert/MCFFmpeg.h"
#include "mediaconvert/MCLegacyHelpers.h"

namespace {

TEST(LegacyHelpersTest, ErrorTextIsFfmpegsOwnAndNotShared) {
  const std::string eof = MCErrorText(AVERROR_EOF);
  const std::string inval = MCErrorText(AVERROR(EINVAL));
  EXPECT_EQ(eof, "End of file");
  EXPECT_EQ(inval, "Invalid argument");
  // A later call must not change a text already handed out.
  EXPECT_EQ(eof, "End of file");
  EXPECT_FALSE(MCErrorText(-123456).empty());
}

TEST(LegacyHelpersTest, FitSizeKeepsAspectInsideTheBoxOnEvenSides) {
  const struct {
    int boxW, boxH, w, h;
    int wantW, wantH;
  } cases[] = {
      {640, 480, 1920, 1080, 640, 360},  // wide picture: the width binds
      {640, 480, 480, 640, 360, 480},    // tall picture: the height binds
      {640, 480, 320, 240, 640, 480},    // same aspect grows to the box
      {100, 100, 333, 100, 100, 30},     // 30.03 rounds down to even
      {101, 75, 4, 3, 100, 74},          // odd box sides round down too
  };
  for (const auto& c : cases) {
    int w = c.w, h = c.h;
    ASSERT_TRUE(MCFitSize(c.boxW, c.boxH, &w, &h)) << c.w << "x" << c.h;
    EXPECT_EQ(w, c.wantW) << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
    EXPECT_EQ(h, c.wantH) << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
  }
}

TEST(LegacyHelpersTest, FitSizeRefusesEmptySizes) {
  int w = 0, h = 10;
  EXPECT_FALSE(MCFitSize(640, 480, &w, &h));
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 10);
  w = 10;
  EXPECT_FALSE(MCFitSize(0, 480, &w, &h));
  EXPECT_FALSE(MCFitSize(640, 480, nullptr, &h));
}

}  // namespace
