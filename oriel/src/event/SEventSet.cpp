#include "event/SEventSet.h"

#include "event/SWndEvents.h"

namespace ORIEL {

namespace {

int IndexOf(const SArray<ISlotFunctor*>& list, const ISlotFunctor* slot) {
  for (int i = 0; i < list.GetCount(); ++i)
    if (list[i] == slot) return i;
  return -1;
}

}  // namespace

SEvent::~SEvent() {
  for (int i = 0; i < subscribers_.GetCount(); ++i) delete subscribers_[i];
  for (int i = 0; i < retired_.GetCount(); ++i) delete retired_[i];
}

bool SEvent::Subscribe(const ISlotFunctor& slot) {
  for (int i = 0; i < subscribers_.GetCount(); ++i)
    if (subscribers_[i]->Equal(slot)) return false;
  subscribers_.Add(slot.Clone());
  return true;
}

bool SEvent::Unsubscribe(const ISlotFunctor& slot) {
  for (int i = 0; i < subscribers_.GetCount(); ++i) {
    if (!subscribers_[i]->Equal(slot)) continue;
    ISlotFunctor* gone = subscribers_[i];
    subscribers_.RemoveAt(i);
    if (firing_ > 0)
      retired_.Add(gone);
    else
      delete gone;
    return true;
  }
  return false;
}

void SEvent::Fire(EventArgs* e) {
  // The subscribers as they stand when firing starts; one removed by an
  // earlier subscriber of this firing is skipped, one added runs next time.
  SArray<ISlotFunctor*> snapshot = subscribers_;
  ++firing_;
  for (int i = snapshot.GetCount() - 1; i >= 0 && !removed_; --i) {
    if (IndexOf(subscribers_, snapshot[i]) < 0) continue;
    if (!snapshot[i]->Invoke(e)) continue;
    ++e->handled;
    if (!e->bubbleUp) break;
  }
  if (--firing_ > 0) return;
  for (int i = 0; i < retired_.GetCount(); ++i) delete retired_[i];
  retired_.RemoveAll();
}

SEventSet::~SEventSet() {
  RemoveAllEvents();
  for (int i = 0; i < retired_.GetCount(); ++i) delete retired_[i];
}

void SEventSet::AddEvent(int id, LPCWSTR name) {
  if (FindById(id)) return;
  events_.Add(new SEvent(id, SStringW(name ? name : L"")));
}

void SEventSet::DeleteEvent(SEvent* ev) {
  if (firing_ > 0) {
    ev->MarkRemoved();
    retired_.Add(ev);
  } else {
    delete ev;
  }
}

void SEventSet::RemoveEvent(int id) {
  for (int i = 0; i < events_.GetCount(); ++i) {
    if (events_[i]->GetId() != id) continue;
    SEvent* ev = events_[i];
    events_.RemoveAt(i);
    DeleteEvent(ev);
    return;
  }
}

void SEventSet::RemoveAllEvents() {
  for (int i = 0; i < events_.GetCount(); ++i) DeleteEvent(events_[i]);
  events_.RemoveAll();
}

bool SEventSet::SubscribeEvent(int id, const ISlotFunctor& slot) {
  SEvent* ev = FindById(id);
  return ev && ev->Subscribe(slot);
}

bool SEventSet::SubscribeEvent(int id, const StdFunctionSlot::Function& fn) {
  return SubscribeEvent(id, StdFunctionSlot(fn));
}

bool SEventSet::UnsubscribeEvent(int id, const ISlotFunctor& slot) {
  SEvent* ev = FindById(id);
  return ev && ev->Unsubscribe(slot);
}

void SEventSet::DispatchEvent(EventArgs* e) {
  if (!e || muted) return;
  SEvent* ev = FindById(e->GetId());
  if (!ev) return;
  ++firing_;
  ev->Fire(e);
  if (--firing_ > 0) return;
  for (int i = 0; i < retired_.GetCount(); ++i) delete retired_[i];
  retired_.RemoveAll();
}

SStringA SEventSet::GetEventScriptHandler(const SStringW& name) const {
  const SEvent* ev = FindByName(name);
  return ev ? ev->GetScriptHandler() : SStringA();
}

bool SEventSet::SetEventScriptHandler(const SStringW& name, const SStringA& handler) {
  SEvent* ev = FindByName(name);
  if (!ev) return false;
  ev->SetScriptHandler(handler);
  return true;
}

SEvent* SEventSet::FindById(int id) const {
  for (int i = 0; i < events_.GetCount(); ++i)
    if (events_[i]->GetId() == id) return events_[i];
  return nullptr;
}

SEvent* SEventSet::FindByName(const SStringW& name) const {
  for (int i = 0; i < events_.GetCount(); ++i)
    if (events_[i]->GetName() == name) return events_[i];
  return nullptr;
}

void AddWindowEvents(SEventSet* set) {
  set->AddEvent(EventSwndCreate::EventID, EventSwndCreate::EventName());
  set->AddEvent(EventSwndDestroy::EventID, EventSwndDestroy::EventName());
  set->AddEvent(EventSwndSize::EventID, EventSwndSize::EventName());
  set->AddEvent(EventSwndMouseHover::EventID, EventSwndMouseHover::EventName());
  set->AddEvent(EventSwndMouseLeave::EventID, EventSwndMouseLeave::EventName());
  set->AddEvent(EventSwndStateChanged::EventID, EventSwndStateChanged::EventName());
  set->AddEvent(EventSwndVisibleChanged::EventID, EventSwndVisibleChanged::EventName());
  set->AddEvent(EventSwndUpdateTooltip::EventID, EventSwndUpdateTooltip::EventName());
  set->AddEvent(EventLButtonDown::EventID, EventLButtonDown::EventName());
  set->AddEvent(EventLButtonUp::EventID, EventLButtonUp::EventName());
  set->AddEvent(EventCmd::EventID, EventCmd::EventName());
  set->AddEvent(EventCtxMenu::EventID, EventCtxMenu::EventName());
  set->AddEvent(EventSetFocus::EventID, EventSetFocus::EventName());
  set->AddEvent(EventKillFocus::EventID, EventKillFocus::EventName());
}

}  // namespace ORIEL
