// The file-by-file transcoder's picture steps on their own: the output
// frame, the scaler into it, encoding and writing, and the decoding twin
// that hands frames out; then an input that changes its size and format
// mid-stream, which only the scaler brings to the encoder's.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media_files_helper.h"
#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMediaConvert.h"
#include "z_tolvane/FFmpegFile.h"
#include "z_tolvane/TranslateVideo.h"

namespace {

using FramePtr = std::unique_ptr<AVFrame, void (*)(AVFrame*)>;
void FreeFrame(AVFrame* f) { av_frame_free(&f); }

// Converts between two frames with a scaler of the test's own.
bool Convert(const AVFrame* from, AVFrame* to) {
  SwsContext* sws = sws_getContext(from->width, from->height, static_cast<AVPixelFormat>(from->format), to->width,
                                   to->height, static_cast<AVPixelFormat>(to->format), SWS_POINT, nullptr, nullptr,
                                   nullptr);
  if (sws == nullptr) return false;
  const int rows = sws_scale(sws, from->data, from->linesize, 0, from->height, to->data, to->linesize);
  sws_freeContext(sws);
  return rows > 0;
}

FramePtr NewFrame(int width, int height, AVPixelFormat format) {
  FramePtr f(av_frame_alloc(), FreeFrame);
  f->width = width;
  f->height = height;
  f->format = format;
  if (av_frame_get_buffer(f.get(), 0) < 0) f.reset();
  return f;
}

// A picture whose left half is red and right half blue, in `format`.
FramePtr RedBlue(int width, int height, AVPixelFormat format) {
  FramePtr rgb = NewFrame(width, height, AV_PIX_FMT_RGB24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = rgb->data[0] + y * rgb->linesize[0];
    for (int x = 0; x < width; ++x) {
      const bool left = x < width / 2;
      row[3 * x] = left ? 255 : 0;
      row[3 * x + 1] = 0;
      row[3 * x + 2] = left ? 0 : 255;
    }
  }
  FramePtr out = NewFrame(width, height, format);
  if (out == nullptr || !Convert(rgb.get(), out.get())) out.reset();
  return out;
}

// Average red, green and blue of columns [x0, x1) of a frame.
std::vector<int> AverageRgb(const AVFrame* frame, int x0, int x1) {
  FramePtr rgb = NewFrame(frame->width, frame->height, AV_PIX_FMT_RGB24);
  if (!Convert(frame, rgb.get())) return {-1, -1, -1};
  long sum[3] = {0, 0, 0};
  long n = 0;
  for (int y = 0; y < frame->height; ++y) {
    for (int x = x0; x < x1; ++x, ++n) {
      for (int c = 0; c < 3; ++c) sum[c] += rgb->data[0][y * rgb->linesize[0] + 3 * x + c];
    }
  }
  return {static_cast<int>(sum[0] / n), static_cast<int>(sum[1] / n), static_cast<int>(sum[2] / n)};
}

bool Near(const std::vector<int>& rgb, int r, int g, int b) {
  return std::abs(rgb[0] - r) < 40 && std::abs(rgb[1] - g) < 40 && std::abs(rgb[2] - b) < 40;
}

std::string Show(const std::vector<int>& rgb) {
  return std::to_string(rgb[0]) + "," + std::to_string(rgb[1]) + "," + std::to_string(rgb[2]);
}

class LegacyPictureStepsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = mctest::MakeTempDir("legacy-steps");
    blue_ = dir_ + "/blue.mp4";
    ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=blue:s=160x120:r=25:d=1 -c:v libx264 -preset ultrafast "
                               "-pix_fmt yuv420p '" + blue_ + "'"));
  }

  // An output of `name` whose encoder is width x height, opened from the
  // blue input, with its header written.
  void OpenOutput(const std::string& name, int width, int height) {
    input_ = std::make_unique<FFmpegFile>();
    media_.reset(input_->Open(blue_.c_str(), false, true));
    ASSERT_NE(media_, nullptr);
    MCConvertParam p;
    p.width = width;
    p.height = height;
    output_ = std::make_unique<FFmpegFile>();
    outPath_ = dir_ + "/" + name;
    ASSERT_TRUE(output_->OpenOutputFile(outPath_.c_str(), input_.get(), p));
    ASSERT_TRUE(output_->WriteHeader());
  }

  static std::string dir_, blue_;
  std::unique_ptr<FFmpegFile> input_, output_;
  std::unique_ptr<MCMedia> media_;
  std::string outPath_;
};
std::string LegacyPictureStepsTest::dir_, LegacyPictureStepsTest::blue_;

