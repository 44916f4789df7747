#include <chrono>
#include <cstdio>
#include <limits>
#include <thread>

#include "MCHookSteps.h"
#include "base/CodePage.h"
#include "base/FileNaming.h"
#include "mediaconvert/MCJobHooks.h"
#include "mediaconvert/MCLog.h"

using mchook::kMicroseconds;

namespace {

constexpr int kSeekTries = 10;
constexpr auto kSeekPause = std::chrono::milliseconds(100);

// Keeps the samples [from, to) of a sound frame whose pts counts samples.
int TrimSound(AVFrame* frame, int64_t from, int64_t to) {
  const int skip = static_cast<int>(from - frame->pts);
  const int keep = static_cast<int>(to - from);
  if (skip == 0) {
    frame->nb_samples = keep;
    return 0;
  }
  AVFrame* part = av_frame_alloc();
  if (part == nullptr) return AVERROR(ENOMEM);
  part->nb_samples = keep;
  part->format = frame->format;
  part->sample_rate = frame->sample_rate;
  int rc = av_channel_layout_copy(&part->ch_layout, &frame->ch_layout);
  if (rc >= 0) rc = av_frame_get_buffer(part, 0);
  if (rc >= 0) {
    av_samples_copy(part->extended_data, frame->extended_data, 0, skip, keep, frame->ch_layout.nb_channels,
                    static_cast<AVSampleFormat>(frame->format));
    part->pts = from;
    av_frame_unref(frame);
    av_frame_move_ref(frame, part);
  }
  av_frame_free(&part);
  return rc;
}

}  // namespace

CutHook::CutHook(MCMediaConvert* job, std::vector<MCTimeRange> ranges) : ranges_(std::move(ranges)), job_(job) {}

int CutHook::StatePrepare(MCStateMachine* m) {
  if (m->current == kStateInit) {
    m->param.copyWhenSame = false;
    m->param.fixTimestamps = false;
  } else if (m->previous == kStateDeCode && m->current == kStateConvert) {
    OnDecoded(m);
  } else if (m->previous == kStateConvert && m->current == kStateEnCode) {
    OnItemToEncoder(m);
  } else if (m->current == kStateFlush && index_ < ranges_.size()) {
    // The input ended inside a range that is not the last: drain every
    // decoder, then go on with the next range. The encoders are not drained.
    const int previous = m->previous;
    if (previous == kStateDeMux || previous == kStateEnCode) {
      mchook::DrainNextDecoder(m, cursor_);
      if (m->slot == -1) {
        m->previous = kStateInit;
        m->current = kStateDeMux;
      }
    } else if (previous == kStateDeCode) {
      m->previous = kStateFlush;
      m->current = kStateDeMux;
    }
  }
  if (m->previous == kStateInit && m->current == kStateDeMux) return NextRange(m);
  mchook::CheckCancel(job_, m);
  return 0;
}


// Sound is cut to the sample, so that ranges join without a gap or an
// overlap whatever the input's packet size; pictures and subtitles are kept
// when they start inside the range.
bool CutHook::KeepSound(MCStateMachine* m) {
  const int rate = m->decoders[1] ? m->decoders[1]->Context()->sample_rate : 0;
  AVFrame* f = m->frame;
  if (rate <= 0 || f->pts == AV_NOPTS_VALUE) return false;
  const AVRational tb{1, rate};
  const int64_t from = std::max(f->pts, av_rescale_q(rangeStart_, kMicroseconds, tb));
  const int64_t to = std::min(f->pts + f->nb_samples, av_rescale_q(rangeEnd_, kMicroseconds, tb));
  if (to <= from) return false;
  return TrimSound(f, from, to) >= 0;
}

