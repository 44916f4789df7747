#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <memory>

#include "base/CodePage.h"
#include "media_files_helper.h"
#include "mediaconvert/MCDeMuxer.h"
#include "mediaconvert/MCMediaInfo.h"
#include "z_tolvane/FFmpegFile.h"

namespace {

using mctest::Probe;

std::shared_ptr<MCMedia> ProbeWithLibrary(const std::string& path) {
  FFmpegFile file;
  return std::shared_ptr<MCMedia>(file.Open(path.c_str(), true, false));
}

double ToDouble(const std::string& s) { return s.empty() ? -1.0 : std::atof(s.c_str()); }

class ProbeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dir_ = mctest::MakeTempDir("probe"); }
  static std::string dir_;
};
std::string ProbeTest::dir_;

TEST_F(ProbeTest, TenFormatsMatchFfprobe) {
  for (const auto& format : mctest::TenFormats()) {
    SCOPED_TRACE(format.ext);
    const std::string path = mctest::MakeTaggedAudio(dir_, format);
    ASSERT_FALSE(path.empty());
    auto facts = Probe(path);
    auto media = ProbeWithLibrary(path);
    ASSERT_NE(media, nullptr);

    EXPECT_EQ(Utf8FromWString(media->formatName), facts["format.format_name"]);
    EXPECT_NEAR(media->duration, ToDouble(facts["format.duration"]), 0.03);
    EXPECT_NEAR(media->duration, 1.0, 0.15);
    EXPECT_EQ(media->size, std::stoull(facts["format.size"]));
    ASSERT_EQ(media->hasAudio, 1);
    EXPECT_EQ(media->hasVideo, 0);
    EXPECT_EQ(media->audio.sampleRate, std::atoi(facts["streams.stream.0.sample_rate"].c_str()));
    EXPECT_EQ(media->audio.channels, std::atoi(facts["streams.stream.0.channels"].c_str()));
    EXPECT_EQ(std::string(avcodec_get_name(static_cast<AVCodecID>(media->audio.codecId))),
              facts["streams.stream.0.codec_name"]);
    EXPECT_GT(media->audio.bitRate, 0.0);

    const std::string ext = format.ext;
    const bool tagless = ext == "ac3" || ext == "mp2" || ext == "amr";
    if (!tagless) {
      // ffprobe shows the tags on the container, or on the stream for ogg.
      const std::string prefix = ext == "ogg" ? "streams.stream.0.tags." : "format.tags.";
      auto tag = [&](const char* k) {
        for (const auto& [key, value] : facts) {
          if (key.size() == prefix.size() + std::strlen(k) && key.rfind(prefix, 0) == 0 &&
              strcasecmp(key.c_str() + prefix.size(), k) == 0)
            return value;
        }
        return std::string("<none>");
      };
      EXPECT_EQ(Utf8FromWString(media->tags.GetTitle(L"<none>")), tag("title"));
      EXPECT_EQ(Utf8FromWString(media->tags.GetArtist(L"<none>")), tag("artist"));
      EXPECT_EQ(Utf8FromWString(media->tags.GetAlbum(L"<none>")), tag("album"));
      EXPECT_EQ(Utf8FromWString(media->tags.GetGenre(L"<none>")), "Pop");
      EXPECT_EQ(Utf8FromWString(media->tags.GetDate(L"<none>")), "2019");
    }
  }
}

