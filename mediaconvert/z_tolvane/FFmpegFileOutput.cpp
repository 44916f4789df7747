// The output side of FFmpegFile: an output context named after the path,
// one encoded video, sound and subtitle stream modelled on an open input,
// and the tags.

#include <cmath>
#include <cstring>

#include "base/CodePage.h"
#include "base/FileNaming.h"
#include "mediaconvert/MCCodecCaps.h"
#include "mediaconvert/MCLog.h"
#include "z_tolvane/FFmpegFile.h"

namespace {

bool NameIs(const AVOutputFormat* f, const char* name) { return f && f->name && std::strcmp(f->name, name) == 0; }

void GlobalHeaderIfNeeded(const AVFormatContext* out, AVCodecContext* ctx) {
  if (out->oformat->flags & AVFMT_GLOBALHEADER) ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

AVRational ReducedAtLeast24(AVRational rate) {
  av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
  if (av_q2d(rate) < 24) rate = AVRational{24, 1};
  return rate;
}

}  // namespace

bool FFmpegFile::OpenOutputFile(const char* path, FFmpegFile* input, MCConvertParam& param, bool pending) {
  if (path == nullptr) return false;
  path_ = WStringFromUtf8(path);
  if (CreateOutput(path, input, param) < 0) return false;
  if (format_->oformat->flags & AVFMT_NOFILE) return true;
  if (!pending) return avio_open(&format_->pb, path, AVIO_FLAG_WRITE) >= 0;
  if (outputFile_.Begin(path) < 0) return false;
  return avio_open(&format_->pb, outputFile_.WritePath().c_str(), AVIO_FLAG_WRITE) >= 0;
}

bool FFmpegFile::CommitOutput() {
  if (format_ == nullptr || format_->iformat != nullptr) return false;
  if (!(format_->oformat->flags & AVFMT_NOFILE) && format_->pb != nullptr && avio_closep(&format_->pb) < 0) {
    outputFile_.Discard();
    return false;
  }
  return outputFile_.Commit() == 0;
}

void FFmpegFile::AbandonOutput() {
  if (format_ != nullptr && format_->iformat == nullptr && format_->oformat != nullptr &&
      !(format_->oformat->flags & AVFMT_NOFILE)) {
    avio_closep(&format_->pb);
  }
  outputFile_.Discard();
}

int64_t FFmpegFile::PacketsWritten() const {
  if (format_ == nullptr || format_->iformat != nullptr) return 0;
  int64_t total = 0;
  for (unsigned i = 0; i < format_->nb_streams; ++i) total += format_->streams[i]->nb_frames;
  return total;
}

int FFmpegFile::CreateOutput(const char* path, FFmpegFile* input, MCConvertParam& param) {
  if (path == nullptr || input == nullptr || input->format_ == nullptr) return -1;
  auto makeContext = [this, path]() {
    const int rc = avformat_alloc_output_context2(&format_, nullptr, nullptr, path);
    if (rc < 0) MCLogPrintf("can't open output\n %s %d", __FILE__, __LINE__);
    return rc;
  };
  int rc = makeContext();
  if (rc < 0) return rc;
  const AVOutputFormat* of = format_->oformat;
  if (input->videoCtx_ != nullptr && param.keepVideo && of->video_codec != AV_CODEC_ID_NONE) {
    // Hardware encoders first when asked for, then the software one; a
    // candidate that cannot be opened gives way to the next.
    std::vector<std::pair<std::string, AVCodecID>> candidates;
    if (param.hwEncode) {
      for (const std::string& name : MCGetHwEncoders(of->video_codec)) candidates.emplace_back(name, AV_CODEC_ID_NONE);
    }
    const AVCodecID software = NameIs(of, "mpeg") || NameIs(of, "mpg") ? AV_CODEC_ID_MPEG2VIDEO
                               : NameIs(of, "rm")                    ? AV_CODEC_ID_RV20
                                                                     : of->video_codec;
    candidates.emplace_back(std::string(), software);
    rc = -1;
    for (const auto& [name, id] : candidates) {
      if (format_ == nullptr && makeContext() < 0) break;
      param.hwEncode = !name.empty();
      const AVCodec* encoder = name.empty() ? avcodec_find_encoder(id) : avcodec_find_encoder_by_name(name.c_str());
      if (encoder == nullptr) {
        MCLogPrintf("can't found VideoStream encode\n%s %d\n", __FILE__, __LINE__);
        continue;
      }
      rc = AddVideoStream(input, param, encoder);
      if (rc == 0) break;
      avcodec_free_context(&videoCtx_);
      avformat_free_context(format_);
      format_ = nullptr;
      videoIndex_ = -1;
    }
    if (format_ == nullptr) return rc < 0 ? rc : -1;
  }
  if (rc < 0) return rc;
  // A sound stream that cannot be made fails the output: it would
  // otherwise be written silently without its sound.
  if (input->audioCtx_ != nullptr && param.keepAudio && (rc = AddAudioStream(input, param)) < 0) return rc;
  if (input->subtitleCtx_ != nullptr) rc = AddSubtitleStream(input, param);
  return rc;
}

int FFmpegFile::AddAudioStream(FFmpegFile* input, MCConvertParam& param) {
  const AVCodecID id = format_->oformat->audio_codec;
  if (id == AV_CODEC_ID_NONE) return -1;
  const AVCodec* encoder = avcodec_find_encoder(id);
  if (encoder == nullptr) {
    MCLogPrintf("can't found audio encode\n%s %d\n", __FILE__, __LINE__);
    return -1;
  }
  AVStream* st = avformat_new_stream(format_, nullptr);
  if (st == nullptr) {
    MCLogPrintf("Stream create error\n%s %d\n", __FILE__, __LINE__);
    return -1;
  }
  audioIndex_ = st->index;
  AVCodecContext* ctx = audioCtx_ = avcodec_alloc_context3(encoder);
  if (ctx == nullptr) return AVERROR(ENOMEM);
  const AVCodecContext* in = input->audioCtx_;
  ctx->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  ctx->sample_rate = param.sampleRate >= 1 ? param.sampleRate : in->sample_rate >= 1 ? in->sample_rate : 44100;
  av_channel_layout_uninit(&ctx->ch_layout);
  if (param.channels >= 1) av_channel_layout_default(&ctx->ch_layout, param.channels);
  else ctx->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
  ctx->bit_rate = param.audioBitRate > 0 ? static_cast<int64_t>(param.audioBitRate * 1000) : in->bit_rate;
  FitAudioEncoder(encoder, ctx, format_);
  if (param.vorbisQuality > 0) {
    ctx->flags |= AV_CODEC_FLAG_QSCALE;
    ctx->global_quality = param.vorbisQuality * 118;
    ctx->bit_rate = 0;
  }
  if (param.flacLevel > 0) {
    ctx->compression_level = param.flacLevel;
    ctx->bit_rate = 0;
  }
  ctx->time_base = AVRational{1, ctx->sample_rate};
  st->time_base = ctx->time_base;
  GlobalHeaderIfNeeded(format_, ctx);
  const int rc = avcodec_open2(ctx, encoder, nullptr);
  if (rc < 0) {
    MCLogPrintf("can't open audiocodectx\n%s %d\n", __FILE__, __LINE__);
    return rc;
  }
  return avcodec_parameters_from_context(st->codecpar, ctx);
}

int FFmpegFile::FitAudioEncoder(const AVCodec* encoder, AVCodecContext* ctx, const AVFormatContext* out) {
  if (encoder->ch_layouts != nullptr) {
    bool listed = false;
    for (const AVChannelLayout* l = encoder->ch_layouts; l->nb_channels != 0; ++l) {
      if (av_channel_layout_compare(l, &ctx->ch_layout) == 0) listed = true;
    }
    if (!listed) {
      av_channel_layout_uninit(&ctx->ch_layout);
      av_channel_layout_copy(&ctx->ch_layout, &encoder->ch_layouts[0]);
    }
  }
  if (encoder->sample_fmts != nullptr) {
    bool listed = false;
    for (const AVSampleFormat* f = encoder->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) listed |= *f == ctx->sample_fmt;
    if (!listed) ctx->sample_fmt = encoder->sample_fmts[0];
  }
  if (encoder->supported_samplerates != nullptr) {
    bool listed = false;
    for (const int* r = encoder->supported_samplerates; *r != 0; ++r) listed |= *r == ctx->sample_rate;
    if (!listed) ctx->sample_rate = encoder->supported_samplerates[0];
  }
  const AVOutputFormat* of = out->oformat;
  if (NameIs(of, "flv") && ctx->sample_rate != 11025 && ctx->sample_rate != 22050 && ctx->sample_rate != 44100) {
    ctx->sample_rate = 44100;
  } else if (NameIs(of, "mxf")) {
    ctx->sample_rate = 48000;
  } else if (NameIs(of, "swf")) {
    ctx->sample_rate = 44100;
  }
  if (of->video_codec == AV_CODEC_ID_MPEG1VIDEO) {
    ctx->sample_rate = 48000;
    ctx->bit_rate = 128000;
  }
  int channels = ctx->ch_layout.nb_channels;
  switch (of->audio_codec) {
    case AV_CODEC_ID_AMR_NB:
      av_channel_layout_uninit(&ctx->ch_layout);
      ctx->ch_layout = AV_CHANNEL_LAYOUT_MONO;
      ctx->sample_fmt = AV_SAMPLE_FMT_S16;
      ctx->sample_rate = 8000;
      break;
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_MP3:
      if (of->audio_codec == AV_CODEC_ID_MP3 && ctx->bit_rate == 144000) break;
      MCFixAudioParams(of->audio_codec, &ctx->bit_rate, &ctx->sample_rate, &channels);
      if (channels != ctx->ch_layout.nb_channels) {
        av_channel_layout_uninit(&ctx->ch_layout);
        av_channel_layout_default(&ctx->ch_layout, channels);
      }
      break;
    default:
      break;
  }
  return 0;
}

void FFmpegFile::FitVideoBitRate(AVCodecContext* ctx, const MCConvertParam& param) {
  // High frame rates are lowered by the job's factor first; then the bit
  // rate is at most width × height × frame rate × videoBitRateFactor bit/s,
  // and every rate-control value follows it.
  AVRational rate = ctx->framerate;
  if (av_q2d(rate) > 30 && param.frameRateFactor > 0 && param.frameRateFactor < 1) {
    rate = av_mul_q(rate, av_d2q(param.frameRateFactor, 1000));
    av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
    ctx->framerate = rate;
    ctx->time_base = av_inv_q(rate);
  }
  const double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 25.0;
  const auto limit = static_cast<int64_t>(ctx->width * static_cast<double>(ctx->height) * fps * param.videoBitRateFactor);
  if (limit <= 0) return;
  if (ctx->bit_rate <= 0 || ctx->bit_rate > limit) ctx->bit_rate = limit;
  ctx->flags &= ~AV_CODEC_FLAG_QSCALE;
  ctx->rc_max_rate = ctx->bit_rate;
  ctx->rc_buffer_size = static_cast<int>(std::min<int64_t>(ctx->bit_rate, INT32_MAX));
  ctx->bit_rate_tolerance = static_cast<int>(std::min<int64_t>(ctx->bit_rate, INT32_MAX));
}

int FFmpegFile::AddVideoStream(FFmpegFile* input, MCConvertParam& param, const AVCodec* encoder) {
  const AVCodecContext* in = input->videoCtx_;
  const AVStream* inStream = input->GetVideoStream();
  if (in == nullptr) return 1;
  if (encoder == nullptr || inStream == nullptr) return 0;
  AVStream* st = avformat_new_stream(format_, nullptr);
  if (st == nullptr) {
    MCLogPrintf("Stream create error\n%s %d\n", __FILE__, __LINE__);
    return -1;
  }
  videoIndex_ = st->index;
  AVCodecContext* ctx = videoCtx_ = avcodec_alloc_context3(encoder);
  if (ctx == nullptr) return AVERROR(ENOMEM);
  ctx->width = (param.width >= 1 ? param.width : in->width) & ~1;
  ctx->height = (param.height >= 1 ? param.height : in->height) & ~1;

  AVRational rate = in->framerate;
  const bool rateAbove1 = av_q2d(rate) > 1, streamAbove1 = av_q2d(inStream->r_frame_rate) > 1;
  if (rate.num > 0 && rate.den > 0 && rateAbove1 != streamAbove1) rate = AVRational{rate.den, rate.num};
  if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
  rate = MCGetNearestFrameRate(encoder, rate);
  if (NameIs(format_->oformat, "mxf")) {
    if (av_q2d(rate) < 25) rate = AVRational{25, 1};
    else if (av_q2d(rate) >= 100) rate = AVRational{50, 1};
  }
  ctx->framerate = rate;
  ctx->time_base = av_inv_q(rate);

  if (param.videoBitRate > 0) {
    ctx->bit_rate = param.videoBitRate;
  } else if (param.videoBitRate < 0) {
    ctx->bit_rate = in->bit_rate;
  } else {
    ctx->qmin = 5;
    ctx->qmax = 20;
    ctx->flags |= AV_CODEC_FLAG_QSCALE;
  }
  ctx->chroma_sample_location = in->chroma_sample_location;
  ctx->pix_fmt = AV_PIX_FMT_YUV420P;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "preset", "fast", 0);
  av_dict_set(&options, "tune", "zerolatency", 0);
  av_dict_set(&options, "threads", "auto", 0);
  if (param.width < 0 && param.height < 0) {
    const AVDictionaryEntry* rotate = av_dict_get(inStream->metadata, "rotate", nullptr, 0);
    const double a = rotate ? std::atof(rotate->value) * M_PI / 180.0 : 0.0;
    const int w = ctx->width, h = ctx->height;
    ctx->width = static_cast<int>(std::fabs(std::cos(a) * w) + std::fabs(std::sin(a) * h));
    ctx->height = static_cast<int>(std::fabs(w * std::sin(a)) + std::fabs(h * std::cos(a)));
  }
  if (param.videoBitRateFactor < 1.0f) FitVideoBitRate(ctx, param);
  switch (encoder->id) {
    case AV_CODEC_ID_MPEG1VIDEO:
      ctx->framerate = ReducedAtLeast24(ctx->framerate);
      ctx->time_base = av_inv_q(ctx->framerate);
      ctx->rc_max_available_vbv_use = 7995392.0f;
      ctx->mb_decision = 2;
      if (param.videoBitRateFactor == 1.0f) {
        const int64_t r = static_cast<int64_t>(ctx->width) * ctx->height / 2 * 10;
        ctx->bit_rate = ctx->rc_min_rate = ctx->rc_max_rate = r;
        ctx->bit_rate_tolerance = ctx->rc_buffer_size = ctx->rc_initial_buffer_occupancy = static_cast<int>(r);
      }
      break;
    case AV_CODEC_ID_MPEG2VIDEO:
      ctx->max_b_frames = ctx->has_b_frames = 0;
      ctx->rc_max_available_vbv_use = 7995392.0f;
      break;
    case AV_CODEC_ID_MPEG4:
      ctx->framerate = ReducedAtLeast24(ctx->framerate);
      ctx->time_base = av_inv_q(ctx->framerate);
      break;
    case AV_CODEC_ID_MSMPEG4V3:
      ctx->mb_decision = 2;
      break;
    case AV_CODEC_ID_H264:
      ctx->qcompress = 0.5f;
      if (param.hwEncode) {
        ctx->flags &= ~AV_CODEC_FLAG_QSCALE;
        ctx->qmin = ctx->qmax = -1;
        ctx->bit_rate = static_cast<int64_t>(av_q2d(ctx->framerate) * ctx->width * ctx->height / 5);
        ctx->max_b_frames = ctx->has_b_frames = 0;
      }
      break;
    case AV_CODEC_ID_GIF:
      av_dict_set(&options, "gifflags", "+transdiff", 0);
      break;
    case AV_CODEC_ID_VP9:
      av_dict_free(&options);
      av_dict_set(&options, "preset", "fast", 0);
      break;
    default:
      break;
  }
  bool listsYuv420 = encoder->pix_fmts == nullptr;
  for (const AVPixelFormat* p = encoder->pix_fmts; p && *p != AV_PIX_FMT_NONE; ++p) listsYuv420 |= *p == AV_PIX_FMT_YUV420P;
  ctx->pix_fmt = listsYuv420 ? AV_PIX_FMT_YUV420P : encoder->pix_fmts[0];
  GlobalHeaderIfNeeded(format_, ctx);
  st->avg_frame_rate = ctx->framerate;
  st->time_base = ctx->time_base;
  int rc = avcodec_open2(ctx, encoder, &options);
  av_dict_free(&options);
  if (rc < 0) {
    MCLogPrintf("can't open videocodectx\n%s %d\n", __FILE__, __LINE__);
    return rc;
  }
  rc = avcodec_parameters_from_context(st->codecpar, ctx);
  if (rc < 0) return rc;
  for (int i = 0; i < ctx->nb_coded_side_data; ++i) {
    const AVPacketSideData& sd = ctx->coded_side_data[i];
    uint8_t* copy = av_stream_new_side_data(st, sd.type, sd.size);
    if (copy == nullptr) break;
    std::memcpy(copy, sd.data, sd.size);
  }
  return 0;
}

