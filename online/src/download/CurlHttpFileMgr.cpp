#include "online/CurlHttpFileMgr.h"

#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>

#include "base/CodePage.h"
#include "base/DebugStr.h"

CCurlHttpFileMgr::CCurlHttpFileMgr() = default;

CCurlHttpFileMgr::~CCurlHttpFileMgr() { stop(); }

int CCurlHttpFileMgr::onProgress(CCurlHttpFile* file, int64_t downloaded, int64_t remoteSize) {
  // A download that began just as stop was called may have cleared its
  // abort flag at its start; the stop flag still ends it.
  if (stop_.load()) return 1;
  std::lock_guard<std::mutex> lock(listenerLock_);
  if (!listener_) return 0;
  return listener_->onProgress(this, file, downloaded, remoteSize);
}

void CCurlHttpFileMgr::setListener(CCurlHttpFileMgrInterface* listener) {
  std::lock_guard<std::mutex> lock(listenerLock_);
  listener_ = listener;
}

std::shared_ptr<CCurlHttpFile> CCurlHttpFileMgr::takeFileObject(const std::string& url) {
  std::shared_ptr<CCurlHttpFile> file;
  {
    std::lock_guard<std::mutex> lock(activeLock_);
    for (auto it = active_.begin(); it != active_.end(); ++it) {
      if (it->done && it->done->load() && !it->file->isBusy() && !it->file->isPerforming()) {
        file = it->owner;
        active_.erase(it);
        break;
      }
    }
  }
  if (!file) {
    try {
      file = std::make_shared<CCurlHttpFile>();
    } catch (const std::bad_alloc&) {
      CDebugStr::traceLine(L"%s", L"can't new CCurlHttpFile");
      return nullptr;
    }
  }
  file->setUrl(url);
  file->setListener(this);
  return file;
}

void CCurlHttpFileMgr::queue(std::shared_ptr<CCurlHttpFile> file, uint32_t userData) {
  file->setUserData(userData);
  Entry entry;
  entry.file = file.get();
  entry.owner = std::move(file);
  std::lock_guard<std::mutex> lock(pendingLock_);
  pending_.push_back(std::move(entry));
}

CCurlHttpFile* CCurlHttpFileMgr::addDownload(const std::string& url, const std::wstring& directory,
                                             uint32_t userData) {
  std::shared_ptr<CCurlHttpFile> file = takeFileObject(url);
  if (!file) return nullptr;
  if (!file->setLocalPathFromUrl(url, directory)) return nullptr;
  CCurlHttpFile* raw = file.get();
  queue(std::move(file), userData);
  return raw;
}

CCurlHttpFile* CCurlHttpFileMgr::addDownloadTo(const std::string& url, const std::wstring& localPath,
                                               uint32_t userData) {
  std::shared_ptr<CCurlHttpFile> file = takeFileObject(url);
  if (!file) return nullptr;
  file->setLocalPath(localPath);
  CCurlHttpFile* raw = file.get();
  queue(std::move(file), userData);
  return raw;
}

bool CCurlHttpFileMgr::takeNextPending(Entry& entry) {
  std::lock_guard<std::mutex> lock(pendingLock_);
  if (pending_.empty()) return false;
  entry = std::move(pending_.front());
  pending_.pop_front();
  entry.file->setBusy(true);
  return true;
}

bool CCurlHttpFileMgr::start() {
  if (dispatcher_.isRunning()) return true;
  dispatcher_.setTask([this] { return dispatch(); });
  dispatcher_.setStopFlag(&stop_);
  try {
    dispatcher_.start();
  } catch (const std::exception& error) {
    CDebugStr::traceLine(L"%s", AnsiToWStringRet(error.what()).c_str());
  }
  return true;
}

bool CCurlHttpFileMgr::dispatch() {
  while (!stop_.load()) {
    Entry entry;
    if (!takeNextPending(entry)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
      continue;
    }
    startWorker(std::move(entry));
  }
  return true;
}

void CCurlHttpFileMgr::startWorker(Entry entry) {
  entry.done = std::make_shared<std::atomic<bool>>(false);
  auto worker = std::make_unique<threadtask<bool>>();
  worker->setTask([this, entry] { return runWorker(entry); });
  try {
    worker->start();
  } catch (const std::exception& error) {
    // No thread will ever clear the busy flag the file got when it left
    // the queue; its destructor would wait for it for ever.
    entry.file->setBusy(false);
    entry.file->SetLastErrorText(AnsiToWStringRet(error.what()));
    notifyFinished(entry.file, false);
    entry.done->store(true);
  }
  {
    std::lock_guard<std::mutex> lock(activeLock_);
    active_.push_back(entry);
  }
  std::lock_guard<std::mutex> lock(workersLock_);
  workers_.remove_if([](const std::unique_ptr<threadtask<bool>>& task) { return !task->isRunning(); });
  workers_.push_back(std::move(worker));
}

bool CCurlHttpFileMgr::runWorker(const Entry& entry) {
  bool result = false;
  if (stop_.load()) {
    entry.file->setBusy(false);
    entry.file->setLastError(L"download stopped,%s", L"CCurlHttpFileMgr::runWorker");
  } else {
    result = entry.file->performSafe();
  }
  notifyFinished(entry.file, result);
  entry.done->store(true);
  return result;
}

void CCurlHttpFileMgr::notifyFinished(CCurlHttpFile* file, bool result) {
  std::lock_guard<std::mutex> lock(listenerLock_);
  if (listener_) listener_->onFinished(this, file, result);
}

bool CCurlHttpFileMgr::stop() {
  dispatcher_.stop();
  {
    std::lock_guard<std::mutex> lock(activeLock_);
    for (Entry& entry : active_) entry.file->abort();
  }
  std::list<std::unique_ptr<threadtask<bool>>> workers;
  {
    std::lock_guard<std::mutex> lock(workersLock_);
    workers.swap(workers_);
  }
  for (auto& worker : workers) worker->stop();
  workers.clear();
  {
    std::lock_guard<std::mutex> lock(activeLock_);
    active_.clear();
  }
  std::lock_guard<std::mutex> lock(pendingLock_);
  pending_.clear();
  return true;
}