void CutHook::OnDecoded(MCStateMachine* m) {
  const int s = m->slot;
  const int64_t t = mchook::ItemTime(m);
  if (s == 1 ? KeepSound(m) : (rangeStart_ <= t && t <= rangeEnd_)) return;
  mchook::DropItem(m);
  m->previous = kStateConvert;
  m->current = kStateDeCode;
  const bool past = s == 1 ? t >= rangeEnd_ : t > rangeEnd_;
  if (!past || slotDone_[s]) return;
  slotDone_[s] = true;
  if (++doneCount_ < 5) return;
  if (index_ == ranges_.size()) {
    m->previous = kStateDeMux;
    m->current = kStateFlush;
  } else {
    m->previous = kStateInit;
    m->current = kStateDeMux;
  }
}

// A range that selects nothing of the input would give an empty output
// that looks like a success: the job fails instead, naming the range.
int CutHook::CheckRanges(MCStateMachine* m, int64_t duration) {
  const int64_t first = m->startTime;
  const int64_t last = first + duration;
  for (const MCTimeRange& r : ranges_) {
    const bool outside = duration > 0 && (r.start >= last || r.end <= first);
    const bool empty = r.end <= r.start;
    if (!empty && !outside) continue;
    char text[160];
    if (!outside) {
      std::snprintf(text, sizeof text, "the range %.3f-%.3f s is empty", r.start / 1e6, r.end / 1e6);
    } else {
      std::snprintf(text, sizeof text, "the range %.3f-%.3f s lies outside the media (%.3f-%.3f s)", r.start / 1e6,
                    r.end / 1e6, first / 1e6, last / 1e6);
    }
    m->error.SetError(AVERROR(EINVAL), "CutHook::NextRange");
    m->error.message = text;
    MCLogPrintf("%s\n", text);
    m->previous = kStateInit;
    m->current = kStateError;
    return AVERROR(EINVAL);
  }
  return 0;
}

void CutHook::OnItemToEncoder(MCStateMachine* m) {
  const int s = m->slot;
  if (s < 0 || s > 3 || m->encoders[s] == nullptr) return;
  const int64_t shift = outBase_ - rangeStart_;
  const AVRational tb = m->encoders[s]->Context()->time_base;
  int64_t t;
  if (s == 3) {
    m->subtitle.pts += shift;
    lastPts_[3] = std::max(lastPts_[3], m->subtitle.pts);
    t = m->subtitle.pts;
  } else if (s == 0) {
    t = av_rescale_q(m->frame->pts, tb, kMicroseconds) + shift;
    m->frame->pts = av_rescale_q(t, kMicroseconds, tb);
    lastPts_[0] = std::max(lastPts_[0], m->frame->pts);
  } else {
    lastPts_[s] = std::max(lastPts_[s], m->frame->pts);
    t = av_rescale_q(lastPts_[s], tb, kMicroseconds);
  }
  if (job_ != nullptr) job_->ReportWriteProgress(t, total_, label_);
}

