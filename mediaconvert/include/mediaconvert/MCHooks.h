#pragma once
// The hooks of the conversion job: plain conversion (progress, frame-rate
// thinning, cancel) and reverse playback (windows read from the end,
// frames handed to the encoders last first).

#include <string>
#include <vector>

#include "mediaconvert/MCStateMachine.h"

class MCMediaConvert;

class ConvertHook : public IStateMachineHook {
 public:
  explicit ConvertHook(MCMediaConvert* job) : job_(job) {}
  int StatePrepare(MCStateMachine* m) override;

 private:
  MCMediaConvert* job_;
  // -1, so that a first picture at index 0 (a cover, the first frame) is
  // let through.
  int64_t lastFrameIndex_ = -1;
  std::wstring label_;
  int readCountdown_ = 0;
  int writeCountdown_ = 0;
  AVRational frameTimeBase_{1, 25};
};

class MCFrameStack {
 public:
  ~MCFrameStack() { Clear(); }
  int Push(AVFrame* frame);
  int Pop(AVFrame* frame);
  void Clear();
  bool Empty() const { return frames_.empty(); }

 private:
  std::vector<AVFrame*> frames_;
  int64_t maxPts_ = 0;
  int64_t maxEnd_ = 0;  // the largest pts plus sample count pushed
};

// Reverses the order of an audio frame's samples in place.
void MCReverseAudioFrame(AVFrame* frame);

class UpEndHook : public IStateMachineHook {
 public:
  explicit UpEndHook(MCMediaConvert* job) : job_(job) {}
  int StatePrepare(MCStateMachine* m) override;

 private:
  static AVRational SlotTimeBase(const MCStateMachine* m, int slot);
  void StartWindow(MCStateMachine* m);
  void KeepDecoded(MCStateMachine* m);
  bool NextWindowEnds();

  MCMediaConvert* job_;
  int64_t windowStart_ = INT64_MAX;
  int64_t windowEnd_ = INT64_MAX;
  int doneCount_ = 0;
  int cursor_ = -1;
  bool finished_ = false;
  bool slotDone_[5] = {};
  // Per slot, in its own time base (sound: samples): what a window keeps
  // lies below slotEnd_, and slotFirst_ is the earliest it kept.
  int64_t slotEnd_[5] = {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX};
  int64_t slotFirst_[5] = {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX};
  bool lastWindow_ = false;  // the window reads from the input's start
  int writeCountdown_ = 0;
  MCFrameStack videoStack_;
  MCFrameStack audioStack_;
  std::wstring label_;
};
