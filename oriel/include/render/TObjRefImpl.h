// The usual implementation of IObjRef for one interface: the creator holds
// the first reference, the count changes atomically (objects may be released
// from any thread), and the last Release deletes the object through its
// virtual destructor.
#pragma once

#include <atomic>

#include "render/IObjRef.h"

template <class Interface>
class TObjRefImpl : public Interface {
 public:
  long AddRef() override { return ++refs_; }
  long Release() override {
    const long n = --refs_;
    if (n == 0) this->OnLastRelease();
    return n;
  }
  void OnLastRelease() override { delete this; }
  virtual ~TObjRefImpl() = default;

 private:
  std::atomic<long> refs_{1};
};
