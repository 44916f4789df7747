#include "core/SDropTargetDispatcher.h"

#include "core/SwndContainer.h"

namespace ORIEL {

SDropTargetDispatcher::~SDropTargetDispatcher() {
  DragLeave();
  for (auto& [window, target] : targets_) target->Release();
  targets_.clear();
}

bool SDropTargetDispatcher::AddTarget(SWND window, IDropTarget* target) {
  if (!target || targets_.count(window)) return false;
  target->AddRef();
  targets_[window] = target;
  return true;
}

bool SDropTargetDispatcher::RemoveTarget(SWND window) {
  auto it = targets_.find(window);
  if (it == targets_.end()) return false;
  IDropTarget* target = it->second;
  targets_.erase(it);
  target->Release();
  return true;
}

HRESULT SDropTargetDispatcher::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *out = static_cast<IDropTarget*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

IDropTarget* SDropTargetDispatcher::TargetOf(SWND window) const {
  auto it = window ? targets_.find(window) : targets_.end();
  return it == targets_.end() ? nullptr : it->second;
}

SWND SDropTargetDispatcher::WindowAt(POINTL pt) const {
  POINT p{pt.x, pt.y};
  ISwndContainer* container = root_->GetContainer();
  HWND host = container ? container->GetHostHwnd() : nullptr;
  if (host) ::ScreenToClient(host, &p);
  return root_->HitTestChild(p, FALSE);
}

void SDropTargetDispatcher::ReleaseData() {
  if (data_) data_->Release();
  data_ = nullptr;
}

HRESULT SDropTargetDispatcher::DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) {
  if (data) data->AddRef();
  ReleaseData();
  data_ = data;
  return DragOver(keys, pt, effect);
}

HRESULT SDropTargetDispatcher::DragOver(DWORD keys, POINTL pt, DWORD* effect) {
  *effect = DROPEFFECT_NONE;
  const SWND hit = WindowAt(pt);
  if (hit != current_) {
    if (IDropTarget* old = TargetOf(current_)) old->DragLeave();
    current_ = hit;
    if (IDropTarget* now = TargetOf(current_)) now->DragEnter(data_, keys, pt, effect);
  } else if (IDropTarget* same = TargetOf(current_)) {
    same->DragOver(keys, pt, effect);
  }
  return S_OK;
}

// The drag left the host: the window it was over hears so, and the next
// drag starts from no window (else a drag entering the same window again
// would be taken for a move inside it, and its target never entered).
HRESULT SDropTargetDispatcher::DragLeave() {
  if (IDropTarget* target = TargetOf(current_)) target->DragLeave();
  current_ = 0;
  ReleaseData();
  return S_OK;
}

HRESULT SDropTargetDispatcher::Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) {
  if (IDropTarget* target = TargetOf(current_)) target->Drop(data, keys, pt, effect);
  else *effect = DROPEFFECT_NONE;
  current_ = 0;
  ReleaseData();
  return S_OK;
}

}  // namespace ORIEL
