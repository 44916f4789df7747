#include "mediaconvert/MCMediaConvert.h"

#include "base/CodePage.h"
#include "mediaconvert/MCHooks.h"
#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMuxer.h"

MCMediaConvert::~MCMediaConvert() {
  delete machine_;
  delete hook_;
}

int MCMediaConvert::Convert(const char* input, const char* output, const MCConvertParam& p, const char* logPath) {
  IStateMachineHook* hook = p.stream.reverse ? static_cast<IStateMachineHook*>(new UpEndHook(this))
                                             : new ConvertHook(this);
  return RunJob(input, output, p, logPath, hook);
}

int MCMediaConvert::RunJob(const char* input, const char* output, const MCConvertParam& p, const char* logPath,
                           IStateMachineHook* hook) {
  MCLogRedirect log(logPath);
  // Every call converts: a machine kept from an earlier run would only
  // repeat that run's result.
  delete machine_;
  delete hook_;
  machine_ = new MCStateMachine(&p, input ? input : "", output ? output : "");
  hook_ = hook;
  machine_->SetHook(hook_);
  int result;
  try {
    result = machine_->Run();
  } catch (const std::exception& e) {
    machine_->error.SetError(AVERROR_BUG, "MCStateMachine::Run");
    result = machine_->error.code;
  }
  if (machine_->error.IsSet()) {
    MCLogPrintf("%s%s", machine_->error.message.c_str(), machine_->error.function.c_str());
  } else if (enabled.load()) {
    ReportWriteProgress(100, 100, WStringFromUtf8(input ? input : ""));
  }
  if (!enabled.load() && result == 0) {
    // A cancelled run wrote no trailer: its file is incomplete.
    machine_->error.SetError(AVERROR_EXIT, "MCMediaConvert::Convert");
    result = AVERROR_EXIT;
  }
  // A run that failed removes what it began; a file that was at the
  // output path before stays as it was.
  if (result != 0 && machine_->muxer != nullptr) machine_->muxer->Abandon();
  return result;
}

MCErrorInfo MCMediaConvert::GetErrorInfo() const { return machine_ ? machine_->error : jobError_; }

bool MCMediaConvert::Report(MCProgress& last, int64_t position, int64_t total, const std::wstring& name, bool write) {
  if (listener == nullptr || !enabled.load()) return false;
  const double ratio = total ? static_cast<double>(position) / static_cast<double>(total) : 0.0;
  const double lastRatio = last.total ? static_cast<double>(last.position) / static_cast<double>(last.total) : 0.0;
  if (lastRatio > ratio) return false;
  last.position = position;
  last.total = total;
  const std::wstring& shown = label.empty() ? name : label;
  return write ? listener->OnWriteProgress(shown, position, total) : listener->OnReadProgress(shown, position, total);
}

bool MCMediaConvert::ReportWriteProgress(int64_t position, int64_t total, const std::wstring& name) {
  return Report(writeProgress, position, total, name, true);
}

bool MCMediaConvert::ReportReadProgress(int64_t position, int64_t total, const std::wstring& name) {
  return Report(readProgress, position, total, name, false);
}
