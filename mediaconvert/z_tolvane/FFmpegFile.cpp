#include "z_tolvane/FFmpegFile.h"

#include <sys/stat.h>

#include <cctype>
#include <cmath>

extern "C" {
#include <libavutil/display.h>
}

#include "base/CodePage.h"
#include "base/FileNaming.h"
#include "mediaconvert/MCCodecCaps.h"
#include "mediaconvert/MCDeMuxer.h"
#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMediaInfo.h"

namespace {

// A stream "without a first timestamp": a cover picture, or a stream whose
// start is unknown. A later stream with timestamps replaces it.
bool LacksFirstTimestamp(const AVStream* s) {
  return (s->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0 || s->start_time == AV_NOPTS_VALUE;
}

double StreamSeconds(const AVStream* s) {
  const double seconds = static_cast<double>(av_rescale_q(s->duration, s->time_base, AVRational{1, 1000})) / 1000.0;
  return seconds < 0 ? 0.0 : seconds;
}

void CopyMetadata(const AVDictionary* dict, std::map<std::string, std::string>& out) {
  const AVDictionaryEntry* e = nullptr;
  while ((e = av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX)) != nullptr) out[e->key] = e->value;
}

}  // namespace

FFmpegFile::~FFmpegFile() {
  FreeDecoders();
  if (format_ != nullptr && format_->nb_streams > 0) {
    if (format_->iformat != nullptr) {
      avformat_close_input(&format_);
    } else {
      if (!(format_->oformat && (format_->oformat->flags & AVFMT_NOFILE))) avio_closep(&format_->pb);
      avformat_free_context(format_);
      format_ = nullptr;
    }
  } else if (format_ != nullptr) {
    if (format_->iformat != nullptr) avformat_close_input(&format_);
    else avformat_free_context(format_);
  }
}

void FFmpegFile::FreeDecoders() {
  avcodec_free_context(&videoCtx_);
  avcodec_free_context(&audioCtx_);
  avcodec_free_context(&subtitleCtx_);
}

AVStream* FFmpegFile::StreamAt(int index) const {
  if (format_ == nullptr || index < 0 || index >= static_cast<int>(format_->nb_streams)) return nullptr;
  return format_->streams[index];
}

MCMedia* FFmpegFile::Open(const char* path, bool openAudio, bool openVideo) {
  openError_ = AVERROR(EINVAL);
  if (path == nullptr) return nullptr;
  path_ = WStringFromUtf8(path);
  openError_ = OpenInput(path, openAudio, openVideo);
  if (openError_ != 0) return nullptr;
  return BuildMedia();
}

