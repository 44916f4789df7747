// A task run once on its own thread, with its result and its stop flag.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "online/ThreadTask.h"

namespace {

TEST(ThreadTask, RunsOnceOnItsOwnThreadAndStopsThroughTheFlag) {
  threadtask<bool> task;
  EXPECT_FALSE(task.start());  // nothing to run yet

  std::atomic<bool> stop{true};  // start lowers it
  std::atomic<bool> entered{false};
  std::thread::id ranOn;
  task.setTask([&] {
    ranOn = std::this_thread::get_id();
    entered = true;
    while (!stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return true;
  });
  task.setStopFlag(&stop);
  ASSERT_TRUE(task.start());
  EXPECT_NE(task.getThreadId(), 0u);
  while (!entered.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(task.isRunning());
  EXPECT_TRUE(task.start());  // already running: nothing new

  task.stop();  // raises the flag and joins
  EXPECT_TRUE(stop.load());
  EXPECT_FALSE(task.isRunning());
  EXPECT_EQ(task.getThreadId(), 0u);
  EXPECT_NE(ranOn, std::this_thread::get_id());
  EXPECT_FALSE(task.start());  // the task ran; a new one must be set
}

}  // namespace
