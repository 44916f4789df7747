#include "z_tolvane/TranslateSubtitle.h"

#include <algorithm>
#include <vector>

#include "mediaconvert/MCLegacyHelpers.h"
#include "mediaconvert/MCLog.h"

int TranslateSubtitle::TranscodePacket(FFmpegFile* input, const AVPacket* packet, int64_t rangeStartUs,
                                       int64_t rangeEndUs, int64_t offsetUs, bool* pastEnd) {
  const AVStream* in = input->GetSubtitleStream();
  AVCodecContext* decoder = input->SubtitleContext();
  if (output_ == nullptr || in == nullptr || decoder == nullptr || packet->pts == AV_NOPTS_VALUE) return 0;
  const int64_t start = in->start_time == AV_NOPTS_VALUE ? 0 : in->start_time;
  const int64_t t = av_rescale_q(packet->pts - start, in->time_base, AV_TIME_BASE_Q);
  if (t >= rangeEndUs) {
    *pastEnd = true;
    return 0;
  }
  if (t < rangeStartUs) return 0;

  AVSubtitle subtitle{};
  int got = 0;
  int rc = avcodec_decode_subtitle2(decoder, &subtitle, &got, const_cast<AVPacket*>(packet));
  if (rc < 0 || !got) return rc < 0 ? rc : 0;
  // The display times become part of the subtitle's own time, so the
  // packet carries them exactly.
  subtitle.pts = t - rangeStartUs + offsetUs + int64_t{subtitle.start_display_time} * 1000;
  const uint32_t shown = subtitle.end_display_time > subtitle.start_display_time
                             ? subtitle.end_display_time - subtitle.start_display_time
                             : uint32_t{0};
  subtitle.end_display_time = shown;
  subtitle.start_display_time = 0;
  if (shown == 0 && packet->duration > 0) {
    subtitle.end_display_time = static_cast<uint32_t>(av_rescale_q(packet->duration, in->time_base, AVRational{1, 1000}));
  }

  // Freeing the subtitle clears it: keep its times.
  const int64_t outPts = subtitle.pts;
  const int64_t shownMs = subtitle.end_display_time;
  AVCodecContext* encoder = output_->SubtitleContext();
  std::vector<uint8_t> buffer(kMaxEncodedBytes);
  const int size = avcodec_encode_subtitle(encoder, buffer.data(), kMaxEncodedBytes, &subtitle);
  avsubtitle_free(&subtitle);
  if (size < 0) {
    MCLogPrintf("Could not encode frame (error '%s')\n", MCErrorText(size).c_str());
    return size;
  }
  AVPacket* out = av_packet_alloc();
  if (out == nullptr) return AVERROR(ENOMEM);
  if ((rc = av_new_packet(out, size)) >= 0) {
    std::copy(buffer.begin(), buffer.begin() + size, out->data);
    const AVStream* st = output_->GetSubtitleStream();
    out->pts = out->dts = av_rescale_q(outPts, AV_TIME_BASE_Q, st->time_base);
    out->duration = av_rescale_q(shownMs, AVRational{1, 1000}, st->time_base);
    out->stream_index = st->index;
    endTime_ = outPts + shownMs * 1000;
    rc = av_interleaved_write_frame(output_->FormatContext(), out);
  }
  av_packet_free(&out);
  return rc;
}
