// The download queue under ThreadSanitizer: downloads added from several
// threads while the dispatcher and the workers run, busy flags read from
// outside, and a stop while transfers are under way.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "local_server.h"
#include "online/CurlHttpFileMgr.h"

namespace {

using online_test::LocalServer;
using online_test::PatternBytes;
using online_test::ReadFileBytes;
using online_test::SameBytes;

class Counter : public CCurlHttpFileMgrInterface {
 public:
  int onProgress(CCurlHttpFileMgr*, CCurlHttpFile*, int64_t downloaded, int64_t) override {
    if (downloaded > 0) sawProgress_ = true;
    return 0;
  }
  void onFinished(CCurlHttpFileMgr*, CCurlHttpFile*, bool result) override {
    std::lock_guard<std::mutex> lock(mutex_);
    (result ? succeeded_ : failed_)++;
    changed_.notify_all();
  }
  bool WaitForFinished(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(120),
                             [&] { return succeeded_ + failed_ >= count; });
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  int succeeded_ = 0;
  int failed_ = 0;
  std::atomic<bool> sawProgress_{false};
};

class DownloadManagerThreads : public online_test::ScratchTest {
 protected:
  LocalServer server_;
};

TEST_F(DownloadManagerThreads, AddsFromSeveralThreadsWhileDownloadsRunThenStop) {
  ASSERT_TRUE(server_.running());
  Counter counter;
  CCurlHttpFileMgr manager;
  manager.setListener(&counter);
  ASSERT_TRUE(manager.start());

  std::vector<CCurlHttpFile*> added(8, nullptr);
  std::vector<std::thread> callers;
  for (int t = 0; t < 2; ++t) {
    callers.emplace_back([&, t] {
      for (int i = 0; i < 4; ++i) {
        const int n = t * 4 + i;
        added[n] = manager.addDownloadTo(server_.url("/file?size=" + std::to_string(20000 + n)),
                                         WPath("f" + std::to_string(n) + ".bin"), n);
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  for (CCurlHttpFile* file : added) ASSERT_NE(file, nullptr);
  ASSERT_TRUE(counter.WaitForFinished(8));
  EXPECT_EQ(counter.succeeded_, 8);
  for (int n = 0; n < 8; ++n)
    EXPECT_TRUE(SameBytes(ReadFileBytes(Path("f" + std::to_string(n) + ".bin")), PatternBytes(0, 20000 + n)));

  // Slow transfers, watched from here, then stopped under way.
  std::vector<CCurlHttpFile*> slow;
  for (int n = 0; n < 3; ++n)
    slow.push_back(manager.addDownloadTo(server_.url("/file?size=3000000&chunk=1000&delay_ms=20&s=" +
                                                     std::to_string(n)),
                                         WPath("slow" + std::to_string(n) + ".bin"), 100 + n));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!counter.sawProgress_.load() && std::chrono::steady_clock::now() < deadline) {
    for (CCurlHttpFile* file : slow) (void)file->isBusy();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(counter.sawProgress_.load());
  ASSERT_TRUE(manager.stop());
  EXPECT_EQ(counter.succeeded_, 8);
}

}  // namespace
