// Strings copied and dropped on many threads at once: the shared block's
// count is changed atomically (built with ThreadSanitizer).
#include "core/SString.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(SStringThreads, ReferenceCountsSurviveCopiesOnManyThreads) {
  const SStringW shared(L"shared text");
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&shared] {
      for (int i = 0; i < 20000; ++i) {
        SStringW copy(shared);
        SStringW other;
        other = copy;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(shared.GetRefCount(), 1);
  EXPECT_EQ(shared, L"shared text");
}

TEST(SStringThreads, WritersGetPrivateCopiesOfASharedBlock) {
  const SStringW shared(L"录音");
  std::vector<std::thread> threads;
  std::vector<int> wrong(6, 0);
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&shared, &wrong, t] {
      for (int i = 0; i < 2000; ++i) {
        SStringW mine(shared);
        mine += L"!";
        mine.MakeLower();
        if (mine != L"录音!") ++wrong[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int w : wrong) EXPECT_EQ(w, 0);
  EXPECT_EQ(shared, L"录音");
  EXPECT_EQ(shared.GetRefCount(), 1);
}

}  // namespace
