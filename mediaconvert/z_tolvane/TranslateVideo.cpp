#include "z_tolvane/TranslateVideo.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "mediaconvert/MCImageConvert.h"
#include "mediaconvert/MCLegacyHelpers.h"
#include "mediaconvert/MCLog.h"

TranslateVideo::~TranslateVideo() {
  FreeOutputFrame();
  sws_freeContext(scaler_);
  avfilter_graph_free(&graph_);
  av_frame_free(&decoded_);
  av_frame_free(&filtered_);
  av_packet_free(&packet_);
}

int TranslateVideo::InitOutput(FFmpegFile* output) {
  output_ = output;
  encoder_ = output ? output->VideoContext() : nullptr;
  if (encoder_ == nullptr) return AVERROR(EINVAL);
  frameTicks_ = encoder_->framerate.num > 0 && encoder_->framerate.den > 0
                    ? av_rescale_q(1, av_inv_q(encoder_->framerate), encoder_->time_base)
                    : 1;
  if (frameTicks_ < 1) frameTicks_ = 1;
  decoded_ = av_frame_alloc();
  filtered_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (decoded_ == nullptr || filtered_ == nullptr || packet_ == nullptr) {
    MCLogPrintf("Could not allocate output frame\n %s %d", __FILE__, __LINE__);
    return -1;
  }
  return 0;
}

int TranslateVideo::InitFilters(FFmpegFile* input, const MCConvertParam& param) {
  avfilter_graph_free(&graph_);
  decoder_ = input ? input->VideoContext() : nullptr;
  inputStream_ = input ? input->GetVideoStream() : nullptr;
  if (decoder_ == nullptr || inputStream_ == nullptr || encoder_ == nullptr) return AVERROR(EINVAL);
  graph_ = avfilter_graph_alloc();
  if (graph_ == nullptr) return AVERROR(ENOMEM);
  const AVRational tb = inputStream_->time_base;
  const AVRational sar = decoder_->sample_aspect_ratio.num > 0 ? decoder_->sample_aspect_ratio : AVRational{1, 1};
  char args[256];
  snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", decoder_->width,
           decoder_->height, decoder_->pix_fmt, tb.num, tb.den, sar.num, sar.den);
  int rc = avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", args, nullptr, graph_);
  if (rc >= 0) rc = avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                                 graph_);
  if (rc < 0) return rc;
  const AVPixelFormat formats[] = {encoder_->pix_fmt, AV_PIX_FMT_NONE};
  if ((rc = av_opt_set_int_list(sink_, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN)) < 0) {
    av_log(nullptr, AV_LOG_ERROR, "Cannot set output pixel format\n");
    return rc;
  }

  // The chain as one labelled filter text from [in] to [out]; pictures
  // laid over it come from "movie" sources of their own.
  std::string chain;
  std::string current = "in";
  int counter = 0;
  auto add = [&](const std::string& f) {
    const std::string next = "v" + std::to_string(counter++);
    chain += "[" + current + "]" + f + "[" + next + "];";
    current = next;
  };
  auto overlay = [&](const std::string& path, const std::string& size, int x, int y) {
    const std::string picture = "ov" + std::to_string(counter++);
    chain += "movie='" + MCEscapeFilterArg(path) + "',scale=" + size + "[" + picture + "];";
    const std::string next = "v" + std::to_string(counter++);
    chain += "[" + current + "][" + picture + "]overlay=" + std::to_string(x) + ":" + std::to_string(y) + "[" + next +
             "];";
    current = next;
  };
  int w = decoder_->width, h = decoder_->height;
  if (const int32_t* c = param.legacyContext) {
    // (width, height, x, y), the order the parameter block documents.
    w = c[0] & ~1;
    h = c[1] & ~1;
    add("crop=" + std::to_string(w) + ":" + std::to_string(h) + ":" + std::to_string(c[2]) + ":" +
        std::to_string(c[3]));
  }
  const std::string rotate = input->GetRotateTag();
  if (!rotate.empty()) {
    const double a = std::atof(rotate.c_str()) / 180.0 * M_PI;
    const int outW = static_cast<int>(std::fabs(h * std::sin(a)) + std::fabs(w * std::cos(a)));
    const int outH = static_cast<int>(std::fabs(w * std::sin(a)) + std::fabs(h * std::cos(a)));
    add("rotate=" + std::to_string(a) + ":out_w=" + std::to_string(outW) + ":out_h=" + std::to_string(outH));
    w = outW;
    h = outH;
  }
  if (!param.overlayPath.empty()) overlay(param.overlayPath, std::to_string(w) + ":" + std::to_string(h), 0, 0);
  if (param.legacyWatermark && !param.legacyWatermarkPath.empty()) {
    // The logo is a tenth of the picture high, 3.3 times as wide, with a
    // margin of a tenth of its height, top left and bottom right.
    const int m = h / 10;
    const int logoW = static_cast<int>(m * 3.3);
    const int margin = m / 10;
    if (m <= 0 || logoW <= 0) return AVERROR(EINVAL);
    const std::string size = std::to_string(logoW) + ":" + std::to_string(m);
    overlay(param.legacyWatermarkPath, size, margin, margin);
    overlay(param.legacyWatermarkPath, size, w - logoW - margin, h - margin - m);
  }
  if (w != encoder_->width || h != encoder_->height) {
    int fitW = w, fitH = h;
    if (param.legacyKeepAspect && MCFitSize(encoder_->width, encoder_->height, &fitW, &fitH)) {
      add("scale=" + std::to_string(fitW) + ":" + std::to_string(fitH));
      add("pad=" + std::to_string(encoder_->width) + ":" + std::to_string(encoder_->height) + ":" +
          std::to_string((encoder_->width - fitW) / 2) + ":" + std::to_string((encoder_->height - fitH) / 2) +
          ":black");
    } else {
      add("scale=" + std::to_string(encoder_->width) + ":" + std::to_string(encoder_->height));
    }
  }
  chain += "[" + current + "]null[out]";
  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  if (outputs == nullptr || inputs == nullptr) {
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    return AVERROR(ENOMEM);
  }
  outputs->name = av_strdup("in");
  outputs->filter_ctx = source_;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = sink_;
  rc = avfilter_graph_parse_ptr(graph_, chain.c_str(), &inputs, &outputs, nullptr);
  avfilter_inout_free(&outputs);
  avfilter_inout_free(&inputs);
  if (rc >= 0) rc = avfilter_graph_config(graph_, nullptr);
  if (rc < 0) MCLogPrintf("Could not build the picture filters '%s' (error '%s')\n", chain.c_str(),
                          MCErrorText(rc).c_str());
  return rc;
}

