#include "mediaconvert/MCAudioConvert.h"

#include <string>

namespace {

std::string LayoutText(const AVChannelLayout& layout) {
  char text[128] = {0};
  if (av_channel_layout_describe(&layout, text, sizeof text) < 0) return std::string();
  return text;
}

std::string SourceArgs(int rate, int format, const AVChannelLayout& layout) {
  std::string args = "sample_rate=" + std::to_string(rate) +
                     ":sample_fmt=" + (av_get_sample_fmt_name(static_cast<AVSampleFormat>(format)) ?: "s16") +
                     ":channels=" + std::to_string(layout.nb_channels) + ":time_base=1/" + std::to_string(rate);
  if (layout.order != AV_CHANNEL_ORDER_UNSPEC) args += ":channel_layout=" + LayoutText(layout);
  return args;
}

}  // namespace

MCAudioFilterGraph::~MCAudioFilterGraph() {
  avfilter_graph_free(&graph_);
  avcodec_free_context(&backgroundDecoder_);
  if (backgroundInput_ != nullptr) avformat_close_input(&backgroundInput_);
  av_packet_free(&heldPacket_);
}

int MCAudioFilterGraph::Build() {
  const int rc = init_->BuildFilterGraph(&graph_, &source_, &sink_);
  last_ = source_;
  return rc;
}

int MCAudioFilterGraph::AddFilter(const char* filter, const char* name, const char* args) {
  if (graph_ == nullptr) return AVERROR(EINVAL);
  AVFilterContext* ctx = nullptr;
  int rc = avfilter_graph_create_filter(&ctx, avfilter_get_by_name(filter), name, args, nullptr, graph_);
  if (rc < 0) return rc;
  rc = avfilter_link(last_, 0, ctx, 0);
  if (rc < 0) return rc;
  last_ = ctx;
  return 0;
}

