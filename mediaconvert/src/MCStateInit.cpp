#include <cmath>
#include <cstdlib>
#include <cstring>

#include "MCStates.h"
#include "mediaconvert/MCCodecCaps.h"

namespace {

bool IsAttachedPic(const AVStream* s) { return s != nullptr && (s->disposition & AV_DISPOSITION_ATTACHED_PIC); }

bool SameAudio(const AVCodecParameters* in, const AVCodecParameters* out) {
  return in->codec_id == out->codec_id && in->sample_rate == out->sample_rate &&
         av_channel_layout_compare(&in->ch_layout, &out->ch_layout) == 0 &&
         in->ch_layout.nb_channels == out->ch_layout.nb_channels;
}

bool SameVideo(const MCStateMachine* m, const AVStream* in, const AVCodecParameters* out, AVRational tb,
               const MCStreamSetup& setup) {
  const MCStreamParam& s = m->param.stream;
  const AVRational guessed =
      MCFixFrameRate(in, av_guess_frame_rate(m->demuxer->Context(), const_cast<AVStream*>(in), nullptr));
  // A cover picture has no frame rate to compare.
  const bool sameRate = IsAttachedPic(in) || av_cmp_q(tb, guessed) == 0;
  return in->codecpar->codec_id == out->codec_id && in->codecpar->width == out->width &&
         in->codecpar->height == out->height && sameRate && s.speed == 1.0 && s.contrast == 1.0 &&
         s.brightness == 0 && s.saturation == 1.0 && s.redBalance == 0 && s.greenBalance == 0 &&
         s.blueBalance == 0 && !s.watermark && !s.noVideoCopy && s.cropX == -1 && s.rotation == 0 &&
         setup.subtitleSource.empty() && s.subtitlePath.empty();
}

}  // namespace

int StateInit::StateHandle(MCStateMachine* m) {
  const int rc = Build(m);
  if (rc == 0) {
    m->frame = av_frame_alloc();
    if (m->frame == nullptr) m->error.SetError(AVERROR(ENOMEM), "StateInit::StateHandle");
  }
  next_ = (rc == 0 && m->frame != nullptr) ? kStateDeMux : kStateError;
  return rc;
}