int FFmpegFile::OpenInput(const char* path, bool openAudio, bool openVideo) {
  AVFormatContext* ctx = avformat_alloc_context();
  if (ctx == nullptr) return AVERROR(ENOMEM);
  int rc = avformat_open_input(&ctx, path, nullptr, nullptr);
  if (rc < 0) {
    MCLogPrintf("create input error \n%s %d\n", __FILE__, __LINE__);
    return rc;
  }
  format_ = ctx;
  const AVCodec* audioCodec = nullptr;
  const AVCodec* videoCodec = nullptr;
  const AVCodec* subtitleCodec = nullptr;
  AVCodecContext* audio = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* subtitle = nullptr;
  auto fail = [&](int code) {
    avcodec_free_context(&audio);
    avcodec_free_context(&video);
    avcodec_free_context(&subtitle);
    avformat_close_input(&format_);
    audioIndex_ = videoIndex_ = subtitleIndex_ = -1;
    return code;
  };

  rc = avformat_find_stream_info(ctx, nullptr);
  if (rc < 0) {
    MCLogPrintf("without input stream in the video \n%s %d\n", __FILE__, __LINE__);
    return fail(rc);
  }
  if (ctx->iformat != nullptr && ctx->iformat->name != nullptr) {
    MCFmtBugfixerRegistry registry;
    if (IFmtBugfixer* fixer = registry.Create(ctx->iformat->name)) {
      fixer->Fix(ctx);
      delete fixer;
    }
  }

  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    AVStream* s = ctx->streams[i];
    switch (s->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO:
        if (videoIndex_ < 0 || (LacksFirstTimestamp(ctx->streams[videoIndex_]) && !LacksFirstTimestamp(s))) {
          videoIndex_ = static_cast<int>(i);
          videoCodec = avcodec_find_decoder(s->codecpar->codec_id);
          // Without a decoder the stream's facts still stand; only a caller
          // that asked to decode the picture has lost something.
          if (videoCodec == nullptr && openVideo) {
            MCLogPrintf("can't create vcodec \n%s %d\n", __FILE__, __LINE__);
            return fail(AVERROR_DECODER_NOT_FOUND);
          }
        }
        break;
      case AVMEDIA_TYPE_AUDIO:
        if (audioIndex_ < 0 || (LacksFirstTimestamp(ctx->streams[audioIndex_]) && !LacksFirstTimestamp(s))) {
          audioIndex_ = static_cast<int>(i);
          audioCodec = avcodec_find_decoder(s->codecpar->codec_id);
          if (audioCodec == nullptr) {
            MCLogPrintf("can't create acodec \n%s %d\n", __FILE__, __LINE__);
            return fail(AVERROR_DECODER_NOT_FOUND);
          }
        }
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        if (subtitleIndex_ < 0) {
          subtitleCodec = avcodec_find_decoder(s->codecpar->codec_id);
          if (subtitleCodec != nullptr) subtitleIndex_ = static_cast<int>(i);
          else MCLogPrintf("can't create acodec \n%s %d\n", __FILE__, __LINE__);
        }
        break;
      default:
        break;
    }
  }

  if (audioCodec != nullptr && openAudio) {
    AVStream* s = ctx->streams[audioIndex_];
    audio = avcodec_alloc_context3(audioCodec);
    if (audio == nullptr) {
      MCLogPrintf("can't create audioctx \n%s %d\n", __FILE__, __LINE__);
      return fail(AVERROR(ENOMEM));
    }
    if ((rc = avcodec_parameters_to_context(audio, s->codecpar)) < 0) {
      MCLogPrintf("copy context error\n%s %d\n", __FILE__, __LINE__);
      return fail(rc);
    }
    audio->pkt_timebase = AVRational{1, audio->sample_rate > 0 ? audio->sample_rate : 1};
    if ((rc = avcodec_open2(audio, audioCodec, nullptr)) < 0) {
      av_log(nullptr, AV_LOG_ERROR, "Cannot open audio decoder\n");
      return fail(rc);
    }
  }
  if (videoCodec != nullptr && openVideo) {
    AVStream* s = ctx->streams[videoIndex_];
    video = avcodec_alloc_context3(videoCodec);
    if (video == nullptr) {
      MCLogPrintf("can't create videoctx\n%s %d\n", __FILE__, __LINE__);
      return fail(AVERROR(ENOMEM));
    }
    if ((rc = avcodec_parameters_to_context(video, s->codecpar)) < 0) {
      MCLogPrintf("copy context error\n%s %d\n", __FILE__, __LINE__);
      return fail(rc);
    }
    video->framerate = av_guess_frame_rate(ctx, s, nullptr);
    if ((rc = avcodec_open2(video, videoCodec, nullptr)) < 0) {
      av_log(nullptr, AV_LOG_ERROR, "Cannot open video decoder\n%s %d\n", __FILE__, __LINE__);
      return fail(rc);
    }
  }
  if (subtitleCodec != nullptr && subtitleIndex_ >= 0) {
    AVStream* s = ctx->streams[subtitleIndex_];
    subtitle = avcodec_alloc_context3(subtitleCodec);
    if (subtitle == nullptr) {
      MCLogPrintf("can't create subtitilectx\n%s %d\n", __FILE__, __LINE__);
      return fail(AVERROR(ENOMEM));
    }
    if ((rc = avcodec_parameters_to_context(subtitle, s->codecpar)) < 0) {
      MCLogPrintf("copy context error\n%s %d\n", __FILE__, __LINE__);
      return fail(rc);
    }
    if ((rc = avcodec_open2(subtitle, subtitleCodec, nullptr)) < 0) {
      av_log(nullptr, AV_LOG_ERROR, "Cannot open video decoder\n%s %d\n", __FILE__, __LINE__);
      return fail(rc);
    }
  }
  audioCtx_ = audio;
  videoCtx_ = video;
  subtitleCtx_ = subtitle;
  return 0;
}

