#include "mediaconvert/MCMuxer.h"

#include <cstring>

#include "base/CodePage.h"
#include "base/FileNaming.h"
#include "mediaconvert/MCCodecCaps.h"
#include "mediaconvert/MCDeMuxer.h"

namespace {

bool NameIs(const char* a, const char* b) { return a != nullptr && std::strcmp(a, b) == 0; }

}  // namespace

MCMuxerBase::~MCMuxerBase() {
  CloseFile();
  if (context_ != nullptr) avformat_free_context(context_);
}

int MCMuxerBase::CloseFile() {
  if (context_ == nullptr || (context_->oformat->flags & AVFMT_NOFILE) || context_->pb == nullptr) return 0;
  return avio_closep(&context_->pb);
}

void MCMuxerBase::Abandon() {
  CloseFile();
  file_.Discard();
}

const char* MCMuxerBase::FormatName() const {
  return context_ && context_->oformat ? context_->oformat->name : "";
}

int MCMuxerBase::InitOutputFmt(const char* path, const char* format) {
  static const char* kName = "MCMuxerBase::InitOutputFmt";
  if (path == nullptr) {
    error_.SetError(AVERROR(EINVAL), kName);
    return AVERROR(EINVAL);
  }
  path_ = path;
  const int rc = avformat_alloc_output_context2(&context_, nullptr, format, path);
  if (rc < 0 || context_ == nullptr) {
    const int code = rc < 0 ? rc : AVERROR(EINVAL);
    error_.SetError(code, kName);
    return code;
  }
  return 0;
}

MCDefaultCodecs MCMuxerBase::GetDefaultCodecs() const {
  MCDefaultCodecs d;
  if (context_ == nullptr || context_->oformat == nullptr) return d;
  const AVOutputFormat* of = context_->oformat;
  d.video = of->video_codec;
  d.audio = of->audio_codec;
  if (of->subtitle_codec != AV_CODEC_ID_NONE) {
    if (MCIsTextSubtitle(of->subtitle_codec)) d.textSubtitle = of->subtitle_codec;
    else d.bitmapSubtitle = of->subtitle_codec;
  }
  const char* ext = of->extensions;
  if (ext != nullptr) {
    if (NameIs(ext, "avi") || NameIs(ext, "flv") || NameIs(ext, "wtv") || NameIs(ext, "ts,m2t,m2ts,mts"))
      d.video = AV_CODEC_ID_H264;
    else if (NameIs(ext, "rm,ra")) d.video = AV_CODEC_ID_RV20;
    else if (NameIs(ext, "webm")) d.video = AV_CODEC_ID_VP8;
    else if (NameIs(ext, "asf,wmv,wma")) d.video = AV_CODEC_ID_MPEG4;
    if (NameIs(ext, "mp4") || NameIs(ext, "mov") || NameIs(ext, "3gp")) d.textSubtitle = AV_CODEC_ID_MOV_TEXT;
    else if (NameIs(ext, "mkv")) d.textSubtitle = AV_CODEC_ID_ASS;
    else if (NameIs(ext, "webm")) d.textSubtitle = AV_CODEC_ID_WEBVTT;
    if (NameIs(ext, "mp4") || NameIs(ext, "mkv")) d.bitmapSubtitle = AV_CODEC_ID_DVD_SUBTITLE;
    if (NameIs(ext, "mkv")) d.audio = AV_CODEC_ID_AAC;
  }
  return d;
}

