#include "crt/qsort_s.h"

#include <cstdlib>

namespace {

struct Adapter {
  int (*compare)(void*, const void*, const void*);
  void* context;
};

int CompareWithContextFirst(const void* a, const void* b, void* adapter) {
  const auto* call = static_cast<const Adapter*>(adapter);
  return call->compare(call->context, a, b);
}

}  // namespace

void qsort_s(void* base, size_t count, size_t width, int (*compare)(void*, const void*, const void*),
             void* context) {
  if (!base || !compare || width == 0 || count < 2) return;
  Adapter adapter{compare, context};
  qsort_r(base, count, width, CompareWithContextFirst, &adapter);
}