int StateInit::Build(MCStateMachine* m) {
  m->muxer = new MCMuxerBase();
  m->demuxer = new MCDeMuxerBase();
  MCConvertParam& p = m->param;
  MCStreamSetup setup(p.stream);
  int rc = m->demuxer->InitDeMuxer(m->inputPath.c_str(), nullptr);
  if (rc != 0) return rc;
  rc = m->muxer->InitOutputFmt(m->outputPath.c_str(), p.format.empty() ? nullptr : p.format.c_str());
  if (rc != 0) return rc;
  const MCDefaultCodecs defaults = m->muxer->GetDefaultCodecs();
  AVFormatContext* in = m->demuxer->Context();
  AVFormatContext* out = m->muxer->Context();
  m->inStreams[0] = m->demuxer->videoIndex >= 0 ? in->streams[m->demuxer->videoIndex] : nullptr;
  m->inStreams[1] = m->demuxer->audioIndex >= 0 ? in->streams[m->demuxer->audioIndex] : nullptr;
  m->inStreams[3] = m->demuxer->subtitleIndex >= 0 ? in->streams[m->demuxer->subtitleIndex] : nullptr;

  AVCodecID subtitleCodec = AV_CODEC_ID_NONE;
  if (m->inStreams[3] != nullptr && p.keepSubtitle) {
    subtitleCodec = MCIsTextSubtitle(m->inStreams[3]->codecpar->codec_id) ? defaults.textSubtitle
                                                                         : defaults.bitmapSubtitle;
    if (p.stream.rotation != 0 || p.stream.cropX != -1) {
      subtitleCodec = AV_CODEC_ID_NONE;
      setup.subtitleSource = m->inputPath;
    }
  }
  if (in->start_time != AV_NOPTS_VALUE) m->startTime = in->start_time;

  const int slots[] = {0, 1, 3};
  for (int s : slots) {
    AVStream* is = m->inStreams[s];
    if (is == nullptr) continue;
    AVCodecID codec = s == 0 ? defaults.video : s == 1 ? defaults.audio : subtitleCodec;
    // A cover picture keeps its own codec where the container stores it,
    // rather than becoming a one-frame video the container may refuse.
    const AVCodecID picture = is->codecpar->codec_id;
    if (s == 0 && IsAttachedPic(is) && p.codecIds[0] == 0 &&
        (picture == AV_CODEC_ID_PNG || picture == AV_CODEC_ID_MJPEG || picture == AV_CODEC_ID_BMP ||
         avformat_query_codec(out->oformat, picture, FF_COMPLIANCE_NORMAL) == 1)) {
      codec = is->codecpar->codec_id;
    }
    const bool keep = s == 0 ? p.keepVideo : s == 1 ? p.keepAudio : p.keepSubtitle;
    if (!keep || (codec == AV_CODEC_ID_NONE && p.codecIds[s] == 0)) continue;
    if (s == 0) {
      const AVDictionaryEntry* rotate = av_dict_get(is->metadata, "rotate", nullptr, 0);
      setup.tagRotation = rotate ? std::atoi(rotate->value) : 0;
      if (p.width < 1 || p.height < 1) {
        const int w = is->codecpar->width, h = is->codecpar->height;
        AVRational sar = is->codecpar->sample_aspect_ratio;
        if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
        const AVRational aspect = av_mul_q(AVRational{w, h > 0 ? h : 1}, sar);
        const int displayWidth = aspect.den ? static_cast<int>(static_cast<int64_t>(h) * aspect.num / aspect.den) : w;
        const double angle = (p.stream.rotation + setup.tagRotation) * M_PI / 180.0;
        p.width = static_cast<int>(std::fabs(h * std::sin(angle)) + std::fabs(displayWidth * std::cos(angle)));
        p.height = static_cast<int>(std::fabs(h * std::cos(angle)) + std::fabs(displayWidth * std::sin(angle)));
      }
    }
    AVCodecParameters* params = nullptr;
    AVDictionary* options = nullptr;
    AVRational tb{0, 1};
    rc = MCGetOutputStreamParams(p, codec, is, in, &params, &options, &tb);
    if (rc != 0) {
      m->error.SetError(rc, "MCGetOutputStreamParams");
      return rc;
    }
    const int index = m->muxer->AddStream(params, &tb);
    if (index < 0) {
      // A stream the output cannot take fails the conversion: dropping it
      // silently would report a file without it as a success.
      avcodec_parameters_free(&params);
      av_dict_free(&options);
      return index;
    }
    AVStream* os = out->streams[index];
    m->outStreams[s] = os;
    if (IsAttachedPic(is)) os->disposition |= AV_DISPOSITION_ATTACHED_PIC;
    if (p.copyWhenSame) {
      if (s == 0) m->copy[s] = SameVideo(m, is, params, tb, setup);
      else if (s == 1) m->copy[s] = SameAudio(is->codecpar, params) && p.stream.musicPath.empty() &&
                                    p.stream.volume == 1.0;
    }
    const bool global = (out->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    const AVCodecID inCodec = is->codecpar->codec_id;
    if (!m->copy[s] || (!global && (inCodec == AV_CODEC_ID_H264 || inCodec == AV_CODEC_ID_HEVC))) {
      m->decoders[s] = new MCDeCoderBase();
      rc = m->decoders[s]->InitDeCoder(is->codecpar, is->time_base.num, is->time_base.den, nullptr);
      if (rc == 0) {
        if (m->copy[s]) m->encoders[s] = new MCEnCoderStreamCopy();
        else if (p.hwEncode) m->encoders[s] = new MCEnCoderHw();
        else m->encoders[s] = new MCEnCoderBase();
        if (global) av_dict_set(&options, "flags", "+global_header", AV_DICT_APPEND);
        rc = m->encoders[s]->InitEnCoder(params, tb.num, tb.den, &options, m->decoders[s]->Context());
        if (rc == 0) MCCopyEncoderToStream(os, m->encoders[s]->Context());
      }
    } else {
      AVCodecContext* ctx = avcodec_alloc_context3(nullptr);
      rc = ctx ? avcodec_parameters_to_context(ctx, is->codecpar) : AVERROR(ENOMEM);
      if (rc >= 0) {
        rc = 0;
        if (ctx->codec_type == AVMEDIA_TYPE_AUDIO &&
            (ctx->codec_id == AV_CODEC_ID_AC3 ||
             (ctx->codec_id == AV_CODEC_ID_MP3 &&
              (ctx->frame_size == 1 || ctx->frame_size == 576 || ctx->frame_size == 1152)))) {
          ctx->frame_size = 0;
        }
        ctx->time_base = tb;
        MCCopyEncoderToStream(os, ctx);
        os->codecpar->codec_tag = 0;
      }
      avcodec_free_context(&ctx);
      if (rc != 0) m->error.SetError(rc, "StateInit::StateHandle");
    }
    avcodec_parameters_free(&params);
    av_dict_free(&options);
    if (rc != 0) return rc;
    const int64_t start = is->start_time == AV_NOPTS_VALUE
                              ? 0
                              : av_rescale_q(is->start_time, is->time_base, AVRational{1, AV_TIME_BASE});
    if (start < m->startTime) m->startTime = start;
  }
  if (m->outStreams[0] != nullptr && m->copy[0] && setup.tagRotation > 0) {
    av_dict_set(&m->outStreams[0]->metadata, "rotate", std::to_string(setup.tagRotation).c_str(), 0);
  }
  rc = MCCopyMetadata(p.tags, m->demuxer, m->muxer);
  if (rc != 0) return rc;
  if (m->muxer->Context()->nb_streams == 0) {
    // Nothing of the input is kept (a picture-only job on a sound file):
    // said plainly rather than as the container's refusal of an empty file.
    m->error.SetError(AVERROR_STREAM_NOT_FOUND, "StateInit::StateHandle");
    m->error.message = "the input has none of the streams the output keeps";
    return AVERROR_STREAM_NOT_FOUND;
  }
  rc = m->muxer->WriteHead(nullptr);
  if (rc < 0) return rc;
  // A copied cover picture never travels as a packet of the input: write
  // it once now, or the file would lose it.
  if (m->outStreams[0] != nullptr && m->copy[0] && IsAttachedPic(m->inStreams[0])) {
    AVPacket* cover = av_packet_clone(&m->inStreams[0]->attached_pic);
    if (cover != nullptr) {
      cover->stream_index = m->outStreams[0]->index;
      cover->pts = cover->dts = 0;
      cover->duration = 0;
      rc = m->muxer->WritePacket(cover);
      av_packet_free(&cover);
      if (rc < 0) return rc;
    }
  }
  return CompletePipeline(m, setup);
}

int StateInit::CompletePipeline(MCStateMachine* m, MCStreamSetup& setup) {
  AVFormatContext* out = m->muxer->Context();
  int rc = 0;
  if (m->outStreams[0] != nullptr) {
    if (m->inStreams[3] != nullptr && m->outStreams[3] == nullptr && m->param.keepSubtitle) {
      setup.subtitleSource = m->inputPath;
    }
    const AVCodecID inCodec = m->inStreams[0]->codecpar->codec_id;
    if (m->copy[0]) {
      if (!(out->oformat->flags & AVFMT_GLOBALHEADER) &&
          (inCodec == AV_CODEC_ID_H264 || inCodec == AV_CODEC_ID_HEVC)) {
        const AVBitStreamFilter* filter =
            av_bsf_get_by_name(inCodec == AV_CODEC_ID_H264 ? "h264_mp4toannexb" : "hevc_mp4toannexb");
        rc = filter ? av_bsf_alloc(filter, &m->bsfs[0]) : AVERROR_BSF_NOT_FOUND;
        if (rc >= 0) {
          avcodec_parameters_copy(m->bsfs[0]->par_in, m->inStreams[0]->codecpar);
          avcodec_parameters_copy(m->bsfs[0]->par_out, m->outStreams[0]->codecpar);
          m->bsfs[0]->time_base_in = m->outStreams[0]->time_base;
          m->bsfs[0]->time_base_out = m->outStreams[0]->time_base;
          rc = av_bsf_init(m->bsfs[0]);
        }
        if (rc < 0) {
          m->error.SetError(rc, "StateInit::StateHandle");
          return rc;
        }
      }
    } else {
      m->imageConverter = new MCImageConvertBase(setup);
      const AVCodecContext* enc = m->encoders[0]->Context();
      if (enc->codec_id == AV_CODEC_ID_GIF && enc->pix_fmt == AV_PIX_FMT_PAL8) {
        m->imageConverter->Setup().paletteMode = true;
      }
      rc = m->imageConverter->Init(m->decoders[0]->Context(), m->encoders[0]->Context(), -1);
      if (rc != 0) return rc;
    }
  }
  if (m->outStreams[1] != nullptr && !m->copy[1]) {
    m->audioConverter = new MCAudioConvertBase(setup);
    rc = m->audioConverter->Init(m->decoders[1]->Context(), m->encoders[1]->Context(), -1);
    if (rc != 0) return rc;
  }
  return 0;
}