int MCMuxerBase::AddStream(AVCodecParameters* params, AVRational* timeBase) {
  static const char* kName = "MCMuxerBase::AddStream";
  if (context_ == nullptr || params == nullptr || timeBase == nullptr) {
    error_.SetError(AVERROR(EINVAL), kName);
    return AVERROR(EINVAL);
  }
  AVStream* stream = avformat_new_stream(context_, avcodec_find_encoder(params->codec_id));
  if (stream == nullptr) {
    error_.SetError(AVERROR(ENOMEM), kName);
    return AVERROR(ENOMEM);
  }
  int rc = avcodec_parameters_copy(stream->codecpar, params);
  if (rc < 0) {
    error_.SetError(rc, kName);
    return rc;
  }
  stream->codecpar->codec_tag = 0;  // the container chooses its own tag
  stream->time_base = *timeBase;
  const char* name = FormatName();
  AVCodecParameters* p = stream->codecpar;
  if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
    if (NameIs(name, "mxf")) {
      const int r = timeBase->num ? timeBase->den / timeBase->num : 0;
      stream->time_base = r <= 30 ? AVRational{1, 30} : AVRational{1, 60};
    } else if (NameIs(name, "mp3")) {
      stream->disposition |= AV_DISPOSITION_ATTACHED_PIC;
    }
  } else if (p->codec_type == AVMEDIA_TYPE_AUDIO) {
    if (NameIs(name, "flv") || NameIs(name, "swf")) {
      if (p->sample_rate != 11025 && p->sample_rate != 22050 && p->sample_rate != 44100) p->sample_rate = 44100;
      if (p->ch_layout.nb_channels > 2) {
        av_channel_layout_uninit(&p->ch_layout);
        av_channel_layout_default(&p->ch_layout, 2);
      }
    } else if (NameIs(name, "mxf")) {
      p->sample_rate = 48000;
    } else if (NameIs(name, "wtv")) {
      if (p->sample_rate < 44100) p->sample_rate = 44100;
    } else if (context_->oformat->video_codec == AV_CODEC_ID_MPEG1VIDEO) {
      p->sample_rate = 48000;
      p->bit_rate = 128000;
    }
  }
  *timeBase = stream->time_base;
  rc = avcodec_parameters_copy(params, stream->codecpar);
  if (rc < 0) {
    error_.SetError(rc, kName);
    return rc;
  }
  return stream->index;
}

int MCMuxerBase::WritePacket(AVPacket* packet) {
  if (context_ == nullptr) {
    error_.SetError(AVERROR(EINVAL), "MCMuxerBase::WritePacket");
    return AVERROR(EINVAL);
  }
  const int rc = av_interleaved_write_frame(context_, packet);
  if (rc < 0) error_.SetError(rc, "MCMuxerBase::WritePacket");
  return rc;
}

int MCMuxerBase::WriteHead(AVDictionary** options) {
  static const char* kName = "MCMuxerBase::WriteHead";
  if (context_ == nullptr) {
    error_.SetError(AVERROR(EINVAL), kName);
    return AVERROR(EINVAL);
  }
  AVDictionary* local = nullptr;
  AVDictionary** opts = options ? options : &local;
  if (NameIs(FormatName(), "mp3")) av_dict_set(opts, "id3v2_version", "3", 0);
  int rc = 0;
  if (!(context_->oformat->flags & AVFMT_NOFILE)) {
    rc = file_.Begin(path_);
    if (rc >= 0) rc = avio_open(&context_->pb, file_.WritePath().c_str(), AVIO_FLAG_WRITE);
    // Muxers that read their own output back (moving an index to the
    // front) open it by this name.
    if (rc >= 0) {
      av_free(context_->url);
      context_->url = av_strdup(file_.WritePath().c_str());
    }
  }
  if (rc >= 0) rc = avformat_write_header(context_, opts);
  av_dict_free(&local);
  if (rc < 0) error_.SetError(rc, kName);
  return rc;
}

int MCMuxerBase::WriteTrailer() {
  if (context_ == nullptr) {
    error_.SetError(AVERROR(EINVAL), "MCMuxerBase::WriteTrailer");
    return AVERROR(EINVAL);
  }
  int rc = av_write_trailer(context_);
  // A write that failed on the way (a full disk) shows only at the close.
  const int closed = CloseFile();
  if (rc >= 0 && closed < 0) rc = closed;
  if (rc >= 0) rc = file_.Commit();
  if (rc < 0) {
    file_.Discard();
    error_.SetError(rc, "MCMuxerBase::WriteTrailer");
  }
  return rc;
}

