#include <limits>

#include "MCHookSteps.h"
#include "base/CodePage.h"
#include "mediaconvert/MCJobHooks.h"

using mchook::kMicroseconds;

MergeHook::MergeHook(MCMediaConvert* job, std::vector<std::string> inputs, std::string output, int64_t endTime)
    : job_(job), inputs_(std::move(inputs)), output_(std::move(output)), endTime_(endTime) {}

int MergeHook::StatePrepare(MCStateMachine* m) {
  if (m->current == kStateInit) {
    m->param.copyWhenSame = false;
    m->param.fixTimestamps = false;
  } else if (m->previous == kStateDeMux && m->current == kStateDeCode) {
    if (--readCountdown_ < 0) {
      readCountdown_ = m->param.progressInterval;
      if (job_ != nullptr && m->slot >= 0 && m->inStreams[m->slot] != nullptr && m->packet->pts != AV_NOPTS_VALUE) {
        job_->ReportReadProgress(av_rescale_q(m->packet->pts, m->inStreams[m->slot]->time_base, kMicroseconds),
                                 mchook::InputDuration(m), label_);
      }
    }
  } else if (m->previous == kStateConvert && m->current == kStateEnCode) {
    OnItemToEncoder(m);
  } else if (m->current == kStateFlush && doneCount_ != 5 && index_ + 1 < static_cast<int>(inputs_.size())) {
    OnInputEnded(m);
  }
  int rc = 0;
  if (m->previous == kStateInit && m->current == kStateDeMux) rc = OpenNextInput(m);
  mchook::CheckCancel(job_, m);
  return rc;
}

void MergeHook::OnItemToEncoder(MCStateMachine* m) {
  const int s = m->slot;
  if (s < 0 || s > 3 || m->encoders[s] == nullptr) return;
  const AVRational tb = m->encoders[s]->Context()->time_base;
  int64_t t;
  if (s == 3) {
    m->subtitle.pts += offset_;
    lastPts_[3] = std::max(lastPts_[3], m->subtitle.pts);
    t = lastPts_[3];
  } else if (s == 0) {
    t = av_rescale_q(m->frame->pts, tb, kMicroseconds) + offset_;
    m->frame->pts = av_rescale_q(t, kMicroseconds, tb);
    lastPts_[0] = std::max(lastPts_[0], m->frame->pts);
  } else {
    // Sound keeps its pts: its converter was told where this input starts.
    lastPts_[s] = std::max(lastPts_[s], m->frame->pts);
    t = av_rescale_q(lastPts_[s], tb, kMicroseconds);
  }
  if (t > endTime_) {
    mchook::DropItem(m);
    m->previous = kStateEnCode;
    m->current = s == 3 ? kStateDeMux : kStateConvert;
    if (!slotDone_[s]) {
      slotDone_[s] = true;
      ++doneCount_;
    }
    if (doneCount_ == 5) {
      m->previous = kStateDeMux;
      m->current = kStateFlush;
    }
    return;
  }
  if (job_ != nullptr && --writeCountdown_ < 0) {
    writeCountdown_ = m->param.progressInterval;
    job_->ReportWriteProgress(s == 1 ? t - offset_ : t, mchook::InputDuration(m), label_);
  }
}

void MergeHook::OnInputEnded(MCStateMachine* m) {
  if (job_ != nullptr) {
    job_->ReportWriteProgress(100, 100, label_);
    job_->ReportReadProgress(100, 100, label_);
  }
  const int previous = m->previous;
  if (previous == kStateDeMux || previous == kStateEnCode) mchook::DrainNextDecoder(m, cursor_);
  if (m->slot == -1) {
    // Every decoder of this input has drained; the encoders go on.
    ++index_;
    m->previous = kStateInit;
    m->current = kStateDeMux;
  } else if (previous == kStateDeCode) {
    // The demuxer answers end of file again, and the next decoder drains.
    m->previous = kStateFlush;
    m->current = kStateDeMux;
  }
}