TEST_F(LegacyPictureStepsTest, OutputFrameHasTheEncodersSizeAndFormat) {
  const struct {
    const char* name;
    int width, height;
  } cases[] = {{"frame.mp4", 160, 120}, {"frame-odd.mp4", 98, 50}, {"frame.gif", 64, 48}};
  for (const auto& c : cases) {
    OpenOutput(c.name, c.width, c.height);
    const AVCodecContext* encoder = output_->VideoContext();
    ASSERT_NE(encoder, nullptr) << c.name;
    TranslateVideo video;
    ASSERT_EQ(video.InitOutput(output_.get()), 0);
    ASSERT_EQ(video.AllocOutputFrame(), 0) << c.name;
    const AVFrame* f = video.OutputFrame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, encoder->width) << c.name;
    EXPECT_EQ(f->height, encoder->height) << c.name;
    EXPECT_EQ(f->format, encoder->pix_fmt) << c.name;
    for (int plane = 0; plane < 4 && f->data[plane] != nullptr; ++plane) {
      EXPECT_EQ(f->linesize[plane] % 4, 0) << c.name << " plane " << plane;
      EXPECT_GE(f->linesize[plane], av_image_get_linesize(encoder->pix_fmt, encoder->width, plane))
          << c.name << " plane " << plane;
    }
    // Allocating again replaces the frame rather than failing.
    EXPECT_EQ(video.AllocOutputFrame(), 0) << c.name;
  }
  TranslateVideo unwired;
  const std::string log = dir_ + "/unwired.log";
  {
    MCLogRedirect redirect(log.c_str());
    EXPECT_EQ(unwired.AllocOutputFrame(), -1);
  }
  EXPECT_NE(mctest::ReadFile(log).find("Could not allocate output frame\n"), std::string::npos);
}

TEST_F(LegacyPictureStepsTest, ScalerBringsEverySizeAndFormatToTheEncoders) {
  const struct {
    const char* output;
    int encW, encH;
    int srcW, srcH;
    AVPixelFormat srcFormat;
  } cases[] = {
      {"scale-a.mp4", 160, 120, 320, 240, AV_PIX_FMT_RGB24},   // shrink, packed RGB
      {"scale-b.mp4", 160, 120, 80, 60, AV_PIX_FMT_YUV420P},   // grow, same format
      {"scale-c.mp4", 160, 120, 160, 120, AV_PIX_FMT_YUV444P}, // format alone differs
      {"scale-d.mp4", 96, 200, 400, 100, AV_PIX_FMT_BGRA},     // other aspect, stretched
      {"scale-e.mp4", 160, 120, 642, 482, AV_PIX_FMT_NV12},    // odd-ish size, semi-planar
      {"scale-f.gif", 64, 48, 160, 120, AV_PIX_FMT_YUV420P},   // a palette-style encoder format
      {"scale-g.mp4", 160, 120, 160, 120, AV_PIX_FMT_YUV420P}, // identical: copied
  };
  for (const auto& c : cases) {
    OpenOutput(c.output, c.encW, c.encH);
    TranslateVideo video;
    ASSERT_EQ(video.InitOutput(output_.get()), 0);
    ASSERT_EQ(video.AllocOutputFrame(), 0);
    FramePtr src = RedBlue(c.srcW, c.srcH, c.srcFormat);
    ASSERT_NE(src, nullptr) << c.output;
    ASSERT_EQ(video.InitScaler(c.srcW, c.srcH, c.srcFormat), 0) << c.output;
    ASSERT_EQ(video.FillOutputFrame(src.get()), 0) << c.output;
    const AVFrame* out = video.OutputFrame();
    const int w = out->width;
    // Away from the middle seam and the chroma smearing next to it.
    const std::vector<int> left = AverageRgb(out, w / 16, w * 3 / 8);
    const std::vector<int> right = AverageRgb(out, w * 5 / 8, w * 15 / 16);
    EXPECT_TRUE(Near(left, 255, 0, 0)) << c.output << " left " << Show(left);
    EXPECT_TRUE(Near(right, 0, 0, 255)) << c.output << " right " << Show(right);
  }
}

