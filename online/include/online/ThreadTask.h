// A task run once on a thread of its own, with its result, and a stop flag
// owned by the task's user that the task watches.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <future>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

template <typename T>
class threadtask {
 public:
  threadtask() = default;
  ~threadtask() { join(); }
  threadtask(const threadtask&) = delete;
  threadtask& operator=(const threadtask&) = delete;

  // Joins a thread still running, then holds body as the next run.
  void setTask(std::function<T()> body) {
    join();
    future_ = std::future<T>();
    stopFlag_ = nullptr;
    threadId_ = 0;
    task_ = std::packaged_task<T()>(std::move(body));
    future_ = task_.get_future();
  }

  void setStopFlag(std::atomic<bool>* flag) { stopFlag_ = flag; }

  // True when the thread runs (already, or now). False when there is no
  // task to run (none set, or already run). Throws std::runtime_error
  // "threadtask<bool>::start" when no thread can be made.
  bool start() {
    if (isRunning()) return true;
    if (!task_.valid()) return false;
    join();
    if (stopFlag_) stopFlag_->store(false);
    try {
      thread_ = std::thread(std::move(task_));
    } catch (const std::system_error&) {
      throw std::runtime_error("threadtask<bool>::start");
    }
    threadId_ = ThreadIdNumber(thread_.get_id());
    if (threadId_ == 0) throw std::runtime_error("threadtask<bool>::start");
    return true;
  }

  // Raises the stop flag, waits for the thread and forgets the result.
  void stop() {
    if (stopFlag_) stopFlag_->store(true);
    join();
    future_ = std::future<T>();
    threadId_ = 0;
  }

  bool isRunning() const {
    return threadId_ != 0 && future_.valid() &&
           future_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
  }

  uint64_t getThreadId() const { return threadId_; }

 private:
  void join() {
    if (thread_.joinable()) thread_.join();
  }

  static uint64_t ThreadIdNumber(std::thread::id id) {
    std::ostringstream text;
    text << id;
    return std::strtoull(text.str().c_str(), nullptr, 10);
  }

  std::packaged_task<T()> task_;
  std::future<T> future_;
  std::thread thread_;
  std::atomic<bool>* stopFlag_ = nullptr;
  uint64_t threadId_ = 0;
};
