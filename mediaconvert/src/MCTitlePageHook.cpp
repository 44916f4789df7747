#include "MCHookSteps.h"
#include "base/CodePage.h"
#include "mediaconvert/MCJobHooks.h"

using mchook::kMicroseconds;

TitlePageHook::TitlePageHook(MCMediaConvert* job, const MCTitlePageParam& title)
    : sourcePath_(title.sourcePath),
      titleTime_(title.titleTime),
      titleLength_(title.titleLength),
      keepAspect_(title.keepAspect),
      rotation_(static_cast<int32_t>(title.rotation)),
      job_(job) {}

TitlePageHook::~TitlePageHook() { av_frame_free(&picture_); }

int TitlePageHook::StatePrepare(MCStateMachine* m) {
  if (m->current == kStateInit) m->param.copyWhenSame = false;
  if (phase_ == 1) {
    if (m->previous == kStateEnCode && m->current == kStateConvert) {
      // The encoder has the title picture: on to the input.
      m->previous = kStateInit;
      m->current = kStateDeMux;
    } else if (m->current == kStateFlush) {
      OnTitleFlush(m);
    }
  }
  if (m->previous == kStateInit && m->current == kStateDeMux) return StateInit(m);
  if (m->previous == kStateDeMux && m->current == kStateDeCode && phase_ == 1 && m->slot != 0) {
    // Only the title source's picture counts.
    m->current = kStateDeMux;
  } else if (m->previous == kStateDeCode && m->current == kStateConvert) {
    OnDecoded(m);
  } else if (m->previous == kStateConvert && m->current == kStateEnCode) {
    OnItemToEncoder(m);
  }
  mchook::CheckCancel(job_, m);
  return 0;
}

void TitlePageHook::OnTitleFlush(MCStateMachine* m) {
  const bool video = m->outStreams[0] != nullptr && m->decoders[0] != nullptr;
  if (video && !drainStarted_) {
    // The source ended before titleTime: what its decoder still holds may
    // be the picture.
    drainStarted_ = true;
    m->slot = 0;
    av_packet_unref(m->packet);
    m->packet->stream_index = m->inStreams[0]->index;
    m->previous = kStateDeMux;
    m->current = kStateDeCode;
  } else if (video && !pictureDone_ && picture_ != nullptr && picture_->buf[0] != nullptr) {
    // The last picture before the source's end is the title.
    pictureDone_ = true;
    av_frame_unref(m->frame);
    av_frame_ref(m->frame, picture_);
    m->slot = 0;
    m->previous = kStateDeCode;
    m->current = kStateConvert;
  } else {
    m->previous = kStateInit;
    m->current = kStateDeMux;
  }
}

void TitlePageHook::OnDecoded(MCStateMachine* m) {
  if (phase_ != 1 || pictureDone_ || m->slot != 0) return;
  // titleTime is a position in the source; frames count from its start.
  const int64_t pts = m->frame->pts == AV_NOPTS_VALUE ? 0 : m->frame->pts;
  const int64_t t = av_rescale_q(pts, m->inStreams[0]->time_base, kMicroseconds) + sourceStart_;
  if (t >= titleTime_) {
    pictureDone_ = true;
    return;
  }
  av_frame_unref(picture_);
  av_frame_move_ref(picture_, m->frame);
  m->previous = kStateConvert;
  m->current = kStateDeCode;
}

void TitlePageHook::OnItemToEncoder(MCStateMachine* m) {
  const int s = m->slot;
  if (s < 0 || m->encoders[s] == nullptr) return;
  const AVRational tb = m->encoders[s]->Context()->time_base;
  if (phase_ == 1) {
    m->frame->pts = 0;
  } else if (s == 3) {
    m->subtitle.pts += titleLength_;
  } else if (s == 0) {
    // Sound stays: its converter was told the input starts after the title.
    m->frame->pts += av_rescale_q(titleLength_, kMicroseconds, tb);
  }
  if (job_ != nullptr && s != 3 && --writeCountdown_ < 1) {
    writeCountdown_ = m->param.progressInterval;
    job_->ReportWriteProgress(m->frame->pts, av_rescale_q(total_, kMicroseconds, tb), label_);
  }
}

int TitlePageHook::StateInit(MCStateMachine* m) {
  ++phase_;
  if (total_ == 0) total_ = mchook::InputDuration(m) + titleLength_;
  delete m->demuxer;
  m->demuxer = nullptr;
  label_ = WStringFromUtf8(m->inputPath);
  for (int s = 0; s < 5; ++s) {
    delete m->decoders[s];
    m->decoders[s] = nullptr;
    m->inStreams[s] = nullptr;
  }
  const bool sourceIsInput = sourcePath_ == m->inputPath;
  if (sourceIsInput && m->imageConverter != nullptr) savedSubtitleSource_ = m->imageConverter->Setup().subtitleSource;

  m->demuxer = new MCDeMuxerBase();
  int rc = m->demuxer->InitDeMuxer(phase_ == 1 ? sourcePath_.c_str() : m->inputPath.c_str(), nullptr);
  if (rc >= 0 && phase_ == 1 && sourceIsInput) rc = m->demuxer->SeekStream(-1, titleTime_);
  if (rc < 0) {
    m->current = kStateError;
    return rc;
  }
  if (picture_ == nullptr && (picture_ = av_frame_alloc()) == nullptr) {
    m->error.SetError(AVERROR(ENOMEM), "TitlePageHook::StateInit");
    m->current = kStateError;
    return AVERROR(ENOMEM);
  }
  m->startTime = mchook::TakeBestStreams(m);
  for (const int s : {0, 1, 3}) {
    if (m->inStreams[s] == nullptr || m->outStreams[s] == nullptr) continue;
    if (!mchook::OpenDecoder(m, s)) return m->decoders[s]->Error().code;
    AVCodecContext* dec = m->decoders[s]->Context();
    if (s == 0 && m->imageConverter != nullptr) {
      MCStreamSetup& setup = m->imageConverter->Setup();
      const AVDictionaryEntry* rotate = av_dict_get(m->inStreams[0]->metadata, "rotate", nullptr, 0);
      setup.tagRotation = rotate ? std::atoi(rotate->value) : 0;
      std::swap(setup.subtitleSource, savedSubtitleSource_);
      setup.keepAspect = phase_ == 1 ? keepAspect_ : m->param.stream.keepAspect;
      setup.rotation = phase_ == 1 ? rotation_ : m->param.stream.rotation;
      // The title picture held by the converter stands before the input's
      // start, so it fills the title's length.
      const int64_t start =
          phase_ == 1 ? -1 : av_rescale_q(-titleLength_, kMicroseconds, m->inStreams[0]->time_base);
      rc = m->imageConverter->Init(dec, m->encoders[0]->Context(), start);
    } else if (s == 1 && m->audioConverter != nullptr) {
      const int64_t start = phase_ == 1 ? 0 : av_rescale_q(-titleLength_, kMicroseconds, AVRational{1, dec->sample_rate});
      rc = m->audioConverter->Init(dec, m->encoders[1]->Context(), start);
    }
    if (rc != 0) {
      m->current = kStateError;
      return rc;
    }
  }
  // The earliest start of the source and its streams places titleTime.
  if (phase_ == 1) sourceStart_ = m->startTime;
  return 0;
}
