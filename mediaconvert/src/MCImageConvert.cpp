#include <cmath>
#include <cstdio>

#include "mediaconvert/MCImageConvert.h"

MCImageConvertBase::~MCImageConvertBase() {
  delete graph_;
  av_frame_free(&current_);
  av_frame_free(&next_);
}

int MCImageConvertBase::BuildFilterGraph(AVFilterGraph** graphOut, AVFilterContext** sourceOut,
                                         AVFilterContext** sinkOut) {
  AVFilterGraph* graph = avfilter_graph_alloc();
  if (graph == nullptr) return AVERROR(ENOMEM);
  char args[512];
  snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", inWidth_, inHeight_,
           inFormat_, inTimeBase_.num, inTimeBase_.den, sampleAspect_.num, sampleAspect_.den);
  if (frameRate_.num != 0 && frameRate_.den != 0) av_strlcatf(args, sizeof args, ":frame_rate=%d/%d", frameRate_.num, frameRate_.den);
  if (setup_.paletteMode) graph->scale_sws_opts = av_strdup("flags=bilinear");
  AVFilterContext *source = nullptr, *sink = nullptr;
  int rc = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "bufferh", args, nullptr, graph);
  if (rc >= 0) rc = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "buffersinkh", nullptr,
                                                 nullptr, graph);
  const int formats[] = {outFormat_, AV_PIX_FMT_NONE};
  if (rc >= 0) rc = av_opt_set_int_list(sink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
  if (rc < 0) {
    avfilter_graph_free(&graph);
    return rc;
  }
  *graphOut = graph;
  *sourceOut = source;
  *sinkOut = sink;
  return 0;
}

int MCImageConvertBase::ConfigureFilter() {
  static const char* kName = "MCImageConvertBase::ConfigureFilter";
  delete graph_;
  graph_ = new MCVideoFilterGraph(this);
  auto fail = [this](int rc) {
    error_.SetError(rc, kName);
    return rc;
  };
  int rc = graph_->Build(inWidth_, inHeight_, inTimeBase_);
  if (rc < 0) return fail(rc);
  char args[256];
  if (interlaced_ && (rc = graph_->AddFilter("w3fdif", "deinterlace", "")) < 0) return fail(rc);
  if (!setup_.subtitleSource.empty() &&
      (rc = graph_->AddSubtitles(setup_.subtitleSource, inWidth_, inHeight_, sampleAspect_)) < 0)
    return fail(rc);
  if (setup_.redBalance != 0 || setup_.greenBalance != 0 || setup_.blueBalance != 0) {
    snprintf(args, sizeof args, "rs=%f:rm=%f:rh=%f:gs=%f:gm=%f:gh=%f:bs=%f:bm=%f:bh=%f", setup_.redBalance,
             setup_.redBalance, setup_.redBalance, setup_.greenBalance, setup_.greenBalance, setup_.greenBalance,
             setup_.blueBalance, setup_.blueBalance, setup_.blueBalance);
    if ((rc = graph_->AddFilter("colorbalance", "colorbalance", args)) < 0) return fail(rc);
  }
  if (setup_.contrast != 1 || setup_.brightness != 0 || setup_.saturation != 1) {
    snprintf(args, sizeof args, "contrast=%f:brightness=%f:saturation=%f", setup_.contrast, setup_.brightness,
             setup_.saturation);
    if ((rc = graph_->AddFilter("eq", "eq", args)) < 0) return fail(rc);
  }
  const int rotation = setup_.TotalRotation();
  if (rotation != 0 && (rc = graph_->AddRotation(rotation)) < 0) return fail(rc);
  if (!setup_.subtitlePath.empty() &&
      (rc = graph_->AddSubtitles(setup_.subtitlePath, inWidth_, inHeight_, sampleAspect_)) < 0)
    return fail(rc);
  if (setup_.cropX != -1 && (rc = graph_->AddCrop(setup_.cropWidth, setup_.cropHeight, setup_.cropX, setup_.cropY)) < 0)
    return fail(rc);
  if (setup_.speed != 1) {
    snprintf(args, sizeof args, "%f*PTS", 1.0 / setup_.speed);
    if ((rc = graph_->AddFilter("setpts", "setpts", args)) < 0) return fail(rc);
  }
  if (setup_.watermark) {
    const int h = static_cast<int>(0.1 * graph_->Height());
    if ((rc = graph_->AddWatermark(setup_.watermarkPath, h, "overlay_h/10:overlay_h/10")) < 0) return fail(rc);
    if ((rc = graph_->AddWatermark(setup_.watermarkPath, h,
                                   "main_w-overlay_w-overlay_h/10:main_h-overlay_h-overlay_h/10")) < 0)
      return fail(rc);
  }
  if (outWidth_ != graph_->Width() || outHeight_ != graph_->Height() || sampleAspect_.num != 0) {
    if (setup_.keepAspect) {
      AVRational sar = sampleAspect_;
      if (sar.num == 0 || (sar.num < 0) != (sar.den < 0)) sar = AVRational{1, 1};
      const AVRational a = av_mul_q(sar, AVRational{graph_->Width(), graph_->Height() > 0 ? graph_->Height() : 1});
      int fw = static_cast<int>(av_rescale(outHeight_, a.num, a.den)) & ~1;
      int fh = outHeight_;
      if (fw > outWidth_) {
        fw = outWidth_;
        fh = static_cast<int>(av_rescale(outWidth_, a.den, a.num)) & ~1;
      }
      if ((rc = graph_->AddScale(fw < 2 ? 1 : fw, fh < 2 ? 1 : fh)) < 0) return fail(rc);
      if ((rc = graph_->AddPad(outWidth_, outHeight_, (outWidth_ - fw) / 2, (outHeight_ - fh) / 2)) < 0)
        return fail(rc);
    } else if ((rc = graph_->AddScale(outWidth_, outHeight_)) < 0) {
      return fail(rc);
    }
  }
  if (setup_.paletteMode && (rc = graph_->AddPalette(setup_.gifPalettePath)) < 0) return fail(rc);
  if (graph_->Finish() < 0) return fail(AVERROR_UNKNOWN);
  return 0;
}

