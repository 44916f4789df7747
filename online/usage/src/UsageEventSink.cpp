#include "online/UsageEventSink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "base/UrlCoding.h"
#include "online/CurlHttpPost.h"

// The worker holds the state too, so a worker still inside a request when
// the sink is destroyed finishes on state of its own, never on a dead sink.
struct CHttpUsageEventSink::State {
  std::string url;
  std::mutex lock;
  std::condition_variable changed;
  std::deque<std::string> waiting;  // form bodies
  bool posting = false;
  bool stopping = false;
  bool workerStarted = false;
  size_t dropped = 0;

  static void Run(std::shared_ptr<State> self) {
    CCurlHttpPost post;
    post.setUrl(self->url);
    post.setConnectTimeout(kConnectTimeoutMs);
    post.setTimeout(kTimeoutMs);
    std::unique_lock<std::mutex> guard(self->lock);
    for (;;) {
      self->changed.wait(guard, [&] { return self->stopping || !self->waiting.empty(); });
      if (self->waiting.empty()) return;  // stopping with nothing left
      std::string body = std::move(self->waiting.front());
      self->waiting.pop_front();
      self->posting = true;
      guard.unlock();
      post.setPostData(body);
      post.performSafe();  // a lost record is not retried
      guard.lock();
      self->posting = false;
      self->changed.notify_all();
    }
  }
};

CHttpUsageEventSink::CHttpUsageEventSink() : CHttpUsageEventSink(WStringToUtf8Ret(GetProductInfo(L"usage_url"))) {}

CHttpUsageEventSink::CHttpUsageEventSink(const std::string& url) : state_(std::make_shared<State>()) {
  state_->url = url;
}

CHttpUsageEventSink::~CHttpUsageEventSink() {
  std::unique_lock<std::mutex> guard(state_->lock);
  if (!state_->workerStarted) return;
  state_->stopping = true;
  state_->changed.notify_all();
  state_->changed.wait_for(guard, std::chrono::milliseconds(kDrainAtExitMs),
                           [&] { return state_->waiting.empty() && !state_->posting; });
  state_->waiting.clear();  // what did not go in time is given up
}

bool CHttpUsageEventSink::IsEnabled() { return !state_->url.empty(); }

void CHttpUsageEventSink::Send(const wchar_t* eventId, const wchar_t* json) {
  if (!IsEnabled()) return;
  const std::string body = "event=" + UrlEncode(WStringToUtf8Ret(eventId ? eventId : L""), false) +
                           "&data=" + UrlEncode(WStringToUtf8Ret(json ? json : L""), false);
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->stopping) return;
  if (state_->waiting.size() >= kMaxWaiting) {
    state_->waiting.pop_front();
    ++state_->dropped;
  }
  state_->waiting.push_back(body);
  if (!state_->workerStarted) {
    state_->workerStarted = true;
    std::thread(&State::Run, state_).detach();
  }
  state_->changed.notify_all();
}

size_t CHttpUsageEventSink::DroppedCount() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->dropped;
}
