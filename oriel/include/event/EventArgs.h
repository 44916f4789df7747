// The base of every event object: built on the firing code's stack with
// the window that fires it, it counts the subscribers that handled it and
// carries the flag that stops it from travelling further.
#pragma once

#include <cwchar>

#include "core/SObject.h"

namespace ORIEL {

class EventArgs : public SObjectImpl<TObjRefImpl<IObject>> {
 public:
  explicit EventArgs(IObject* sender);

  BOOL IsClass(LPCWSTR cls) const override;
  int GetObjectType() const override { return kObjNone; }

  // Cleared by a subscriber to stop the event: no later subscriber after a
  // handling one, no script handler, no forwarding.
  BYTE bubbleUp = 1;
  // Number of subscribers that returned true.
  int handled = 0;
  int idFrom = 0;
  // A copy of the sender's name: the sender's own string may not outlive
  // the raise, this one does.
  SStringW nameFrom;
  IObject* sender = nullptr;
};

// Gives an event class T its fixed id and name: T declares
// `static constexpr int EventID` and `static LPCWSTR EventName()`.
template <class T>
class TplEventArgs : public EventArgs {
 public:
  explicit TplEventArgs(IObject* sender) : EventArgs(sender) {}
  int GetId() const override { return T::EventID; }
  SStringW GetName() const override { return SStringW(T::EventName()); }
  LPCWSTR GetObjectClass() const override { return T::EventName(); }
  BOOL IsClass(LPCWSTR cls) const override {
    if (cls && wcscmp(cls, T::EventName()) == 0) return TRUE;
    return EventArgs::IsClass(cls);
  }
};

// Declares an event class's id and name.
#define ORIEL_EVENT(Cls, id, name)                     \
 public:                                               \
  static constexpr int EventID = id;                   \
  static LPCWSTR EventName() { return name; }          \
  explicit Cls(IObject* sender) : TplEventArgs<Cls>(sender) {}

}  // namespace ORIEL
