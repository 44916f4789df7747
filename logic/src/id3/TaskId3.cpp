#include "logic/TaskId3.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

namespace {

// The file a recording's path names: the target of a symbolic link, so the
// rewrite lands in the real file and the link stays a link. Empty when the
// path cannot be resolved.
std::string ResolveRecording(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return {};
  return resolved;
}

// Read-only by its mode, whoever runs the program: the owner of the
// process may be allowed to write anyway, but a file nobody may write was
// made so to be left alone.
bool IsReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// The rewritten file takes the original's permissions and, where the
// process may set them, its owner and group.
bool TakeOverAccess(const std::string& target, const struct stat& original) {
  if (::chmod(target.c_str(), original.st_mode & 07777) != 0) {
    MCLogPrintf("CTaskId3: the rewritten file could not take the recording's mode: %s\n", std::strerror(errno));
    return false;
  }
  if (::chown(target.c_str(), original.st_uid, original.st_gid) != 0) {
    // An ordinary user cannot give a file away; the group may still be his.
    if (::chown(target.c_str(), static_cast<uid_t>(-1), original.st_gid) != 0) errno = 0;
    // chown may clear set-id bits: put the mode back as it was.
    ::chmod(target.c_str(), original.st_mode & 07777);
  }
  return true;
}

}  // namespace

int CTaskId3::Rewrite() {
  const std::wstring named(static_cast<const wchar_t*>(path_));
  if (!Id3FormatSupported(named)) return kId3ResultFailed;
  if (cancelled_.load()) return kId3ResultCancelled;

  const std::string sourceUtf8 = ResolveRecording(Utf8FromWString(named));
  struct stat original {};
  if (sourceUtf8.empty() || ::stat(sourceUtf8.c_str(), &original) != 0 || !S_ISREG(original.st_mode)) {
    MCLogPrintf("CTaskId3: the recording cannot be found: %s\n", Utf8FromWString(named).c_str());
    return kId3ResultFailed;
  }
  if (IsReadOnly(original)) {
    MCLogPrintf("CTaskId3: the recording is read-only and is left as it is: %s\n", sourceUtf8.c_str());
    return kId3ResultFailed;
  }
  const std::wstring source = WStringFromUtf8(sourceUtf8);

  MCConvertParam param;
  param.tags.Assign(tags_);
  param.format = formatId_ == kFormatIdM4r ? "ipod" : "";

  SStringW reserved;
  try {
    reserved = MakeUniqueFileName(SStringW(source.c_str()), false);
  } catch (const std::exception& e) {
    MCLogPrintf("CTaskId3: no free name beside the file: %s\n", e.what());
    return kId3ResultFailed;
  }
  const std::string target = Utf8FromWString(static_cast<const wchar_t*>(reserved));
  if (target.empty()) return kId3ResultFailed;

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
  if (!TakeOverAccess(target, original)) {
    std::remove(target.c_str());
    return kId3ResultFailed;
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
