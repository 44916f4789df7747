#include "mediaconvert/MCDeMuxer.h"

#include <cstring>

namespace {

int InterruptCallback(void* opaque) { return static_cast<MCDeMuxerBase*>(opaque)->IsAborted() ? 1 : 0; }

}  // namespace

MCDeMuxerBase::~MCDeMuxerBase() {
  if (context_ != nullptr) avformat_close_input(&context_);
}

int MCDeMuxerBase::InitDeMuxer(const char* path, AVDictionary** options) {
  static const char* kName = "MCDeMuxerBase::InitDeMuxer";
  if (path == nullptr) {
    error_.SetError(AVERROR(EINVAL), kName);
    return AVERROR(EINVAL);
  }
  path_ = path;
  AVFormatContext* ctx = avformat_alloc_context();
  if (ctx == nullptr) {
    error_.SetError(AVERROR(ENOMEM), kName);
    return AVERROR(ENOMEM);
  }
  ctx->interrupt_callback.callback = InterruptCallback;
  ctx->interrupt_callback.opaque = this;

  AVDictionary* local = nullptr;
  AVDictionary** opts = options ? options : &local;
  if (av_dict_get(*opts, "scan_all_pmts", nullptr, AV_DICT_MATCH_CASE) == nullptr) {
    av_dict_set(opts, "scan_all_pmts", "1", AV_DICT_DONT_OVERWRITE);
  }
  int rc = avformat_open_input(&ctx, path, nullptr, opts);
  av_dict_free(opts);
  if (rc < 0) {
    // avformat_open_input frees the context on failure.
    error_.SetError(rc, kName);
    return rc;
  }
  rc = avformat_find_stream_info(ctx, nullptr);
  if (rc < 0) {
    avformat_close_input(&ctx);
    error_.SetError(rc, kName);
    return rc;
  }
  if (ctx->pb != nullptr) ctx->pb->eof_reached = 0;

  videoIndex = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, videoIndex, -1, nullptr, 0);
  audioIndex = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, audioIndex, videoIndex, nullptr, 0);
  subtitleIndex = av_find_best_stream(ctx, AVMEDIA_TYPE_SUBTITLE, subtitleIndex,
                                      audioIndex >= 0 ? audioIndex : videoIndex, nullptr, 0);

  if (ctx->iformat != nullptr && ctx->iformat->name != nullptr) {
    MCFmtBugfixerRegistry registry;
    if (IFmtBugfixer* fixer = registry.Create(ctx->iformat->name)) {
      fixer->Fix(ctx);
      delete fixer;
    }
  }
  context_ = ctx;
  return 0;
}

int MCDeMuxerBase::GetStreamPacket(AVPacket* packet) {
  if (packet == nullptr) return AVERROR(EINVAL);
  av_packet_unref(packet);
  if (context_ == nullptr) return 0;
  const int rc = av_read_frame(context_, packet);
  if (rc == 0) {
    if (packet->pts == AV_NOPTS_VALUE) packet->pts = packet->dts;
  } else if (rc == AVERROR_EOF || rc == AVERROR(EAGAIN)) {
    error_.code = rc;
  } else {
    error_.SetError(rc, "MCDeMuxerBase::GetStreamPacket");
  }
  return rc;
}

int MCDeMuxerBase::GetAttachedPic(AVPacket* packet) {
  if (packet == nullptr) return AVERROR(EINVAL);
  av_packet_unref(packet);
  if (context_ == nullptr) return 0;
  const AVStream* chosen = nullptr;
  if (videoIndex > 0 && (context_->streams[videoIndex]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
    chosen = context_->streams[videoIndex];
  } else {
    for (unsigned i = 0; i < context_->nb_streams; ++i) {
      if (context_->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC) {
        chosen = context_->streams[i];
        break;
      }
    }
  }
  if (chosen == nullptr) return 0;
  const int rc = av_packet_ref(packet, &chosen->attached_pic);
  if (rc < 0) error_.SetError(rc, "MCDeMuxerBase::GetAttachedPic");
  return rc;
}

void MCDeMuxerBase::DiscardStream(unsigned index) {
  if (context_ != nullptr && index < context_->nb_streams) context_->streams[index]->discard = AVDISCARD_ALL;
}

int MCDeMuxerBase::SeekStream(int streamIndex, int64_t timestamp) {
  if (context_ == nullptr) return AVERROR(EINVAL);
  const int rc = avformat_seek_file(context_, streamIndex, INT64_MIN, timestamp, INT64_MAX, AVSEEK_FLAG_BACKWARD);
  if (rc < 0) error_.SetError(rc, "MCDeMuxerBase::SeekStream");
  return rc;
}
