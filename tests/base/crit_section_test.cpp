// The critical section wrapper and its scope guard, across real threads.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "base/CritSection.h"

namespace {

// True when another thread can take the section right now.
bool FreeForAnotherThread(CCritSection& section) {
  bool taken = false;
  std::thread([&] {
    taken = section.TryEnter() != FALSE;
    if (taken) section.Leave();
  }).join();
  return taken;
}

TEST(CritSection, IsRecursiveAndFreedByTheLastLeave) {
  CCritSection section;
  section.Enter();
  EXPECT_NE(section.TryEnter(), FALSE);
  section.Leave();
  EXPECT_FALSE(FreeForAnotherThread(section));
  section.Leave();
  EXPECT_TRUE(FreeForAnotherThread(section));
}

TEST(CritSection, LeaveFromAThreadThatDoesNotOwnItIsIgnored) {
  CCritSection section;
  section.Enter();
  std::thread([&] { section.Leave(); }).join();
  EXPECT_FALSE(FreeForAnotherThread(section));
  section.Leave();
  EXPECT_TRUE(FreeForAnotherThread(section));
}

TEST(CritSectionGuard, HoldsTheSectionForItsScope) {
  CCritSection section;
  {
    CCritSectionGuard guard(section);
    EXPECT_FALSE(FreeForAnotherThread(section));
    {
      CCritSectionGuard nested(section.Get());
      EXPECT_FALSE(FreeForAnotherThread(section));
    }
    EXPECT_FALSE(FreeForAnotherThread(section));
  }
  EXPECT_TRUE(FreeForAnotherThread(section));
}

TEST(CritSectionGuard, DestroyedOnAnotherThreadLeavesTheSectionEntered) {
  CCritSection section;
  auto guard = std::make_unique<CCritSectionGuard>(section);
  std::thread([&] { guard.reset(); }).join();
  EXPECT_FALSE(FreeForAnotherThread(section));
  section.Leave();  // the entering thread still owns it
  EXPECT_TRUE(FreeForAnotherThread(section));
}

TEST(CritSectionGuard, SerialisesCountingThreads) {
  CCritSection section;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        CCritSectionGuard guard(section);
        counter = counter + 1;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 80000);
}

TEST(CritSection, ExplicitDeleteThenInitGivesAWorkingSection) {
  // The HTTP layer deletes its section itself; the destructor then runs too.
  CCritSection section;
  section.Delete();
  section.Delete();
  section.Init();
  section.Enter();
  EXPECT_FALSE(FreeForAnotherThread(section));
  section.Leave();
  EXPECT_TRUE(FreeForAnotherThread(section));
}

}  // namespace
