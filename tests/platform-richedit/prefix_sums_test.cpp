// The running totals under paragraph positions and heights, against plain
// sums over the same values while single values change.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "PrefixSums.h"

namespace {

TEST(PrefixSums, PrefixAndFindAgreeWithPlainSums) {
  std::mt19937 random(7);
  for (size_t size : {1u, 2u, 3u, 7u, 64u, 100u}) {
    std::vector<long> values(size);
    for (auto& v : values) v = 1 + static_cast<long>(random() % 20);
    richedit::PrefixSums sums;
    sums.assign(values);
    for (int round = 0; round < 200; ++round) {
      const size_t i = random() % size;
      values[i] = 1 + static_cast<long>(random() % 20);
      sums.set(i, values[i]);
      long running = 0;
      for (size_t k = 0; k < size; ++k) {
        ASSERT_EQ(sums.prefix(k), running) << "size " << size << " index " << k;
        // Every offset inside value k finds k.
        ASSERT_EQ(sums.find(running), k);
        ASSERT_EQ(sums.find(running + values[k] - 1), k);
        running += values[k];
      }
      ASSERT_EQ(sums.total(), running);
      ASSERT_EQ(sums.find(running + 5), size - 1) << "past the end: the last";
    }
  }
}

}  // namespace
