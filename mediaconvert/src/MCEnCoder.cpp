#include "mediaconvert/MCEnCoder.h"

#include <cstring>
#include <string>

#include "mediaconvert/MCCodecCaps.h"

namespace {

bool EndsWith(const char* text, const char* suffix) {
  const size_t n = std::strlen(text), m = std::strlen(suffix);
  return n >= m && std::strcmp(text + n - m, suffix) == 0;
}

void ReduceTimeBaseFloor24(AVCodecContext* ctx) {
  av_reduce(&ctx->time_base.num, &ctx->time_base.den, ctx->time_base.num, ctx->time_base.den, 65535);
  if (ctx->time_base.num != 0 && ctx->time_base.den / ctx->time_base.num < 24) ctx->time_base = AVRational{1, 24};
  ctx->framerate = av_inv_q(ctx->time_base);
}

void SetupVideo(AVCodecContext* ctx, AVDictionary** options) {
  int size = av_image_get_buffer_size(ctx->pix_fmt, ctx->width, ctx->height, 32);
  int gop = size < 0 ? 0 : 0x40000000 / (size == 0 ? 1 : size);
  if (gop <= 0) gop = 60;
  if (gop > 250) gop = 250;
  ctx->gop_size = gop;
  ctx->framerate = av_inv_q(ctx->time_base);
  if (ctx->bit_rate == 0) ctx->bit_rate = static_cast<int64_t>(ctx->width) * ctx->height * 12;

  const AVDictionaryEntry* crf = av_dict_get(*options, "crf", nullptr, 0);
  const bool hasQ = crf != nullptr;
  const int q = hasQ ? std::atoi(crf->value) : 0;
  bool consumed = false;
  switch (ctx->codec_id) {
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG2VIDEO:
      ReduceTimeBaseFloor24(ctx);
      ctx->flags |= AV_CODEC_FLAG_CLOSED_GOP;
      ctx->rc_min_rate = 0;
      ctx->rc_max_rate = ctx->bit_rate;
      ctx->rc_buffer_size = static_cast<int>(ctx->bit_rate);
      ctx->has_b_frames = 0;
      ctx->max_b_frames = 0;
      ctx->mb_decision = 2;
      // The scene-change threshold is a private option of these encoders now.
      av_dict_set(options, "sc_threshold", "1000000000", 0);
      [[fallthrough]];
    case AV_CODEC_ID_H263:
    case AV_CODEC_ID_RV20:
    case AV_CODEC_ID_FLV1:
      if (hasQ) {
        ctx->qmin = q - 15;
        ctx->qmax = q - 2;
        consumed = true;
      }
      break;
    case AV_CODEC_ID_MPEG4:
      if (hasQ) {
        ctx->qmin = q - 12;
        ctx->qmax = q - 2;
        consumed = true;
      }
      ReduceTimeBaseFloor24(ctx);
      break;
    case AV_CODEC_ID_H264:
      ctx->max_b_frames = 2;
      ctx->has_b_frames = 1;
      ctx->qcompress = 0.5f;
      break;
    case AV_CODEC_ID_THEORA:
      if (hasQ) {
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        ctx->global_quality = static_cast<int>((51 - q) * 118 / 5.1);
        consumed = true;
      }
      break;
    case AV_CODEC_ID_GIF: {
      const AVDictionaryEntry* pal = av_dict_get(*options, "pal8select", nullptr, 0);
      const bool pal8 = pal != nullptr && pal->value[0] == '1';
      av_dict_set(options, "pal8select", nullptr, 0);
      if (pal8) ctx->pix_fmt = AV_PIX_FMT_PAL8;
      break;
    }
    case AV_CODEC_ID_VP8:
    case AV_CODEC_ID_VP9:
      av_dict_set(options, "tune", nullptr, 0);
      break;
    default:
      break;
  }
  if (ctx->codec != nullptr && ctx->codec->pix_fmts != nullptr) {
    const AVPixelFormat* list = ctx->codec->pix_fmts;
    if (list[0] == AV_PIX_FMT_NONE) {
      ctx->pix_fmt = AV_PIX_FMT_NONE;
    } else {
      bool found = false;
      for (const AVPixelFormat* p = list; *p != AV_PIX_FMT_NONE; ++p) found |= *p == ctx->pix_fmt;
      if (!found) ctx->pix_fmt = list[0];
    }
  }
  ctx->framerate = MCGetNearestFrameRate(ctx->codec, ctx->framerate);
  if (ctx->framerate.num != 0) ctx->time_base = av_inv_q(ctx->framerate);
  if (consumed) av_dict_set(options, "crf", nullptr, 0);
}

void SetupAudio(AVCodecContext* ctx) {
  const AVCodec* codec = ctx->codec;
  if (ctx->sample_rate <= 0) ctx->sample_rate = 44100;
  if (ctx->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC && ctx->ch_layout.nb_channels > 0) {
    const int count = ctx->ch_layout.nb_channels;
    av_channel_layout_uninit(&ctx->ch_layout);
    av_channel_layout_default(&ctx->ch_layout, count);
  }
  // Snapped first, so that a rate the encoder lacks goes to its nearest
  // higher rate rather than to whatever its table lists first.
  ctx->sample_rate = MCSnapToList(MCGetEncoderSampleRates(codec), ctx->sample_rate);
  const int channels = MCSnapToList(MCGetEncoderChannels(codec), ctx->ch_layout.nb_channels);
  av_channel_layout_uninit(&ctx->ch_layout);
  av_channel_layout_default(&ctx->ch_layout, channels);
  if (codec != nullptr && codec->ch_layouts != nullptr) {
    if (codec->ch_layouts[0].nb_channels == 0) {
      av_channel_layout_uninit(&ctx->ch_layout);
    } else {
      bool found = false;
      for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels != 0; ++l) {
        found |= av_channel_layout_compare(l, &ctx->ch_layout) == 0;
      }
      if (!found) av_channel_layout_copy(&ctx->ch_layout, &codec->ch_layouts[0]);
    }
  }
  if (codec != nullptr && codec->sample_fmts != nullptr) {
    bool found = false;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) found |= *f == ctx->sample_fmt;
    if (!found) ctx->sample_fmt = codec->sample_fmts[0];
  }
  if (codec != nullptr && codec->supported_samplerates != nullptr) {
    bool found = false;
    for (const int* r = codec->supported_samplerates; *r != 0; ++r) found |= *r == ctx->sample_rate;
    if (!found) ctx->sample_rate = codec->supported_samplerates[0];
  }
  if (ctx->codec_id == AV_CODEC_ID_AMR_NB) {
    ctx->sample_fmt = AV_SAMPLE_FMT_S16;
    ctx->sample_rate = 8000;
  }
  const int oneSecond = av_samples_get_buffer_size(nullptr, ctx->ch_layout.nb_channels, ctx->sample_rate,
                                                   ctx->sample_fmt, 1);
  if (oneSecond > 0 && ctx->bit_rate > 8LL * oneSecond) ctx->bit_rate = 8LL * oneSecond;
  ctx->time_base = AVRational{1, ctx->sample_rate};
}

