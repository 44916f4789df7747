// The events a window can fire, each with its subscribers and its script
// handler's name.
#pragma once

#include "core/SArray.h"
#include "event/SEventSlot.h"

namespace ORIEL {

class SEvent {
 public:
  SEvent(int id, const SStringW& name) : id_(id), name_(name) {}
  ~SEvent();
  SEvent(const SEvent&) = delete;
  SEvent& operator=(const SEvent&) = delete;

  int GetId() const { return id_; }
  const SStringW& GetName() const { return name_; }
  const SStringA& GetScriptHandler() const { return scriptHandler_; }
  void SetScriptHandler(const SStringA& handler) { scriptHandler_ = handler; }
  int GetSubscriberCount() const { return subscribers_.GetCount(); }

  bool Subscribe(const ISlotFunctor& slot);
  bool Unsubscribe(const ISlotFunctor& slot);
  // Runs the subscribers, the most recent first, until one that handled
  // the event cleared its bubbleUp.
  void Fire(EventArgs* e);
  // The event left its set while firing: no further subscriber runs.
  void MarkRemoved() { removed_ = true; }

 private:
  int id_;
  SStringW name_;
  SStringA scriptHandler_;
  SArray<ISlotFunctor*> subscribers_;
  // While firing, removed subscribers wait here: one may be the very
  // subscriber that is running.
  SArray<ISlotFunctor*> retired_;
  int firing_ = 0;
  bool removed_ = false;
};

class SEventSet {
 public:
  SEventSet() = default;
  ~SEventSet();
  SEventSet(const SEventSet&) = delete;
  SEventSet& operator=(const SEventSet&) = delete;

  void AddEvent(int id, LPCWSTR name);
  void RemoveEvent(int id);
  bool IsEventExist(int id) const { return FindById(id) != nullptr; }
  void RemoveAllEvents();

  // False for an unknown id or a subscriber already there; otherwise a
  // copy is kept and the caller keeps its own.
  bool SubscribeEvent(int id, const ISlotFunctor& slot);
  bool SubscribeEvent(int id, const StdFunctionSlot::Function& fn);
  bool UnsubscribeEvent(int id, const ISlotFunctor& slot);

  void DispatchEvent(EventArgs* e);

  SStringA GetEventScriptHandler(const SStringW& name) const;
  bool SetEventScriptHandler(const SStringW& name, const SStringA& handler);

  int GetEventCount() const { return events_.GetCount(); }
  const SEvent* GetEventAt(int index) const { return events_[index]; }

  // While set, firing does nothing: code that changes a window on purpose
  // sets it around the change.
  BYTE muted = 0;

 private:
  SEvent* FindById(int id) const;
  SEvent* FindByName(const SStringW& name) const;
  void DeleteEvent(SEvent* ev);

  SArray<SEvent*> events_;
  // Events removed while one was firing are freed when firing ends.
  SArray<SEvent*> retired_;
  int firing_ = 0;
};

}  // namespace ORIEL
