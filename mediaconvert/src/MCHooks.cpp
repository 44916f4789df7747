#include "mediaconvert/MCHooks.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "base/CodePage.h"
#include "mediaconvert/MCCodecCaps.h"
#include "mediaconvert/MCMediaConvert.h"

namespace {

const AVRational kMicroseconds{1, AV_TIME_BASE};
constexpr int64_t kWindowUs = 1000000;

int64_t InputDuration(const MCStateMachine* m) {
  const AVFormatContext* in = m->demuxer ? m->demuxer->Context() : nullptr;
  return in && in->duration > 0 ? in->duration : 1;
}

void CheckCancel(MCMediaConvert* job, MCStateMachine* m) {
  if (job != nullptr && !job->enabled.load()) m->Abort();
}

}  // namespace

int ConvertHook::StatePrepare(MCStateMachine* m) {
  const int interval = m->param.progressInterval;
  if (m->previous == kStateInit) {
    label_ = WStringFromUtf8(m->inputPath);
    if (m->inStreams[0] != nullptr && m->demuxer != nullptr && m->demuxer->Context() != nullptr) {
      const AVRational rate = MCFixFrameRate(
          m->inStreams[0], av_guess_frame_rate(m->demuxer->Context(), m->inStreams[0], nullptr));
      if (rate.num > 0 && rate.den > 0) frameTimeBase_ = av_inv_q(rate);
      AVRational factor = av_d2q(m->param.frameRateFactor, 1000);
      if (factor.num == 0 || factor.den == 0) factor = AVRational{1, 1};
      frameTimeBase_ = av_div_q(frameTimeBase_, factor);
    }
  }
  if (m->previous == kStateDeMux) {
    if (--readCountdown_ < 0) {
      readCountdown_ = interval;
      if (job_ != nullptr) job_->ReportReadProgress(m->position, InputDuration(m), label_);
      if (m->current == kStateMux && job_ != nullptr && m->slot >= 0 && m->outStreams[m->slot] != nullptr &&
          m->packet->dts != AV_NOPTS_VALUE) {
        job_->ReportWriteProgress(av_rescale_q(m->packet->dts, m->outStreams[m->slot]->time_base, kMicroseconds),
                                  InputDuration(m), label_);
      }
    }
  } else if (m->previous == kStateDeCode && m->current == kStateConvert && m->slot == 0 &&
             m->frame->pts != AV_NOPTS_VALUE) {
    const int64_t index = av_rescale_q(m->frame->pts, m->inStreams[0]->time_base, frameTimeBase_);
    if (index <= lastFrameIndex_) {
      av_frame_unref(m->frame);
      m->previous = kStateConvert;
      m->current = kStateDeCode;
    } else {
      lastFrameIndex_ = index;
    }
  } else if (m->previous == kStateEnCode && m->current == kStateMux) {
    if (--writeCountdown_ < 0) {
      writeCountdown_ = interval;
      if (job_ != nullptr && m->encoders[m->slot] != nullptr && m->packet->dts != AV_NOPTS_VALUE) {
        job_->ReportWriteProgress(
            av_rescale_q(m->packet->dts, m->encoders[m->slot]->Context()->time_base, kMicroseconds),
            InputDuration(m), label_);
      }
    }
  }
  CheckCancel(job_, m);
  return 0;
}

void MCReverseAudioFrame(AVFrame* frame) {
  if (frame == nullptr || frame->nb_samples == 0) return;
  const int channels = frame->ch_layout.nb_channels;
  const AVSampleFormat format = static_cast<AVSampleFormat>(frame->format);
  for (int plane = 0; plane < 8; ++plane) {
    uint8_t* data = frame->data[plane];
    if (data == nullptr) continue;
    int size = av_samples_get_buffer_size(nullptr, channels, frame->nb_samples, format, 1);
    if (size <= 0) return;
    if (av_sample_fmt_is_planar(format)) size /= channels;
    const int unit = size / frame->nb_samples;
    const int n = size / unit;
    std::vector<uint8_t> swap(unit);
    for (int k = 0; k < n / 2; ++k) {
      uint8_t* a = data + static_cast<size_t>(k) * unit;
      uint8_t* b = data + static_cast<size_t>(n - 1 - k) * unit;
      std::memcpy(swap.data(), a, unit);
      std::memcpy(a, b, unit);
      std::memcpy(b, swap.data(), unit);
    }
  }
}