int FFmpegFile::AddSubtitleStream(FFmpegFile* input, MCConvertParam& param) {
  if (input->subtitleCtx_ == nullptr) return 1;
  const AVCodecID id = format_->oformat->subtitle_codec;
  const AVStream* inStream = input->GetSubtitleStream();
  if (id == AV_CODEC_ID_NONE || inStream == nullptr) return 0;
  const AVCodec* encoder = avcodec_find_encoder(id);
  if (encoder == nullptr) {
    MCLogPrintf("can't found VideoStream encode\n%s %d\n", __FILE__, __LINE__);
    return -1;
  }
  AVStream* st = avformat_new_stream(format_, nullptr);
  if (st == nullptr) {
    MCLogPrintf("Stream create error\n%s %d\n", __FILE__, __LINE__);
    return -1;
  }
  subtitleIndex_ = st->index;
  AVCodecContext* ctx = subtitleCtx_ = avcodec_alloc_context3(encoder);
  if (ctx == nullptr) return AVERROR(ENOMEM);
  if (videoCtx_ != nullptr) {
    ctx->width = (param.width > 0 ? param.width : videoCtx_->width) & ~1;
    ctx->height = (param.height > 0 ? param.height : videoCtx_->height) & ~1;
  }
  ctx->time_base = inStream->time_base;
  ctx->framerate = inStream->time_base;
  st->time_base = inStream->time_base;
  if (input->subtitleCtx_->subtitle_header_size > 0) {
    ctx->subtitle_header = static_cast<uint8_t*>(av_mallocz(input->subtitleCtx_->subtitle_header_size + 1));
    if (ctx->subtitle_header != nullptr) {
      std::memcpy(ctx->subtitle_header, input->subtitleCtx_->subtitle_header, input->subtitleCtx_->subtitle_header_size);
      ctx->subtitle_header_size = input->subtitleCtx_->subtitle_header_size;
    }
  }
  GlobalHeaderIfNeeded(format_, ctx);
  const int rc = avcodec_open2(ctx, encoder, nullptr);
  if (rc < 0) {
    MCLogPrintf("can't open videocodectx\n%s %d\n", __FILE__, __LINE__);
    return rc;
  }
  return avcodec_parameters_from_context(st->codecpar, ctx);
}

bool FFmpegFile::WriteOutputTags(FFmpegFile* input, MCConvertParam param) {
  if (format_ == nullptr || input == nullptr || input->format_ == nullptr) return false;
  param.tags.ReadTags(input->format_->metadata, false);
  const AVStream* inAudio = input->GetAudioStream();
  if (GetFileExtW(input->path_) == L"ogg" && inAudio != nullptr) param.tags.ReadTags(inAudio->metadata, false);
  AVDictionary* dict = param.tags.WriteTags(MCSupportsTags(path_));
  int rc = av_dict_copy(&format_->metadata, dict, 0);
  av_dict_free(&dict);
  AVStream* outAudio = GetAudioStream();
  if (rc >= 0 && inAudio != nullptr && outAudio != nullptr) {
    rc = av_dict_copy(&outAudio->metadata, inAudio->metadata, AV_DICT_DONT_OVERWRITE);
  }
  return rc >= 0;
}
