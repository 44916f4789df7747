#include "logic/TaskId3.h"

#include <cstdio>

#include "base/CodePage.h"
#include "base/FileNaming.h"
#include "mediaconvert/MCLog.h"
#include "mediaconvert/MCMediaConvert.h"

CTaskId3::CTaskId3(SStringW path, int formatId, const MCMediaTags& tags, HWND dialog)
    : path_(std::move(path)), dialog_(dialog), formatId_(formatId) {
  tags_.Assign(tags);
}

CTaskId3::~CTaskId3() = default;

bool CTaskId3::Run() {
  const int result = Rewrite();
  result_.store(result);
  if (dialog_ != nullptr) PostMessageW(dialog_, UM_ID3_RESULT, static_cast<WPARAM>(result), 0);
  return false;
}

int CTaskId3::Rewrite() {
  const std::wstring source(static_cast<const wchar_t*>(path_));
  if (!Id3FormatSupported(source)) return kId3ResultFailed;
  if (cancelled_.load()) return kId3ResultCancelled;

  MCConvertParam param;
  param.tags.Assign(tags_);
  param.format = formatId_ == kFormatIdM4r ? "ipod" : "";

  SStringW reserved;
  try {
    reserved = MakeUniqueFileName(path_, false);
  } catch (const std::exception& e) {
    MCLogPrintf("CTaskId3: no free name beside the file: %s\n", e.what());
    return kId3ResultFailed;
  }
  const std::string target = Utf8FromWString(static_cast<const wchar_t*>(reserved));
  if (target.empty()) return kId3ResultFailed;
  const std::string sourceUtf8 = Utf8FromWString(source);

  int rc;
  {
    std::lock_guard<std::mutex> lock(jobMutex_);
    job_ = new MCMediaConvert();
    // A cancel that came before the job existed still stops it.
    if (cancelled_.load()) job_->enabled.exchange(false);
  }
  rc = job_->Convert(sourceUtf8.c_str(), target.c_str(), param, nullptr);
  {
    std::lock_guard<std::mutex> lock(jobMutex_);
    delete job_;
    job_ = nullptr;
  }
  if (rc != 0 || cancelled_.load()) {
    std::remove(target.c_str());
    return cancelled_.load() ? kId3ResultCancelled : kId3ResultFailed;
  }
  // One rename puts the new file in the source's place: at every moment
  // one complete version exists under the source's name.
  if (std::rename(target.c_str(), sourceUtf8.c_str()) != 0) {
    MCLogPrintf("CTaskId3: the rewritten file could not replace the source\n");
    std::remove(target.c_str());
    return kId3ResultFailed;
  }
  return kId3ResultDone;
}

bool CTaskId3::Cancel() {
  std::lock_guard<std::mutex> lock(jobMutex_);
  cancelled_.store(true);
  if (job_ != nullptr) job_->enabled.exchange(false);
  return true;
}
