// The keyboard focus of one window tree: which window has it, where it is
// parked while the host is inactive, Tab order, arrows inside a group and
// accelerator keys.
#pragma once

#include <map>
#include <vector>

#include "core/SAccelerator.h"
#include "core/SWindowMgr.h"

namespace ORIEL {

class SWindow;

// The tab-order search over a tree.
class FocusSearch {
 public:
  FocusSearch(SWindow* root, bool cycle) : root_(root), cycle_(cycle) {}
  // The next window that can take the focus after `start` (before it when
  // reverse); from the first (last) window when `start` is null.
  SWindow* FindFocusable(SWindow* start, bool reverse, bool startEligible);
  static bool CanTakeFocus(SWindow* w);

 private:
  bool IsCandidate(SWindow* w) const;
  SWindow* Take(SWindow* w) const;
  SWindow* SearchForward(SWindow* w, bool eligible, bool up, bool down);
  SWindow* SearchBackward(SWindow* w, bool eligible, bool up, bool down);

  SWindow* root_;
  bool cycle_;
  SWindow* skippedGroup_ = nullptr;
};

class CFocusManager : public IAcceleratorMgr {
 public:
  // Reasons a window gets the focus, as its WM_SETFOCUS lParam.
  enum { kReasonDirect = 0, kReasonKeyboard = 1, kReasonRestore = 2 };
  static constexpr SWND kParkedNone = 0xFFFFFFFF;

  explicit CFocusManager(SWindow* root) : root_(root) {}

  SWND GetFocusedHwnd() const { return focused_; }
  SWND GetParked() const { return parked_; }
  void SetFocusedHwnd(SWND window) { ChangeFocus(window, kReasonDirect); }
  void ClearFocus() { ChangeFocus(0, kReasonDirect); }
  void ChangeFocus(SWND window, int reason);
  void StoreFocusedView();
  void RestoreSavedFocus();
  void ValidateFocus();
  void AdvanceFocus(bool reverse);
  // True when the key was consumed: Tab order, arrows in a group, or an
  // accelerator.
  bool HandleKey(UINT key);
  bool DispatchAccelerator(DWORD accel);
  int GetLastReason() const { return lastReason_; }

  // IAcceleratorMgr
  void AddAccelerator(DWORD accel, IAcceleratorTarget* target) override;
  void RemoveAccelerator(DWORD accel, IAcceleratorTarget* target) override;
  void RemoveTarget(IAcceleratorTarget* target) override;

 private:
  bool IsTabKey(UINT key) const;
  bool HandleGroupArrow(SWindow* focused, UINT key);

  SWND focused_ = 0;
  SWND parked_ = 0;
  bool changing_ = false;
  int lastReason_ = kReasonDirect;
  SWindow* root_;
  std::map<DWORD, std::vector<IAcceleratorTarget*>> accels_;
};

}  // namespace ORIEL
