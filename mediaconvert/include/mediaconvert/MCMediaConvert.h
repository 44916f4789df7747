#pragma once
// The entry object of the media library: one job runs one conversion at a
// time on the caller's thread. Any thread may cancel it by clearing
// `enabled`.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCJobHooks.h"
#include "mediaconvert/MCStateMachine.h"

struct MCLegacyState;

class MCIConvertListener {
 public:
  virtual ~MCIConvertListener() = default;
  virtual bool OnReadProgress(std::wstring name, int64_t position, int64_t total) = 0;
  virtual bool OnWriteProgress(std::wstring name, int64_t position, int64_t total) = 0;
};

struct MCProgress {
  int64_t position = 0;
  int64_t total = 1;
};

class MCMediaConvert {
 public:
  MCMediaConvert() = default;
  ~MCMediaConvert();
  MCMediaConvert(const MCMediaConvert&) = delete;
  MCMediaConvert& operator=(const MCMediaConvert&) = delete;

  // Paths UTF-8. 0 on success; a negative FFmpeg code on failure, and
  // AVERROR_EXIT when cancelled. logPath (may be null) receives the run's
  // messages instead of standard error.
  int Convert(const char* input, const char* output, const MCConvertParam& param, const char* logPath);
  // The inputs one after another, 0.1 s apart; the output's streams follow
  // inputs[refIndex]. param.ranges[0].end, when given, ends the output.
  // AVERROR(EINVAL) for no inputs or a refIndex outside the list.
  int Merge(const std::vector<std::string>& inputs, const char* output, const MCConvertParam& param, int refIndex,
            const char* logPath);
  // param.ranges of the input, joined without gaps. AVERROR(EINVAL)
  // without ranges.
  int Cut(const char* input, const char* output, const MCConvertParam& param);
  // One output per range of param.ranges, named by nameFunction (null:
  // MCDefaultSegmentName) with the extension (null: "mp4"). AVERROR(EINVAL)
  // without ranges.
  int Segment(const char* input, const char* folder, const char* extension, void* context,
              MCSegmentNameFunction nameFunction, const MCConvertParam& param);
  // argv[1] to argv[2] in a first pass, then to argv[3] in a second, as
  // soundless H.264 at 1000 kbit/s (paths UTF-8). The statistics lie in a
  // private folder under TMPDIR, removed afterwards. Stops at the first
  // pass's error.
  int ConvertTwoPass(int argc, char** argv);
  // param.title's picture for titleLength, then the input.
  int TitlePage(const char* input, const char* output, const MCConvertParam& param);
  // The older file-by-file transcoder: every input re-encoded in turn
  // into one output whose streams follow inputs[refIndex], on one
  // continuous timeline; param.secondInputPath, when set, replaces the
  // sound and is looped. 0 on success; -1 when nothing can be started (no
  // stream kept, no inputs, refIndex outside the list), when an input
  // cannot be read (the output written so far is still finished) or when
  // the trailer fails; AVERROR_EXIT when cancelled.
  int Concat(const std::vector<std::string>& inputs, const char* output, const MCConvertParam& param, int refIndex,
             const char* logPath);
  MCErrorInfo GetErrorInfo() const;
  bool ReportWriteProgress(int64_t position, int64_t total, const std::wstring& name);
  bool ReportReadProgress(int64_t position, int64_t total, const std::wstring& name);

  std::atomic<bool> enabled{true};
  MCIConvertListener* listener = nullptr;
  std::wstring label;
  MCProgress writeProgress;
  MCProgress readProgress;
  MCConvertParam param;

 private:
  // The frame every job runs in: log redirect, a new machine with the hook
  // (owned from here on), the run, the cancel result.
  int RunJob(const char* input, const char* output, const MCConvertParam& param, const char* logPath,
             IStateMachineHook* hook);
  // A job refused before it starts: AVERROR(EINVAL), no machine, no file.
  int Refuse(const char* function);
  // One input of Concat appended to the state's output; 0 or an error.
  int TranscodeFile(MCLegacyState& state, const std::string& input);
  bool Report(MCProgress& last, int64_t position, int64_t total, const std::wstring& name, bool write);

  MCStateMachine* machine_ = nullptr;
  IStateMachineHook* hook_ = nullptr;
  MCErrorInfo jobError_;
};
