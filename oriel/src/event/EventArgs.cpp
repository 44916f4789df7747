#include "event/EventArgs.h"

namespace ORIEL {

EventArgs::EventArgs(IObject* sender) : sender(sender) {
  if (!sender) return;
  idFrom = sender->GetId();
  nameFrom = sender->GetName();
}

BOOL EventArgs::IsClass(LPCWSTR cls) const { return cls && wcscmp(cls, L"eventargs") == 0; }

}  // namespace ORIEL