int MCImageConvertBase::Init(AVCodecContext* decoder, AVCodecContext* encoder, int64_t startPts) {
  if (decoder == nullptr || encoder == nullptr) return AVERROR(EINVAL);
  for (AVFrame* slot : {current_, next_}) {
    if (slot == nullptr) continue;
    if (slot->pts != AV_NOPTS_VALUE && inTimeBase_.num != 0)
      slot->pts = av_rescale_q(slot->pts, inTimeBase_, decoder->pkt_timebase);
    if (startPts != -1) slot->pts = startPts;
  }
  delete graph_;
  graph_ = nullptr;
  inHeight_ = decoder->height;
  inWidth_ = decoder->width;
  inFormat_ = decoder->pix_fmt < 0 ? 0 : decoder->pix_fmt;
  outHeight_ = encoder->height;
  outWidth_ = encoder->width;
  outFormat_ = encoder->pix_fmt;
  frameRate_ = encoder->framerate;
  inTimeBase_ = decoder->pkt_timebase;
  sampleAspect_ = decoder->sample_aspect_ratio;
  if (current_ == nullptr) current_ = av_frame_alloc();
  if (next_ == nullptr) next_ = av_frame_alloc();
  if (current_ == nullptr || next_ == nullptr) return AVERROR(ENOMEM);
  return ConfigureFilter();
}

int MCImageConvertBase::SendFrameConvert(AVFrame* frame) {
  if (frame == nullptr) return AVERROR(EINVAL);
  if (frame->pts == AV_NOPTS_VALUE) {
    av_frame_unref(frame);
    return AVERROR(EAGAIN);
  }
  if (frame->buf[0] != nullptr) {
    const bool interlaced = frame->interlaced_frame != 0;
    if (frame->width != inWidth_ || frame->height != inHeight_ || frame->format != inFormat_ ||
        interlaced != interlaced_ || av_cmp_q(frame->sample_aspect_ratio, sampleAspect_) != 0) {
      inWidth_ = frame->width;
      inHeight_ = frame->height;
      inFormat_ = frame->format;
      interlaced_ = interlaced;
      sampleAspect_ = frame->sample_aspect_ratio;
      const int rc = ConfigureFilter();
      if (rc < 0) {
        av_frame_unref(frame);
        return rc;
      }
    }
  }
  if (graph_ == nullptr || !graph_->Configured()) {
    av_frame_unref(frame);
    return AVERROR(EINVAL);
  }
  const int rc = graph_->SendFrame(frame);
  av_frame_unref(frame);
  if (rc < 0 && rc != AVERROR_EOF && rc != AVERROR(EAGAIN)) error_.SetError(rc, "MCImageConvertBase::SendFrameConvert");
  return rc;
}

int64_t MCImageConvertBase::IndexOf(int64_t pts) const {
  return llrint(static_cast<double>(pts) * av_q2d(inTimeBase_) * av_q2d(frameRate_));
}

int MCImageConvertBase::GetFrameConvert(AVFrame* out) {
  static const char* kName = "MCImageConvertBase::GetFrameConvert";
  av_frame_unref(out);
  if (graph_ == nullptr || current_ == nullptr) return AVERROR(EINVAL);
  for (;;) {
    const bool haveCurrent = current_->buf[0] != nullptr;
    const bool haveNext = next_->buf[0] != nullptr;
    if (!haveCurrent && haveNext) {
      // The first picture is handed out as it is.
      av_frame_ref(current_, next_);
      av_frame_unref(next_);
      currentSent_ = true;
      return av_frame_ref(out, current_);
    }
    if (haveCurrent && haveNext) {
      const int64_t cur = IndexOf(current_->pts);
      if (IndexOf(next_->pts) <= cur + 1) {
        av_frame_unref(current_);
        av_frame_move_ref(current_, next_);
        return av_frame_ref(out, current_);
      }
      // A gap in the input: the last picture is shown again one frame on.
      // An input time base coarser than the output's frames cannot express
      // every frame: the picture goes to the first later frame it can
      // express, and never stays on its own frame, which would repeat it
      // for ever.
      int64_t pts = av_rescale_q_rnd(cur + 1, av_inv_q(frameRate_), inTimeBase_, AV_ROUND_UP);
      if (pts <= current_->pts) pts = current_->pts + 1;
      while (IndexOf(pts) <= cur) ++pts;
      if (IndexOf(pts) >= IndexOf(next_->pts)) {
        av_frame_unref(current_);
        av_frame_move_ref(current_, next_);
        return av_frame_ref(out, current_);
      }
      current_->pts = pts;
      return av_frame_ref(out, current_);
    }
    const int rc = av_buffersink_get_frame_flags(graph_->Sink(), next_, 0);
    if (rc < 0) {
      if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) error_.SetError(rc, kName);
      return rc;
    }
    next_->pts = av_rescale_q(next_->pts, av_buffersink_get_time_base(graph_->Sink()), inTimeBase_);
  }
}