void TranslateVideo::FreeOutputFrame() {
  // The planes come from av_image_alloc, not from reference-counted
  // buffers, so av_frame_free alone would leave them behind.
  if (outputFrame_ != nullptr) av_freep(&outputFrame_->data[0]);
  av_frame_free(&outputFrame_);
}

int TranslateVideo::AllocOutputFrame() {
  FreeOutputFrame();
  if (encoder_ == nullptr) {
    MCLogPrintf("Could not allocate output frame\n %s %d", __FILE__, __LINE__);
    return -1;
  }
  outputFrame_ = av_frame_alloc();
  if (outputFrame_ == nullptr || av_image_alloc(outputFrame_->data, outputFrame_->linesize, encoder_->width,
                                                encoder_->height, encoder_->pix_fmt, 4) < 0) {
    av_frame_free(&outputFrame_);
    MCLogPrintf("Could not allocate output frame\n %s %d", __FILE__, __LINE__);
    return -1;
  }
  outputFrame_->width = encoder_->width;
  outputFrame_->height = encoder_->height;
  outputFrame_->format = encoder_->pix_fmt;
  return 0;
}

int TranslateVideo::InitScaler(int width, int height, AVPixelFormat format) {
  sws_freeContext(scaler_);
  scaler_ = nullptr;
  scalerFormat_ = AV_PIX_FMT_NONE;
  if (encoder_ == nullptr) return AVERROR(EINVAL);
  // swscale asserts on a format it does not know instead of failing.
  const bool scalable = width > 0 && height > 0 && sws_isSupportedInput(format) > 0 &&
                        sws_isSupportedOutput(encoder_->pix_fmt) > 0;
  if (scalable) {
    scaler_ = sws_getContext(width, height, format, encoder_->width, encoder_->height, encoder_->pix_fmt,
                             SWS_BICUBIC, nullptr, nullptr, nullptr);
  }
  if (scaler_ == nullptr) {
    const char* from = av_get_pix_fmt_name(format);
    const char* to = av_get_pix_fmt_name(encoder_->pix_fmt);
    MCLogPrintf("Could not create the picture scaler from %dx%d %s to %dx%d %s\n", width, height,
                from ? from : "unknown", encoder_->width, encoder_->height, to ? to : "unknown");
    return AVERROR(EINVAL);
  }
  scalerWidth_ = width;
  scalerHeight_ = height;
  scalerFormat_ = format;
  return 0;
}

