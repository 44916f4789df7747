// A small host for window trees in tests, until the real host window
// exists: a client-sized render target, the dirty box that invalidations
// collect, and a paint that repaints only that box in z-order. Input goes
// straight into DispatchFrameMessage.
#pragma once

#include <vector>

#include "core/SApplication.h"
#include "core/SwndContainer.h"

namespace ORIEL {

class SwndTestHost : public SwndContainerImpl {
 public:
  SwndTestHost(int width, int height, int scale = 100) : scale_(scale) {
    SApplication::getSingleton().GetRenderFactory()->CreateRenderTarget(&rt_, width, height);
    rt_->Clear(0xFFFFFFFF);
    const RECT rc{0, 0, width, height};
    RelayoutTo(&rc);
    dirty_ = rc;
  }
  ~SwndTestHost() override {
    if (rt_) rt_->Release();
  }

  // Repaints the dirty box; false when nothing was dirty.
  bool Paint() {
    ApplyLayout();
    if (IsRectEmpty(&dirty_)) return false;
    BuildZOrder();
    rt_->PushClipRect(&dirty_, 5 /* copy */);
    rt_->ClearRect(&dirty_, 0xFFFFFFFF);
    PaintInRegion(rt_, &dirty_);
    rt_->PopClip();
    lastPainted_ = dirty_;
    SetRectEmpty(&dirty_);
    return true;
  }
  IRenderTarget* Target() const { return rt_; }
  const RECT& Dirty() const { return dirty_; }
  RECT LastPainted() const { return lastPainted_; }

  // ISwndContainer: the host's part.
  BOOL DeliverEvent(EventArgs* e) override {
    delivered.push_back(e->GetId());
    return FALSE;
  }
  HWND GetHostHwnd() override { return nullptr; }
  SStringW GetTrContext() const override { return SStringW(); }
  BOOL IsTranslucent() const override { return FALSE; }
  BOOL WheelGoesToHover() const override { return wheelToHover; }
  RECT GetContainerRect() const override { return GetWindowRect(); }
  IRenderTarget* AcquireRenderTarget(const RECT&, DWORD) override { return rt_; }
  void ReleaseRenderTarget(IRenderTarget*, const RECT&, DWORD) override {}
  void InvalidateHostRect(const RECT& rc) override { UnionRect(&dirty_, &dirty_, &rc); }
  BOOL CreateCaret(SWND, HBITMAP, int, int) override { return FALSE; }
  BOOL ShowCaret(BOOL) override { return FALSE; }
  BOOL SetCaretPos(int, int) override { return FALSE; }
  BOOL UpdateNow() override { return Paint(); }
  SMessageLoop* GetMessageLoop() override { return nullptr; }
  void* GetScriptModule() override { return nullptr; }
  int GetScale() const override { return scale_; }

  std::vector<int> delivered;
  BOOL wheelToHover = FALSE;

 private:
  int scale_;
  IRenderTarget* rt_ = nullptr;
  RECT dirty_{0, 0, 0, 0};
  RECT lastPainted_{0, 0, 0, 0};
};

}  // namespace ORIEL
