// The format panel's corrections of a settings record: rates move up to
// the next one the encoder takes (or down to its highest), a quality the
// format lacks becomes its first option, a format the list lacks its
// first format; the encoders' real lists come from FFmpeg.
#include <gtest/gtest.h>

#include "audio/AudioFormatTable.h"
#include "windows/OutputArgChoice.h"

namespace {

TEST(SampleRate, NextSupportedOrTheHighest) {
  const struct {
    std::vector<int> rates;
    int rate, expected;
  } rows[] = {
      {{8000}, 44100, 8000},
      {{8000, 16000, 32000, 44100, 48000}, 50000, 48000},
      {{16000, 22050, 24000}, 20000, 22050},
      {{16000, 22050, 24000}, 22050, 22050},
      {{16000, 22050, 24000}, 1, 16000},
      {{}, 12345, 12345},
  };
  for (const auto& r : rows) EXPECT_EQ(CorrectSampleRate(r.rates, r.rate), r.expected) << r.rate;
}

TEST(Correction, QualityRateAndFormatComeToWhatTheFormatOffers) {
  const std::vector<int> formats{0, 1, 2};
  const struct {
    int format;
    double quality;
    int rate;
    std::vector<double> options;
    std::vector<int> rates;
    int format2;
    double quality2;
    int rate2;
    int formatIndex, qualityIndex, rateIndex;
  } rows[] = {
      // mp3 at 320 and 44100 stay.
      {0, 320, 44100, {128, 192, 320}, {32000, 44100, 48000}, 0, 320, 44100, 0, 2, 1},
      // 100 is no option of mp3: the first option.
      {0, 100, 44100, {128, 192, 320}, {32000, 44100, 48000}, 0, 128, 44100, 0, 0, 1},
      // A fractional option stays exactly.
      {2, 10.2, 8000, {4.75, 10.2, 12.2}, {8000}, 2, 10.2, 8000, 2, 1, 0},
      // A format the list lacks: the first format.
      {7, 320, 44100, {128, 320}, {44100}, 0, 320, 44100, 0, 1, 0},
      // No options, no rates: quality and rate are left alone.
      {1, 77, 12345, {}, {}, 1, 77, 12345, 1, -1, -1},
  };
  for (const auto& r : rows) {
    CArgOutput arg;
    arg.output_format = r.format;
    arg.output_quality = r.quality;
    arg.output_samplerate = r.rate;
    const OutputArgSelection sel = CorrectOutputArg(arg, formats, r.options, r.rates);
    EXPECT_EQ(arg.output_format, r.format2) << r.format;
    EXPECT_EQ(arg.output_quality, r.quality2) << r.format;
    EXPECT_EQ(arg.output_samplerate, r.rate2) << r.format;
    EXPECT_EQ(sel.format, r.formatIndex) << r.format;
    EXPECT_EQ(sel.quality, r.qualityIndex) << r.format;
    EXPECT_EQ(sel.rate, r.rateIndex) << r.format;
  }
}

TEST(EncoderLists, RealRatesAscendAndAmrTakesOnly8000) {
  const std::vector<int> mp3 = SampleRatesOfFormat(0);
  ASSERT_FALSE(mp3.empty());
  EXPECT_TRUE(std::is_sorted(mp3.begin(), mp3.end()));
  EXPECT_NE(std::find(mp3.begin(), mp3.end(), 44100), mp3.end());
  for (const CAudioFormat& f : GetOutputFormats()) {
    if (f.extension != L"amr") continue;
    EXPECT_EQ(SampleRatesOfFormat(f.id), std::vector<int>{8000});
    CArgOutput arg;
    arg.output_format = f.id;
    arg.output_samplerate = 44100;
    arg.output_quality = 10.2;
    std::vector<int> ids;
    for (const CAudioFormat& g : GetOutputFormats()) ids.push_back(g.id);
    CorrectOutputArg(arg, ids, QualityValuesOfFormat(f.id), SampleRatesOfFormat(f.id));
    EXPECT_EQ(arg.output_samplerate, 8000);
    EXPECT_EQ(arg.output_quality, 10.2);
  }
  EXPECT_TRUE(SampleRatesOfFormat(kUnknownFormatId).empty()) << "an id without an encoder has no rates";
}

}  // namespace
