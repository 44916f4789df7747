#include <cstring>

#include "MCStates.h"

namespace {

constexpr int64_t kJumpThreshold = 10000000;
// Consecutive failed reads after which the input counts as unreadable.
constexpr int kMaxReadFailures = 64;

const AVRational kMicroseconds{1, AV_TIME_BASE};

bool IsAttachedPic(const AVStream* s) { return s != nullptr && (s->disposition & AV_DISPOSITION_ATTACHED_PIC); }

bool StartsWithStartCode(const AVPacket* p) {
  if (p->size >= 3 && p->data[0] == 0 && p->data[1] == 0 && p->data[2] == 1) return true;
  return p->size >= 4 && p->data[0] == 0 && p->data[1] == 0 && p->data[2] == 0 && p->data[3] == 1;
}

// Writes the packet in the machine for slot: bitstream filter, time base,
// muxer. Returns the write result.
int WriteSlotPacket(MCStateMachine* m, int s) {
  AVPacket* pkt = m->packet;
  pkt->stream_index = m->outStreams[s]->index;
  if (m->bsfs[s] != nullptr) {
    if (!(!m->bsfStarted[s] && s == 0 && StartsWithStartCode(pkt))) {
      m->bsfStarted[s] = true;
      int rc = av_bsf_send_packet(m->bsfs[s], pkt);
      if (rc >= 0) rc = av_bsf_receive_packet(m->bsfs[s], pkt);
      if (rc < 0) return rc;
      pkt->stream_index = m->outStreams[s]->index;
    }
  }
  if (!m->copy[s]) av_packet_rescale_ts(pkt, m->encoders[s]->Context()->time_base, m->outStreams[s]->time_base);
  return m->muxer->WritePacket(pkt);
}

}  // namespace

int StateDeMux::StateHandle(MCStateMachine* m) {
  if (isMp3_ < 0) isMp3_ = std::strcmp(m->muxer->FormatName(), "mp3") == 0 ? 1 : 0;
  next_ = kStateDeMux;
  AVPacket* pkt = m->packet;
  const int rc = m->demuxer->GetStreamPacket(pkt);
  if (rc == AVERROR_EOF) {
    next_ = kStateFlush;
    return rc;
  }
  if (rc < 0) {
    // Reading again is worth a few tries; an input that keeps failing
    // ends the run instead of being read for ever.
    if (++failures_ >= kMaxReadFailures) {
      if (!m->demuxer->error_.IsSet()) m->demuxer->error_.SetError(rc, "MCDeMuxerBase::GetStreamPacket");
      next_ = kStateError;
    }
    return rc;
  }
  failures_ = 0;
  int s = -1;
  for (int i = 0; i < 5; ++i) {
    if (m->inStreams[i] != nullptr && m->inStreams[i]->index == pkt->stream_index) {
      s = i;
      break;
    }
  }
  if (s < 0) return 0;
  AVStream* st = m->inStreams[s];
  if (m->outStreams[s] == nullptr || IsAttachedPic(st)) {
    m->slot = s;
    return 0;
  }
  next_ = kStateDeCode;
  if (!offsetSet_) {
    tsOffset_ = -m->startTime;
    offsetSet_ = true;
  }
  const int64_t shift = av_rescale_q(tsOffset_, kMicroseconds, st->time_base);
  if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += shift;
  if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += shift;
  if (m->param.fixTimestamps && (s == 0 || s == 1)) FixJumps(m, st);
  if (pkt->pts != AV_NOPTS_VALUE) lastPts_[s] = av_rescale_q(pkt->pts, st->time_base, kMicroseconds);
  if (pkt->dts != AV_NOPTS_VALUE) {
    lastDts_[s] = av_rescale_q(pkt->dts, st->time_base, kMicroseconds);
    m->position = lastDts_[s];
  }
  if (m->copy[s]) {
    av_packet_rescale_ts(pkt, st->time_base, m->outStreams[s]->time_base);
    next_ = kStateMux;
  } else if (isMp3_ == 1 && s == 0 && !IsAttachedPic(m->outStreams[0])) {
    next_ = kStateDeMux;
  }
  m->slot = s;
  return 0;
}

