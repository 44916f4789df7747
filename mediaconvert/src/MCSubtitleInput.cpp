#include "mediaconvert/MCSubtitleInput.h"

#include <algorithm>
#include <cstring>

namespace {

// A subtitle whose end is unknown is shown this long.
constexpr uint32_t kUnknownEndMs = 500;

bool Fits(int width, int height, const AVSubtitleRect* r) {
  return r->x >= 0 && r->y >= 0 && r->x + r->w <= width && r->y + r->h <= height;
}

}  // namespace

int MCSubtitleInput::Open() {
  const int rc = demuxer_.InitDeMuxer(path_.c_str(), nullptr);
  if (rc != 0) return rc;
  // A file of subtitles alone has no start time of its own: its first
  // packet's time is taken when it is read.
  const int64_t start = demuxer_.Context()->start_time;
  timeShift_ = start == AV_NOPTS_VALUE ? -1 : start < 0 ? 0 : start;
  streamIndex_ = demuxer_.subtitleIndex;
  return 0;
}

bool MCSubtitleInput::IsBitmap() const {
  const AVFormatContext* in = demuxer_.Context();
  if (in == nullptr || streamIndex_ < 0) return true;
  const AVCodecDescriptor* d = avcodec_descriptor_get(in->streams[streamIndex_]->codecpar->codec_id);
  return d == nullptr || !(d->props & AV_CODEC_PROP_TEXT_SUB);
}

int MCSubtitleInput::OpenDecoder(int canvasWidth, int canvasHeight) {
  const AVFormatContext* in = demuxer_.Context();
  if (in == nullptr || streamIndex_ < 0) return AVERROR_STREAM_NOT_FOUND;
  const AVStream* st = in->streams[streamIndex_];
  const int rc = decoder_.InitDeCoder(st->codecpar, st->time_base.num, st->time_base.den, nullptr);
  if (rc != 0) return rc;
  canvasWidth_ = canvasWidth;
  canvasHeight_ = canvasHeight;
  const AVCodecDescriptor* d = avcodec_descriptor_get(st->codecpar->codec_id);
  return d != nullptr && (d->props & AV_CODEC_PROP_BITMAP_SUB) ? 0 : AVERROR_FILTER_NOT_FOUND;
}

int MCSubtitleInput::Update(AVFrame* canvas) {
  if (!HasCanvas()) return AVERROR_EOF;
  AVSubtitle subtitle{};
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return AVERROR(ENOMEM);
  int rc;
  for (;;) {
    rc = demuxer_.GetStreamPacket(packet);
    if (rc < 0) break;
    if (packet->stream_index != streamIndex_) {
      av_packet_unref(packet);
      continue;
    }
    if (timeShift_ < 0) {
      const AVStream* st = demuxer_.Context()->streams[streamIndex_];
      const int64_t first = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
      timeShift_ = first == AV_NOPTS_VALUE ? 0 : std::max<int64_t>(0, av_rescale_q(first, st->time_base, AV_TIME_BASE_Q));
    }
    decoder_.SendPacket(packet);
    rc = decoder_.ReceiveFrame(nullptr, &subtitle);
    if (rc == 0) break;
  }
  if (rc == AVERROR_EOF) {
    // The decoder holds the last subtitle back until its input ends.
    av_packet_unref(packet);
    decoder_.SendPacket(packet);
    rc = decoder_.ReceiveFrame(nullptr, &subtitle);
  }
  av_packet_free(&packet);
  if (rc == 0) {
    subtitle.pts -= timeShift_ < 0 ? 0 : timeShift_;
    rc = DrawSubtitle(canvasWidth_, canvasHeight_, &subtitle, canvas);
  }
  avsubtitle_free(&subtitle);
  return rc;
}

int MCSubtitleInput::BlankCanvas(int width, int height, AVFrame* canvas) {
  if (canvas == nullptr) return AVERROR(EINVAL);
  av_frame_unref(canvas);
  canvas->width = width;
  canvas->height = height;
  canvas->format = AV_PIX_FMT_BGRA;
  const int rc = av_frame_get_buffer(canvas, 0);
  if (rc < 0) return rc;
  std::memset(canvas->data[0], 0, static_cast<size_t>(canvas->linesize[0]) * height);
  return 0;
}

int MCSubtitleInput::CopyRect(int width, int height, const AVSubtitleRect* r, uint8_t* dst, int dstLinesize) {
  if (!Fits(width, height, r)) {
    av_log(nullptr, AV_LOG_WARNING, "sub2video: rectangle (%d %d %d %d) overflowing %d %d\n", r->x, r->y, r->w, r->h,
           width, height);
    return AVERROR(EINVAL);
  }
  const uint32_t* palette = reinterpret_cast<const uint32_t*>(r->data[1]);
  for (int y = 0; y < r->h; ++y) {
    const uint8_t* src = r->data[0] + static_cast<size_t>(y) * r->linesize[0];
    uint32_t* row = reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(r->y + y) * dstLinesize) + r->x;
    for (int x = 0; x < r->w; ++x) row[x] = palette[src[x]];
  }
  return 0;
}

int MCSubtitleInput::DrawSubtitle(int width, int height, AVSubtitle* subtitle, AVFrame* canvas) {
  if (canvas == nullptr || subtitle == nullptr) return AVERROR(EINVAL);
  int rc = BlankCanvas(width, height, canvas);
  if (rc < 0) return rc;
  for (unsigned i = 0; i < subtitle->num_rects; ++i) {
    const AVSubtitleRect* r = subtitle->rects[i];
    if (r->type != SUBTITLE_BITMAP) {
      av_log(nullptr, AV_LOG_WARNING, "sub2video: non-bitmap subtitle\n");
      continue;
    }
    CopyRect(width, height, r, canvas->data[0], canvas->linesize[0]);
  }
  // Unknown, or no later than its start (no stop command).
  if (subtitle->end_display_time == 0xFFFFFFFFu || subtitle->end_display_time <= subtitle->start_display_time) {
    subtitle->end_display_time = subtitle->start_display_time + kUnknownEndMs;
  }
  canvas->pts = subtitle->pts;
  canvas->pkt_duration = av_rescale_q(static_cast<int64_t>(subtitle->end_display_time) - subtitle->start_display_time,
                                      AVRational{1, 1000}, AVRational{1, 1000000});
  return 0;
}
