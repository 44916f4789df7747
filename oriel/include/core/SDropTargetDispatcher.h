// The one drop target of a host window: windows of the tree register their
// own IDropTarget with their container, and the dispatcher hands each drag
// event to the target of the window exactly under the pointer (its parents
// are not asked). It lives inside its container, so its reference count is
// a formality.
#pragma once

#include <map>

#include "core/SWindowMgr.h"
#include "win32/ole.h"

namespace ORIEL {

class SWindow;

class SDropTargetDispatcher : public IDropTarget {
 public:
  explicit SDropTargetDispatcher(SWindow* root) : root_(root) {}
  ~SDropTargetDispatcher();
  SDropTargetDispatcher(const SDropTargetDispatcher&) = delete;
  SDropTargetDispatcher& operator=(const SDropTargetDispatcher&) = delete;

  // False when the window has a target already; the target is held.
  bool AddTarget(SWND window, IDropTarget* target);
  // False when the window has none; the target is let go.
  bool RemoveTarget(SWND window);
  // The window the drag is over, 0 when none.
  SWND GetCurrentWindow() const { return current_; }

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** out) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  // IDropTarget: points are screen points.
  HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;

 private:
  IDropTarget* TargetOf(SWND window) const;
  SWND WindowAt(POINTL pt) const;
  void ReleaseData();

  std::map<SWND, IDropTarget*> targets_;
  IDataObject* data_ = nullptr;
  SWND current_ = 0;
  SWindow* root_;
};

}  // namespace ORIEL