struct PresetRow {
  const char* preset;
  const char* refs;
  const char* qsv;
  const char* nvenc;
  const char* other;
};
const PresetRow kPresets[] = {
    {"ultrafast", "1", "veryfast", "losslesshp", "speed"}, {"superfast", "1", "veryfast", "lossless", "speed"},
    {"veryfast", "1", "veryfast", "fast", "speed"},        {"faster", "2", "faster", "fast", "speed"},
    {"fast", "2", "fast", "fast", "speed"},                {"medium", "2", "medium", "medium", "balanced"},
    {"slow", "5", "slow", "medium", "balanced"},           {"slower", "8", "slower", "medium", "balanced"},
    {"veryslow", "16", "veryslow", "slow", "quality"},     {"placebo", "16", "veryslow", "slow", "quality"},
};

}  // namespace

void MCSetupEncoderOptions(AVCodecContext* ctx, AVDictionary** options) {
  if (ctx->codec_type == AVMEDIA_TYPE_VIDEO) SetupVideo(ctx, options);
  else if (ctx->codec_type == AVMEDIA_TYPE_AUDIO) SetupAudio(ctx);
}

void MCSetupHwEncoderOptions(AVCodecContext* ctx, AVDictionary** options) {
  MCSetupEncoderOptions(ctx, options);
  const char* name = ctx->codec ? ctx->codec->name : "";
  const bool qsv = EndsWith(name, "qsv");
  const bool nvenc = EndsWith(name, "nvenc");
  const AVDictionaryEntry* preset = av_dict_get(*options, "preset", nullptr, 0);
  const AVDictionaryEntry* crf = av_dict_get(*options, "crf", nullptr, 0);
  const bool hasQ = crf != nullptr;
  const int q = hasQ ? std::atoi(crf->value) : 0;
  if (hasQ) av_dict_set(options, "crf", nullptr, 0);
  if (preset != nullptr) {
    for (const PresetRow& row : kPresets) {
      if (std::strcmp(preset->value, row.preset) == 0) {
        av_dict_set(options, "refs", row.refs, 0);
        av_dict_set(options, "preset", qsv ? row.qsv : nvenc ? row.nvenc : row.other, 0);
        break;
      }
    }
  }
  if (hasQ) {
    if (qsv) {
      ctx->global_quality = q;
      ctx->flags &= ~AV_CODEC_FLAG_QSCALE;
    } else {
      ctx->flags |= AV_CODEC_FLAG_QSCALE;
      ctx->qmin = q - 2;
      ctx->qmax = q + 3;
    }
  }
  if (qsv) {
    ctx->has_b_frames = 0;
    ctx->max_b_frames = 0;
  }
}

