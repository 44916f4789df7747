#include "MCHookSteps.h"

namespace mchook {

int64_t ItemTime(const MCStateMachine* m) {
  const int s = m->slot;
  if (s == 3) return m->subtitle.pts;
  if (s < 0 || m->frame == nullptr || m->frame->pts == AV_NOPTS_VALUE) return 0;
  if (s == 1 && m->decoders[1] != nullptr && m->decoders[1]->Context()->sample_rate > 0) {
    return av_rescale_q(m->frame->pts, AVRational{1, m->decoders[1]->Context()->sample_rate}, kMicroseconds);
  }
  return m->inStreams[s] ? av_rescale_q(m->frame->pts, m->inStreams[s]->time_base, kMicroseconds) : m->frame->pts;
}

void DrainNextDecoder(MCStateMachine* m, int& cursor) {
  m->slot = -1;
  while (cursor + 1 <= 2) {
    const int i = ++cursor;
    if (m->encoders[i] == nullptr || m->decoders[i] == nullptr || m->inStreams[i] == nullptr) continue;
    m->slot = i;
    av_packet_unref(m->packet);
    m->packet->stream_index = m->inStreams[i]->index;
    if (i == 0 && (m->inStreams[0]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      av_packet_ref(m->packet, &m->inStreams[0]->attached_pic);
      m->packet->pts = m->packet->dts = av_rescale_q(m->position, kMicroseconds, m->inStreams[0]->time_base);
      m->packet->stream_index = m->inStreams[0]->index;
    }
    m->previous = kStateFlush;
    m->current = kStateDeCode;
    return;
  }
}

int64_t InputDuration(const MCStateMachine* m) {
  const AVFormatContext* in = m->demuxer ? m->demuxer->Context() : nullptr;
  return in && in->duration > 0 ? in->duration : 1;
}

int64_t TakeBestStreams(MCStateMachine* m) {
  AVFormatContext* in = m->demuxer->Context();
  const int indexes[5] = {m->demuxer->videoIndex, m->demuxer->audioIndex, -1,
                          m->param.keepSubtitle ? m->demuxer->subtitleIndex : -1, -1};
  for (int s = 0; s < 5; ++s) {
    m->inStreams[s] = indexes[s] >= 0 && indexes[s] < static_cast<int>(in->nb_streams) ? in->streams[indexes[s]]
                                                                                        : nullptr;
  }
  return in->start_time != AV_NOPTS_VALUE ? in->start_time : 0;
}

bool OpenDecoder(MCStateMachine* m, int slot) {
  AVStream* st = m->inStreams[slot];
  m->decoders[slot] = new MCDeCoderBase();
  if (m->decoders[slot]->InitDeCoder(st->codecpar, st->time_base.num, st->time_base.den, nullptr) < 0) {
    m->current = kStateError;
    return false;
  }
  const int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : av_rescale_q(st->start_time, st->time_base, kMicroseconds);
  if (start < m->startTime) m->startTime = start;
  return true;
}

}  // namespace mchook