int64_t MCDefaultAudioBitRate(AVCodecID codec, int* sampleRate) {
  if (*sampleRate < 8000) *sampleRate = 8000;
  const int64_t base = static_cast<int64_t>(*sampleRate) * 8 / 16000 * 16000;
  if (codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP3) {
    static const int kL2[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    static const int kL3[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kHalf[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const int r = *sampleRate;
    const int* row;
    if (r == 22050 || r == 24000 || r == 16000) {
      row = kHalf;
    } else {
      if (r != 44100 && r != 48000 && r != 32000) *sampleRate = 44100;
      row = codec == AV_CODEC_ID_MP2 ? kL2 : kL3;
    }
    for (int i = 0; i < 14; ++i) {
      if (row[i] >= base / 1000) return 1000LL * row[i];
    }
    return 1000LL * row[13];
  }
  if (codec == AV_CODEC_ID_VORBIS || codec == AV_CODEC_ID_OPUS) return base / 2;
  return base;
}

int MCGetOutputStreamParams(const MCConvertParam& param, AVCodecID defaultCodec, const AVStream* input,
                            AVFormatContext* inputContext, AVCodecParameters** outParams, AVDictionary** outOptions,
                            AVRational* outTimeBase) {
  const AVCodecParameters* in = input->codecpar;
  const int type = in->codec_type;
  AVCodecID id = defaultCodec;
  if (type >= 0 && type < 5 && param.codecIds[type] != 0) id = static_cast<AVCodecID>(param.codecIds[type]);
  const AVCodec* codec = avcodec_find_encoder(id);
  if (codec == nullptr && id == in->codec_id) codec = avcodec_find_decoder(id);
  if (codec == nullptr || codec->type != in->codec_type) return AVERROR(EINVAL);
  AVCodecParameters* p = avcodec_parameters_alloc();
  if (p == nullptr) return AVERROR(ENOMEM);
  p->codec_id = id;
  p->codec_type = in->codec_type;
  AVDictionary* opts = nullptr;
  AVRational tb{1, 25};
  if (type == AVMEDIA_TYPE_VIDEO) {
    p->bit_rate = param.videoBitRateFactor == 1.0f ? 0
                                                   : static_cast<int64_t>(static_cast<double>(in->bit_rate) *
                                                                          param.videoBitRateFactor);
    if (param.videoBitRate > 0) p->bit_rate = param.videoBitRate;
    p->width = (param.width > 0 ? param.width : in->width) & ~1;
    p->height = (param.height > 0 ? param.height : in->height) & ~1;
    p->chroma_location = in->chroma_location;
    p->format = AV_PIX_FMT_YUV420P;
    const AVRational fr = av_guess_frame_rate(inputContext, const_cast<AVStream*>(input), nullptr);
    const double f = av_q2d(fr), r = av_q2d(input->r_frame_rate);
    tb = ((f > 1 && r > 1) || (f < 1 && r < 1)) ? av_inv_q(fr) : fr;
    if (f > 240) tb = AVRational{1, 30};
    if (input->disposition & AV_DISPOSITION_ATTACHED_PIC) tb = AVRational{1, 25};
    if (tb.num <= 0 || tb.den <= 0) tb = AVRational{1, 25};
    if (param.videoQuality > 0) {
      switch (id) {
        case AV_CODEC_ID_MPEG1VIDEO: case AV_CODEC_ID_MPEG2VIDEO: case AV_CODEC_ID_H263: case AV_CODEC_ID_RV20:
        case AV_CODEC_ID_MPEG4: case AV_CODEC_ID_FLV1: case AV_CODEC_ID_H264: case AV_CODEC_ID_THEORA:
        case AV_CODEC_ID_VP8: case AV_CODEC_ID_VP9: case AV_CODEC_ID_HEVC:
          av_dict_set(&opts, "crf", param.videoQuality == 1 ? "17" : param.videoQuality == 2 ? "23" : "29", 0);
          break;
        default:
          break;
      }
    }
    if (id == AV_CODEC_ID_GIF && param.stream.gifPalette) av_dict_set(&opts, "pal8select", "1", 0);
    for (const auto& [k, v] : param.videoOptions) av_dict_set(&opts, k.c_str(), v.c_str(), 0);
  } else if (type == AVMEDIA_TYPE_AUDIO) {
    p->format = in->format;
    p->sample_rate = param.sampleRate > 0 ? param.sampleRate : in->sample_rate;
    int channels = param.channels > 0 ? param.channels : in->ch_layout.nb_channels;
    if (param.audioBitRate > 0) {
      p->bit_rate = static_cast<int64_t>(param.audioBitRate * 1000);
      MCFixAudioParams(id, &p->bit_rate, &p->sample_rate, &channels);
    } else {
      int rate = p->sample_rate;
      p->bit_rate = MCDefaultAudioBitRate(id, &rate);
      // The bit-rate table knows no MPEG-2.5 rates (8000, 11025, 12000) and
      // moves them to 44100. A stream already in the output codec, of which
      // no rate was asked, keeps its own: otherwise it could not be copied,
      // and a job that only rewrites tags would resample the audio.
      const bool keepOwnRate = param.copyWhenSame && param.sampleRate <= 0 && id == in->codec_id;
      if (!keepOwnRate) p->sample_rate = rate;
    }
    // An input with the same channel count keeps its own layout (also an
    // unspecified one), so that a stream copy compares equal.
    if (channels == in->ch_layout.nb_channels && (in->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC || id == in->codec_id)) {
      av_channel_layout_copy(&p->ch_layout, &in->ch_layout);
    } else {
      av_channel_layout_default(&p->ch_layout, channels);
    }
    if (id == AV_CODEC_ID_FLAC && param.flacLevel != 0) {
      av_dict_set_int(&opts, "compression_level", param.flacLevel, 0);
    } else if (id == AV_CODEC_ID_VORBIS && param.vorbisQuality != 0) {
      av_dict_set_int(&opts, "global_quality", static_cast<int64_t>(param.vorbisQuality) * 118, 0);
      av_dict_set(&opts, "flags", "+qscale", AV_DICT_APPEND);
    }
    tb = AVRational{1, p->sample_rate > 0 ? p->sample_rate : 44100};
    for (const auto& [k, v] : param.audioOptions) av_dict_set(&opts, k.c_str(), v.c_str(), 0);
  } else if (type == AVMEDIA_TYPE_SUBTITLE) {
    p->width = in->width;
    p->height = in->height;
    tb = input->time_base;
  }
  *outParams = p;
  *outOptions = opts;
  *outTimeBase = tb;
  return 0;
}

void MCCopyEncoderToStream(AVStream* stream, const AVCodecContext* encoder) {
  for (int i = 0; i < encoder->nb_coded_side_data; ++i) {
    const AVPacketSideData& sd = encoder->coded_side_data[i];
    uint8_t* dst = av_stream_new_side_data(stream, sd.type, sd.size);
    if (dst == nullptr) break;
    std::memcpy(dst, sd.data, sd.size);
  }
  avcodec_parameters_from_context(stream->codecpar, encoder);
  stream->time_base = encoder->time_base;
  if (encoder->codec_type == AVMEDIA_TYPE_VIDEO && encoder->time_base.num > 0) {
    stream->avg_frame_rate = av_inv_q(encoder->time_base);
    stream->r_frame_rate = stream->avg_frame_rate;
  }
}

int MCCopyMetadata(MCMediaTags& tags, const MCDeMuxerBase* demuxer, MCMuxerBase* muxer) {
  AVFormatContext* in = demuxer ? demuxer->Context() : nullptr;
  AVFormatContext* out = muxer ? muxer->Context() : nullptr;
  if (in == nullptr || out == nullptr) return AVERROR(EINVAL);
  AVStream* inAudio = demuxer->audioIndex >= 0 ? in->streams[demuxer->audioIndex] : nullptr;
  AVStream* outAudio = nullptr;
  for (unsigned i = 0; i < out->nb_streams; ++i) {
    if (out->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
      outAudio = out->streams[i];
      break;
    }
  }
  const bool ogg = in->iformat && NameIs(in->iformat->name, "ogg");
  tags.ReadTags(ogg && inAudio ? inAudio->metadata : in->metadata, false);
  const bool utf8 = MCSupportsTags(WStringFromUtf8(out->url ? out->url : ""));
  AVDictionary* dict = tags.WriteTags(utf8);
  int rc = av_dict_copy(&out->metadata, dict, 0);
  av_dict_free(&dict);
  if (inAudio != nullptr && outAudio != nullptr) {
    rc = av_dict_copy(&outAudio->metadata, inAudio->metadata, AV_DICT_DONT_OVERWRITE);
    // A picture's turn means nothing on a sound stream: the output drops it,
    // the input (read on) stays as it was.
    av_dict_set(&outAudio->metadata, "rotate", nullptr, 0);
    // Containers that keep tags per stream (ogg) would write the input's
    // old texts copied above: the job's texts replace them.
    AVDictionary* mine = tags.WriteTags(utf8);
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(mine, "", e, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
      av_dict_set(&outAudio->metadata, e->key, e->value, 0);
    }
    av_dict_free(&mine);
  }
  return rc;
}
