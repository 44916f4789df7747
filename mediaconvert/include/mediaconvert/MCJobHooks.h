#pragma once
// The hooks of the other job kinds: joining inputs (merge), keeping time
// ranges of one input (cut), one output per range (segment), and a title
// picture before the input (title page). Each rewrites the machine's
// previous and current state between steps; the states do the work.

#include <string>
#include <vector>

#include "mediaconvert/MCStateMachine.h"

class MCMediaConvert;

// Gap left between two merged inputs on the output's time line.
constexpr int64_t kMergeGapUs = 100000;

class MergeHook : public IStateMachineHook {
 public:
  // endTime: the output stops there (microseconds).
  MergeHook(MCMediaConvert* job, std::vector<std::string> inputs, std::string output, int64_t endTime);
  int StatePrepare(MCStateMachine* m) override;

 private:
  int OpenNextInput(MCStateMachine* m);
  void OnItemToEncoder(MCStateMachine* m);
  void OnInputEnded(MCStateMachine* m);

  MCMediaConvert* job_;
  std::vector<std::string> inputs_;
  std::string output_;
  std::wstring label_;
  int64_t endTime_;
  int index_ = 0;
  int64_t offset_ = 0;
  int64_t lastPts_[4] = {};
  int cursor_ = -1;
  int readCountdown_ = 0;
  int writeCountdown_ = 0;
  int doneCount_ = 0;
  bool slotDone_[5] = {};
};

class CutHook : public IStateMachineHook {
 public:
  CutHook(MCMediaConvert* job, std::vector<MCTimeRange> ranges);
  int StatePrepare(MCStateMachine* m) override;

 private:
  int NextRange(MCStateMachine* m);
  int CheckRanges(MCStateMachine* m, int64_t duration);
  void OnDecoded(MCStateMachine* m);
  bool KeepSound(MCStateMachine* m);
  void OnItemToEncoder(MCStateMachine* m);

  std::vector<MCTimeRange> ranges_;
  MCMediaConvert* job_;
  int64_t outBase_ = 0;
  int64_t rangeStart_ = 0;
  int64_t rangeEnd_ = 0;
  int64_t total_ = 0;
  int64_t lastPts_[4] = {};
  std::wstring label_;
  size_t index_ = 0;
  int doneCount_ = 0;
  bool slotDone_[5] = {};
  int cursor_ = -1;
};

// Output path of one segment: (context, input, folder, start, end,
// extension); start and end in microseconds.
using MCSegmentNameFunction = std::string (*)(void* context, const std::string& input, const std::string& folder,
                                              int64_t start, int64_t end, const std::string& extension);
// folder, "/", the input's name without its extension, "_", start, "-",
// end, ".", extension.
std::string MCDefaultSegmentName(void* context, const std::string& input, const std::string& folder, int64_t start,
                                 int64_t end, const std::string& extension);

class SegMentHook : public IStateMachineHook {
 public:
  SegMentHook(MCMediaConvert* job, std::vector<MCTimeRange> ranges, std::string folder, std::string extension,
              void* context, MCSegmentNameFunction nameFunction);
  ~SegMentHook() override;
  SegMentHook(const SegMentHook&) = delete;
  SegMentHook& operator=(const SegMentHook&) = delete;
  int StatePrepare(MCStateMachine* m) override;

 private:
  std::string NameOf(const std::string& input, size_t index) const;
  void NextSegment(MCStateMachine* m);

  std::vector<MCTimeRange> ranges_;
  void* context_;
  MCSegmentNameFunction nameFunction_;
  std::string extension_;
  std::string folder_;
  std::wstring label_;
  MCMediaConvert* job_;
  int64_t total_ = 0;
  int writeCountdown_ = 0;
  size_t index_ = 0;
  CutHook* cut_ = nullptr;
};

class TitlePageHook : public IStateMachineHook {
 public:
  TitlePageHook(MCMediaConvert* job, const MCTitlePageParam& title);
  ~TitlePageHook() override;
  TitlePageHook(const TitlePageHook&) = delete;
  TitlePageHook& operator=(const TitlePageHook&) = delete;
  int StatePrepare(MCStateMachine* m) override;

 private:
  int StateInit(MCStateMachine* m);
  void OnTitleFlush(MCStateMachine* m);
  void OnDecoded(MCStateMachine* m);
  void OnItemToEncoder(MCStateMachine* m);

  std::string sourcePath_;
  int64_t titleTime_;
  int64_t titleLength_;
  bool keepAspect_;
  int32_t rotation_;
  MCMediaConvert* job_;
  std::string savedSubtitleSource_;
  std::wstring label_;
  bool pictureDone_ = false;
  bool drainStarted_ = false;
  int writeCountdown_ = 0;
  int phase_ = 0;
  AVFrame* picture_ = nullptr;
  int64_t total_ = 0;
  // The title source's start on its own time line, for placing titleTime.
  int64_t sourceStart_ = 0;
};