int MergeHook::OpenNextInput(MCStateMachine* m) {
  cursor_ = -1;
  if (m->imageConverter != nullptr) {
    m->imageConverter->Setup().subtitleSource.clear();
    m->imageConverter->Setup().tagRotation = 0;
  }
  if (job_ != nullptr) job_->writeProgress = job_->readProgress = MCProgress();
  // Where the sound converter's input stands on the finished input's time
  // line, so that the next input starts exactly at its offset.
  int64_t soundEndUs = std::numeric_limits<int64_t>::min();
  if (m->audioConverter != nullptr && m->position != 0) soundEndUs = m->audioConverter->NextInputTime();
  const int64_t previousOffset = offset_;
  if (m->position != 0) {
    const AVFormatContext* in = m->demuxer ? m->demuxer->Context() : nullptr;
    const int64_t duration = in && in->duration > 0 ? in->duration : m->position;
    m->position = std::max(m->position, duration);
    offset_ += m->position + kMergeGapUs;
    m->position = 0;
  }
  av_packet_unref(m->packet);
  mchook::DropItem(m);
  delete m->demuxer;
  m->demuxer = nullptr;
  doneCount_ = 0;
  label_ = WStringFromUtf8(inputs_[index_]);
  for (int s = 0; s < 5; ++s) {
    delete m->decoders[s];
    m->decoders[s] = nullptr;
    m->inStreams[s] = nullptr;
    slotDone_[s] = false;
  }
  m->demuxer = new MCDeMuxerBase();
  int rc = m->demuxer->InitDeMuxer(inputs_[index_].c_str(), nullptr);
  if (rc < 0) {
    m->current = kStateError;
    return rc;
  }
  m->startTime = mchook::TakeBestStreams(m);

  // Subtitles the output cannot carry as they are: text is burned into the
  // picture where there is one, anything else is left out.
  if (AVStream* sub = m->inStreams[3]) {
    const AVCodecDescriptor* in = avcodec_descriptor_get(sub->codecpar->codec_id);
    const bool text = in && (in->props & AV_CODEC_PROP_TEXT_SUB);
    bool keep = false;
    if (m->outStreams[3] != nullptr) {
      const AVCodecDescriptor* out = avcodec_descriptor_get(m->outStreams[3]->codecpar->codec_id);
      keep = text == (out && (out->props & AV_CODEC_PROP_TEXT_SUB));
    }
    if (!keep) {
      if (text && m->imageConverter != nullptr) m->imageConverter->Setup().subtitleSource = inputs_[index_];
      m->inStreams[3] = nullptr;
    }
  }
  for (const int s : {0, 1, 3}) {
    if (m->inStreams[s] == nullptr || m->outStreams[s] == nullptr) continue;
    if (!mchook::OpenDecoder(m, s)) return m->decoders[s]->Error().code;
    AVCodecContext* dec = m->decoders[s]->Context();
    if (s == 0 && m->imageConverter != nullptr) {
      const AVDictionaryEntry* rotate = av_dict_get(m->inStreams[0]->metadata, "rotate", nullptr, 0);
      m->imageConverter->Setup().tagRotation = rotate ? std::atoi(rotate->value) : 0;
      // The picture held from the last input stands where it was shown;
      // on this input's time line that is before its start.
      AVCodecContext* enc = m->encoders[0]->Context();
      const int64_t held = lastPts_[0] - av_rescale_q(offset_, kMicroseconds, enc->time_base);
      rc = m->imageConverter->Init(dec, enc, av_rescale_q(held, enc->time_base, m->inStreams[0]->time_base));
    } else if (s == 1 && m->audioConverter != nullptr) {
      const int64_t startUs =
          soundEndUs == std::numeric_limits<int64_t>::min() ? 0 : soundEndUs - (offset_ - previousOffset);
      rc = m->audioConverter->Init(dec, m->encoders[1]->Context(),
                                   av_rescale_q(startUs, kMicroseconds, AVRational{1, dec->sample_rate}));
    }
    if (rc != 0) {
      m->current = kStateError;
      return rc;
    }
  }
  for (int s = 0; s < 5; ++s) {
    slotDone_[s] = m->inStreams[s] == nullptr || m->outStreams[s] == nullptr;
    if (slotDone_[s]) ++doneCount_;
  }
  return 0;
}
