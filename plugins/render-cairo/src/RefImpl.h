// Reference counting for the plug-in's objects: the creator holds the first
// reference; the last Release deletes the object.
#pragma once

#include <atomic>

template <class Interface>
class TRefImpl : public Interface {
 public:
  long AddRef() override { return ++refs_; }
  long Release() override {
    long n = --refs_;
    if (n == 0) this->OnLastRelease();
    return n;
  }
  void OnLastRelease() override { delete this; }
  virtual ~TRefImpl() = default;

 private:
  std::atomic<long> refs_{1};
};

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
