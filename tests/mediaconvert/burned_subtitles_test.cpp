// Subtitles burned into the picture: text ones through FFmpeg's renderer,
// bitmap ones (DVD) drawn on a canvas and laid over the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "media_files_helper.h"
#include "mediaconvert/MCMediaConvert.h"
#include "mediaconvert/MCSubtitleInput.h"

namespace {

constexpr int kWidth = 160, kHeight = 120;
// Where the DVD subtitles of these tests show, and where the text ones
// (full blocks, at the bottom in the middle) do.
const char* kDvdBox = "40:20:20:80";
const char* kTextBox = "24:6:68:109";

struct Cue {
  double start;  // seconds
  double length;  // seconds; 0: unknown end
  bool visible;
};

// A bitmap rectangle of w x h at (x, y), all of palette colour 1.
AVSubtitleRect* Box(int x, int y, int w, int h, uint32_t colour) {
  auto* r = static_cast<AVSubtitleRect*>(av_mallocz(sizeof(AVSubtitleRect)));
  r->type = SUBTITLE_BITMAP;
  r->x = x;
  r->y = y;
  r->w = w;
  r->h = h;
  r->nb_colors = 4;
  r->linesize[0] = w;
  r->data[0] = static_cast<uint8_t*>(av_malloc(static_cast<size_t>(w) * h));
  std::memset(r->data[0], 1, static_cast<size_t>(w) * h);
  r->data[1] = static_cast<uint8_t*>(av_mallocz(4 * 4));
  reinterpret_cast<uint32_t*>(r->data[1])[1] = colour;
  return r;
}

// A Matroska file of DVD subtitles, encoded here: FFmpeg's tools cannot
// turn text into bitmaps.
bool WriteDvdSubtitles(const std::string& path, const std::vector<Cue>& cues) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
  AVFormatContext* out = nullptr;
  if (codec == nullptr || avformat_alloc_output_context2(&out, nullptr, "matroska", path.c_str()) < 0) return false;
  AVCodecContext* enc = avcodec_alloc_context3(codec);
  enc->width = kWidth;
  enc->height = kHeight;
  enc->time_base = AVRational{1, 1000};
  bool ok = avcodec_open2(enc, codec, nullptr) >= 0;
  AVStream* st = ok ? avformat_new_stream(out, nullptr) : nullptr;
  ok = st != nullptr && avcodec_parameters_from_context(st->codecpar, enc) >= 0;
  if (ok) st->time_base = AVRational{1, 1000};
  ok = ok && avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(out, nullptr) >= 0;
  std::vector<uint8_t> buffer(1 << 20);
  for (const Cue& c : cues) {
    if (!ok) break;
    AVSubtitle sub{};
    sub.num_rects = 1;
    sub.rects = static_cast<AVSubtitleRect**>(av_mallocz(sizeof(AVSubtitleRect*)));
    sub.rects[0] = c.visible ? Box(20, 80, 40, 20, 0xFFFFFFFF) : Box(0, 0, 2, 2, 0x00000000);
    sub.pts = static_cast<int64_t>(c.start * AV_TIME_BASE);
    sub.end_display_time = static_cast<uint32_t>(c.length * 1000);
    const int size = avcodec_encode_subtitle(enc, buffer.data(), static_cast<int>(buffer.size()), &sub);
    avsubtitle_free(&sub);
    if (size <= 0) {
      ok = false;
      break;
    }
    AVPacket* pkt = av_packet_alloc();
    av_new_packet(pkt, size);
    std::memcpy(pkt->data, buffer.data(), size);
    pkt->pts = pkt->dts = av_rescale_q(static_cast<int64_t>(c.start * AV_TIME_BASE), AV_TIME_BASE_Q, st->time_base);
    pkt->duration = static_cast<int64_t>(c.length * 1000);
    pkt->stream_index = 0;
    ok = av_interleaved_write_frame(out, pkt) >= 0;
    av_packet_free(&pkt);
  }
  ok = ok && av_write_trailer(out) >= 0;
  avcodec_free_context(&enc);
  avio_closep(&out->pb);
  avformat_free_context(out);
  return ok;
}

double Distance(const std::vector<int>& a, const std::vector<int>& b) {
  return std::sqrt(std::pow(a[0] - b[0], 2) + std::pow(a[1] - b[1], 2) + std::pow(a[2] - b[2], 2));
}

class BurnedSubtitlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = mctest::MakeTempDir("subs");
    video_ = dir_ + "/plain.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=c=blue:s=160x120:r=25:d=5 -c:v libx264 -preset ultrafast '" +
                               video_ + "'"));
  }
  // Whether the subtitle's box differs from the plain picture at each time.
  std::vector<bool> Shown(const std::string& subtitles, const std::vector<double>& times, const char* box) {
    const std::string out = dir_ + "/burned.mp4";
    MCConvertParam p;
    p.stream.subtitlePath = subtitles;
    MCMediaConvert job;
    EXPECT_EQ(job.Convert(video_.c_str(), out.c_str(), p, nullptr), 0) << job.GetErrorInfo().message;
    std::vector<bool> shown;
    for (double t : times) {
      shown.push_back(Distance(mctest::RgbAt(out, t, box), mctest::RgbAt(video_, t, box)) > 20);
    }
    return shown;
  }
  std::string dir_, video_;
};

TEST_F(BurnedSubtitlesTest, ShownExactlyInsideTheirTimes) {
  const std::string srt = dir_ + "/cues.srt";
  mctest::WriteFile(srt, "1\n00:00:01,000 --> 00:00:02,000\n\u2588\u2588\u2588\u2588\u2588\u2588\n\n"
                         "2\n00:00:03,000 --> 00:00:03,500\n\u2588\u2588\u2588\u2588\u2588\u2588\n\n");
  const std::string dvd = dir_ + "/cues.mkv";
  // A transparent cue at 0 s puts the file's start there; the last cue has
  // no end and is shown for 500 ms.
  ASSERT_TRUE(WriteDvdSubtitles(dvd, {{0, 0.1, false}, {1, 1, true}, {3, 0, true}}));
  const std::vector<double> times = {0.5, 1.2, 1.8, 2.5, 3.2, 3.8, 4.5};
  const std::vector<bool> expected = {false, true, true, false, true, false, false};
  EXPECT_EQ(Shown(srt, times, kTextBox), expected);
  EXPECT_EQ(Shown(dvd, times, kDvdBox), expected);
}

TEST_F(BurnedSubtitlesTest, TimesCountFromTheSubtitleFilesStart) {
  // The file starts at 2 s: its cue at 3 s shows 1 s into the picture.
  const std::string dvd = dir_ + "/late.mkv";
  ASSERT_TRUE(WriteDvdSubtitles(dvd, {{2, 0.1, false}, {3, 1, true}}));
  EXPECT_EQ(Shown(dvd, {0.5, 1.5, 2.5, 3.5}, kDvdBox), (std::vector<bool>{false, true, false, false}));
}

std::mutex gLogLock;
std::vector<std::string> gLog;

void KeepLog(void*, int level, const char* format, va_list args) {
  if (level > AV_LOG_WARNING) return;
  char line[256];
  vsnprintf(line, sizeof line, format, args);
  std::lock_guard<std::mutex> lock(gLogLock);
  gLog.push_back(line);
}

TEST(Sub2Video, OverflowingAndTextRectanglesAreSkipped) {
  AVSubtitle sub{};
  sub.num_rects = 3;
  sub.rects = static_cast<AVSubtitleRect**>(av_mallocz(3 * sizeof(AVSubtitleRect*)));
  sub.rects[0] = Box(150, 10, 20, 10, 0xFFFF0000);  // past the right edge
  sub.rects[1] = Box(10, 10, 4, 2, 0xFF00FF00);
  sub.rects[2] = static_cast<AVSubtitleRect*>(av_mallocz(sizeof(AVSubtitleRect)));
  sub.rects[2]->type = SUBTITLE_ASS;
  sub.pts = 2000000;
  sub.end_display_time = 0xFFFFFFFF;
  av_log_set_callback(KeepLog);
  AVFrame* canvas = av_frame_alloc();
  ASSERT_EQ(MCSubtitleInput::DrawSubtitle(kWidth, kHeight, &sub, canvas), 0);
  av_log_set_callback(av_log_default_callback);
  EXPECT_EQ(gLog, (std::vector<std::string>{"sub2video: rectangle (150 10 20 10) overflowing 160 120\n",
                                            "sub2video: non-bitmap subtitle\n"}));
  EXPECT_EQ(canvas->format, AV_PIX_FMT_BGRA);
  EXPECT_EQ(canvas->pts, 2000000);
  EXPECT_EQ(canvas->pkt_duration, 500000);
  auto pixel = [canvas](int x, int y) {
    return reinterpret_cast<const uint32_t*>(canvas->data[0] + static_cast<size_t>(y) * canvas->linesize[0])[x];
  };
  EXPECT_EQ(pixel(10, 10), 0xFF00FF00u);
  EXPECT_EQ(pixel(13, 11), 0xFF00FF00u);
  EXPECT_EQ(pixel(14, 10), 0u);
  EXPECT_EQ(pixel(155, 15), 0u);
  EXPECT_EQ(pixel(159, 119), 0u);
  av_frame_free(&canvas);
  avsubtitle_free(&sub);
}

}  // namespace
