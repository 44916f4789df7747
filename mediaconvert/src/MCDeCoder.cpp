#include "mediaconvert/MCDeMuxer.h"

MCDeCoderBase::MCDeCoderBase() {
  packet_ = av_packet_alloc();
  held_.pts = AV_NOPTS_VALUE;
}

MCDeCoderBase::~MCDeCoderBase() {
  avcodec_free_context(&context_);
  av_packet_free(&packet_);
  if (heldSet_) avsubtitle_free(&held_);
}

int MCDeCoderBase::InitDeCoder(const AVCodecParameters* params, int num, int den, AVDictionary** options) {
  static const char* kName = "MCDeCoderBase::InitDeCoder";
  packetTimeBase_ = AVRational{num, den};
  const AVCodec* codec = params ? avcodec_find_decoder(params->codec_id) : nullptr;
  if (codec == nullptr) {
    error_.SetError(AVERROR_DECODER_NOT_FOUND, kName);
    return AVERROR_DECODER_NOT_FOUND;
  }
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  if (ctx == nullptr) {
    error_.SetError(AVERROR(ENOMEM), kName);
    return AVERROR(ENOMEM);
  }
  AVDictionary* local = nullptr;
  AVDictionary** opts = options ? options : &local;
  int rc = avcodec_parameters_to_context(ctx, params);
  if (rc >= 0) {
    // Frames are always reference counted in this FFmpeg; only subtitles
    // need a choice.
    if (ctx->codec_type == AVMEDIA_TYPE_SUBTITLE) av_dict_set(opts, "sub_text_format", "ass", 0);
    ctx->pkt_timebase = packetTimeBase_;
    rc = avcodec_open2(ctx, codec, opts);
  }
  av_dict_free(&local);
  if (rc != 0) {
    if (options) av_dict_free(options);
    avcodec_free_context(&ctx);
    error_.SetError(rc, kName);
    return rc;
  }
  context_ = ctx;
  return 0;
}

int MCDeCoderBase::SendPacket(AVPacket* packet) {
  if (packet == nullptr || context_ == nullptr) return AVERROR(EINVAL);
  if (packet->buf == nullptr) endOfInput_ = true;
  av_packet_unref(packet_);
  av_packet_move_ref(packet_, packet);
  if (context_->codec_type == AVMEDIA_TYPE_SUBTITLE) return context_->codec_type;
  if (abort_.load()) return AVERROR_EXIT;
  // EAGAIN means frames must be taken out first: the packet stays pending
  // and ReceiveFrame sends it once the decoder has room, instead of a busy
  // retry that can never succeed.
  const int rc = avcodec_send_packet(context_, endOfInput_ && packet_->buf == nullptr ? nullptr : packet_);
  if (rc == AVERROR(EAGAIN)) return rc;
  av_packet_unref(packet_);
  if (rc == AVERROR_EOF && endOfInput_) return 0;
  return rc;
}

int MCDeCoderBase::EndOfStream() {
  // Drained: the codec is ready for more, but this stream stays ended
  // until a Flush starts it again.
  if (context_ != nullptr) avcodec_flush_buffers(context_);
  return AVERROR_EOF;
}

int MCDeCoderBase::ReceiveFrame(AVFrame* frame, AVSubtitle* subtitle) {
  if (context_ == nullptr) return AVERROR(EINVAL);
  const AVMediaType type = context_->codec_type;
  if (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) {
    int rc = avcodec_receive_frame(context_, frame);
    if (rc == AVERROR(EAGAIN) && (packet_->buf != nullptr || packet_->side_data_elems > 0) && !abort_.load()) {
      const int sent = avcodec_send_packet(context_, packet_);
      if (sent != AVERROR(EAGAIN)) av_packet_unref(packet_);
      rc = avcodec_receive_frame(context_, frame);
    }
    if (rc == AVERROR_EOF) return EndOfStream();
    if (rc != 0) return rc;
    if (type == AVMEDIA_TYPE_VIDEO) {
      if (frame->best_effort_timestamp != AV_NOPTS_VALUE) frame->pts = frame->best_effort_timestamp;
      else if (frame->pkt_dts != AV_NOPTS_VALUE) frame->pts = frame->pkt_dts;
    } else {
      const AVRational target{1, frame->sample_rate > 0 ? frame->sample_rate : context_->sample_rate};
      if (frame->pts != AV_NOPTS_VALUE) {
        frame->pts = av_rescale_q(frame->pts, packetTimeBase_, target);
      } else if (runningPtsSet_) {
        frame->pts = av_rescale_q(runningPts_, runningTimeBase_, target);
      }
      if (frame->pts != AV_NOPTS_VALUE) {
        runningPts_ = frame->pts + frame->nb_samples;
        runningPtsSet_ = true;
        runningTimeBase_ = target;
        frame->best_effort_timestamp = frame->pts;
      }
    }
    return 0;
  }
  if (type == AVMEDIA_TYPE_SUBTITLE) return ReceiveSubtitle(subtitle);
  return AVERROR(EAGAIN);
}

int MCDeCoderBase::ReceiveSubtitle(AVSubtitle* out) {
  if (out == nullptr) return AVERROR(EINVAL);
  if (endOfInput_) {
    if (heldSet_) {
      *out = held_;
      held_ = AVSubtitle{};
      held_.pts = AV_NOPTS_VALUE;
      heldSet_ = false;
      return 0;
    }
    return EndOfStream();
  }
  AVSubtitle decoded{};
  int got = 0;
  const int rc = avcodec_decode_subtitle2(context_, &decoded, &got, packet_);
  if (rc < 0) {
    av_packet_unref(packet_);
    return AVERROR(EAGAIN);
  }
  if (got) {
    for (unsigned i = 0; i < decoded.num_rects; ++i) {
      const AVSubtitleRect* r = decoded.rects[i];
      if (r->type == SUBTITLE_BITMAP && (r->w == 0 || r->h == 0)) got = 0;
    }
    if (!got) avsubtitle_free(&decoded);
  }
  if (got && decoded.pts == AV_NOPTS_VALUE) decoded.pts = packet_->pts;
  av_packet_unref(packet_);
  if (!got) return AVERROR(EAGAIN);
  if (heldSet_) {
    // No end, or one at its start (a DVD subtitle without a stop command):
    // shown until the next one.
    if (held_.end_display_time == 0xFFFFFFFFu || held_.end_display_time <= held_.start_display_time) {
      held_.end_display_time = static_cast<uint32_t>(
          av_rescale_q(decoded.pts - held_.pts, AVRational{1, 1000000}, AVRational{1, 1000}));
    }
    *out = held_;
    held_ = decoded;
    return 0;
  }
  held_ = decoded;
  heldSet_ = true;
  return AVERROR(EAGAIN);
}

void MCDeCoderBase::Flush() {
  if (context_ != nullptr) avcodec_flush_buffers(context_);
  // After a flush (a seek, a new range) the decoder takes packets again and
  // counts sound from the next packet's time.
  av_packet_unref(packet_);
  endOfInput_ = false;
  runningPtsSet_ = false;
}
