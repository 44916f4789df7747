// Text drawn by the video filter graph, read back from the picture that
// leaves it: white strokes where the text stands, black elsewhere.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mediaconvert/MCImageConvert.h"

namespace {

constexpr int kWidth = 160, kHeight = 120;

// A bare chain: a black YUV picture in, the same format out.
class PlainGraphInit : public IVideoFilterInit {
 public:
  int BuildFilterGraph(AVFilterGraph** graph, AVFilterContext** source, AVFilterContext** sink) override {
    *graph = avfilter_graph_alloc();
    if (*graph == nullptr) return AVERROR(ENOMEM);
    const std::string args = "video_size=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                             ":pix_fmt=" + std::to_string(AV_PIX_FMT_YUV420P) + ":time_base=1/25:pixel_aspect=1/1";
    int rc = avfilter_graph_create_filter(source, avfilter_get_by_name("buffer"), "in", args.c_str(), nullptr, *graph);
    if (rc >= 0) rc = avfilter_graph_create_filter(sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                                   *graph);
    return rc;
  }
};

struct Luma {
  double inside = 0;   // brightest row-run share inside the text box
  double outside = 0;  // largest luma outside it
  int lit = 0;         // pixels above mid-grey inside the box
};

// Sends one black picture through the graph and measures the text box
// [x, x + w) x [y, y + h) of what comes out.
Luma DrawOnBlack(MCVideoFilterGraph& graph, int x, int y, int w, int h) {
  Luma result;
  AVFrame* in = av_frame_alloc();
  in->width = kWidth;
  in->height = kHeight;
  in->format = AV_PIX_FMT_YUV420P;
  in->pts = 0;
  EXPECT_EQ(av_frame_get_buffer(in, 0), 0);
  for (int row = 0; row < kHeight; ++row) memset(in->data[0] + row * in->linesize[0], 16, kWidth);
  for (int plane = 1; plane < 3; ++plane)
    for (int row = 0; row < kHeight / 2; ++row) memset(in->data[plane] + row * in->linesize[plane], 128, kWidth / 2);
  EXPECT_EQ(graph.SendFrame(in), 0);
  AVFrame* out = av_frame_alloc();
  EXPECT_EQ(av_buffersink_get_frame(graph.Sink(), out), 0);
  if (out->data[0] != nullptr) {
    for (int row = 0; row < kHeight; ++row) {
      for (int col = 0; col < kWidth; ++col) {
        const int v = out->data[0][row * out->linesize[0] + col];
        const bool box = col >= x && col < x + w && row >= y && row < y + h;
        if (box && v > 128) ++result.lit;
        if (!box && v > result.outside) result.outside = v;
      }
    }
  }
  av_frame_free(&in);
  av_frame_free(&out);
  return result;
}

TEST(DrawText, BothFontFormsDrawWhiteTextAtItsPlace) {
  const struct {
    const char* what;
    std::string text;
    bool byFile;
    std::string font;
  } cases[] = {
      {"font file", "HI", true, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
      {"font family, Chinese", "录音", false, "Noto Sans CJK SC"},
      // Characters that an argument text would have to escape.
      {"quotes and colons", "a:'b'\\%{n}", true, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlainGraphInit init;
    MCVideoFilterGraph graph(&init);
    ASSERT_EQ(graph.Build(kWidth, kHeight, AVRational{1, 25}), 0);
    const int x = 30, y = 40, size = 40;
    const int rc = c.byFile ? graph.AddText(c.text, c.font, size, x, y)
                            : graph.AddText(c.text, MCFontName{c.font}, size, x, y);
    ASSERT_EQ(rc, 0);
    EXPECT_NE(graph.Describe().find("drawtext0=drawtext;"), std::string::npos) << graph.Describe();
    ASSERT_EQ(graph.Finish(), 0);
    // The glyphs stay inside their box (a little room for the font's
    // bearings) and cover a fair part of it; nothing is drawn elsewhere.
    const Luma l = DrawOnBlack(graph, x - 4, y - 4, kWidth - x + 4, size + 12);
    EXPECT_GT(l.lit, 150);
    EXPECT_LT(l.outside, 40);
  }
}

TEST(DrawText, MissingFontFileFails) {
  PlainGraphInit init;
  MCVideoFilterGraph graph(&init);
  ASSERT_EQ(graph.Build(kWidth, kHeight, AVRational{1, 25}), 0);
  EXPECT_LT(graph.AddText("x", "/no/such/font.ttf", 20, 0, 0), 0);
  // The chain is unchanged and still usable.
  EXPECT_EQ(graph.Describe().find("drawtext"), std::string::npos);
  ASSERT_EQ(graph.Finish(), 0);
}

}  // namespace