int TranslateVideo::FillOutputFrame(const AVFrame* picture) {
  if (outputFrame_ == nullptr) {
    MCLogPrintf("No output frame to put the picture in\n%s %d\n", __FILE__, __LINE__);
    return AVERROR(EINVAL);
  }
  const auto format = static_cast<AVPixelFormat>(picture->format);
  if (picture->width == outputFrame_->width && picture->height == outputFrame_->height &&
      format == outputFrame_->format) {
    return av_frame_copy(outputFrame_, picture);
  }
  int rc = 0;
  if (scaler_ == nullptr || picture->width != scalerWidth_ || picture->height != scalerHeight_ ||
      format != scalerFormat_) {
    rc = InitScaler(picture->width, picture->height, format);
  }
  if (rc < 0) return rc;
  rc = sws_scale(scaler_, picture->data, picture->linesize, 0, picture->height, outputFrame_->data,
                 outputFrame_->linesize);
  if (rc <= 0) {
    MCLogPrintf("Could not scale the picture (error '%s')\n", MCErrorText(rc < 0 ? rc : AVERROR(EINVAL)).c_str());
    return rc < 0 ? rc : AVERROR(EINVAL);
  }
  return 0;
}

int TranslateVideo::DecodePacket(AVPacket* packet, const std::function<int(AVFrame*)>& take) {
  int rc = avcodec_send_packet(decoder_, packet);
  if (rc < 0 && rc != AVERROR_EOF) {
    MCLogPrintf("error send video packet\n%s %d\n", __FILE__, __LINE__);
    return rc;
  }
  while ((rc = avcodec_receive_frame(decoder_, decoded_)) >= 0) {
    rc = take(decoded_);
    av_frame_unref(decoded_);
    if (rc < 0) return rc;
  }
  // Wanting more input is no failure; a real decode error ends the file.
  if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
  MCLogPrintf("decode video error\n%s %d\n", __FILE__, __LINE__);
  return rc;
}

int TranslateVideo::DecodePacket(AVPacket* packet, int64_t rangeStart, int64_t rangeEnd, int64_t offset,
                                 bool* pastEnd) {
  const int64_t start = inputStream_->start_time == AV_NOPTS_VALUE ? 0 : inputStream_->start_time;
  return DecodePacket(packet, [&](AVFrame* frame) {
    const int64_t ts = frame->best_effort_timestamp;
    // A frame without a time cannot be placed and is left out.
    if (ts == AV_NOPTS_VALUE) return 0;
    const int64_t t = ts - start;
    if (t >= rangeEnd) {
      *pastEnd = true;
      return 0;
    }
    if (t < rangeStart) return 0;
    const int64_t out = av_rescale_q(t - rangeStart, inputStream_->time_base, encoder_->time_base) + offset;
    return FilterEncode(frame, out);
  });
}

int TranslateVideo::FilterEncode(AVFrame* frame, int64_t outTime) {
  // A frame whose time has already been filled is dropped.
  if (outTime < nextTime_ - frameTicks_ / 2) return 0;
  int rc = av_buffersrc_add_frame_flags(source_, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
  if (rc < 0) return rc;
  while ((rc = av_buffersink_get_frame(sink_, filtered_)) >= 0) {
    rc = FillOutputFrame(filtered_);
    av_frame_unref(filtered_);
    // Repeat the picture for every frame time up to its own.
    while (rc >= 0 && nextTime_ <= outTime + frameTicks_ / 2) {
      rc = EncodeAndWrite(outputFrame_);
      nextTime_ += frameTicks_;
    }
    if (rc < 0) return rc;
  }
  return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? 0 : rc;
}

int TranslateVideo::EncodeFrame(AVFrame* frame) {
  if (frame != nullptr) {
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    frame->pts = nextTime_;
  }
  const int rc = avcodec_send_frame(encoder_, frame);
  // Draining an encoder already drained is no failure.
  if (rc < 0 && !(frame == nullptr && rc == AVERROR_EOF)) {
    MCLogPrintf("Could not send packet for encoding (error '%s')\n", MCErrorText(rc).c_str());
    return rc;
  }
  return 0;
}

int TranslateVideo::EncodeAndWrite(AVFrame* frame) {
  if (encoder_ == nullptr) return AVERROR(EINVAL);
  int rc = EncodeFrame(frame);
  if (rc < 0) return rc;
  while ((rc = avcodec_receive_packet(encoder_, packet_)) >= 0) {
    AVStream* stream = output_->GetVideoStream();
    av_packet_rescale_ts(packet_, encoder_->time_base, stream->time_base);
    packet_->stream_index = stream->index;
    rc = av_interleaved_write_frame(output_->FormatContext(), packet_);
    av_packet_unref(packet_);
    if (rc < 0) {
      MCLogPrintf("Could not write the picture (error '%s')\n", MCErrorText(rc).c_str());
      return rc;
    }
  }
  if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
  MCLogPrintf("Could not encode frame (error '%s')\n", MCErrorText(rc).c_str());
  return rc;
}

int TranslateVideo::FlushEncoder() { return EncodeAndWrite(nullptr); }
