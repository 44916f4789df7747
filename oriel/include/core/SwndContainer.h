// What a window tree sees of its host (ISwndContainer), and the routing
// and bookkeeping part of it: the container is the tree's root window,
// decides which window gets each mouse and key message, and keeps the
// capture, the hover window, the focus, the z-order numbering and the
// frame and mouse-tracking subscribers.
#pragma once

#include <vector>

#include "core/IToolTip.h"
#include "core/SDropTargetDispatcher.h"
#include "core/SFocusManager.h"
#include "core/SWnd.h"

struct IRenderTarget;

namespace ORIEL {

class SMessageLoop;

struct ITimelineHandler {
  virtual ~ITimelineHandler() = default;
  // Called once per animation frame.
  virtual void AdvanceFrame() = 0;
};

struct ISwndContainer : ITimelineHandler {
  virtual BOOL AddDropTarget(SWND window, IDropTarget* dropTarget) = 0;
  virtual BOOL RemoveDropTarget(SWND window) = 0;
  virtual BOOL DeliverEvent(EventArgs* e) = 0;
  virtual HWND GetHostHwnd() = 0;
  virtual SStringW GetTrContext() const = 0;
  virtual BOOL IsTranslucent() const = 0;
  virtual BOOL WheelGoesToHover() const = 0;
  virtual RECT GetContainerRect() const = 0;
  virtual IRenderTarget* AcquireRenderTarget(const RECT& rc, DWORD flags) = 0;
  virtual void ReleaseRenderTarget(IRenderTarget* rt, const RECT& rc, DWORD flags) = 0;
  virtual void InvalidateHostRect(const RECT& rc) = 0;
  virtual SWND GetCapture() const = 0;
  virtual BOOL ReleaseMouseCapture() = 0;
  virtual SWND SetSwndCapture(SWND window) = 0;
  virtual void SetFocusWindow(SWND window) = 0;
  virtual SWND GetHover() const = 0;
  virtual SWND GetFocusWindow() const = 0;
  virtual BOOL CreateCaret(SWND window, HBITMAP bitmap, int width, int height) = 0;
  virtual BOOL ShowCaret(BOOL show) = 0;
  virtual BOOL SetCaretPos(int x, int y) = 0;
  virtual BOOL UpdateNow() = 0;
  virtual void RefreshToolTip() = 0;
  virtual void AdjustCaretClip(RECT* rc) = 0;
  virtual IAcceleratorMgr* GetAcceleratorMgr() = 0;
  virtual BOOL AddTimelineHandler(ITimelineHandler* handler) = 0;
  virtual BOOL RemoveTimelineHandler(ITimelineHandler* handler) = 0;
  virtual BOOL AddTrackedWindow(SWND window) = 0;
  virtual BOOL RemoveTrackedWindow(SWND window) = 0;
  virtual SMessageLoop* GetMessageLoop() = 0;
  virtual void MarkZOrderDirty() = 0;
  virtual void BuildZOrder() = 0;
  // The host's script module (an IScriptModule), or null.
  virtual void* GetScriptModule() = 0;
  virtual int GetScale() const = 0;
};

class SwndContainerImpl : public ISwndContainer, public SWindow {
  SOBJ_CLASS(SwndContainerImpl, SWindow, L"SwndContainerImpl", kObjWindow)

 public:
  SwndContainerImpl();
  ~SwndContainerImpl() override;

  // Routes one host message into the tree; non-zero only for WM_SETCURSOR
  // when a window set the cursor. WasHandled() tells whether a window took it.
  virtual LRESULT DispatchFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  BOOL WasHandled() const { return handled_; }
  CFocusManager& GetFocusManager() { return focus_; }
  bool IsZOrderDirty() const { return zorderDirty_; }
  size_t TimelineHandlerCount() const { return timelines_.size(); }

  // The container's slots and the root window's forms share two names.
  using ISwndContainer::AcquireRenderTarget;
  using SWindow::AcquireRenderTarget;
  using ISwndContainer::ReleaseRenderTarget;
  using SWindow::ReleaseRenderTarget;

  // ISwndContainer: the routing and bookkeeping part.
  void AdvanceFrame() override;
  BOOL AddDropTarget(SWND window, IDropTarget* target) override { return dropTarget_.AddTarget(window, target); }
  BOOL RemoveDropTarget(SWND window) override { return dropTarget_.RemoveTarget(window); }
  // The host registers it for its HWND (RegisterDragDrop) when files may
  // be dropped on the tree.
  SDropTargetDispatcher& GetDropTargetDispatcher() { return dropTarget_; }
  SWND GetCapture() const override { return capture_; }
  BOOL ReleaseMouseCapture() override;
  SWND SetSwndCapture(SWND window) override;
  void SetFocusWindow(SWND window) override;
  SWND GetHover() const override { return hover_; }
  SWND GetFocusWindow() const override { return focus_.GetFocusedHwnd(); }
  void AdjustCaretClip(RECT*) override {}
  IAcceleratorMgr* GetAcceleratorMgr() override { return &focus_; }
  BOOL AddTimelineHandler(ITimelineHandler* handler) override;
  BOOL RemoveTimelineHandler(ITimelineHandler* handler) override;
  BOOL AddTrackedWindow(SWND window) override;
  BOOL RemoveTrackedWindow(SWND window) override;
  void MarkZOrderDirty() override { zorderDirty_ = true; }
  void BuildZOrder() override;
  int GetScale() const override = 0;

  // The tool tip the host made for this tree; null shows none.
  void SetToolTip(IToolTip* tip) { toolTip_ = tip; }
  IToolTip* GetToolTip() const { return toolTip_; }
  // Tells the tool tip which tip the mouse is over, after every mouse
  // message: none after a press or once the mouse left the host.
  void RefreshToolTip() override;

 private:
  void OnMouseMove(WPARAM keys, POINT p);
  void OnMouseLeaveHost();
  void OnButton(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnWheel(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnChar(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursor(LPARAM lParam);
  void NotifyTracked(POINT p, bool hostLeft);
  SWindow* Target(SWND handle) const;
  SWND HitTest(POINT p) { return HitTestChild(p, FALSE); }
  void RecordMouse(UINT msg, LPARAM lParam);

  SWND capture_ = 0;
  SWND hover_ = 0;
  bool hoverNonClient_ = false;
  CFocusManager focus_;
  SDropTargetDispatcher dropTarget_;
  bool zorderDirty_ = true;
  std::vector<ITimelineHandler*> timelines_;
  std::vector<SWND> tracked_;
  BOOL handled_ = FALSE;
  bool claimedPress_ = false;  // an Alt key press the focus manager took; its character goes nowhere
  IToolTip* toolTip_ = nullptr;
  UINT lastButton_ = 0;  // a press, or WM_MOUSELEAVE, not yet followed by a release or move
  LPARAM lastPoint_ = 0;
};

}  // namespace ORIEL