TEST_F(LegacyPictureStepsTest, ScalerRefusesWhatItCannotScale) {
  TranslateVideo unwired;
  EXPECT_LT(unwired.InitScaler(160, 120, AV_PIX_FMT_YUV420P), 0);
  OpenOutput("refuse.mp4", 160, 120);
  TranslateVideo video;
  ASSERT_EQ(video.InitOutput(output_.get()), 0);
  const struct {
    int w, h;
    AVPixelFormat format;
  } cases[] = {{0, 120, AV_PIX_FMT_YUV420P}, {160, -2, AV_PIX_FMT_YUV420P}, {160, 120, AV_PIX_FMT_NONE}};
  for (const auto& c : cases) {
    const std::string log = dir_ + "/refuse.log";
    {
      MCLogRedirect redirect(log.c_str());
      EXPECT_LT(video.InitScaler(c.w, c.h, c.format), 0) << c.w << "x" << c.h << " " << c.format;
    }
    EXPECT_NE(mctest::ReadFile(log).find("Could not create the picture scaler"), std::string::npos);
  }
  // Without an output frame nothing is filled.
  FramePtr src = RedBlue(160, 120, AV_PIX_FMT_YUV420P);
  EXPECT_LT(video.FillOutputFrame(src.get()), 0);
}

TEST_F(LegacyPictureStepsTest, EncodeAndWritePutsEachFrameAtItsTime) {
  OpenOutput("encoded.mp4", 160, 120);
  TranslateVideo video;
  ASSERT_EQ(video.InitOutput(output_.get()), 0);
  ASSERT_EQ(video.AllocOutputFrame(), 0);
  FramePtr src = RedBlue(160, 120, AV_PIX_FMT_YUV420P);
  ASSERT_EQ(video.FillOutputFrame(src.get()), 0);
  // Every other frame time: the file keeps the gaps.
  for (int i = 0; i < 10; ++i) {
    video.SetNextTime(2 * i * video.FrameTicks());
    ASSERT_EQ(video.EncodeAndWrite(video.OutputFrame()), 0) << i;
  }
  ASSERT_EQ(video.FlushEncoder(), 0);
  // A drained encoder takes no more pictures: that is an error, not 0.
  const std::string log = dir_ + "/drained.log";
  {
    MCLogRedirect redirect(log.c_str());
    EXPECT_LT(video.EncodeAndWrite(video.OutputFrame()), 0);
  }
  EXPECT_NE(mctest::ReadFile(log).find("Could not send packet for encoding"), std::string::npos);
  EXPECT_EQ(video.FlushEncoder(), 0);  // draining twice is no failure
  ASSERT_TRUE(output_->WriteTrailer());

  FILE* pipe = popen(("ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of csv=p=0 '" + outPath_ +
                      "'").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<double> times;
  char line[64];
  while (fgets(line, sizeof line, pipe) != nullptr) {
    if (line[0] >= '0' && line[0] <= '9') times.push_back(std::atof(line));
  }
  pclose(pipe);
  ASSERT_EQ(times.size(), 10u);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], 2.0 * static_cast<double>(i) / 25, 0.002) << i;
  EXPECT_TRUE(Near(mctest::RgbAt(outPath_, 0.2, "60:120:10:0"), 255, 0, 0));
  EXPECT_TRUE(Near(mctest::RgbAt(outPath_, 0.2, "60:120:90:0"), 0, 0, 255));
}

