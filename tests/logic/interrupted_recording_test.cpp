// Recordings whose writing a kill cut short: a WAV's sizes are put right
// so that a player reads every sound frame, and the length is measured
// from the audio itself, whatever the header says.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/CodePage.h"
#include "logic/InterruptedRecording.h"
// The media-file helpers of the media library's tests (ffmpeg runs).
#include "../mediaconvert/media_files_helper.cpp"

namespace {

uint32_t Le32(const std::string& bytes, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutLe32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Seconds of sound a full decode gives (mono 8 kHz samples counted).
double DecodedSeconds(const std::string& path) {
  const std::string pcm =
      mctest::Capture("ffmpeg -nostdin -v quiet -i " + mctest::Quote(path) + " -ac 1 -ar 8000 -f s16le - 2>/dev/null");
  return static_cast<double>(pcm.size()) / 2.0 / 8000.0;
}

TEST(InterruptedRecording, WavSizesAreMadeToMatchTheSoundFramesThere) {
  const std::string dir = mctest::MakeTempDir("wav");
  // Two seconds of 44.1 kHz stereo 16-bit: 4 bytes a frame; the title
  // puts a LIST chunk before the data.
  const std::string whole = dir + "/whole.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=2 -ac 2 -ar 44100 -c:a pcm_s16le -metadata title=T '" + whole + "'"));
  const std::string original = mctest::ReadFile(whole);
  const size_t dataAt = original.find("data");
  ASSERT_NE(dataAt, std::string::npos);
  ASSERT_NE(original.find("LIST"), std::string::npos);
  const size_t dataStart = dataAt + 8;
  const uint32_t oneSecond = 44100 * 4;

  const struct {
    const char* name;
    uint32_t riffSize, dataSize;  // as the kill left them
    size_t keepBytes;             // of the data
    uint32_t expectedData;
  } cases[] = {
      {"sizes never written", 0, 0, oneSecond, oneSecond},
      {"placeholder sizes", 0xFFFFFFFFu, 0xFFFFFFFFu, oneSecond, oneSecond},
      {"sizes of the whole, file cut", static_cast<uint32_t>(original.size() - 8),
       static_cast<uint32_t>(original.size() - dataStart), oneSecond + 3, oneSecond},
      {"half a frame at the end", 36, 0, oneSecond / 2 + 2, oneSecond / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = original.substr(0, dataStart + c.keepBytes);
    PutLe32(bytes, 4, c.riffSize);
    PutLe32(bytes, dataAt + 4, c.dataSize);
    const std::string path = dir + "/cut.wav";
    mctest::WriteFile(path, bytes);

    ASSERT_TRUE(RepairWavSizes(path));
    const std::string repaired = mctest::ReadFile(path);
    ASSERT_EQ(repaired.size(), bytes.size());  // nothing cut away
    EXPECT_EQ(Le32(repaired, dataAt + 4), c.expectedData);
    EXPECT_EQ(Le32(repaired, 4), dataStart + c.expectedData - 8);
    EXPECT_EQ(repaired.substr(dataStart), bytes.substr(dataStart));  // the sound as it was
    const double seconds = c.expectedData / static_cast<double>(oneSecond);
    EXPECT_NEAR(DecodedSeconds(path), seconds, 0.01);
    const CInterruptedRecording found = RecoverInterruptedRecording(WStringFromUtf8(path));
    EXPECT_TRUE(found.readable);
    EXPECT_NEAR(found.seconds, seconds, 0.01);
    EXPECT_EQ(found.bytes, bytes.size());
    // A second repair finds nothing to do.
    ASSERT_TRUE(RepairWavSizes(path));
    EXPECT_EQ(mctest::ReadFile(path), repaired);
  }
}

TEST(InterruptedRecording, OtherFilesAreLeftAsTheyAre) {
  const std::string dir = mctest::MakeTempDir("other");
  const std::string mp3 = dir + "/a.mp3", junk = dir + "/b.wav", riffOnly = dir + "/c.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame '" + mp3 + "'"));
  mctest::WriteFile(junk, std::string(100, 'x'));
  mctest::WriteFile(riffOnly, std::string("RIFF\0\0\0\0WAVEfmt ", 16));  // no data chunk
  for (const std::string& path : {mp3, junk, riffOnly}) {
    SCOPED_TRACE(path);
    const std::string before = mctest::ReadFile(path);
    EXPECT_FALSE(RepairWavSizes(path));
    EXPECT_EQ(mctest::ReadFile(path), before);
  }
  EXPECT_FALSE(RecoverInterruptedRecording(WStringFromUtf8(junk)).readable);
  EXPECT_LT(MeasureAudioSeconds(dir + "/missing.mp3"), 0);
}

TEST(InterruptedRecording, LengthIsMeasuredFromTheAudioNotTheHeader) {
  const std::string dir = mctest::MakeTempDir("cut");
  const struct {
    const char* ext;
    const char* args;
  } cases[] = {
      {"mp3", "-c:a libmp3lame -b:a 128k"},
      {"flac", "-c:a flac"},  // its header says four seconds
      {"ogg", "-c:a libvorbis"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    const std::string whole = dir + "/whole." + c.ext, cut = dir + "/cut." + c.ext;
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=4 -ac 2 " + std::string(c.args) + " '" + whole + "'"));
    const std::string bytes = mctest::ReadFile(whole);
    mctest::WriteFile(cut, bytes.substr(0, bytes.size() / 2));
    const double truth = DecodedSeconds(cut);
    ASSERT_GT(truth, 1.0);
    ASSERT_LT(truth, 3.0);
    const CInterruptedRecording found = RecoverInterruptedRecording(WStringFromUtf8(cut));
    EXPECT_TRUE(found.readable);
    EXPECT_NEAR(found.seconds, truth, 0.15);
    EXPECT_EQ(found.bytes, bytes.size() / 2);
  }
}

TEST(InterruptedRecording, AFlacWithoutItsTotalOfSamplesGetsTheOneItHolds) {
  const std::string dir = mctest::MakeTempDir("flac");
  const std::string whole = dir + "/whole.flac", cut = dir + "/cut.flac";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=4 -ac 2 -ar 44100 -c:a flac '" + whole + "'"));
  std::string bytes = mctest::ReadFile(whole);
  bytes.resize(bytes.size() / 2);
  // As a writer killed before its end leaves it: the total is 0.
  bytes[21] = static_cast<char>(bytes[21] & 0xF0);
  for (int i = 22; i < 26; ++i) bytes[i] = 0;
  mctest::WriteFile(cut, bytes);
  EXPECT_EQ(mctest::Probe(cut)["format.duration"], "N/A");

  const CInterruptedRecording found = RecoverInterruptedRecording(WStringFromUtf8(cut));
  ASSERT_TRUE(found.readable);
  const double truth = DecodedSeconds(cut);
  EXPECT_NEAR(found.seconds, truth, 0.15);
  // Every player now reads the length from the header.
  EXPECT_NEAR(std::stod(mctest::Probe(cut)["format.duration"]), found.seconds, 0.01);
  const std::string after = mctest::ReadFile(cut);
  EXPECT_EQ(after.substr(26), bytes.substr(26));  // the sound itself untouched
  // A total already there is left alone.
  EXPECT_TRUE(RepairFlacLength(cut, 1.0));
  EXPECT_EQ(mctest::ReadFile(cut), after);
  EXPECT_FALSE(RepairFlacLength(dir + "/missing.flac", 1.0));
}

}  // namespace
