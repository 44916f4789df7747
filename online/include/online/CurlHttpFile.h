// One URL downloaded into a local file, optionally resuming an earlier
// part, with progress reported to a listener.
//
// The bytes go to "<local path>.part"; only a transfer that ends with the
// size the server announced (or ends cleanly, when it announced none) is
// renamed over the local path, so a failed download never damages or
// replaces a good file. With resume on, a later request continues the
// part, and a local file that already has the remote size is taken as done
// without a transfer. A part whose writing found the disk full is removed
// instead of kept for a resume: it would keep the disk full.
//
// The probe before the transfer and the transfer itself fail on an HTTP
// status of 400 or more, follow at most kMaxRedirects redirects, give up
// on a connection that does not open within the connect time-out (a
// default when 0) and on a server that stalls below the low-speed limit.
// No total time-out is forced on a large file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "online/CurlHttpBase.h"
#include "online/CurlHttpFileInterface.h"

class CCurlHttpFile : public CCurlHttpBase {
 public:
  static constexpr long kMaxRedirects = 10;
  static constexpr int kDefaultConnectTimeoutMs = 30000;
  // A transfer slower than 1 byte a second for 60 seconds is a stall.
  static constexpr long kDefaultLowSpeedBytes = 1;
  static constexpr long kDefaultLowSpeedSeconds = 60;

  CCurlHttpFile();
  CCurlHttpFile(const std::wstring& localPath, const std::string& url, const std::string& caFile,
                int connectTimeoutMs, int timeoutMs, bool verbose);
  // Asks a running transfer to stop and waits until it has.
  ~CCurlHttpFile() override;

  void reset() override;
  bool performSafe() override;
  bool perform() override;
  bool curSetOptPre() override;
  bool onPerformEnd(CURLcode code) override;
  void clearState() override;
  size_t onWrite(const char* data, size_t size, size_t count) override;

  // Opens the part file: appending when resuming, else emptied.
  virtual bool localFileInit();
  // The part file's size as the start offset, when resuming.
  virtual bool localFileSize();
  // libcurl's progress, downloadedNow counting this request's bytes.
  virtual int onProgress(int64_t downloadedNow);

  void setLocalPath(const std::wstring& path) { localPath_ = path; }
  const std::wstring& getLocalPath() const { return localPath_; }
  // The directory (the current one when empty) plus the remote file name;
  // false, with an empty path, when the server and the URL give no usable
  // name.
  bool setLocalPathFromUrl(const std::string& url, const std::wstring& directory);
  // Where the bytes go until the download is complete.
  std::wstring getPartPath() const { return localPath_ + L".part"; }

  void setResume(bool resume) { resume_ = resume; }
  bool isResume() const { return resume_; }
  void setListener(CCurlHttpFileInterface* listener) { listener_ = listener; }
  // The caller's value; it stays through requests.
  void setUserData(uint32_t value) { userData_ = value; }
  uint32_t getUserData() const { return userData_; }
  // Stops the running transfer at its next progress call.
  void abort() { aborted_.store(true); }
  bool isAborted() const { return aborted_.load(); }
  int64_t getDownloadedSize() const { return downloadedSize_.load(); }
  // Bytes per second of the current or last transfer; 0 without a handle.
  // Call it on the download's thread (from the listener, or after).
  double getDownloadSpeed();
  // A stall ends the transfer (and the probes) with libcurl's time-out
  // text: fewer than bytesPerSecond for seconds on end.
  void setLowSpeedLimit(long bytesPerSecond, long seconds);

  // The size the server announces for url: -1 when it gives none, 0 when
  // the probe fails (its text is then the last error).
  int64_t getRemoteFileSize(const std::string& url);
  // The name from the server's Content-Disposition, else the URL's last
  // path component; only a plain file name is taken (FileNameFromHeaders).
  bool getRemoteFileName(const std::string& url, std::wstring& name);
  // True when the bytes on disk match the announced size (or no size was
  // announced); otherwise false with "file download not finish".
  bool downloadChkFinish();

 private:
  struct Probe;
  // One request for the headers of url on a handle of its own.
  Probe probeRemote(const std::string& url, bool collectHeaders);
  bool checkDiskSpace();
  bool setFileOptions();
  // Flushes and closes the part file; false when its bytes did not reach the disk.
  bool closeLocalFile();
  // Puts the complete part in place of the local file.
  bool commitLocalFile();
  bool finishComplete();
  // Removes the part file after a write that found the disk full, and says so.
  void discardPartOfFullDisk();

  std::atomic<int64_t> downloadedSize_{0};
  int64_t remoteSize_ = 0;
  std::atomic<bool> aborted_{false};
  int64_t startOffset_ = 0;
  // What the part file holds: the start offset plus this request's writes.
  int64_t fileBytes_ = 0;
  std::wstring localPath_;
  std::shared_ptr<FILE> localFile_;
  bool complete_ = false;
  // The local file itself already had the size (nothing to rename).
  bool completeInPlace_ = false;
  bool resume_ = false;
  // A write of this request failed for want of room on the disk.
  bool diskFull_ = false;
  CCurlHttpFileInterface* listener_ = nullptr;
  uint32_t userData_ = 0;
  long lowSpeedBytes_ = kDefaultLowSpeedBytes;
  long lowSpeedSeconds_ = kDefaultLowSpeedSeconds;
};
