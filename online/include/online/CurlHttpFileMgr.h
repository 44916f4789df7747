// A queue of downloads: a dispatcher thread takes each queued file as soon
// as it can and runs it on a worker thread of its own. There is no limit on
// simultaneous downloads.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "online/CurlHttpFile.h"
#include "online/CurlHttpFileInterface.h"
#include "online/ThreadTask.h"

class CCurlHttpFileMgr;

// What the manager tells its listener, on the worker threads, one call at
// a time.
class CCurlHttpFileMgrInterface {
 public:
  virtual ~CCurlHttpFileMgrInterface() = default;
  // Any answer but 0 stops that download.
  virtual int onProgress(CCurlHttpFileMgr* manager, CCurlHttpFile* file, int64_t downloaded,
                         int64_t remoteSize) = 0;
  // The download's result; on false the file's last error says why.
  virtual void onFinished(CCurlHttpFileMgr* manager, CCurlHttpFile* file, bool result) = 0;
};

class CCurlHttpFileMgr : public CCurlHttpFileInterface {
 public:
  static constexpr int kIdlePollMs = 200;

  CCurlHttpFileMgr();
  // Stops, aborting what runs.
  ~CCurlHttpFileMgr() override;
  CCurlHttpFileMgr(const CCurlHttpFileMgr&) = delete;
  CCurlHttpFileMgr& operator=(const CCurlHttpFileMgr&) = delete;

  // The progress forwarder: the listener's answer, 0 without one. Once the
  // manager is stopping, every download is told to stop.
  int onProgress(CCurlHttpFile* file, int64_t downloaded, int64_t remoteSize) override;

  // Queues url into directory under the name the server or the URL gives
  // (a probe of url, made on this thread). Null, with nothing queued, when
  // there is no usable name or no file object can be made. The manager
  // owns the file.
  CCurlHttpFile* addDownload(const std::string& url, const std::wstring& directory,
                             uint32_t userData);
  // Queues url into localPath.
  CCurlHttpFile* addDownloadTo(const std::string& url, const std::wstring& localPath,
                               uint32_t userData);
  // Not owned; set it before start.
  void setListener(CCurlHttpFileMgrInterface* listener);
  // Starts the dispatcher unless it runs; true.
  bool start();
  // Stops the dispatcher (nothing queued starts any more), aborts the
  // running downloads, waits for their threads and forgets every file.
  // Not to be called from a listener.
  bool stop();

 private:
  struct Entry {
    CCurlHttpFile* file = nullptr;
    std::shared_ptr<CCurlHttpFile> owner;
    // Set by the worker once the listener has heard the result: only then
    // may the file object be taken for another download.
    std::shared_ptr<std::atomic<bool>> done;
  };

  // An idle finished file taken back from the active list, or a new one.
  std::shared_ptr<CCurlHttpFile> takeFileObject(const std::string& url);
  void queue(std::shared_ptr<CCurlHttpFile> file, uint32_t userData);
  bool takeNextPending(Entry& entry);
  bool dispatch();
  void startWorker(Entry entry);
  bool runWorker(const Entry& entry);
  void notifyFinished(CCurlHttpFile* file, bool result);

  std::mutex pendingLock_;
  std::list<Entry> pending_;
  std::mutex activeLock_;
  std::list<Entry> active_;
  CCurlHttpFileMgrInterface* listener_ = nullptr;
  threadtask<bool> dispatcher_;
  std::atomic<bool> stop_{false};
  std::mutex workersLock_;
  std::list<std::unique_ptr<threadtask<bool>>> workers_;
  std::mutex listenerLock_;
};
