// The shared reference count of the plug-ins' objects: the creator's
// reference, exact counts under concurrent use, one deletion at the end.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "render/TObjRefImpl.h"

namespace {

struct Counted : TObjRefImpl<IObjRef> {
  explicit Counted(int* deletions) : deletions_(deletions) {}
  ~Counted() override { ++*deletions_; }
  int* deletions_;
};

TEST(ObjRefImpl, LastReleaseDeletesOnceAfterConcurrentUse) {
  int deletions = 0;
  auto* obj = new Counted(&deletions);
  EXPECT_EQ(obj->AddRef(), 2);
  EXPECT_EQ(obj->Release(), 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([obj] {
      for (int i = 0; i < 20000; ++i) {
        obj->AddRef();
        obj->Release();
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(deletions, 0);
  EXPECT_EQ(obj->Release(), 0);
  EXPECT_EQ(deletions, 1);
}

}  // namespace