MCMedia* FFmpegFile::BuildMedia() const {
  auto* media = new MCMedia();
  media->path = path_;
  struct stat st {};
  const std::string narrowPath = Utf8FromWString(path_);
  if (!narrowPath.empty() && stat(narrowPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    media->size = static_cast<uint64_t>(st.st_size);
  }
  if (format_ == nullptr) return media;
  auto containerSeconds = [this]() { return static_cast<double>(format_->duration) / 1000000.0; };
  media->duration = containerSeconds();
  if (format_->iformat != nullptr && format_->iformat->name != nullptr) {
    std::wstring name = WStringFromUtf8(format_->iformat->name);
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    media->formatName = name;
    media->formatNames = MCSplitString(name, L",");
    media->tags.SetFormats(format_->iformat->name);
  }
  if (format_->metadata != nullptr) media->tags.ReadTags(format_->metadata, true);

  if (const AVStream* a = GetAudioStream()) {
    media->hasAudio = 1;
    media->audio.channels = a->codecpar->ch_layout.nb_channels;
    media->audio.sampleRate = a->codecpar->sample_rate;
    media->audio.codecId = a->codecpar->codec_id;
    media->audio.bitRate = static_cast<double>(a->codecpar->bit_rate) / 1000.0;
    media->audio.duration = StreamSeconds(a);
    media->audio.timeBaseNum = a->time_base.num;
    media->audio.timeBaseDen = a->time_base.den;
    media->tags.ReadTags(a->metadata, true);
    media->duration = containerSeconds();
    CopyMetadata(a->metadata, media->audio.metadata);
  }
  if (AVStream* v = GetVideoStream()) {
    media->hasVideo = 1;
    media->video.codecName = WStringFromUtf8(avcodec_get_name(v->codecpar->codec_id));
    media->video.width = v->codecpar->width;
    media->video.height = v->codecpar->height;
    media->video.sizeText = std::to_wstring(v->codecpar->width) + L"x" + std::to_wstring(v->codecpar->height);
    media->video.duration = StreamSeconds(v);
    const AVRational rate = MCFixFrameRate(v, av_guess_frame_rate(format_, v, nullptr));
    media->video.frameRateNum = rate.num;
    media->video.frameRateDen = rate.den;
    if (v->r_frame_rate.den != 0 && media->video.duration > 0) {
      media->video.frameCount =
          static_cast<uint64_t>(media->video.duration / v->r_frame_rate.den * v->r_frame_rate.num);
    }
    media->video.bitRate = v->codecpar->bit_rate / 1000;
    media->video.timeBaseNum = v->time_base.num;
    media->video.timeBaseDen = v->time_base.den;
    media->video.codecId = v->codecpar->codec_id;
    CopyMetadata(v->metadata, media->video.metadata);
  }
  if (GetSubtitleStream() != nullptr) media->hasSubtitle = 1;

  const int64_t containerKbps = format_->bit_rate / 1000;
  if (media->hasAudio && (media->audio.bitRate <= 0 || media->audio.bitRate > static_cast<double>(containerKbps))) {
    // MediaInfo's figure replaces an implausible one; without the library
    // FFmpeg's own value stays rather than becoming 0.
    if (MCMediaInfoAvailable()) media->audio.bitRate = MCMediaInfoAudioBitRate(path_);
  }
  if (media->hasVideo && !(media->video.bitRate > 0 && media->video.bitRate <= containerKbps)) {
    const int32_t corrected = MCMediaInfoVideoBitRate(path_);
    media->video.bitRate = corrected > 0 ? corrected : containerKbps;
  }
  if (media->duration <= 0) {
    const double corrected = MCMediaInfoDuration(path_);
    if (corrected > 0 || MCMediaInfoAvailable()) {
      media->duration = corrected;
      media->audio.duration = corrected;
      media->video.duration = corrected;
    } else {
      // FFmpeg's "unknown" would read as a huge negative length.
      media->duration = 0.0;
    }
  }
  return media;
}

bool FFmpegFile::ReadPacket(AVPacket* packet) {
  if (format_ == nullptr || packet == nullptr) return false;
  return av_read_frame(format_, packet) >= 0;
}

bool FFmpegFile::WritePacket(AVPacket* packet) {
  if (format_ == nullptr) return false;
  return av_interleaved_write_frame(format_, packet) >= 0;
}

bool FFmpegFile::WriteHeader() {
  if (format_ == nullptr) return false;
  return avformat_write_header(format_, nullptr) >= 0;
}

bool FFmpegFile::WriteTrailer() {
  if (format_ == nullptr) return false;
  return av_write_trailer(format_) == 0;
}

bool FFmpegFile::FlushVideoDecoder() {
  if (format_ == nullptr || videoCtx_ == nullptr) return false;
  avcodec_flush_buffers(videoCtx_);
  return true;
}

void FFmpegFile::CloseInput() {
  if (format_ != nullptr && format_->iformat != nullptr && format_->nb_streams > 0) avformat_close_input(&format_);
}

std::string FFmpegFile::GetRotateTag() const {
  const AVStream* v = GetVideoStream();
  if (v == nullptr) return std::string();
  const AVDictionaryEntry* e = av_dict_get(v->metadata, "rotate", nullptr, 0);
  return e ? e->value : std::string();
}

void FFmpegFile::CheckDisplayRotation() const {
  const AVStream* v = GetVideoStream();
  if (v == nullptr) return;
  const uint8_t* matrix = av_stream_get_side_data(v, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  double angle = matrix ? -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix)) : 0.0;
  angle -= 360 * std::floor(angle / 360 + 0.0025);
  if (std::fabs(angle - 90 * std::round(angle / 90)) > 2) {
    av_log(nullptr, AV_LOG_WARNING, "Odd rotation angle.\n");
  }
}

bool MCMedia::ExtensionMatchesFormat() const {
  std::wstring ext = GetFileExtW(path);
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  if (ext == L"m4r") ext = L"m4a";
  else if (ext == L"wma") ext = L"asf";
  else if (ext == L"aifc") ext = L"aiff";
  else if (ext == L"mp2") ext = L"mp3";
  for (const std::wstring& name : formatNames) {
    if (name == ext) return true;
  }
  return false;
}

int64_t MCMedia::MsToStreamTime(int64_t ms, int selector) const {
  const AVRational tb = selector < 0 ? AVRational{audio.timeBaseNum, audio.timeBaseDen}
                                     : AVRational{video.timeBaseNum, video.timeBaseDen};
  if (tb.num == 0 || tb.den == 0) return 0;
  return av_rescale_q(ms, AVRational{1, 1000}, tb);
}