void StateDeMux::FixJumps(MCStateMachine* m, AVStream* st) {
  AVPacket* pkt = m->packet;
  const int s = m->slot >= 0 && m->inStreams[m->slot] == st ? m->slot : (st == m->inStreams[0] ? 0 : 1);
  if (pkt->dts != AV_NOPTS_VALUE) {
    const int64_t d = av_rescale_q_rnd(pkt->dts, st->time_base, kMicroseconds,
                                       static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    const int64_t delta = d - nextDts_[s];
    const AVFormatContext* in = m->demuxer->Context();
    if (in->iformat->flags & AVFMT_TS_DISCONT) {
      const int64_t last = lastPts_[s] > lastDts_[s] ? lastPts_[s] : lastDts_[s];
      if (delta < -kJumpThreshold || delta > kJumpThreshold || d + 100000 < last) {
        tsOffset_ -= delta;
        const int64_t back = av_rescale_q(delta, kMicroseconds, st->time_base);
        pkt->dts -= back;
        if (pkt->pts != AV_NOPTS_VALUE) pkt->pts -= back;
      }
    } else {
      if (delta < -kJumpThreshold || delta > kJumpThreshold) pkt->dts = AV_NOPTS_VALUE;
      if (pkt->pts != AV_NOPTS_VALUE) {
        const int64_t p = av_rescale_q(pkt->pts, st->time_base, kMicroseconds);
        if (p - nextDts_[s] > kJumpThreshold || p - nextDts_[s] < -kJumpThreshold) pkt->pts = AV_NOPTS_VALUE;
      }
    }
  }
  if (pkt->dts == AV_NOPTS_VALUE) {
    pkt->dts = av_rescale_q(nextDts_[s], kMicroseconds, st->time_base);
  } else {
    nextDts_[s] = av_rescale_q(pkt->dts, st->time_base, kMicroseconds);
  }
  if (pkt->duration > 0) nextDts_[s] += av_rescale_q(pkt->duration, st->time_base, kMicroseconds);
}

int StateDeCode::StateHandle(MCStateMachine* m) {
  const int s = m->slot;
  MCDeCoderBase* decoder = s >= 0 ? m->decoders[s] : nullptr;
  if (decoder == nullptr) {
    next_ = kStateDeMux;
    return 0;
  }
  if (m->previous == kStateDeMux || m->previous == kStateFlush) decoder->SendPacket(m->packet);
  const int rc = decoder->ReceiveFrame(m->frame, &m->subtitle);
  if (rc == 0) next_ = kStateConvert;
  else if (rc == AVERROR_EOF) next_ = s == 3 ? kStateDeMux : kStateFlush;
  else next_ = kStateDeMux;
  return rc;
}

int StateConvert::StateHandle(MCStateMachine* m) {
  const int s = m->slot;
  next_ = kStateDeCode;
  if (s == 3) {
    next_ = kStateEnCode;
    return 0;
  }
  MCIImageConvert* video = s == 0 ? m->imageConverter : nullptr;
  MCIAudioConvert* audio = s == 1 ? m->audioConverter : nullptr;
  if (video == nullptr && audio == nullptr) {
    av_frame_unref(m->frame);
    return 0;
  }
  int rc;
  if (m->previous == kStateDeCode) {
    rc = video ? video->SendFrameConvert(m->frame) : audio->SendFrameConvert(m->frame);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return rc;
    if (rc < 0) {
      next_ = kStateError;
      return rc;
    }
  }
  rc = video ? video->GetFrameConvert(m->frame) : audio->GetFrameConvert(m->frame);
  if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return rc;
  if (rc < 0) {
    next_ = kStateError;
    return rc;
  }
  const AVCodecContext* enc = m->encoders[s]->Context();
  const AVRational from = s == 1 ? AVRational{1, enc->sample_rate} : m->inStreams[s]->time_base;
  if (m->frame->pts != AV_NOPTS_VALUE) m->frame->pts = av_rescale_q(m->frame->pts, from, enc->time_base);
  next_ = kStateEnCode;
  return 0;
}

int StateEnCode::StateHandle(MCStateMachine* m) {
  const int s = m->slot;
  MCEnCoderBase* encoder = s >= 0 ? m->encoders[s] : nullptr;
  if (encoder == nullptr) {
    next_ = kStateError;
    return AVERROR(EINVAL);
  }
  int rc = 0;
  if (m->previous == kStateConvert) rc = encoder->SendFrame(m->frame, s == 3 ? &m->subtitle : nullptr);
  if (rc == 0) rc = encoder->EnCodeFrame(m->packet);
  if (rc == 0) next_ = kStateMux;
  else if (rc == AVERROR(EAGAIN)) next_ = s == 3 ? kStateDeCode : kStateConvert;
  else if (rc == AVERROR_EOF) next_ = kStateFlush;
  else next_ = kStateError;
  return rc;
}

int StateMux::StateHandle(MCStateMachine* m) {
  const int s = m->slot;
  int rc = (s >= 0 && m->outStreams[s] != nullptr) ? WriteSlotPacket(m, s) : AVERROR(EINVAL);
  if (!m->param.stopOnCopyError && s >= 0 && m->copy[s]) rc = 0;
  if (rc < 0) {
    m->error.SetError(rc, "StateMux::StateHandle");
    next_ = kStateError;
    return rc;
  }
  next_ = m->copy[s] ? kStateDeMux : kStateEnCode;
  return 0;
}

int StateFlush::StateHandle(MCStateMachine* m) {
  if (m->previous == kStateDeMux || m->previous == kStateEnCode) {
    m->slot = -1;
    while (cursor_ + 1 <= 2) {
      const int i = ++cursor_;
      if (m->outStreams[i] == nullptr || m->copy[i]) continue;
      m->slot = i;
      av_packet_unref(m->packet);
      AVStream* st = m->inStreams[i];
      if (st != nullptr) {
        m->packet->stream_index = st->index;
        next_ = kStateDeCode;
        if (i == 0 && IsAttachedPic(st)) {
          // The cover is decoded and encoded once, at the end.
          av_packet_ref(m->packet, &st->attached_pic);
          const bool mp3 = std::strcmp(m->muxer->FormatName(), "mp3") == 0;
          m->packet->pts = m->packet->dts = mp3 ? 0 : av_rescale_q(m->position, kMicroseconds, st->time_base);
          m->packet->stream_index = st->index;
        }
      }
      break;
    }
  }
  if (m->slot == -1) {
    const int rc = m->muxer->WriteTrailer();
    next_ = rc < 0 ? kStateError : kStateDone;
    return rc;
  }
  if (m->previous != kStateDeCode) return 0;
  // The slot's decoder has drained: take what the converter still holds,
  // then drain the encoder.
  const int s = m->slot;
  MCEnCoderBase* encoder = m->encoders[s];
  if (encoder == nullptr) {
    next_ = kStateError;
    return AVERROR(EINVAL);
  }
  if (s == 1 && m->audioConverter != nullptr) m->audioConverter->SignalEnd();
  MCIImageConvert* video = s == 0 ? m->imageConverter : nullptr;
  MCIAudioConvert* audio = s == 1 ? m->audioConverter : nullptr;
  int rc = 0;
  while ((video || audio) && rc >= 0) {
    rc = video ? video->GetFrameConvert(m->frame) : audio->GetFrameConvert(m->frame);
    if (rc < 0) break;
    const AVCodecContext* enc = encoder->Context();
    const AVRational from = s == 1 ? AVRational{1, enc->sample_rate} : m->inStreams[s]->time_base;
    if (m->frame->pts != AV_NOPTS_VALUE) m->frame->pts = av_rescale_q(m->frame->pts, from, enc->time_base);
    rc = encoder->SendFrame(m->frame, nullptr);
    if (rc == AVERROR(EAGAIN)) rc = 0;  // a repeated timestamp: the frame is dropped
    while (rc >= 0 && encoder->EnCodeFrame(m->packet) == 0) {
      rc = WriteSlotPacket(m, s);
      if (rc < 0) m->error.SetError(rc, "StateMux::StateHandle");
    }
  }
  if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
    next_ = kStateError;
    return rc;
  }
  rc = encoder->SendFrame(nullptr, nullptr);
  next_ = (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) ? kStateError : kStateEnCode;
  return rc;
}

int StateError::StateHandle(MCStateMachine* m) {
  next_ = kStateDone;
  const MCErrorInfo* found = nullptr;
  auto consider = [&found](const MCErrorInfo& e) {
    if (found == nullptr && e.IsSet()) found = &e;
  };
  if (m->demuxer) consider(m->demuxer->error_);
  for (auto* d : m->decoders)
    if (d) consider(d->error_);
  for (auto* e : m->encoders)
    if (e) consider(e->error_);
  if (m->muxer) consider(m->muxer->error_);
  if (m->imageConverter) consider(m->imageConverter->error_);
  if (m->audioConverter) consider(m->audioConverter->error_);
  if (found != nullptr && !m->error.IsSet()) m->error = *found;
  // Reaching this state is a failure even when no component kept a record.
  if (m->error.code == 0) m->error.SetError(AVERROR_UNKNOWN, "StateError::StateHandle");
  return m->error.code;
}