TEST_F(ProbeTest, ContainerNamesDecideYearKey) {
  const struct {
    const char* ext;
    size_t names;
    const wchar_t* yearKey;
  } cases[] = {{"mp3", 1, L"TYER"}, {"m4a", 6, L"DATE"}, {"wma", 1, L"WM/YEAR"}, {"flac", 1, L"DATE"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    for (const auto& format : mctest::TenFormats()) {
      if (std::string(format.ext) != c.ext) continue;
      auto media = ProbeWithLibrary(mctest::MakeTaggedAudio(dir_, format));
      ASSERT_NE(media, nullptr);
      EXPECT_EQ(media->formatNames.size(), c.names);
      EXPECT_EQ(media->tags.YearKey(), c.yearKey);
      EXPECT_TRUE(media->ExtensionMatchesFormat());
    }
  }
}

TEST_F(ProbeTest, CoverPictureAndVideoWithAudio) {
  const std::string cover = dir_ + "/cover.png";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=red:s=64x64 -frames:v 1 '" + cover + "'"));
  const std::string mp3 = dir_ + "/covered.mp3";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1 -i '" + cover +
                             "' -map 0 -map 1 -c:a libmp3lame -c:v png -disposition:v attached_pic "
                             "-metadata title=Covered '" + mp3 + "'"));
  auto media = ProbeWithLibrary(mp3);
  ASSERT_NE(media, nullptr);
  auto facts = Probe(mp3);
  EXPECT_EQ(media->hasAudio, 1);
  EXPECT_EQ(media->hasVideo, 1);  // the cover is the only picture stream
  EXPECT_EQ(media->video.width, 64);
  EXPECT_EQ(media->video.sizeText, L"64x64");
  EXPECT_NEAR(media->duration, ToDouble(facts["format.duration"]), 0.03);
  EXPECT_EQ(media->tags.GetTitle(L""), L"Covered");

  const std::string mp4 = dir_ + "/clip.mp4";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=d=2:s=160x120:r=25 -f lavfi -i sine=d=2:sample_rate=48000 "
                             "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest '" + mp4 + "'"));
  media = ProbeWithLibrary(mp4);
  ASSERT_NE(media, nullptr);
  facts = Probe(mp4);
  EXPECT_EQ(media->hasVideo, 1);
  EXPECT_EQ(media->hasAudio, 1);
  EXPECT_EQ(media->video.codecName, L"h264");
  EXPECT_EQ(media->video.sizeText, L"160x120");
  EXPECT_EQ(media->video.frameRateNum * 1, 25 * media->video.frameRateDen);
  EXPECT_NEAR(media->duration, ToDouble(facts["format.duration"]), 0.03);
  EXPECT_NEAR(media->video.duration, ToDouble(facts["streams.stream.0.duration"]), 0.03);
  EXPECT_NEAR(static_cast<double>(media->video.frameCount), 50, 1);
  EXPECT_EQ(media->audio.sampleRate, 48000);
  EXPECT_GT(media->video.bitRate, 0);
}

TEST_F(ProbeTest, UnopenableFilesGiveNoResult) {
  FFmpegFile missing;
  EXPECT_EQ(missing.Open((dir_ + "/nope.mp3").c_str(), true, false), nullptr);
  EXPECT_EQ(missing.FormatContext(), nullptr);
  FFmpegFile nullPath;
  EXPECT_EQ(nullPath.Open(nullptr, true, false), nullptr);

  const std::string junk = dir_ + "/junk.mp3";
  std::string bytes(4096, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919u + 13u) % 251u);
  mctest::WriteFile(junk, bytes);
  FFmpegFile random;
  MCMedia* media = random.Open(junk.c_str(), true, false);
  // Either refused, or opened without any audio; never a crash.
  if (media != nullptr) {
    EXPECT_EQ(media->hasAudio, 0);
    delete media;
  }
}

