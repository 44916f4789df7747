// Running totals over a sequence of integers (paragraph lengths, paragraph
// heights) with O(log n) update, prefix query and search, so that changing
// one paragraph costs that paragraph, not the whole text.
#pragma once

#include <cstddef>
#include <vector>

namespace richedit {

class PrefixSums {
 public:
  // Rebuilds over `values` in O(n).
  void assign(const std::vector<long>& values);
  size_t size() const { return values_.size(); }
  long value(size_t i) const { return values_[i]; }
  void set(size_t i, long value);
  // Sum of the first `count` values.
  long prefix(size_t count) const;
  long total() const { return prefix(values_.size()); }
  // The index whose span holds `offset` (the largest i with prefix(i) <=
  // offset), clamped to the last index; 0 for an empty sequence.
  size_t find(long offset) const;

 private:
  std::vector<long> values_;
  std::vector<long> tree_;  // 1-based Fenwick tree
};

}  // namespace richedit
