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

MCVideoFilterGraph::~MCVideoFilterGraph() { avfilter_graph_free(&graph_); }

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

int MCVideoFilterGraph::AddSubtitles(const std::string& path, int, int, AVRational) {
  if (graph_ == nullptr) return 0;
  // Find out whether the file holds text or bitmap subtitles.
  AVFormatContext* input = nullptr;
  int rc = avformat_open_input(&input, path.c_str(), nullptr, nullptr);
  if (rc < 0) return rc;
  rc = avformat_find_stream_info(input, nullptr);
  int index = rc < 0 ? rc : av_find_best_stream(input, AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
  const AVCodecID codec = index >= 0 ? input->streams[index]->codecpar->codec_id : AV_CODEC_ID_NONE;
  avformat_close_input(&input);
  if (index < 0) return index;
  const AVCodecDescriptor* d = avcodec_descriptor_get(codec);
  if (d == nullptr || !(d->props & AV_CODEC_PROP_TEXT_SUB)) {
    // Bitmap subtitles drawn onto a canvas are not offered by this build.
    return AVERROR_PATCHWELCOME;
  }
  return AddFilter("subtitles", NextName("subtitles").c_str(), MCEscapeFilterArg(path));
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
  return av_buffersrc_add_frame(source_, frame);
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