MCEnCoderBase::~MCEnCoderBase() {
  avcodec_free_context(&context_);
  if (pendingSet_) avsubtitle_free(&pending_);
  av_freep(&subtitleBuffer_);
  av_dict_free(&savedOptions_);
}

AVCodecContext* MCEnCoderBase::MakeContext(const AVCodec* codec, const AVCodecParameters* params, AVRational tb,
                                           const AVCodecContext* source) {
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  if (ctx == nullptr) return nullptr;
  if (avcodec_parameters_to_context(ctx, params) < 0) {
    avcodec_free_context(&ctx);
    return nullptr;
  }
  ctx->framerate = av_inv_q(tb);
  ctx->time_base = tb;
  if (source != nullptr) {
    ctx->chroma_sample_location = source->chroma_sample_location;
    if (ctx->codec_type == AVMEDIA_TYPE_SUBTITLE && source->subtitle_header != nullptr &&
        source->subtitle_header_size > 0) {
      ctx->subtitle_header = static_cast<uint8_t*>(av_mallocz(source->subtitle_header_size + 1));
      if (ctx->subtitle_header != nullptr) {
        std::memcpy(ctx->subtitle_header, source->subtitle_header, source->subtitle_header_size);
        ctx->subtitle_header_size = source->subtitle_header_size;
      }
    }
  }
  return ctx;
}

void MCEnCoderBase::SaveOptions(AVDictionary* options) {
  av_dict_free(&savedOptions_);
  av_dict_copy(&savedOptions_, options, 0);
}

int MCEnCoderBase::InitEnCoder(const AVCodecParameters* params, int num, int den, AVDictionary** options,
                               const AVCodecContext* source) {
  static const char* kName = "MCEnCoderBase::InitEnCoder";
  if (params == nullptr) {
    error_.SetError(AVERROR(EINVAL), kName);
    return AVERROR(EINVAL);
  }
  const AVCodec* codec = params->codec_id == AV_CODEC_ID_MPEG4 ? avcodec_find_encoder_by_name("libxvid") : nullptr;
  if (codec == nullptr) codec = avcodec_find_encoder(params->codec_id);
  if (codec == nullptr) {
    error_.SetError(AVERROR_ENCODER_NOT_FOUND, kName);
    return AVERROR_ENCODER_NOT_FOUND;
  }
  if (params->codec_type == AVMEDIA_TYPE_SUBTITLE) {
    subtitleBufferSize_ = 0x100000;
    subtitleBuffer_ = static_cast<uint8_t*>(av_malloc(subtitleBufferSize_));
    if (subtitleBuffer_ == nullptr) {
      error_.SetError(AVERROR(ENOMEM), kName);
      return AVERROR(ENOMEM);
    }
    packetsPerSubtitle_ = params->codec_id == AV_CODEC_ID_DVB_SUBTITLE ? 2 : 1;
  }
  AVCodecContext* ctx = MakeContext(codec, params, AVRational{num, den}, source);
  if (ctx == nullptr) {
    error_.SetError(AVERROR(ENOMEM), kName);
    return AVERROR(ENOMEM);
  }
  AVDictionary* local = nullptr;
  AVDictionary** opts = options ? options : &local;
  MCSetupEncoderOptions(ctx, opts);
  SaveOptions(*opts);
  const int rc = avcodec_open2(ctx, codec, opts);
  av_dict_free(&local);
  if (rc != 0) {
    avcodec_free_context(&ctx);
    error_.SetError(rc, kName);
    return rc;
  }
  context_ = ctx;
  return 0;
}