int MCFrameStack::Push(AVFrame* frame) {
  AVFrame* kept = av_frame_alloc();
  if (kept == nullptr) return AVERROR(ENOMEM);
  av_frame_move_ref(kept, frame);
  if (kept->nb_samples != 0) MCReverseAudioFrame(kept);
  if (kept->pts != AV_NOPTS_VALUE) {
    if (kept->pts > maxPts_) maxPts_ = kept->pts;
    if (kept->pts + kept->nb_samples > maxEnd_) maxEnd_ = kept->pts + kept->nb_samples;
  }
  frames_.push_back(kept);
  return 0;
}

int MCFrameStack::Pop(AVFrame* frame) {
  if (frames_.empty()) return AVERROR_EOF;
  av_frame_unref(frame);
  AVFrame* last = frames_.back();
  frames_.pop_back();
  av_frame_move_ref(frame, last);
  // Sound is mirrored by the end of each frame, so that frames of any
  // length follow each other without a gap or an overlap; a picture is a
  // point in time.
  frame->pts = frame->nb_samples != 0 ? maxEnd_ - (frame->pts + frame->nb_samples) : maxPts_ - frame->pts;
  av_frame_free(&last);
  return 0;
}

void MCFrameStack::Clear() {
  for (AVFrame*& f : frames_) av_frame_free(&f);
  frames_.clear();
  frames_.shrink_to_fit();
}

AVRational UpEndHook::SlotTimeBase(const MCStateMachine* m, int s) {
  if (s == 1 && m->decoders[1] != nullptr) return AVRational{1, m->decoders[1]->Context()->sample_rate};
  return m->inStreams[s]->time_base;
}

