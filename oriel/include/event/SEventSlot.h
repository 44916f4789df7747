// Subscribers of an event: a member function of an object, or a function
// object.
#pragma once

#include <functional>
#include <stdexcept>

#include "event/EventArgs.h"

namespace ORIEL {

enum SlotType { kSlotMemberFunction = 1, kSlotStdFunction = 2 };

struct ISlotFunctor {
  virtual ~ISlotFunctor() = default;
  // True when the subscriber handled the event.
  virtual bool Invoke(EventArgs* e) = 0;
  virtual ISlotFunctor* Clone() const = 0;
  virtual bool Equal(const ISlotFunctor& other) const = 0;
  virtual int GetSlotType() const = 0;
};

// A member function of T taking one event class A (EventArgs or derived).
template <class T, class A>
class MemberFunctionSlot : public ISlotFunctor {
 public:
  using Function = bool (T::*)(A*);
  MemberFunctionSlot(Function fn, T* obj) : fn_(fn), obj_(obj) {}

  bool Invoke(EventArgs* e) override { return (obj_->*fn_)(static_cast<A*>(e)); }
  ISlotFunctor* Clone() const override { return new MemberFunctionSlot(fn_, obj_); }
  bool Equal(const ISlotFunctor& other) const override {
    if (other.GetSlotType() != kSlotMemberFunction) return false;
    const auto* same = dynamic_cast<const MemberFunctionSlot*>(&other);
    return same && same->fn_ == fn_ && same->obj_ == obj_;
  }
  int GetSlotType() const override { return kSlotMemberFunction; }

 private:
  Function fn_;
  T* obj_;
};

template <class T, class A>
MemberFunctionSlot<T, A> Subscriber(bool (T::*fn)(A*), T* obj) {
  return MemberFunctionSlot<T, A>(fn, obj);
}

// A function object. Two of them are never equal: each subscription is
// kept, and none is found again by an unsubscription.
class StdFunctionSlot : public ISlotFunctor {
 public:
  using Function = std::function<bool(EventArgs*)>;
  explicit StdFunctionSlot(Function fn) : fn_(std::move(fn)) {}

  bool Invoke(EventArgs* e) override {
    if (!fn_) throw std::logic_error("StdFunctionSlot: the subscriber has no function");
    return fn_(e);
  }
  ISlotFunctor* Clone() const override { return new StdFunctionSlot(fn_); }
  bool Equal(const ISlotFunctor&) const override { return false; }
  int GetSlotType() const override { return kSlotStdFunction; }

 private:
  Function fn_;
};

}  // namespace ORIEL