int MCEnCoderStreamCopy::InitEnCoder(const AVCodecParameters* params, int num, int den, AVDictionary** options,
                                     const AVCodecContext* source) {
  static const char* kName = "MCEnCoderStreamCopy::InitEnCoder";
  if (params == nullptr) {
    error_.SetError(AVERROR(EINVAL), kName);
    return AVERROR(EINVAL);
  }
  const AVCodec* codec = avcodec_find_encoder(params->codec_id);
  AVCodecContext* ctx = MakeContext(codec, params, AVRational{num, den}, source);
  if (ctx == nullptr) {
    error_.SetError(AVERROR(ENOMEM), kName);
    return AVERROR(ENOMEM);
  }
  if (codec != nullptr) {
    const int rc = avcodec_open2(ctx, codec, options);
    if (rc != 0) {
      avcodec_free_context(&ctx);
      error_.SetError(rc, kName);
      return rc;
    }
  }
  context_ = ctx;
  return 0;
}

int MCEnCoderHw::InitEnCoder(const AVCodecParameters* params, int num, int den, AVDictionary** options,
                             const AVCodecContext* source) {
  if (params == nullptr || params->codec_type != AVMEDIA_TYPE_VIDEO) {
    return MCEnCoderBase::InitEnCoder(params, num, den, options, source);
  }
  const std::vector<std::string> names = MCGetHwEncoders(params->codec_id);
  AVDictionary* local = nullptr;
  AVDictionary** opts = options ? options : &local;
  for (const std::string& name : names) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (codec == nullptr) continue;
    AVCodecContext* ctx = MakeContext(codec, params, AVRational{num, den}, source);
    if (ctx == nullptr) continue;
    if (params->format < 0) ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    AVDictionary* before = nullptr;
    av_dict_copy(&before, *opts, 0);
    SaveOptions(*opts);
    MCSetupHwEncoderOptions(ctx, opts);
    if (avcodec_open2(ctx, codec, opts) == 0) {
      av_dict_free(&before);
      av_dict_free(&local);
      context_ = ctx;
      return 0;
    }
    avcodec_free_context(&ctx);
    av_dict_free(opts);
    *opts = before;
  }
  const int rc = MCEnCoderBase::InitEnCoder(params, num, den, opts, source);
  av_dict_free(&local);
  return rc;
}

int MCEnCoderBase::SendFrame(AVFrame* frame, AVSubtitle* subtitle) {
  if (pendingSet_) {
    avsubtitle_free(&pending_);
    pendingSet_ = false;
  }
  if (context_ == nullptr) {
    if (frame) av_frame_unref(frame);
    return AVERROR(EINVAL);
  }
  const bool frameHasData = frame != nullptr && frame->buf[0] != nullptr;
  const bool subHasRects = subtitle != nullptr && subtitle->num_rects > 0;
  // A frame without a timestamp, or one not after the last, cannot be
  // placed on the output time line.
  if ((frameHasData && (frame->pts == AV_NOPTS_VALUE || (lastPts_ != AV_NOPTS_VALUE && frame->pts <= lastPts_))) ||
      (subHasRects && lastPts_ != AV_NOPTS_VALUE && subtitle->pts <= lastPts_)) {
    if (frame) av_frame_unref(frame);
    return AVERROR(EAGAIN);
  }
  subtitlePacketsDone_ = 0;
  int rc = 0;
  if (context_->codec_type == AVMEDIA_TYPE_SUBTITLE) {
    if (subtitle != nullptr) {
      pending_ = *subtitle;
      pendingSet_ = true;
      lastPts_ = subtitle->pts;
      *subtitle = AVSubtitle{};
    }
  } else {
    AVFrame* toSend = frameHasData ? frame : nullptr;
    if (toSend != nullptr) {
      toSend->pict_type = AV_PICTURE_TYPE_NONE;
      lastPts_ = toSend->pts;
    }
    rc = avcodec_send_frame(context_, toSend);
    if (toSend != nullptr) av_frame_remove_side_data(toSend, AV_FRAME_DATA_A53_CC);
  }
  if (frame) av_frame_unref(frame);
  if (rc != 0 && rc != AVERROR_EOF && rc != AVERROR(EAGAIN)) error_.SetError(rc, "MCEnCoderBase::SendFrame");
  return rc;
}