TEST_F(ProbeTest, MissingVideoDecoderFailsOnlyWhenVideoIsAsked) {
  // A Matroska file whose picture track names a codec no decoder knows.
  const std::string made = dir_ + "/known.mkv";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i testsrc=d=1:s=64x48:r=5 -f lavfi -i sine=d=1 -c:v mjpeg -c:a flac '" +
                             made + "'"));
  std::string bytes = mctest::ReadFile(made);
  const size_t at = bytes.find("V_MJPEG");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 7, "V_QRVLX");
  const std::string unknown = dir_ + "/unknown-video.mkv";
  mctest::WriteFile(unknown, bytes);

  FFmpegFile soundOnly;
  std::unique_ptr<MCMedia> media(soundOnly.Open(unknown.c_str(), true, false));
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(media->hasAudio, 1);
  EXPECT_EQ(media->hasVideo, 1);
  EXPECT_EQ(media->video.width, 64);
  EXPECT_NEAR(media->duration, 1.0, 0.1);
  EXPECT_NE(soundOnly.AudioContext(), nullptr);
  EXPECT_EQ(soundOnly.VideoContext(), nullptr);

  FFmpegFile withPicture;
  EXPECT_EQ(withPicture.Open(unknown.c_str(), true, true), nullptr);
  EXPECT_EQ(withPicture.FormatContext(), nullptr);
}

TEST_F(ProbeTest, TagsOfTheOemPageStillReadRight) {
  // A wav whose artist was written in the OEM page (GBK "歌手").
  const std::string wav = dir_ + "/oem.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=0.5 -metadata 'artist=\xb8\xe8\xca\xd6' '" + wav + "'"));
  std::unique_ptr<MCMedia> media(FFmpegFile().Open(wav.c_str(), true, false));
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(media->tags.GetArtist(L""), L"\u6b4c\u624b");
}

TEST_F(ProbeTest, RawAacDurationCountedFromFrames) {
  const std::string aac = dir_ + "/raw.aac";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=2:sample_rate=44100 -c:a aac -f adts '" + aac + "'"));
  // Count ADTS frames the plain way for the expected figure.
  const std::string bytes = mctest::ReadFile(aac);
  size_t frames = 0;
  for (size_t at = 0; at + 7 <= bytes.size();) {
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    ASSERT_EQ(h[0], 0xFF);
    ++frames;
    at += ((h[3] & 3) << 11) | (h[4] << 3) | (h[5] >> 5);
  }
  auto media = ProbeWithLibrary(aac);
  ASSERT_NE(media, nullptr);
  EXPECT_NEAR(media->duration, frames * 23220 / 1e6, 1e-6);

  // A header whose length field is 0 ends the scan instead of spinning.
  std::string broken = bytes.substr(0, 7);
  broken[3] = static_cast<char>(broken[3] & ~3);
  broken[4] = 0;
  broken[5] = static_cast<char>(broken[5] & 0x1F);
  mctest::WriteFile(dir_ + "/zero.aac", broken + bytes);
  AVFormatContext ctx{};
  const std::string zero = dir_ + "/zero.aac";
  ctx.url = const_cast<char*>(zero.c_str());
  ctx.iformat = av_find_input_format("aac");
  MCaacFmtBugfixer fixer;
  EXPECT_TRUE(fixer.Fix(&ctx));
  EXPECT_EQ(ctx.duration, 23220);
  ctx.url = nullptr;
}

TEST_F(ProbeTest, UnknownDurationTakenFromMediaInfo) {
  // Matroska written to a pipe carries no duration: FFmpeg reports none.
  const std::string mkv = dir_ + "/piped.mkv";
  ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -y -f lavfi -i sine=d=2 -c:a flac -f matroska pipe:1 > '" +
                         mkv + "'").c_str()),
            0);
  ASSERT_EQ(Probe(mkv)["format.duration"], "N/A");
  auto media = ProbeWithLibrary(mkv);
  ASSERT_NE(media, nullptr);
  // MediaInfo's answer is taken whatever it is (it cannot time this file
  // either, so 0 rather than FFmpeg's unknown); the same for the bit rate.
  const std::wstring wpath = WStringFromUtf8(mkv);
  EXPECT_DOUBLE_EQ(media->duration, MCMediaInfoDuration(wpath));
  EXPECT_GE(media->duration, 0.0);
  EXPECT_DOUBLE_EQ(media->audio.duration, media->duration);
  EXPECT_DOUBLE_EQ(media->audio.bitRate, MCMediaInfoAudioBitRate(wpath));

  // Without the library an unknown length is no length, never FFmpeg's
  // "unknown" turned into a huge negative number of seconds.
  MCMediaInfoUseLibrary("libquorvale-missing.so.0");
  auto alone = ProbeWithLibrary(mkv);
  MCMediaInfoUseLibrary("libmediainfo.so.0");
  ASSERT_NE(alone, nullptr);
  EXPECT_DOUBLE_EQ(alone->duration, 0.0);
}

