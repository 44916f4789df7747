// The download queue against a local server: queued downloads run on their
// own threads and report to the listener; stop aborts what runs and drops
// what waits; a URL that names no file is never queued.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "local_server.h"
#include "online/CurlHttpFileMgr.h"

namespace {

using online_test::LocalServer;
using online_test::PatternBytes;
using online_test::ReadFileBytes;
using online_test::SameBytes;
namespace fs = std::filesystem;

struct Finished {
  CCurlHttpFile* file;
  bool result;
  std::wstring error;
  uint32_t userData;
  std::wstring path;
};

class Recorder : public CCurlHttpFileMgrInterface {
 public:
  int onProgress(CCurlHttpFileMgr*, CCurlHttpFile* file, int64_t downloaded, int64_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_[file] = downloaded;
    changed_.notify_all();
    return 0;
  }
  void onFinished(CCurlHttpFileMgr*, CCurlHttpFile* file, bool result) override {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_.push_back({file, result, file->getLastError(), file->getUserData(), file->getLocalPath()});
    changed_.notify_all();
  }
  // Generous: a loaded two-core machine starts threads and python slowly.
  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), done);
  }
  std::vector<Finished> finished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<CCurlHttpFile*, int64_t> progress_;
  std::vector<Finished> finished_;
};

class DownloadManager : public online_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    ASSERT_TRUE(server_.running());
  }
  // Requests the server saw for paths starting with prefix.
  size_t RequestsFor(const std::string& prefix) {
    size_t count = 0;
    for (const auto& request : server_.requests())
      if (request.path.rfind(prefix, 0) == 0) ++count;
    return count;
  }
  LocalServer server_;
};

TEST_F(DownloadManager, QueuedDownloadsAllFinishIntoTheirFiles) {
  Recorder recorder;
  CCurlHttpFileMgr manager;
  manager.setListener(&recorder);
  const std::vector<std::string> names = {"one.bin", "two.bin", "three.bin"};
  std::vector<CCurlHttpFile*> files;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string url = server_.url("/named/attachment%3B+filename%3D" + names[i] + "/x?size=" +
                                        std::to_string(100000 * (i + 1)));
    CCurlHttpFile* file = manager.addDownload(url, Utf8ToWStringRet(root_.string()), 10 + i);
    ASSERT_NE(file, nullptr) << names[i];
    EXPECT_EQ(file->getLocalPath(), WPath(names[i]));
    files.push_back(file);
  }
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.finished_.size() == 3; }));

  for (const Finished& event : recorder.finished()) {
    const size_t i = std::find(files.begin(), files.end(), event.file) - files.begin();
    ASSERT_LT(i, files.size());
    EXPECT_TRUE(event.result) << event.error;
    EXPECT_EQ(event.userData, 10 + i);
    EXPECT_EQ(event.path, WPath(names[i]));
    EXPECT_TRUE(SameBytes(ReadFileBytes(Path(names[i])), PatternBytes(0, 100000 * (i + 1)))) << names[i];
    EXPECT_GT(recorder.progress_[event.file], 0);
  }

  // A finished file object is taken for the next download.
  CCurlHttpFile* again = manager.addDownloadTo(server_.url("/file?size=10"), WPath("four.bin"), 4);
  EXPECT_NE(std::find(files.begin(), files.end(), again), files.end());
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.finished_.size() == 4; }));
  EXPECT_TRUE(recorder.finished().back().result) << recorder.finished().back().error;
  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("four.bin")), PatternBytes(0, 10)));
}

TEST_F(DownloadManager, StopAbortsTheRunningDownloadAndDropsTheWaitingOne) {
  Recorder recorder;
  CCurlHttpFileMgr manager;
  manager.setListener(&recorder);
  CCurlHttpFile* slow = manager.addDownloadTo(server_.url("/file?size=5000000&chunk=1000&delay_ms=50"),
                                              WPath("slow.bin"), 1);
  ASSERT_NE(slow, nullptr);
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.progress_[slow] > 0; }));

  // Queued and stopped at once: the dispatcher, asleep between its polls,
  // never gets to it.
  ASSERT_NE(manager.addDownloadTo(server_.url("/files/waiting.bin"), WPath("waiting.bin"), 2), nullptr);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(manager.stop());
  // The slow file would take over four minutes to arrive.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));

  const std::vector<Finished> events = recorder.finished();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].userData, 1u);
  EXPECT_FALSE(events[0].result);
  EXPECT_EQ(events[0].error.rfind(L"Operation was aborted by an application callback", 0), 0u)
      << events[0].error;
  EXPECT_FALSE(fs::exists(Path("slow.bin")));
  EXPECT_EQ(RequestsFor("/files/waiting.bin"), 0u);

  // Started again, the manager has nothing left to run.
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(manager.stop());
  EXPECT_EQ(recorder.finished().size(), 1u);
  EXPECT_EQ(RequestsFor("/files/waiting.bin"), 0u);
  EXPECT_FALSE(fs::exists(Path("waiting.bin")));
}

TEST_F(DownloadManager, UrlWithoutAFileNameIsNotQueued) {
  Recorder recorder;
  CCurlHttpFileMgr manager;
  manager.setListener(&recorder);
  EXPECT_EQ(manager.addDownload(server_.url("/files/"), Utf8ToWStringRet(root_.string()), 1), nullptr);
  CCurlHttpFile* named = manager.addDownload(server_.url("/files/named.bin"), Utf8ToWStringRet(root_.string()), 2);
  ASSERT_NE(named, nullptr);
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(recorder.WaitFor([&] { return !recorder.finished_.empty(); }));
  // stop joins every worker: one for the nameless URL, had it been queued
  // ahead of the named one, would have reported by now.
  ASSERT_TRUE(manager.stop());
  const std::vector<Finished> events = recorder.finished();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].file, named);
  EXPECT_TRUE(events[0].result) << events[0].error;
  EXPECT_EQ(RequestsFor("/files/named.bin"), 3u);  // the name probe, the size probe, the transfer
  EXPECT_EQ(RequestsFor("/files/?"), 0u);
  EXPECT_EQ(RequestsFor("/files/"), 4u);  // the nameless URL was probed once for its name only
}

}  // namespace
