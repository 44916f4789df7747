// Reference counting for the plug-in's objects (TObjRefImpl: the creator
// holds the first reference; the last Release deletes the object) and a
// holder of one reference.
#pragma once

#include "render/TObjRefImpl.h"

// Holds one reference, released on destruction or replacement.
template <class T>
class RefPtr {
 public:
  RefPtr() = default;
  explicit RefPtr(T* p, bool addRef = true) : p_(p) {
    if (p_ && addRef) p_->AddRef();
  }
  RefPtr(const RefPtr& o) : RefPtr(o.p_) {}
  RefPtr& operator=(const RefPtr& o) {
    Reset(o.p_);
    return *this;
  }
  ~RefPtr() {
    if (p_) p_->Release();
  }
  void Reset(T* p = nullptr) {
    if (p == p_) return;
    if (p) p->AddRef();
    if (p_) p_->Release();
    p_ = p;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};