TEST(MediaInfo, ParsesDurationsAndReadsFiles) {
  EXPECT_DOUBLE_EQ(MCParseDurationText(L"01:02:03.500"), 3723.5);
  EXPECT_NEAR(MCParseDurationText(L"00:03:25.123"), 205.123, 1e-9);
  EXPECT_DOUBLE_EQ(MCParseDurationText(L"1:00:00"), 3600.0);
  EXPECT_DOUBLE_EQ(MCParseDurationText(L""), 0.0);
  EXPECT_DOUBLE_EQ(MCParseDurationText(L"42.5"), 42.5);

  ASSERT_TRUE(MCMediaInfoAvailable()) << "libmediainfo.so.0 is installed here";
  const std::string dir = mctest::MakeTempDir("mediainfo");
  const std::string wav = dir + "/a.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1.5:sample_rate=16000 -ac 1 -c:a pcm_s16le '" + wav + "'"));
  EXPECT_NEAR(MCMediaInfoDuration(WStringFromUtf8(wav)), 1.5, 0.01);
  EXPECT_NEAR(MCMediaInfoDurationUtf8(wav), 1.5, 0.01);
  EXPECT_DOUBLE_EQ(MCMediaInfoAudioBitRate(WStringFromUtf8(wav)), 256.0);
  EXPECT_EQ(MCMediaInfoVideoBitRate(WStringFromUtf8(wav)), 0);

  // Without the library every query answers 0 and the probe still works.
  MCMediaInfoUseLibrary("libquorvale-missing.so.0");
  EXPECT_FALSE(MCMediaInfoAvailable());
  EXPECT_EQ(MCMediaInfoDuration(WStringFromUtf8(wav)), 0.0);
  EXPECT_EQ(MCMediaInfoAudioBitRate(WStringFromUtf8(wav)), 0.0);
  FFmpegFile file;
  std::unique_ptr<MCMedia> media(file.Open(wav.c_str(), true, false));
  ASSERT_NE(media, nullptr);
  EXPECT_NEAR(media->duration, 1.5, 0.01);
  EXPECT_DOUBLE_EQ(media->audio.bitRate, 256.0);
  MCMediaInfoUseLibrary("libmediainfo.so.0");
  EXPECT_TRUE(MCMediaInfoAvailable());
}

// Recordings live in folders with Chinese names (the default output folder
// has one) while the process runs in the C locale.
TEST(MediaInfo, ReadsFilesUnderNonAsciiFolders) {
  ASSERT_TRUE(MCMediaInfoAvailable()) << "libmediainfo.so.0 is installed here";
  const std::string dir = mctest::MakeTempDir("mediainfo");
  ASSERT_EQ(mkdir((dir + "/Velmora电脑录音软件").c_str(), 0700), 0);
  const std::string wav = dir + "/Velmora电脑录音软件/录音 é.wav";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i sine=d=1.5:sample_rate=16000 -ac 1 -c:a pcm_s16le '" + wav + "'"));
  EXPECT_NEAR(MCMediaInfoDuration(WStringFromUtf8(wav)), 1.5, 0.01);
  EXPECT_NEAR(MCMediaInfoDurationUtf8(wav), 1.5, 0.01);
  EXPECT_DOUBLE_EQ(MCMediaInfoAudioBitRate(WStringFromUtf8(wav)), 256.0);
  // The caller's locale is left as it was.
  EXPECT_STREQ(setlocale(LC_CTYPE, nullptr), "C");
}

}  // namespace
