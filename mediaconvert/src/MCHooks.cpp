#include "mediaconvert/MCHooks.h"

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
  if (kept->pts != AV_NOPTS_VALUE && kept->pts > maxPts_) maxPts_ = kept->pts;
  frames_.push_back(kept);
  return 0;
}

int MCFrameStack::Pop(AVFrame* frame) {
  if (frames_.empty()) return AVERROR_EOF;
  av_frame_unref(frame);
  AVFrame* last = frames_.back();
  frames_.pop_back();
  av_frame_move_ref(frame, last);
  frame->pts = maxPts_ - frame->pts;
  av_frame_free(&last);
  return 0;
}

void MCFrameStack::Clear() {
  for (AVFrame*& f : frames_) av_frame_free(&f);
  frames_.clear();
  frames_.shrink_to_fit();
}

void UpEndHook::StartWindow(MCStateMachine* m) {
  const int64_t start = windowStart_ == INT64_MAX ? InputDuration(m) : windowStart_;
  windowEnd_ = windowStart_ = start - 100;
  cursor_ = -1;
  doneCount_ = 0;
  for (int s = 0; s < 5; ++s) {
    if (m->decoders[s] != nullptr) m->decoders[s]->Flush();
    slotDone_[s] = m->outStreams[s] == nullptr;
    if (slotDone_[s]) ++doneCount_;
  }
  if (m->imageConverter != nullptr && m->decoders[0] && m->encoders[0]) {
    m->imageConverter->Setup().subtitleSource.clear();
    m->imageConverter->Init(m->decoders[0]->Context(), m->encoders[0]->Context(), -1);
  }
  // Seek a stretch before the window's end: an input that seeks exactly
  // would otherwise land on the end itself and yield no frame below it,
  // and the windows would creep back one frame at a time.
  int64_t target = windowEnd_ - kWindowUs;
  if (target < m->startTime) target = m->startTime;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (m->demuxer->SeekStream(-1, target) >= 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  m->previous = kStateInit;
  m->current = kStateError;
}

int UpEndHook::StatePrepare(MCStateMachine* m) {
  if (m->current == kStateInit) {
    m->param.copyWhenSame = false;
    m->param.fixTimestamps = false;
  }
  if (m->previous == kStateDeCode && m->current == kStateConvert) {
    const int s = m->slot;
    const AVRational tb = s == 1 && m->decoders[1] ? AVRational{1, m->decoders[1]->Context()->sample_rate}
                                                   : m->inStreams[s]->time_base;
    const int64_t t = av_rescale_q(m->frame->pts, tb, kMicroseconds);
    if (t >= windowEnd_) {
      if (!slotDone_[s]) {
        slotDone_[s] = true;
        ++doneCount_;
      }
    } else {
      (s == 1 ? audioStack_ : videoStack_).Push(m->frame);
    }
    m->previous = kStateConvert;
    m->current = kStateDeCode;
    av_frame_unref(m->frame);
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
    } else if (windowEnd_ <= m->startTime) {
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