void UpEndHook::StartWindow(MCStateMachine* m) {
  // The window reads up to the earliest of the slots' ends; each slot
  // keeps only what lies below its own end, the first item the last
  // window kept of it.
  int64_t end = m->startTime + InputDuration(m);
  for (int s = 0; s < 5; ++s) {
    if (slotEnd_[s] == INT64_MAX || m->inStreams[s] == nullptr) continue;
    end = std::min(end, av_rescale_q(slotEnd_[s], SlotTimeBase(m, s), kMicroseconds));
  }
  windowEnd_ = end;
  windowStart_ = INT64_MAX;
  cursor_ = -1;
  doneCount_ = 0;
  for (int s = 0; s < 5; ++s) {
    if (m->decoders[s] != nullptr) m->decoders[s]->Flush();
    slotDone_[s] = m->outStreams[s] == nullptr;
    if (slotDone_[s]) ++doneCount_;
    slotFirst_[s] = INT64_MAX;
  }
  if (m->imageConverter != nullptr && m->decoders[0] && m->encoders[0]) {
    m->imageConverter->Setup().subtitleSource.clear();
    m->imageConverter->Init(m->decoders[0]->Context(), m->encoders[0]->Context(), -1);
  }
  // Seek a stretch before the window's end: an input that seeks exactly
  // would otherwise land on the end itself and yield nothing below it.
  int64_t target = windowEnd_ - kWindowUs;
  lastWindow_ = target <= m->startTime;
  if (lastWindow_) target = m->startTime;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (m->demuxer->SeekStream(-1, target) >= 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  m->previous = kStateInit;
  m->current = kStateError;
}

// Keeps what of the decoded item lies below its slot's end: a sound frame
// cut to the sample, a picture whole or not at all.
void UpEndHook::KeepDecoded(MCStateMachine* m) {
  const int s = m->slot;
  AVFrame* f = m->frame;
  const int64_t pts = f->pts != AV_NOPTS_VALUE ? f->pts : f->best_effort_timestamp;
  const int64_t end = slotEnd_[s];
  // Sound: the number of samples kept; a picture: 1 or 0.
  const int64_t whole = f->nb_samples != 0 ? f->nb_samples : 1;
  int64_t keep = pts == AV_NOPTS_VALUE ? 0 : whole;
  if (keep > 0 && end != INT64_MAX) {
    keep = f->nb_samples != 0 ? std::min<int64_t>(f->nb_samples, end - pts) : (pts < end ? 1 : 0);
  }
  const bool reachedEnd = keep <= 0 || (f->nb_samples != 0 && keep < f->nb_samples);
  if (reachedEnd && !slotDone_[s]) {
    slotDone_[s] = true;
    ++doneCount_;
  }
  if (keep <= 0) return;
  if (f->nb_samples != 0) f->nb_samples = static_cast<int>(keep);
  f->pts = pts;
  slotFirst_[s] = std::min(slotFirst_[s], pts);
  (s == 1 ? audioStack_ : videoStack_).Push(f);
  const int64_t t = av_rescale_q(pts, SlotTimeBase(m, s), kMicroseconds);
  if (t < windowStart_) {
    windowStart_ = t;
    if (m->inStreams[0] != nullptr && m->decoders[0] != nullptr) {
      const AVRational rate = av_guess_frame_rate(m->demuxer->Context(), m->inStreams[0], nullptr);
      const int64_t frames = rate.num > 0 ? av_rescale_q(windowEnd_ - windowStart_, kMicroseconds, av_inv_q(rate)) : 0;
      const AVCodecContext* d = m->decoders[0]->Context();
      if (frames * d->width * d->height * 3 > (int64_t{1} << 30)) {
        m->error.SetError(AVERROR(ENOMEM), "UpEndHook::StatePrepare");
        m->previous = kStateError;
        m->current = kStateDone;
      }
    }
  }
}

// After a window is emitted: the next one ends where this one began, slot
// by slot; none follows once the input's start has been read.
bool UpEndHook::NextWindowEnds() {
  if (lastWindow_) return false;
  bool kept = false;
  for (int s = 0; s < 5; ++s) {
    if (slotFirst_[s] == INT64_MAX) continue;
    slotEnd_[s] = slotFirst_[s];
    kept = true;
  }
  // A window that kept nothing would be read again for ever.
  return kept;
}

int UpEndHook::StatePrepare(MCStateMachine* m) {
  if (m->current == kStateInit) {
    m->param.copyWhenSame = false;
    m->param.fixTimestamps = false;
  }
  if (m->previous == kStateDeCode && m->current == kStateConvert) {
    KeepDecoded(m);
    av_frame_unref(m->frame);
    if (m->previous != kStateError) {
      m->previous = kStateConvert;
      m->current = kStateDeCode;
    }
  }
  if (m->current == kStateFlush && !finished_) {
    if (m->previous == kStateDeMux || m->previous == kStateDeCode) {
      m->slot = -1;
      while (cursor_ + 1 <= 2) {
        const int i = ++cursor_;
        if (m->encoders[i] != nullptr && m->decoders[i] != nullptr) {
          m->slot = i;
          av_packet_unref(m->packet);
          m->packet->stream_index = m->inStreams[i]->index;
          break;
        }
      }
      m->previous = kStateFlush;
      m->current = kStateDeCode;
    }
    if (m->slot == -1) doneCount_ = 5;
  }
  if (m->current == kStateDeCode && doneCount_ == 5 && !finished_) {
    if (audioStack_.Pop(m->frame) == 0) {
      m->slot = 1;
      m->previous = kStateDeCode;
      m->current = kStateConvert;
    } else if (videoStack_.Pop(m->frame) == 0) {
      m->slot = 0;
      m->previous = kStateDeCode;
      m->current = kStateConvert;
    } else if (!NextWindowEnds()) {
      m->previous = kStateDeMux;
      m->current = kStateFlush;
      finished_ = true;
    } else {
      m->previous = kStateInit;
      m->current = kStateDeMux;
    }
  }
  if (m->previous == kStateInit && m->current == kStateDeMux) StartWindow(m);
  if (m->previous == kStateError && m->current == kStateInit) {
    label_ = WStringFromUtf8(m->inputPath);
  } else if (m->previous == kStateConvert && m->current == kStateEnCode) {
    const int s = m->slot;
    if (s >= 0 && m->encoders[s] != nullptr && m->frame->pts != AV_NOPTS_VALUE) {
      const int64_t pos = av_rescale_q(m->frame->pts, m->encoders[s]->Context()->time_base, kMicroseconds);
      if (--writeCountdown_ < 1 && job_ != nullptr) {
        writeCountdown_ = m->param.progressInterval;
        job_->ReportWriteProgress(static_cast<int64_t>(pos * m->param.stream.speed), InputDuration(m), label_);
      }
    }
  }
  CheckCancel(job_, m);
  return 0;
}
