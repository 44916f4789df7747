#include "core/SFocusManager.h"

#include <algorithm>

#include "core/SWnd.h"

namespace ORIEL {

namespace {

SWindow* Lookup(SWND handle) { return handle ? SWindowMgr::getSingleton().LookupWindow(handle) : nullptr; }

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

// --- tab order ----------------------------------------------------------

bool FocusSearch::CanTakeFocus(SWindow* w) {
  return w && w->TakesFocus() && w->IsVisible(TRUE) && !w->IsDisabled(TRUE);
}

bool FocusSearch::IsCandidate(SWindow* w) const {
  if (!CanTakeFocus(w)) return false;
  return !(w->IsGroupMember() && skippedGroup_ && w->GetParent() == skippedGroup_);
}

// A candidate stands for its group's selected member when it has one.
SWindow* FocusSearch::Take(SWindow* w) const {
  if (!IsCandidate(w)) return nullptr;
  SWindow* chosen = w;
  if (w->IsGroupMember())
    if (SWindow* selected = w->GetGroupSelection()) chosen = selected;
  return CanTakeFocus(chosen) ? chosen : nullptr;
}

SWindow* FocusSearch::SearchForward(SWindow* w, bool eligible, bool up, bool down) {
  for (; w; w = w->GetRelative(GSW_NEXTSIBLING)) {
    if (eligible)
      if (SWindow* hit = Take(w)) return hit;
    eligible = true;
    if (down)
      if (SWindow* first = w->GetRelative(GSW_FIRSTCHILD))
        if (SWindow* hit = SearchForward(first, true, false, true)) return hit;
    down = true;
    if (!w->GetRelative(GSW_NEXTSIBLING) && up) {
      // Continue after the nearest ancestor that has a next sibling.
      for (SWindow* a = w->GetParent(); a && a != root_; a = a->GetParent()) {
        if (SWindow* next = a->GetRelative(GSW_NEXTSIBLING)) return SearchForward(next, true, true, true);
      }
      return nullptr;
    }
  }
  return nullptr;
}

SWindow* FocusSearch::SearchBackward(SWindow* w, bool eligible, bool up, bool down) {
  while (w) {
    if (down)
      if (SWindow* last = w->GetRelative(GSW_LASTCHILD))
        if (SWindow* hit = SearchBackward(last, true, false, true)) return hit;
    if (eligible)
      if (SWindow* hit = Take(w)) return hit;
    if (SWindow* prev = w->GetRelative(GSW_PREVSIBLING)) {
      w = prev;
      eligible = true;
      down = true;
      continue;
    }
    if (!up) return nullptr;
    SWindow* parent = w->GetParent();
    if (!parent || parent == root_) return nullptr;
    w = parent;
    eligible = true;
    down = false;
  }
  return nullptr;
}

SWindow* FocusSearch::FindFocusable(SWindow* start, bool reverse, bool startEligible) {
  if (!root_ || !root_->GetRelative(GSW_FIRSTCHILD)) return nullptr;
  const bool given = start != nullptr;
  if (!start) {
    if (reverse) {
      start = root_->GetRelative(GSW_LASTCHILD);
      while (SWindow* last = start->GetRelative(GSW_LASTCHILD)) start = last;
    } else {
      start = root_->GetRelative(GSW_FIRSTCHILD);
    }
    startEligible = true;
  }
  skippedGroup_ = start->IsGroupMember() ? start->GetParent() : nullptr;
  SWindow* found = reverse ? SearchBackward(start, startEligible, true, !CanTakeFocus(start))
                           : SearchForward(start, startEligible, true, true);
  if (!found && cycle_ && given) {
    cycle_ = false;
    found = FindFocusable(nullptr, reverse, true);
  }
  return found;
}

// --- focus --------------------------------------------------------------

void CFocusManager::ChangeFocus(SWND window, int reason) {
  if (window == focused_) {
    if (window == 0 && parked_) parked_ = 0;
    return;
  }
  if (parked_) {
    parked_ = window;
    return;
  }
  const bool oldChanging = changing_;
  changing_ = true;
  lastReason_ = reason;
  SWindow* old = Lookup(focused_);
  focused_ = 0;
  if (old) old->SendSwndMessage(WM_KILLFOCUS, window, 0);
  // A disabled or unfocusable window never takes the focus, whoever asks.
  SWindow* next = Lookup(window);
  if (next && !next->IsDisabled(TRUE) && next->TakesFocus()) {
    next->SendSwndMessage(WM_SETFOCUS, focused_, reason);
    focused_ = window;
  }
  changing_ = oldChanging;
}

// Deactivation brings two notices, WM_ACTIVATE and WM_KILLFOCUS: the second
// finds nothing focused and must not replace what the first parked, or the
// focus would never come back.
void CFocusManager::StoreFocusedView() {
  ValidateFocus();
  if (!focused_ && parked_ != 0) return;
  parked_ = focused_;
  SWindow* w = Lookup(focused_);
  focused_ = 0;
  if (w) w->SendSwndMessage(WM_KILLFOCUS, 0, 0);
  else parked_ = kParkedNone;
}

void CFocusManager::RestoreSavedFocus() {
  SWindow* w = parked_ != kParkedNone ? Lookup(parked_) : nullptr;
  parked_ = 0;
  if (w && !w->IsDisabled(TRUE) && w->IsVisible(TRUE) && w->TakesFocus()) {
    focused_ = w->GetHandle();
    w->SendSwndMessage(WM_SETFOCUS, 0, kReasonRestore);
  }
}

void CFocusManager::ValidateFocus() {
  SWindow* w = Lookup(focused_);
  if (!w || (w != root_ && !root_->IsDescendantWithin(w, -1))) focused_ = 0;
}

void CFocusManager::AdvanceFocus(bool reverse) {
  ValidateFocus();
  FocusSearch search(root_, true);
  if (SWindow* next = search.FindFocusable(Lookup(focused_), reverse, false))
    ChangeFocus(next->GetHandle(), kReasonKeyboard);
}

bool CFocusManager::IsTabKey(UINT key) const {
  if (key != VK_TAB || KeyDown(VK_CONTROL)) return false;
  SWindow* focused = Lookup(focused_);
  return !focused || !(focused->GetDlgCode() & SWindow::kDlgWantTab);
}

bool CFocusManager::HandleGroupArrow(SWindow* focused, UINT key) {
  const bool previous = key == VK_LEFT || key == VK_UP;
  const int step = previous ? GSW_PREVSIBLING : GSW_NEXTSIBLING;
  SWindow* hit = nullptr;
  for (SWindow* w = focused->GetRelative(step); w && !hit; w = w->GetRelative(step))
    if (w->IsGroupMember()) hit = w;
  if (!hit && focused->GetParent()) {
    SWindow* w = focused->GetParent()->GetRelative(previous ? GSW_LASTCHILD : GSW_FIRSTCHILD);
    for (; w && !hit; w = w->GetRelative(step))
      if (w->IsGroupMember()) hit = w;
  }
  if (hit) ChangeFocus(hit->GetHandle(), kReasonKeyboard);
  return true;
}

bool CFocusManager::HandleKey(UINT key) {
  if (IsTabKey(key)) {
    AdvanceFocus(KeyDown(VK_SHIFT));
    return true;
  }
  SWindow* focused = Lookup(focused_);
  if (focused && focused->IsGroupMember() && (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN))
    return HandleGroupArrow(focused, key);
  const CAccelerator accel(key, KeyDown(VK_CONTROL), KeyDown(VK_MENU), KeyDown(VK_SHIFT));
  return DispatchAccelerator(accel.GetAcc());
}

// --- accelerators -------------------------------------------------------

bool CFocusManager::DispatchAccelerator(DWORD accel) {
  auto it = accels_.find(accel);
  if (it == accels_.end()) return false;
  const std::vector<IAcceleratorTarget*> targets = it->second;  // a target may unregister while it fires
  for (IAcceleratorTarget* t : targets)
    if (t->FireAccelerator(accel)) return true;
  return false;
}

void CFocusManager::AddAccelerator(DWORD accel, IAcceleratorTarget* target) {
  auto& list = accels_[accel];
  list.insert(list.begin(), target);
}

void CFocusManager::RemoveAccelerator(DWORD accel, IAcceleratorTarget* target) {
  auto it = accels_.find(accel);
  if (it == accels_.end()) return;
  auto pos = std::find(it->second.begin(), it->second.end(), target);
  if (pos != it->second.end()) it->second.erase(pos);
}

void CFocusManager::RemoveTarget(IAcceleratorTarget* target) {
  for (auto& [accel, list] : accels_) {
    auto pos = std::find(list.begin(), list.end(), target);
    if (pos != list.end()) list.erase(pos);
  }
}

}  // namespace ORIEL
