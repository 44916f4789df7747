#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "mediaconvert/MCImageConvert.h"

std::string MCEscapeFilterArg(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ':' || c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out;
}

MCVideoFilterGraph::~MCVideoFilterGraph() {
  avfilter_graph_free(&graph_);
  for (SubtitleFeed& feed : subtitles_) delete feed.input;
}

int MCVideoFilterGraph::Build(int width, int height, AVRational timeBase) {
  const int rc = init_->BuildFilterGraph(&graph_, &source_, &sink_);
  end_ = source_;
  width_ = width;
  height_ = height;
  timeBase_ = timeBase;
  return rc;
}

std::string MCVideoFilterGraph::NextName(const char* kind) { return kind + std::to_string(counter_++); }

int MCVideoFilterGraph::AddFilter(const char* filter, const char* name, const std::string& args) {
  if (graph_ == nullptr) return 0;
  AVFilterContext* ctx = nullptr;
  int rc = avfilter_graph_create_filter(&ctx, avfilter_get_by_name(filter), name, args.empty() ? nullptr : args.c_str(),
                                        nullptr, graph_);
  if (rc < 0) return rc;
  rc = avfilter_link(end_, 0, ctx, 0);
  if (rc < 0) return rc;
  end_ = ctx;
  return 0;
}

int MCVideoFilterGraph::AddCrop(int w, int h, int x, int y) {
  w &= ~1;
  h &= ~1;
  const int rc = AddFilter("crop", "crop", std::to_string(w) + ":" + std::to_string(h) + ":" + std::to_string(x) +
                                               ":" + std::to_string(y));
  if (rc == 0) {
    width_ = w;
    height_ = h;
  }
  return rc;
}

int MCVideoFilterGraph::AddOverlayChain(const std::string& path, const std::string& scaleArgs,
                                        const std::string& overlayArgs) {
  if (graph_ == nullptr) return 0;
  AVFilterContext *movie = nullptr, *scale = nullptr, *overlay = nullptr;
  const std::string movieName = NextName("movie"), scaleName = NextName("scale"), overlayName = NextName("overlay");
  int rc = avfilter_graph_create_filter(&movie, avfilter_get_by_name("movie"), movieName.c_str(),
                                        MCEscapeFilterArg(path).c_str(), nullptr, graph_);
  if (rc >= 0) rc = avfilter_graph_create_filter(&scale, avfilter_get_by_name("scale"), scaleName.c_str(),
                                                 scaleArgs.c_str(), nullptr, graph_);
  if (rc >= 0) rc = avfilter_graph_create_filter(&overlay, avfilter_get_by_name("overlay"), overlayName.c_str(),
                                                 overlayArgs.c_str(), nullptr, graph_);
  if (rc >= 0) rc = avfilter_link(movie, 0, scale, 0);
  if (rc >= 0) rc = avfilter_link(scale, 0, overlay, 1);
  if (rc >= 0) rc = avfilter_link(end_, 0, overlay, 0);
  if (rc >= 0) end_ = overlay;
  return rc < 0 ? rc : 0;
}

int MCVideoFilterGraph::AddPictureOverlay(const std::string& path, int w, int h, int x, int y) {
  return AddOverlayChain(path, std::to_string(w) + ":" + std::to_string(h), std::to_string(x) + ":" + std::to_string(y));
}

int MCVideoFilterGraph::AddWatermark(const std::string& path, int height, const std::string& position) {
  return AddOverlayChain(path, "-1:" + std::to_string(height), position);
}

int MCVideoFilterGraph::AddText(const std::string& text, const std::string& fontFile, int size, int x, int y) {
  // The filter would quietly fall back on some other font: a file that
  // cannot be read is the caller's error.
  if (access(fontFile.c_str(), R_OK) != 0) return AVERROR(errno);
  return AddDrawText(text, "fontfile", fontFile, size, x, y);
}

int MCVideoFilterGraph::AddText(const std::string& text, const MCFontName& font, int size, int x, int y) {
  return AddDrawText(text, "font", font.family, size, x, y);
}

