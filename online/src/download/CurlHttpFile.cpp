#include "online/CurlHttpFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "base/CodePage.h"
#include "base/DiskSpace.h"
#include "base/PathHelpers.h"
#include "base/UrlCoding.h"
#include "http/CurlFailure.h"
#include "online/RemoteFileName.h"

namespace {

// -1 when the file does not exist or cannot be asked.
int64_t FileSizeAt(const std::wstring& path) {
  struct stat64 info {};
  if (stat64(WStringToUtf8Ret(path).c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

std::wstring SystemErrorText(int error) { return AnsiToWStringRet(std::strerror(error)); }

// The volume (or the user's share of it) has no room left.
bool IsDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

int ProgressTrampoline(void* object, curl_off_t, curl_off_t downloadedNow, curl_off_t, curl_off_t) {
  if (!object) return 0;
  return static_cast<CCurlHttpFile*>(object)->onProgress(static_cast<int64_t>(downloadedNow));
}

// Keeps the headers of the last response only: a redirect's headers are
// dropped when the next status line arrives.
size_t HeaderCollector(char* data, size_t size, size_t count, void* out) {
  std::string& headers = *static_cast<std::string*>(out);
  const std::string line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) headers.clear();
  headers += line;
  return size * count;
}

}  // namespace

struct CCurlHttpFile::Probe {
  bool ok = false;
  int64_t size = 0;  // -1: no size announced
  std::string headers;
  std::wstring error;
};

CCurlHttpFile::CCurlHttpFile() = default;

CCurlHttpFile::CCurlHttpFile(const std::wstring& localPath, const std::string& url,
                             const std::string& caFile, int connectTimeoutMs, int timeoutMs,
                             bool verbose)
    : CCurlHttpBase(url, caFile, connectTimeoutMs, timeoutMs, verbose), localPath_(localPath) {}

CCurlHttpFile::~CCurlHttpFile() {
  abort();
  while (isBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

void CCurlHttpFile::reset() {
  CCurlHttpBase::reset();
  downloadedSize_.store(0);
  remoteSize_ = 0;
  aborted_.store(false);
  startOffset_ = 0;
  fileBytes_ = 0;
  localFile_.reset();
  complete_ = false;
  completeInPlace_ = false;
  resume_ = false;
  listener_ = nullptr;
  userData_ = 0;
  lowSpeedBytes_ = kDefaultLowSpeedBytes;
  lowSpeedSeconds_ = kDefaultLowSpeedSeconds;
}

void CCurlHttpFile::clearState() {
  CCurlHttpBase::clearState();
  downloadedSize_.store(0);
  remoteSize_ = 0;
  startOffset_ = 0;
  fileBytes_ = 0;
  aborted_.store(false);
  localFile_.reset();
  complete_ = false;
  completeInPlace_ = false;
  diskFull_ = false;
}

bool CCurlHttpFile::performSafe() { return CCurlHttpBase::performSafe(); }

bool CCurlHttpFile::perform() {
  if (performing_.load()) return refuseNested(L"CCurlHttpFile::perform");
  if (!prepare() || !curSetOptPre()) {
    closeLocalFile();
    return false;
  }
  if (complete_) return finishComplete();
  if (!curSetOpt() || !curSetOptPost()) {
    closeLocalFile();
    return false;
  }
  if (!runTransfer()) return false;  // onPerformEnd has closed the part file
  if (!downloadChkFinish() || !commitLocalFile()) return false;
  succeeded_ = true;
  return true;
}

bool CCurlHttpFile::curSetOptPre() {
  if (localPath_.empty()) {
    setLastError(L"file can't open,%s,%s", L"", L"CCurlHttpFile::localFileInit");
    return false;
  }
  const Probe probe = probeRemote(url_, false);
  if (!probe.ok) {
    const std::wstring refusal = L"remote file size can't get," + Utf8ToWStringRet(url_) +
                                 L",CCurlHttpFile::curSetOptPre";
    SetLastErrorText(probe.error.empty() ? refusal : probe.error + L"\r\n" + refusal);
    return false;
  }
  remoteSize_ = probe.size;
  downloadedSize_.store(0);

  // A finished file is never downloaded again when resuming.
  if (resume_ && remoteSize_ >= 0 && FileSizeAt(localPath_) == remoteSize_) {
    complete_ = true;
    completeInPlace_ = true;
    fileBytes_ = remoteSize_;
    downloadedSize_.store(remoteSize_);
    return true;
  }
  if (!localFileSize()) return false;
  if (remoteSize_ >= 0 && startOffset_ > remoteSize_) {
    // A part longer than the remote file is not a beginning of it.
    startOffset_ = 0;
    downloadedSize_.store(0);
  }
  if (resume_ && remoteSize_ >= 0 && startOffset_ == remoteSize_ &&
      FileSizeAt(getPartPath()) == remoteSize_) {
    complete_ = true;  // the last request ended before the part was put in place
    fileBytes_ = remoteSize_;
    return true;
  }
  if (!checkDiskSpace() || !localFileInit()) return false;
  if (!CCurlHttpBase::curSetOptPre()) return false;
  return setFileOptions();
}

bool CCurlHttpFile::localFileSize() {
  startOffset_ = 0;
  downloadedSize_.store(0);
  if (!resume_ || localPath_.empty()) return true;
  const int64_t size = FileSizeAt(getPartPath());
  if (size > 0) {
    startOffset_ = size;
    downloadedSize_.store(size);
  }
  return true;
}

bool CCurlHttpFile::localFileInit() {
  const std::wstring part = getPartPath();
  const char* mode = resume_ && startOffset_ > 0 ? "ab" : "wb";
  FILE* file = localPath_.empty() ? nullptr : fopen(WStringToUtf8Ret(part).c_str(), mode);
  if (!file) {
    const int error = errno;
    setLastError(L"file can't open,%s,%s", part.c_str(), L"CCurlHttpFile::localFileInit");
    if (!localPath_.empty()) SetLastErrorText(std::wstring(getLastError()) + L"\r\n" + SystemErrorText(error));
    return false;
  }
  localFile_.reset(file, &fclose);
  fileBytes_ = startOffset_;
  return true;
}

bool CCurlHttpFile::checkDiskSpace() {
  if (remoteSize_ < 0) return true;  // no size announced: nothing to compare
  std::wstring folder = localPath_;
  const size_t separator = folder.find_last_of(L"/\\");
  folder = separator == std::wstring::npos ? L"." : folder.substr(0, separator + 1);
  uint64_t freeBytes = 0;
  uint64_t totalBytes = 0;
  std::wstring error;
  const bool asked = GetDiskSpace(folder, freeBytes, totalBytes, error);
  if (asked && static_cast<uint64_t>(remoteSize_) <= freeBytes) return true;
  setLastError(L"disk not enough space,%s,%s", localPath_.c_str(), L"CCurlHttpFile::curSetOptPre");
  if (!asked && !error.empty()) SetLastErrorText(std::wstring(getLastError()) + L"\r\n" + error);
  return false;
}

bool CCurlHttpFile::setFileOptions() {
  try {
    SetCurlOption(curl_, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(startOffset_));
    SetCurlOption(curl_, CURLOPT_XFERINFOFUNCTION, &ProgressTrampoline);
    SetCurlOption(curl_, CURLOPT_XFERINFODATA, static_cast<void*>(this));
    SetCurlOption(curl_, CURLOPT_NOPROGRESS, 0L);
    // An error page or a redirect's body is never saved as the file.
    SetCurlOption(curl_, CURLOPT_FAILONERROR, 1L);
    SetCurlOption(curl_, CURLOPT_FOLLOWLOCATION, 1L);
    SetCurlOption(curl_, CURLOPT_MAXREDIRS, kMaxRedirects);
    SetCurlOption(curl_, CURLOPT_CONNECTTIMEOUT_MS,
                  static_cast<long>(connectTimeoutMs_ != 0 ? connectTimeoutMs_ : kDefaultConnectTimeoutMs));
    SetCurlOption(curl_, CURLOPT_LOW_SPEED_LIMIT, lowSpeedBytes_);
    SetCurlOption(curl_, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds_);
  } catch (const CurlFailure& failure) {
    SetLastErrorText(CurlErrorText(failure.code(), nullptr));
    return false;
  }
  return true;
}

CCurlHttpFile::Probe CCurlHttpFile::probeRemote(const std::string& url, bool collectHeaders) {
  Probe probe;
  if (url.empty()) {
    probe.error = L"URL is empty,CCurlHttpFile::probeRemote";
    return probe;
  }
  CURL* curl = curl_easy_init();
  if (!curl) {
    probe.error = L"Error:无法初始化curl,CCurlHttpFile::probeRemote";
    return probe;
  }
  char errorBuffer[CURL_ERROR_SIZE] = {};
  try {
    SetCurlOption(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    SetCurlOption(curl, CURLOPT_URL, NormalizeUrlEncoding(url).c_str());
    SetCurlOption(curl, CURLOPT_CUSTOMREQUEST, "GET");
    SetCurlOption(curl, CURLOPT_NOBODY, 1L);
    // A body the server sends anyway (a redirect's page) is never read: the
    // connection must not carry it into the next hop's reply.
    SetCurlOption(curl, CURLOPT_FORBID_REUSE, 1L);
    SetCurlOption(curl, CURLOPT_PROXY, proxy_.empty() ? nullptr : proxy_.c_str());
    SetCurlOption(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    SetCurlOption(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile_.empty()) {
      SetCurlOption(curl, CURLOPT_CAINFO, caFile_.c_str());
      SetCurlOption(curl, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    }
    SetCurlOption(curl, CURLOPT_NOSIGNAL, 1L);
    SetCurlOption(curl, CURLOPT_FAILONERROR, 1L);
    SetCurlOption(curl, CURLOPT_FOLLOWLOCATION, 1L);
    SetCurlOption(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    SetCurlOption(curl, CURLOPT_CONNECTTIMEOUT_MS,
                  static_cast<long>(connectTimeoutMs_ != 0 ? connectTimeoutMs_ : kDefaultConnectTimeoutMs));
    SetCurlOption(curl, CURLOPT_LOW_SPEED_LIMIT, lowSpeedBytes_);
    SetCurlOption(curl, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds_);
    if (collectHeaders) {
      SetCurlOption(curl, CURLOPT_HEADERFUNCTION, &HeaderCollector);
      SetCurlOption(curl, CURLOPT_HEADERDATA, static_cast<void*>(&probe.headers));
    }
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) throw CurlFailure(code);
    curl_off_t length = -1;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) length = -1;
    probe.size = static_cast<int64_t>(length);
    probe.ok = true;
  } catch (const CurlFailure& failure) {
    probe.error = CurlErrorText(failure.code(), errorBuffer);
  }
  curl_easy_cleanup(curl);
  return probe;
}

int64_t CCurlHttpFile::getRemoteFileSize(const std::string& url) {
  const Probe probe = probeRemote(url, false);
  if (!probe.ok) {
    SetLastErrorText(probe.error);
    return 0;
  }
  return probe.size;
}

bool CCurlHttpFile::getRemoteFileName(const std::string& url, std::wstring& name) {
  name.clear();
  if (url.empty()) return false;
  const Probe probe = probeRemote(url, true);
  if (probe.ok) name = FileNameFromHeaders(probe.headers);
  if (name.empty()) name = FileNameFromUrl(url);
  return !name.empty();
}

bool CCurlHttpFile::setLocalPathFromUrl(const std::string& url, const std::wstring& directory) {
  std::wstring name;
  if (!getRemoteFileName(url, name)) {
    localPath_.clear();
    return false;
  }
  std::wstring folder;
  if (!GetFullPath(directory.empty() ? L"./" : directory.c_str(), folder)) return false;
  NormalizePathSeparators(folder);
  AppendSlash(folder);
  localPath_ = folder + name;
  return true;
}

void CCurlHttpFile::setLowSpeedLimit(long bytesPerSecond, long seconds) {
  lowSpeedBytes_ = bytesPerSecond;
  lowSpeedSeconds_ = seconds;
}

double CCurlHttpFile::getDownloadSpeed() {
  if (!curl_) return 0.0;
  curl_off_t speed = 0;
  if (curl_easy_getinfo(curl_, CURLINFO_SPEED_DOWNLOAD_T, &speed) != CURLE_OK) return 0.0;
  return static_cast<double>(speed);
}

size_t CCurlHttpFile::onWrite(const char* data, size_t size, size_t count) {
  if (!data) return static_cast<size_t>(-1);
  const size_t bytes = size * count;
  if (!localFile_) {
    setLastError(L"file can't open,%s,%s", getPartPath().c_str(), L"CCurlHttpFile::onWrite");
    return 0;
  }
  // Only the announced size is taken: a server that sends more is not
  // sending the file it described.
  const int64_t after = fileBytes_ + static_cast<int64_t>(bytes);
  if (remoteSize_ >= 0 && after > remoteSize_) {
    setLastError(L"file down size is not match,%s", L"CCurlHttpFile::onWrite");
    return 0;
  }
  if (fwrite(data, 1, bytes, localFile_.get()) != bytes) {
    const int error = errno;
    diskFull_ = IsDiskFull(error);
    setLastError(L"file down size is not match,%s", L"CCurlHttpFile::onWrite");
    SetLastErrorText(std::wstring(getLastError()) + L"\r\n" + SystemErrorText(error));
    return 0;
  }
  fileBytes_ = after;
  downloadedSize_.store(after);
  return bytes;
}

int CCurlHttpFile::onProgress(int64_t downloadedNow) {
  if (aborted_.load()) return 1;
  if (downloadedNow > 0) downloadedSize_.store(startOffset_ + downloadedNow);
  if (listener_) return listener_->onProgress(this, downloadedSize_.load(), remoteSize_);
  return 0;
}

bool CCurlHttpFile::onPerformEnd(CURLcode code) {
  const bool written = closeLocalFile();
  if (diskFull_) discardPartOfFullDisk();
  long status = 0;
  const bool rangeRefused = code == CURLE_HTTP_RETURNED_ERROR && startOffset_ > 0 &&
                            curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
                            status == 416;
  if (code == CURLE_RANGE_ERROR || rangeRefused) {
    // The server sent the whole file to a resumed request, or has nothing
    // past the part's end: the part is not a beginning of this file. Kept,
    // the next try would append a second copy or be refused again.
    std::remove(WStringToUtf8Ret(getPartPath()).c_str());
  }
  return written;
}

bool CCurlHttpFile::closeLocalFile() {
  if (!localFile_) return true;
  const bool flushed = fflush(localFile_.get()) == 0;
  const int error = errno;
  localFile_.reset();
  if (flushed) return true;
  diskFull_ = diskFull_ || IsDiskFull(error);
  setLastError(L"file can't write,%s,%s", getPartPath().c_str(), L"CCurlHttpFile::closeLocalFile");
  SetLastErrorText(std::wstring(getLastError()) + L"\r\n" + SystemErrorText(error));
  return false;
}

void CCurlHttpFile::discardPartOfFullDisk() {
  // A full disk is seldom freed by the time the download is tried again.
  const std::wstring part = getPartPath();
  std::wstring note = L"the disk is full: " + part;
  if (std::remove(WStringToUtf8Ret(part).c_str()) == 0 || errno == ENOENT)
    note += L" removed";
  else
    note += L" could not be removed: " + SystemErrorText(errno);
  const std::wstring earlier = getLastError();
  SetLastErrorText(earlier.empty() ? note : earlier + L"\r\n" + note);
}

bool CCurlHttpFile::downloadChkFinish() {
  const int64_t downloaded = fileBytes_;
  if (remoteSize_ < 0 || downloaded == remoteSize_) return true;
  setLastError(L"file download not finish,%s", L"CCurlHttpFile::downloadChkFinish");
  SetLastErrorText(std::wstring(getLastError()) + L"\r\n" + std::to_wstring(downloaded) + L" of " +
                   std::to_wstring(remoteSize_) + L" bytes");
  return false;
}

bool CCurlHttpFile::commitLocalFile() {
  if (std::rename(WStringToUtf8Ret(getPartPath()).c_str(), WStringToUtf8Ret(localPath_).c_str()) == 0)
    return true;
  const int error = errno;
  setLastError(L"file can't rename,%s,%s", localPath_.c_str(), L"CCurlHttpFile::commitLocalFile");
  SetLastErrorText(std::wstring(getLastError()) + L"\r\n" + SystemErrorText(error));
  return false;
}

bool CCurlHttpFile::finishComplete() {
  closeLocalFile();
  if (!completeInPlace_ && !commitLocalFile()) return false;
  succeeded_ = true;
  return true;
}