TEST_F(LegacyPictureStepsTest, DecodingTwinHandsOutEveryFrame) {
  OpenOutput("decoded.mp4", 160, 120);
  TranslateVideo video;
  ASSERT_EQ(video.InitOutput(output_.get()), 0);
  FFmpegFile input;
  std::unique_ptr<MCMedia> media(input.Open(blue_.c_str(), false, true));
  ASSERT_NE(media, nullptr);
  ASSERT_EQ(video.InitFilters(&input, MCConvertParam{}), 0);
  std::vector<int64_t> times;
  auto take = [&](AVFrame* f) {
    EXPECT_EQ(f->width, 160);
    EXPECT_EQ(f->height, 120);
    times.push_back(f->best_effort_timestamp);
    return 0;
  };
  AVPacket* packet = av_packet_alloc();
  const std::string log = dir_ + "/twin.log";
  {
    MCLogRedirect redirect(log.c_str());
    while (input.ReadPacket(packet)) {
      if (packet->stream_index == input.GetVideoStream()->index) EXPECT_EQ(video.DecodePacket(packet, take), 0);
      av_packet_unref(packet);
    }
    EXPECT_EQ(video.DecodePacket(nullptr, take), 0);  // the frames the decoder still held
  }
  // Wanting more input is quiet.
  EXPECT_EQ(mctest::ReadFile(log).find("decode video error"), std::string::npos);
  ASSERT_EQ(times.size(), 25u);
  for (size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]) << i;

  // A caller's failure stops the decoding with its error.
  avcodec_flush_buffers(input.VideoContext());
  ASSERT_GE(av_seek_frame(input.FormatContext(), -1, 0, AVSEEK_FLAG_BACKWARD), 0);
  int calls = 0;
  int rc = 0;
  while (rc == 0 && input.ReadPacket(packet)) {
    if (packet->stream_index == input.GetVideoStream()->index) {
      rc = video.DecodePacket(packet, [&](AVFrame*) { return ++calls == 3 ? AVERROR(ENOSPC) : 0; });
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  EXPECT_EQ(rc, AVERROR(ENOSPC));
  EXPECT_EQ(calls, 3);
}

// A stream whose pictures turn from 160x120 4:2:0 into 320x240 4:4:4
// passes a chain built for its first pictures unchanged; the scaler
// brings them to the encoder's size and format, so the second second
// shows its whole red-and-blue picture, not its top-left corner.
TEST_F(LegacyPictureStepsTest, MidStreamSizeAndFormatChangeIsScaledToTheEncoders) {
  const std::string first = dir_ + "/first.ts";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=blue:s=160x120:r=25:d=1 -c:v libx264 -preset ultrafast "
                             "-pix_fmt yuv420p '" + first + "'"));
  const std::string second = dir_ + "/second.ts";
  ASSERT_TRUE(mctest::Ffmpeg("-f lavfi -i color=red:s=160x240:r=25:d=1 -f lavfi -i color=blue:s=160x240:r=25:d=1 "
                             "-filter_complex hstack -c:v libx264 -preset ultrafast -pix_fmt yuv444p "
                             "-output_ts_offset 1 '" + second + "'"));
  const std::string joined = dir_ + "/joined.ts";
  mctest::WriteFile(joined, mctest::ReadFile(first) + mctest::ReadFile(second));

  const std::string out = dir_ + "/joined.mp4";
  MCMediaConvert job;
  ASSERT_EQ(job.Concat({joined}, out.c_str(), MCConvertParam{}, 0, nullptr), 0);
  std::map<std::string, std::string> facts = mctest::Probe(out);
  EXPECT_EQ(facts["streams.stream.0.width"], "160");
  EXPECT_EQ(facts["streams.stream.0.height"], "120");
  EXPECT_TRUE(Near(mctest::RgbAt(out, 0.5), 0, 0, 255)) << Show(mctest::RgbAt(out, 0.5));
  const std::vector<int> left = mctest::RgbAt(out, 1.5, "60:120:10:0");
  const std::vector<int> right = mctest::RgbAt(out, 1.5, "60:120:90:0");
  EXPECT_TRUE(Near(left, 255, 0, 0)) << Show(left);
  EXPECT_TRUE(Near(right, 0, 0, 255)) << Show(right);
}

}  // namespace