int MCAudioFilterGraph::AddBackground(const char* path, double volume, int64_t startOffsetUs, int mainRate) {
  mainTimeBase_ = AVRational{1, mainRate};
  backgroundStartUs_ = startOffsetUs;
  backgroundVolume_ = volume;
  auto fail = [this](int rc) {
    avcodec_free_context(&backgroundDecoder_);
    if (backgroundInput_ != nullptr) avformat_close_input(&backgroundInput_);
    return rc;
  };
  int rc = avformat_open_input(&backgroundInput_, path, nullptr, nullptr);
  if (rc < 0) return fail(rc);
  av_format_inject_global_side_data(backgroundInput_);
  if (backgroundInput_->pb) backgroundInput_->pb->eof_reached = 0;
  if ((rc = avformat_find_stream_info(backgroundInput_, nullptr)) < 0) return fail(rc);
  rc = av_find_best_stream(backgroundInput_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (rc < 0) return fail(rc);
  backgroundStream_ = rc;
  AVStream* s = backgroundInput_->streams[rc];
  const AVCodec* codec = avcodec_find_decoder(s->codecpar->codec_id);
  if (codec == nullptr) return fail(AVERROR(EPERM));
  backgroundDecoder_ = avcodec_alloc_context3(codec);
  if (backgroundDecoder_ == nullptr) return fail(AVERROR(ENOMEM));
  if ((rc = avcodec_parameters_to_context(backgroundDecoder_, s->codecpar)) < 0) return fail(rc);
  backgroundDecoder_->pkt_timebase = s->time_base;
  if ((rc = avcodec_open2(backgroundDecoder_, codec, nullptr)) < 0) return fail(rc);
  heldPacket_ = av_packet_alloc();

  const std::string args = SourceArgs(backgroundDecoder_->sample_rate, backgroundDecoder_->sample_fmt,
                                      backgroundDecoder_->ch_layout);
  AVFilterContext* volumeCtx = nullptr;
  AVFilterContext* mix = nullptr;
  const std::string volumeText = std::to_string(volume);
  if ((rc = avfilter_graph_create_filter(&backgroundSource_, avfilter_get_by_name("abuffer"), "in1", args.c_str(),
                                         nullptr, graph_)) < 0 ||
      (rc = avfilter_graph_create_filter(&volumeCtx, avfilter_get_by_name("volume"), "volume2", volumeText.c_str(),
                                         nullptr, graph_)) < 0 ||
      (rc = avfilter_link(backgroundSource_, 0, volumeCtx, 0)) < 0 ||
      (rc = avfilter_graph_create_filter(&mix, avfilter_get_by_name("amix"), "amix", "inputs=2", nullptr,
                                         graph_)) < 0 ||
      (rc = avfilter_link(last_, 0, mix, 0)) < 0 || (rc = avfilter_link(volumeCtx, 0, mix, 1)) < 0) {
    return rc;
  }
  last_ = mix;
  return 0;
}

int MCAudioFilterGraph::EndInput() { return source_ ? av_buffersrc_add_frame(source_, nullptr) : 0; }

int MCAudioFilterGraph::Finish() {
  if (graph_ == nullptr) return AVERROR(EINVAL);
  if (avfilter_link(last_, 0, sink_, 0) < 0) return AVERROR(EINVAL);
  return avfilter_graph_config(graph_, nullptr) < 0 ? AVERROR(EINVAL) : 0;
}

int MCAudioFilterGraph::ReadBackgroundFrame(AVFrame* frame, int mainRate) {
  const AVRational target{1, mainRate};
  bool rewound = false;
  // Every turn either takes a frame, feeds a packet or ends; a rewind that
  // brings nothing new ends the read instead of looping for ever.
  for (int turns = 0; turns < 100000; ++turns) {
    int rc = avcodec_receive_frame(backgroundDecoder_, frame);
    if (rc == 0) {
      int64_t pts = frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
      if (pts != AV_NOPTS_VALUE) {
        frame->pts = av_rescale_q(pts, backgroundDecoder_->pkt_timebase, target);
      } else if (backgroundPts_ != AV_NOPTS_VALUE) {
        frame->pts = av_rescale_q(backgroundPts_, backgroundTimeBase_, target);
      }
      if (frame->pts != AV_NOPTS_VALUE) {
        backgroundPts_ = frame->pts + frame->nb_samples;
        backgroundTimeBase_ = target;
      }
      return 0;
    }
    if (rc == AVERROR_EOF) {
      avcodec_flush_buffers(backgroundDecoder_);
      return AVERROR_EOF;
    }
    if (rc != AVERROR(EAGAIN)) continue;
    if (heldPacket_->buf == nullptr) {
      rc = av_read_frame(backgroundInput_, heldPacket_);
      if (rc == AVERROR_EOF || (backgroundInput_->pb && avio_feof(backgroundInput_->pb))) {
        av_packet_unref(heldPacket_);
        if (rewound) return AVERROR_EOF;
        rewound = true;
        const AVStream* s = backgroundInput_->streams[backgroundStream_];
        const int64_t start = s->start_time == AV_NOPTS_VALUE ? 0
                              : av_rescale_q(s->start_time, s->time_base, AVRational{1, AV_TIME_BASE});
        avformat_seek_file(backgroundInput_, -1, 0, start, INT64_MAX, AVSEEK_FLAG_ANY);
        continue;
      }
      if (rc < 0) return rc;
      if (heldPacket_->stream_index != backgroundStream_) {
        av_packet_unref(heldPacket_);
        continue;
      }
    }
    rc = avcodec_send_packet(backgroundDecoder_, heldPacket_);
    if (rc != AVERROR(EAGAIN)) av_packet_unref(heldPacket_);
    if (rc == 0) rewound = false;
  }
  return AVERROR_EOF;
}

int MCAudioFilterGraph::AddFrame(AVFrame* frame) {
  if (backgroundSource_ == nullptr) return av_buffersrc_add_frame(source_, frame);
  mainSamples_ += frame->nb_samples;
  const int rate = frame->sample_rate > 0 ? frame->sample_rate : mainTimeBase_.den;
  AVFrame* bg = av_frame_alloc();
  if (bg == nullptr) return AVERROR(ENOMEM);
  int rc = 0;
  while (av_rescale_q(backgroundSamples_, AVRational{1, backgroundDecoder_->sample_rate}, AVRational{1, rate}) <=
         mainSamples_) {
    if (!seeked_) {
      seeked_ = true;
      const AVStream* s = backgroundInput_->streams[backgroundStream_];
      const int64_t durationUs = s->duration > 0 ? av_rescale_q(s->duration, s->time_base, AVRational{1, AV_TIME_BASE})
                                                 : 0;
      // A stream of unknown length cannot be wrapped: start at its beginning.
      if (durationUs > 0 && frame->pts != AV_NOPTS_VALUE) {
        int64_t target = av_rescale_q(frame->pts, AVRational{1, rate}, AVRational{1, AV_TIME_BASE}) -
                         backgroundStartUs_;
        target %= durationUs;
        if (target < 0) target += durationUs;
        if (avformat_seek_file(backgroundInput_, -1, target, target, INT64_MAX, AVSEEK_FLAG_ANY) >= 0) {
          backgroundPts_ = target;
          backgroundTimeBase_ = AVRational{1, AV_TIME_BASE};
        }
      }
    }
    if (ReadBackgroundFrame(bg, rate) != 0) break;
    backgroundSamples_ += bg->nb_samples;
    rc = av_buffersrc_add_frame(backgroundSource_, bg);
    av_frame_unref(bg);
    if (rc < 0) break;
  }
  av_frame_free(&bg);
  if (rc < 0) return rc;
  return av_buffersrc_add_frame(source_, frame);
}

MCAudioConvertBase::~MCAudioConvertBase() {
  delete graph_;
  if (fifo_ != nullptr) av_audio_fifo_free(fifo_);
  av_channel_layout_uninit(&inLayout_);
  av_channel_layout_uninit(&outLayout_);
}

int MCAudioConvertBase::BuildFilterGraph(AVFilterGraph** graphOut, AVFilterContext** sourceOut,
                                         AVFilterContext** sinkOut) {
  AVFilterGraph* graph = avfilter_graph_alloc();
  if (graph == nullptr) return AVERROR(ENOMEM);
  AVFilterContext* source = nullptr;
  AVFilterContext* sink = nullptr;
  const std::string args = SourceArgs(inRate_, inFormat_, inLayout_);
  int rc = avfilter_graph_create_filter(&source, avfilter_get_by_name("abuffer"), "in", args.c_str(), nullptr, graph);
  if (rc >= 0) rc = avfilter_graph_create_filter(&sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr,
                                                 graph);
  if (rc >= 0) rc = av_opt_set_int(sink, "all_channel_counts", 0, AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set(sink, "ch_layouts", LayoutText(outLayout_).c_str(), AV_OPT_SEARCH_CHILDREN);
  const int formats[] = {outFormat_, -1};
  const int rates[] = {outRate_, -1};
  if (rc >= 0) rc = av_opt_set_int_list(sink, "sample_fmts", formats, -1, AV_OPT_SEARCH_CHILDREN);
  if (rc >= 0) rc = av_opt_set_int_list(sink, "sample_rates", rates, -1, AV_OPT_SEARCH_CHILDREN);
  if (rc < 0) {
    avfilter_graph_free(&graph);
    return rc;
  }
  *graphOut = graph;
  *sourceOut = source;
  *sinkOut = sink;
  return 0;
}

int MCAudioConvertBase::ConfigureFilter(MCStreamSetup setup) {
  delete graph_;
  graph_ = new MCAudioFilterGraph(this);
  rangeStart_ = av_rescale_q(setup.musicStart, AVRational{1, AV_TIME_BASE}, inTimeBase_);
  rangeEnd_ = setup.musicEnd == INT64_MAX ? INT64_MAX
                                          : av_rescale_q(setup.musicEnd, AVRational{1, AV_TIME_BASE}, inTimeBase_);
  int rc = graph_->Build();
  if (rc >= 0 && setup.volume != 1.0) rc = graph_->AddFilter("volume", "volume", std::to_string(setup.volume).c_str());
  if (rc >= 0 && !setup.musicPath.empty()) {
    rc = graph_->AddFilter("volume", "volume", std::to_string(2.0).c_str());
    if (rc >= 0) rc = graph_->AddBackground(setup.musicPath.c_str(), setup.musicVolume * 2, setup.musicStart, inRate_);
  }
  if (rc >= 0 && setup.speed != 1.0) rc = graph_->AddFilter("atempo", "atempo", std::to_string(setup.speed).c_str());
  if (rc >= 0) rc = graph_->Finish();
  if (rc < 0) error_.SetError(rc, "MCAudioConvertBase::ConfigureFilter");
  return rc;
}

int MCAudioConvertBase::Init(AVCodecContext* decoder, AVCodecContext* encoder, int64_t startPts) {
  if (decoder == nullptr || encoder == nullptr) return AVERROR(EINVAL);
  inFormat_ = decoder->sample_fmt;
  av_channel_layout_uninit(&inLayout_);
  av_channel_layout_copy(&inLayout_, &decoder->ch_layout);
  const AVRational newBase{1, decoder->sample_rate};
  if (inTimeBase_.num != 0) nextInPts_ = av_rescale_q(nextInPts_, inTimeBase_, newBase);
  if (startPts != -1) nextInPts_ = startPts;
  inRate_ = decoder->sample_rate;
  inTimeBase_ = newBase;
  outFormat_ = encoder->sample_fmt;
  av_channel_layout_uninit(&outLayout_);
  av_channel_layout_copy(&outLayout_, &encoder->ch_layout);
  outRate_ = encoder->sample_rate;
  frameSize_ = encoder->frame_size >= 1 ? encoder->frame_size : 2048;
  if (fifo_ == nullptr) {
    fifo_ = av_audio_fifo_alloc(static_cast<AVSampleFormat>(outFormat_), outLayout_.nb_channels, 1);
    if (fifo_ == nullptr) return AVERROR(ENOMEM);
  }
  return ConfigureFilter(setup_);
}

int MCAudioConvertBase::Push(AVFrame* frame) {
  // The graph takes the frame's contents: count its samples first.
  const int samples = frame->nb_samples;
  const int rc = graph_ ? graph_->AddFrame(frame) : AVERROR(EINVAL);
  nextInPts_ += samples;
  return rc;
}

int MCAudioConvertBase::FillGap(const AVFrame* like, int64_t samples) {
  // A gap in the input becomes silence, so the output stays continuous. A
  // jump longer than the cap is a broken timestamp, not a pause: the output
  // goes on after the capped silence instead of holding hours of it.
  const int64_t cap = static_cast<int64_t>(like->sample_rate) * kMaxGapSeconds;
  int64_t left = samples < cap ? samples : cap;
  AVFrame* silence = av_frame_alloc();
  if (silence == nullptr) return AVERROR(ENOMEM);
  silence->nb_samples = static_cast<int>(left < kGapPieceSamples ? left : kGapPieceSamples);
  silence->format = like->format;
  silence->sample_rate = like->sample_rate;
  int rc = av_channel_layout_copy(&silence->ch_layout, &like->ch_layout);
  if (rc >= 0) rc = av_frame_get_buffer(silence, 0);
  if (rc >= 0) {
    av_samples_set_silence(silence->extended_data, 0, silence->nb_samples, silence->ch_layout.nb_channels,
                           static_cast<AVSampleFormat>(silence->format));
  }
  // One piece of silence, handed on by reference as often as needed.
  AVFrame* piece = av_frame_alloc();
  if (piece == nullptr && rc >= 0) rc = AVERROR(ENOMEM);
  while (rc >= 0 && left > 0) {
    rc = av_frame_ref(piece, silence);
    if (rc < 0) break;
    piece->nb_samples = static_cast<int>(left < silence->nb_samples ? left : silence->nb_samples);
    piece->pts = nextInPts_;
    left -= piece->nb_samples;
    rc = Push(piece);
    av_frame_unref(piece);
  }
  av_frame_free(&piece);
  av_frame_free(&silence);
  return rc;
}

int MCAudioConvertBase::SendFrameConvert(AVFrame* frame) {
  static const char* kName = "MCAudioConvertBase::SendFrameConvert";
  if (frame == nullptr) return AVERROR(EINVAL);
  bool rebuild = false;
  const bool inside = frame->pts != AV_NOPTS_VALUE && rangeStart_ < frame->pts && frame->pts < rangeEnd_;
  // The range only decides whether the background is mixed in; without
  // one, rebuilding would throw away what the filters hold.
  if (!setup_.musicPath.empty() && inside != inRange_) {
    inRange_ = inside;
    rebuild = true;
  }
  const bool layoutCounts = frame->ch_layout.nb_channels > 0;
  const bool layoutDiffers = layoutCounts ? av_channel_layout_compare(&frame->ch_layout, &inLayout_) != 0
                                          : inLayout_.order != AV_CHANNEL_ORDER_UNSPEC;
  int rc = 0;
  if (rebuild || layoutDiffers || frame->sample_rate != inRate_ || frame->format != inFormat_) {
    av_channel_layout_uninit(&inLayout_);
    if (layoutCounts) av_channel_layout_copy(&inLayout_, &frame->ch_layout);
    const AVRational newBase{1, frame->sample_rate};
    nextInPts_ = av_rescale_q(nextInPts_, inTimeBase_, newBase);
    inTimeBase_ = newBase;
    inRate_ = frame->sample_rate;
    inFormat_ = frame->format;
    MCStreamSetup copy = setup_;
    if (!inRange_) copy.musicPath.clear();
    rc = ConfigureFilter(copy);
    if (rc < 0) {
      av_frame_unref(frame);
      return rc;
    }
  }
  if (frame->pts != AV_NOPTS_VALUE && frame->pts > nextInPts_) rc = FillGap(frame, frame->pts - nextInPts_);
  frame->pts = nextInPts_;
  if (rc >= 0) rc = Push(frame);
  av_frame_unref(frame);
  if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) error_.SetError(rc, kName);
  return rc;
}

int64_t MCAudioConvertBase::NextInputTime() const {
  if (inTimeBase_.num == 0 || inTimeBase_.den == 0) return 0;
  return av_rescale_q(nextInPts_, inTimeBase_, AVRational{1, AV_TIME_BASE});
}

void MCAudioConvertBase::SignalEnd() {
  if (error_.code == AVERROR_EOF) return;
  error_.code = AVERROR_EOF;
  // Filters that hold samples back (tempo) give them up only at the end.
  if (graph_ != nullptr) graph_->EndInput();
}

int MCAudioConvertBase::GetFrameConvert(AVFrame* frame) {
  static const char* kName = "MCAudioConvertBase::GetFrameConvert";
  av_frame_unref(frame);
  const bool atEnd = error_.code == AVERROR_EOF;
  bool sinkDrained = false;
  for (;;) {
    const int queued = av_audio_fifo_size(fifo_);
    // Only the very last frame may be short (some formats allow no other),
    // so at the end everything the filters still hold is collected first.
    const bool mayServe = !atEnd || sinkDrained || queued >= frameSize_;
    if (mayServe && (queued >= frameSize_ || (queued > 0 && atEnd))) {
      frame->nb_samples = queued < frameSize_ ? queued : frameSize_;
      frame->format = outFormat_;
      frame->sample_rate = outRate_;
      av_channel_layout_copy(&frame->ch_layout, &outLayout_);
      frame->pts = outSamples_;
      int rc = av_frame_get_buffer(frame, 0);
      if (rc >= 0 && av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), frame->nb_samples) <
                         frame->nb_samples) {
        rc = AVERROR(EIO);
      }
      if (rc < 0) {
        av_frame_unref(frame);
        error_.SetError(rc, kName);
        return rc;
      }
      outSamples_ += frame->nb_samples;
      return 0;
    }
    if (graph_ == nullptr || graph_->Sink() == nullptr) {
      if (atEnd && !sinkDrained && queued > 0) {
        sinkDrained = true;
        continue;
      }
      return atEnd ? AVERROR_EOF : AVERROR(EAGAIN);
    }
    AVFrame* pulled = av_frame_alloc();
    if (pulled == nullptr) return AVERROR(ENOMEM);
    int rc = av_buffersink_get_frame_flags(graph_->Sink(), pulled, 0);
    if (rc >= 0) {
      rc = av_audio_fifo_realloc(fifo_, av_audio_fifo_size(fifo_) + pulled->nb_samples);
      if (rc >= 0 && av_audio_fifo_write(fifo_, reinterpret_cast<void**>(pulled->extended_data), pulled->nb_samples) <
                         pulled->nb_samples) {
        rc = AVERROR(EIO);
      }
    }
    av_frame_free(&pulled);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
      if (atEnd && !sinkDrained) {
        sinkDrained = true;
        continue;
      }
      return atEnd ? AVERROR_EOF : rc;
    }
    if (rc < 0) {
      error_.SetError(rc, kName);
      return rc;
    }
  }
}