int CutHook::NextRange(MCStateMachine* m) {
  doneCount_ = 0;
  const AVFormatContext* in = m->demuxer ? m->demuxer->Context() : nullptr;
  const int64_t duration = in && in->duration > 0 ? in->duration : 0;
  if (total_ == 0) {
    // An open end is the input's end.
    for (MCTimeRange& r : ranges_) {
      if (r.end == std::numeric_limits<int64_t>::max()) r.end = m->startTime + duration;
    }
    for (const MCTimeRange& r : ranges_) total_ += std::max<int64_t>(0, r.end - r.start);
    if (duration > 0) total_ = std::min(total_, duration);
    label_ = WStringFromUtf8(m->inputPath);
    if (const int rc = CheckRanges(m, duration); rc < 0) return rc;
  }
  if (index_ >= ranges_.size()) {
    m->error.SetError(AVERROR(EINVAL), "CutHook::NextRange");
    m->previous = kStateInit;
    m->current = kStateError;
    return AVERROR(EINVAL);
  }
  cursor_ = -1;
  for (int s = 0; s < 5; ++s) {
    if (m->decoders[s] != nullptr) m->decoders[s]->Flush();
    slotDone_[s] = m->outStreams[s] == nullptr || m->inStreams[s] == nullptr;
    if (slotDone_[s]) ++doneCount_;
  }
  outBase_ += rangeEnd_ - rangeStart_;
  rangeStart_ = std::max<int64_t>(0, ranges_[index_].start - m->startTime);
  rangeEnd_ = std::max<int64_t>(0, ranges_[index_].end - m->startTime);
  ++index_;

  int rc = -1;
  for (int attempt = 0; attempt < kSeekTries; ++attempt) {
    rc = m->demuxer->SeekStream(-1, rangeStart_ + m->startTime);
    if (rc >= 0) break;
    std::this_thread::sleep_for(kSeekPause);
  }
  // Sound is counted on by its converter, so it starts where the range
  // starts; the picture held from the last range stands where it was shown.
  const int64_t shift = outBase_ - rangeStart_;
  if (rc >= 0 && m->imageConverter != nullptr && m->decoders[0] != nullptr && m->encoders[0] != nullptr) {
    AVCodecContext* enc = m->encoders[0]->Context();
    const int64_t held = lastPts_[0] - av_rescale_q(shift, kMicroseconds, enc->time_base);
    rc = m->imageConverter->Init(m->decoders[0]->Context(), enc,
                                 av_rescale_q(held, enc->time_base, m->inStreams[0]->time_base));
  }
  if (rc >= 0 && m->audioConverter != nullptr && m->decoders[1] != nullptr && m->encoders[1] != nullptr) {
    AVCodecContext* dec = m->decoders[1]->Context();
    rc = m->audioConverter->Init(dec, m->encoders[1]->Context(),
                                 av_rescale_q(rangeStart_, kMicroseconds, AVRational{1, dec->sample_rate}));
  }
  if (rc < 0) {
    m->previous = kStateInit;
    m->current = kStateError;
    return rc;
  }
  return 0;
}

SegMentHook::SegMentHook(MCMediaConvert* job, std::vector<MCTimeRange> ranges, std::string folder,
                         std::string extension, void* context, MCSegmentNameFunction nameFunction)
    : ranges_(std::move(ranges)),
      context_(context),
      nameFunction_(nameFunction ? nameFunction : MCDefaultSegmentName),
      extension_(std::move(extension)),
      folder_(std::move(folder)),
      job_(job) {}

SegMentHook::~SegMentHook() { delete cut_; }

std::string SegMentHook::NameOf(const std::string& input, size_t index) const {
  const MCTimeRange& r = ranges_.at(index);
  return nameFunction_(context_, input, folder_, r.start, r.end, extension_);
}

int SegMentHook::StatePrepare(MCStateMachine* m) {
  if (m->current == kStateInit || (m->current == kStateDone && index_ < ranges_.size())) NextSegment(m);
  const int rc = cut_ != nullptr ? cut_->StatePrepare(m) : 0;
  if (m->current == kStateConvert && m->previous == kStateDeCode && --writeCountdown_ < 1 && job_ != nullptr) {
    writeCountdown_ = m->param.progressInterval;
    job_->ReportWriteProgress(mchook::ItemTime(m), total_, label_);
  }
  mchook::CheckCancel(job_, m);
  return rc;
}

void SegMentHook::NextSegment(MCStateMachine* m) {
  if (total_ == 0) {
    for (const MCTimeRange& r : ranges_) total_ += std::max<int64_t>(0, r.end - r.start);
  }
  if (label_.empty()) label_ = WStringFromUtf8(m->inputPath);
  m->Reset();
  m->previous = kStateError;
  m->current = kStateInit;
  delete cut_;
  // The inner cut neither reports nor cancels: this hook does both.
  cut_ = new CutHook(nullptr, {ranges_.at(index_)});
  m->outputPath = NameOf(m->inputPath, index_);
  m->SetHook(this);
  ++index_;
}

std::string MCDefaultSegmentName(void*, const std::string& input, const std::string& folder, int64_t start,
                                 int64_t end, const std::string& extension) {
  // The separators keep every range's name distinct ("12_345" against
  // "1_2345"), whatever the lengths.
  std::string name = folder;
  name += GetFileTitleNarrow(input);
  name += "_" + std::to_string(start) + "-" + std::to_string(end) + "." + extension;
  return name;
}
