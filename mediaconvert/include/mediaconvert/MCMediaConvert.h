#pragma once
// The entry object of the media library: one job runs one conversion at a
// time on the caller's thread. Any thread may cancel it by clearing
// `enabled`.

#include <atomic>
#include <memory>
#include <string>

#include "mediaconvert/MCConvertParam.h"
#include "mediaconvert/MCStateMachine.h"

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
  bool Report(MCProgress& last, int64_t position, int64_t total, const std::wstring& name, bool write);

  MCStateMachine* machine_ = nullptr;
  IStateMachineHook* hook_ = nullptr;
};
