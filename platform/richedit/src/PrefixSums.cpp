#include "PrefixSums.h"

namespace richedit {

void PrefixSums::assign(const std::vector<long>& values) {
  values_ = values;
  tree_.assign(values_.size() + 1, 0);
  for (size_t i = 1; i <= values_.size(); ++i) {
    tree_[i] += values_[i - 1];
    const size_t parent = i + (i & (~i + 1));
    if (parent <= values_.size()) tree_[parent] += tree_[i];
  }
}

void PrefixSums::set(size_t i, long value) {
  const long delta = value - values_[i];
  values_[i] = value;
  if (delta == 0) return;
  for (size_t k = i + 1; k < tree_.size(); k += k & (~k + 1)) tree_[k] += delta;
}

long PrefixSums::prefix(size_t count) const {
  long sum = 0;
  for (size_t k = count; k > 0; k -= k & (~k + 1)) sum += tree_[k];
  return sum;
}

size_t PrefixSums::find(long offset) const {
  if (values_.empty()) return 0;
  size_t pos = 0;
  size_t step = 1;
  while (step * 2 < tree_.size()) step *= 2;
  for (; step > 0; step /= 2) {
    if (pos + step < tree_.size() && tree_[pos + step] <= offset) {
      pos += step;
      offset -= tree_[pos];
    }
  }
  return pos < values_.size() ? pos : values_.size() - 1;
}

}  // namespace richedit