// The options are set one by one rather than through an argument text: a
// text or a font path with quotes, colons or backslashes reaches the filter
// unchanged, with nothing to escape.
int MCVideoFilterGraph::AddDrawText(const std::string& text, const char* fontKey, const std::string& font, int size,
                                    int x, int y) {
  if (graph_ == nullptr) return 0;
  const AVFilter* drawtext = avfilter_get_by_name("drawtext");
  if (drawtext == nullptr) return AVERROR_FILTER_NOT_FOUND;
  AVFilterContext* ctx = avfilter_graph_alloc_filter(graph_, drawtext, NextName("drawtext").c_str());
  if (ctx == nullptr) return AVERROR(ENOMEM);
  int rc = av_opt_set(ctx, fontKey, font.c_str(), AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(ctx, "text", text.c_str(), AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(ctx, "expansion", "none", AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(ctx, "fontcolor", "0xFFFFFF@1", AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(ctx, "x", std::to_string(x).c_str(), AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(ctx, "y", std::to_string(y).c_str(), AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(ctx, "fontsize", std::to_string(size).c_str(), AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = avfilter_init_str(ctx, nullptr);
  if (rc >= 0) rc = avfilter_link(end_, 0, ctx, 0);
  if (rc < 0) {
    avfilter_free(ctx);
    return rc;
  }
  end_ = ctx;
  return 0;
}

int MCVideoFilterGraph::AddPad(int w, int h, int x, int y) {
  const int rc = AddFilter("pad", NextName("pad").c_str(), std::to_string(w) + ":" + std::to_string(h) + ":" +
                                                               std::to_string(x) + ":" + std::to_string(y) + ":black");
  if (rc == 0) {
    width_ = w;
    height_ = h;
  }
  return rc;
}

int MCVideoFilterGraph::AddScale(int w, int h) {
  const int rc = AddFilter("scale", NextName("scale").c_str(), std::to_string(w) + ":" + std::to_string(h));
  if (rc == 0) {
    width_ = w;
    height_ = h;
  }
  return rc;
}

int MCVideoFilterGraph::AddRotation(double angle) {
  if (graph_ == nullptr) return 0;
  const double theta = angle * M_PI / 180.0;
  const int w = static_cast<int>(std::fabs(width_ * std::cos(theta)) + std::fabs(height_ * std::sin(theta)));
  const int h = static_cast<int>(std::fabs(width_ * std::sin(theta)) + std::fabs(height_ * std::cos(theta)));
  int rc = 0;
  if (std::fabs(angle - 90) <= 1) {
    rc = AddFilter("transpose", "transpose", "clock");
  } else if (std::fabs(angle - 180) <= 1) {
    rc = AddFilter("hflip", "hflip", "");
    if (rc == 0) rc = AddFilter("vflip", "vflip", "");
  } else if (std::fabs(angle - 270) <= 1) {
    rc = AddFilter("transpose", "transpose", "cclock");
  } else if (std::fabs(angle) > 1) {
    char args[128];
    snprintf(args, sizeof args, "%f*PI/180:out_w=%d:out_h=%d", angle, w, h);
    rc = AddFilter("rotate", "rotate", args);
  }
  if (rc == 0) {
    width_ = w;
    height_ = h;
  }
  return rc;
}

int MCVideoFilterGraph::AddSubtitles(const std::string& path, int width, int height, AVRational sampleAspect) {
  if (graph_ == nullptr) return 0;
  auto* input = new MCSubtitleInput(path);
  int rc = input->Open();
  if (rc < 0) {
    delete input;
    return rc;
  }
  if (input->IsBitmap()) return AddBitmapSubtitles(input, width, height, sampleAspect);
  delete input;
  return AddFilter("subtitles", NextName("subtitles").c_str(), MCEscapeFilterArg(path));
}

int MCVideoFilterGraph::AddBitmapSubtitles(MCSubtitleInput* input, int width, int height, AVRational sampleAspect) {
  // The canvas has the picture's display size.
  AVRational sar = sampleAspect;
  if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
  const AVRational display = av_mul_q(sar, AVRational{width, height > 0 ? height : 1});
  const int canvasWidth = static_cast<int>(av_rescale(height, display.num, display.den));
  int rc = input->OpenDecoder(canvasWidth, height);
  if (rc < 0) {
    delete input;
    return rc;
  }
  AVFilterContext *buffer = nullptr, *scale = nullptr, *overlay = nullptr;
  char args[256];
  snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", canvasWidth, height,
           AV_PIX_FMT_BGRA, 1, 1000000, 0, 1);
  const std::string bufferName = NextName("in"), scaleName = NextName("scale"), overlayName = NextName("overlay");
  const std::string size = std::to_string(width_) + ":" + std::to_string(height_);
  rc = avfilter_graph_create_filter(&buffer, avfilter_get_by_name("buffer"), bufferName.c_str(), args, nullptr, graph_);
  if (rc >= 0) rc = avfilter_graph_create_filter(&scale, avfilter_get_by_name("scale"), scaleName.c_str(),
                                                 size.c_str(), nullptr, graph_);
  if (rc >= 0) rc = avfilter_graph_create_filter(&overlay, avfilter_get_by_name("overlay"), overlayName.c_str(),
                                                 "0:0", nullptr, graph_);
  if (rc >= 0) rc = avfilter_link(buffer, 0, scale, 0);
  if (rc >= 0) rc = avfilter_link(scale, 0, overlay, 1);
  if (rc >= 0) rc = avfilter_link(end_, 0, overlay, 0);
  if (rc < 0) {
    delete input;
    return rc;
  }
  end_ = overlay;
  subtitles_.push_back(SubtitleFeed{input, buffer, -1, false});
  return 0;
}

int MCVideoFilterGraph::FeedSubtitles(SubtitleFeed& feed, int64_t t) {
  // Each subtitle goes in as its canvas at its start and a blank canvas at
  // its end, so the overlay never waits for the next one to know where the
  // last one stops.
  while (!feed.ended && feed.shownEnd < t) {
    AVFrame* canvas = av_frame_alloc();
    if (canvas == nullptr) return AVERROR(ENOMEM);
    int rc = feed.input->Update(canvas);
    if (rc < 0) {
      av_frame_free(&canvas);
      feed.ended = true;
      av_buffersrc_add_frame(feed.source, nullptr);
      return rc == AVERROR_EOF ? 0 : rc;
    }
    const int64_t end = canvas->pts + canvas->pkt_duration;
    if (end < t) {
      av_frame_free(&canvas);
      continue;
    }
    // Subtitles that overlap follow each other on the canvas.
    if (canvas->pts < feed.shownEnd) canvas->pts = feed.shownEnd;
    AVFrame* blank = av_frame_alloc();
    rc = blank ? MCSubtitleInput::BlankCanvas(canvas->width, canvas->height, blank) : AVERROR(ENOMEM);
    if (rc >= 0) rc = av_buffersrc_add_frame(feed.source, canvas);
    if (rc >= 0) {
      blank->pts = end;
      rc = av_buffersrc_add_frame(feed.source, blank);
    }
    av_frame_free(&canvas);
    av_frame_free(&blank);
    if (rc < 0) return rc;
    feed.shownEnd = end;
  }
  return 0;
}

int MCVideoFilterGraph::AddPalette(const std::string& palettePath) {
  if (graph_ == nullptr) return 0;
  AVFilterContext *use = nullptr, *movie = nullptr, *split = nullptr, *gen = nullptr;
  int rc;
  if (!palettePath.empty()) {
    rc = avfilter_graph_create_filter(&movie, avfilter_get_by_name("movie"), "moviepal",
                                      MCEscapeFilterArg(palettePath).c_str(), nullptr, graph_);
    if (rc >= 0) rc = avfilter_graph_create_filter(&use, avfilter_get_by_name("paletteuse"), "paletteuse",
                                                   "diff_mode=rectangle", nullptr, graph_);
    if (rc >= 0) rc = avfilter_link(end_, 0, use, 0);
    if (rc >= 0) rc = avfilter_link(movie, 0, use, 1);
  } else {
    rc = avfilter_graph_create_filter(&split, avfilter_get_by_name("split"), "split", nullptr, nullptr, graph_);
    if (rc >= 0) rc = avfilter_graph_create_filter(&gen, avfilter_get_by_name("palettegen"), "palettegen",
                                                   "stats_mode=single", nullptr, graph_);
    if (rc >= 0) rc = avfilter_graph_create_filter(&use, avfilter_get_by_name("paletteuse"), "paletteuse", "new=1",
                                                   nullptr, graph_);
    if (rc >= 0) rc = avfilter_link(end_, 0, split, 0);
    if (rc >= 0) rc = avfilter_link(split, 0, gen, 0);
    if (rc >= 0) rc = avfilter_link(split, 1, use, 0);
    if (rc >= 0) rc = avfilter_link(gen, 0, use, 1);
  }
  if (rc >= 0) end_ = use;
  return rc < 0 ? rc : 0;
}

int MCVideoFilterGraph::Finish() {
  if (graph_ == nullptr) return AVERROR(EINVAL);
  int rc = avfilter_link(end_, 0, sink_, 0);
  if (rc >= 0) rc = avfilter_graph_config(graph_, nullptr);
  if (rc >= 0) configured_ = true;
  return rc;
}

int MCVideoFilterGraph::SendFrame(AVFrame* frame) {
  if (source_ == nullptr) return AVERROR(EINVAL);
  const bool picture = frame != nullptr && frame->pts != AV_NOPTS_VALUE;
  const int64_t t = picture ? av_rescale_q(frame->pts, timeBase_, AVRational{1, AV_TIME_BASE}) : INT64_MAX;
  int rc = av_buffersrc_add_frame(source_, frame);
  if (rc < 0) return rc;
  // A subtitle feed that has ended, or failed, leaves the picture as it is.
  for (SubtitleFeed& feed : subtitles_) {
    const int fed = FeedSubtitles(feed, t);
    if (fed < 0) rc = fed;
  }
  return rc;
}

std::string MCVideoFilterGraph::Describe() const {
  std::string text;
  if (graph_ == nullptr) return text;
  for (unsigned i = 0; i < graph_->nb_filters; ++i) {
    const AVFilterContext* f = graph_->filters[i];
    text += std::string(f->name) + "=" + f->filter->name + ";";
  }
  return text;
}