int MCEnCoderBase::EnCodeFrame(AVPacket* packet) {
  static const char* kName = "MCEnCoderBase::EnCodeFrame";
  av_packet_unref(packet);
  if (context_ == nullptr) return AVERROR(EINVAL);
  if (context_->codec_type == AVMEDIA_TYPE_VIDEO || context_->codec_type == AVMEDIA_TYPE_AUDIO) {
    const int rc = avcodec_receive_packet(context_, packet);
    if (rc != 0 && rc != AVERROR_EOF && rc != AVERROR(EAGAIN)) error_.SetError(rc, kName);
    return rc;
  }
  if (context_->codec_type == AVMEDIA_TYPE_SUBTITLE && pendingSet_ && subtitlePacketsDone_ < packetsPerSubtitle_) {
    const bool dvb = context_->codec_id == AV_CODEC_ID_DVB_SUBTITLE;
    const int64_t timeUs = pending_.pts + av_rescale_q(pending_.start_display_time, AVRational{1, 1000},
                                                       AVRational{1, 1000000});
    if (subtitlePacketsDone_ == 0) {
      const int64_t length = static_cast<int64_t>(pending_.end_display_time) - pending_.start_display_time;
      pending_.end_display_time = static_cast<uint32_t>(length == -1 ? 500 : length);
      pending_.start_display_time = 0;
    }
    const unsigned rects = pending_.num_rects;
    if (dvb && subtitlePacketsDone_ == 1) pending_.num_rects = 0;
    const int size = avcodec_encode_subtitle(context_, subtitleBuffer_, subtitleBufferSize_, &pending_);
    pending_.num_rects = rects;
    if (size < 0) {
      error_.SetError(AVERROR_INVALIDDATA, kName);
      return AVERROR_INVALIDDATA;
    }
    packet->data = subtitleBuffer_;
    packet->size = size;
    packet->pts = av_rescale_q(timeUs, AVRational{1, 1000000}, context_->time_base);
    packet->duration = av_rescale_q(pending_.end_display_time, AVRational{1, 1000}, context_->time_base);
    if (dvb) {
      const uint32_t shift = subtitlePacketsDone_ == 0 ? pending_.start_display_time : pending_.end_display_time;
      packet->pts += av_rescale_q(shift, AVRational{1, 1000}, context_->time_base);
    }
    packet->dts = packet->pts;
    ++subtitlePacketsDone_;
    return 0;
  }
  return AVERROR(EAGAIN);
}

int MCEnCoderBase::Reopen() {
  if (context_ == nullptr) return AVERROR(EINVAL);
  const AVCodec* codec = context_->codec;
  AVCodecContext* fresh = avcodec_alloc_context3(codec);
  if (fresh == nullptr) return AVERROR(ENOMEM);
  // Parameters travel through a codec-parameters record now that contexts
  // cannot be copied directly.
  AVCodecParameters* params = avcodec_parameters_alloc();
  int rc = params ? avcodec_parameters_from_context(params, context_) : AVERROR(ENOMEM);
  if (rc >= 0) rc = avcodec_parameters_to_context(fresh, params);
  avcodec_parameters_free(&params);
  if (rc < 0) {
    avcodec_free_context(&fresh);
    return rc;
  }
  fresh->time_base = context_->time_base;
  fresh->framerate = context_->framerate;
  avcodec_free_context(&context_);
  AVDictionary* opts = nullptr;
  av_dict_copy(&opts, savedOptions_, 0);
  rc = avcodec_open2(fresh, codec, &opts);
  av_dict_free(&opts);
  if (rc != 0) {
    avcodec_free_context(&fresh);
    return rc;
  }
  context_ = fresh;
  return 0;
}
