// The real top-level window that shows a window tree. It is the tree's
// container (its root window), a wrapped Win32 window, and the owner of
// what a top-level window needs: the root element's attributes, its own
// style, skin and template pools, the back buffer and dirty region it
// paints through, the caret, the tool tip and, for a translucent host,
// the hidden paint window.
#pragma once

#include <vector>

#include "core/CSimpleWnd.h"
#include "core/SCaret.h"
#include "core/SDummyWnd.h"
#include "core/SHostWndAttr.h"
#include "core/SwndContainer.h"

namespace ORIEL {

struct IToolTip;
class SStylePool;
class SSkinPool;
class STemplatePool;

class EventInit : public TplEventArgs<EventInit> {
  ORIEL_EVENT(EventInit, 8000, L"on_init")
};

class EventExit : public TplEventArgs<EventExit> {
  ORIEL_EVENT(EventExit, 8001, L"on_exit")
};

class EventTimer : public TplEventArgs<EventTimer> {
  ORIEL_EVENT(EventTimer, 8002, L"on_timer")
  UINT uID = 0;
};

// Messages a host answers.
enum : UINT {
  UM_HOST_QUEUE_UPDATE = 0x2B74,  // wParam: a window that repaints alone
  UM_HOST_SCRIPT_TIMER = 0x2BD9,  // wParam: script timer id, lParam: function name
  UM_HOST_FORWARD_EVENT = 0x2BDA,  // lParam: EventArgs* for OnHostEvent
  UM_HOST_SPY_FIRST = 0x2EF8,
  UM_HOST_SPY_LAST = 0x2EFB,
};

class SHostWnd : public SwndContainerImpl, public CSimpleWnd {
  SOBJ_CLASS(SHostWnd, SwndContainerImpl, L"hostwnd", kObjWindow)

 public:
  // `layoutName` is "TYPE:NAME" or "NAME" (type LAYOUT); may be null.
  explicit SHostWnd(LPCWSTR layoutName = nullptr);
  // The window must already be destroyed.
  ~SHostWnd() override;

  // The HWND, created when it does not exist yet; a window created with
  // cx or cy 0 is centred on `parent` before the layout sizes it.
  HWND Create(HWND parent, DWORD style, DWORD exStyle, int x, int y, int cx, int cy);
  HWND CreateDefault(HWND parent, int x = 0, int y = 0, int cx = 0, int cy = 0);
  void DestroyHostWindow();
  using SwndContainerImpl::GetWindowRect;
  using SwndContainerImpl::AcquireRenderTarget;
  using SwndContainerImpl::ReleaseRenderTarget;
  BOOL GetWindowRect(LPRECT rc) const;
  UINT_PTR StartHostTimer(UINT_PTR id, UINT period);
  // Timers that call a named function of the script module (repeating, or
  // once); 0 when none could be made.
  UINT_PTR StartScriptTimer(const SStringW& function, UINT period);
  UINT_PTR StartScriptTimeout(const SStringW& function, UINT delay);
  void StopScriptTimer(UINT_PTR id);

  // Builds (or rebuilds) the window from a root element; false for an
  // empty element or a destroyed window.
  BOOL LoadHostXml(pugi::xml_node root, int cx, int cy);
  BOOL LoadXmlNode(pugi::xml_node element) override;
  // "on_size" of the root, for wrap-content hosts: the HWND follows.
  virtual BOOL ResizeToRoot(EventArgs* e);
  // The events of the tree; derived windows override it.
  virtual BOOL OnHostEvent(EventArgs* e);
  SHostWndAttr& GetHostAttr() { return attr_; }
  HWND GetPaintWindow() const { return dummy_.GetHwnd(); }

  // Message map: the host's map, around which the handled flag is saved.
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  void HandleHostSize(UINT type, int cx, int cy);
  void SynthesizeButtonUp();
  void HandleRootTimer(UINT id);

  // Painting.
  void RenderAndPresent(HDC dc, DWORD flags);
  void PresentRect(HDC dc, const RECT& rc);
  virtual BOOL PushLayer(IRenderTarget* rt, BYTE alpha, const RECT* dirty);
  void RedrawAll();
  BOOL PlayWindowAnimation(DWORD time, DWORD flags);
  IRenderTarget* GetHostRenderTarget() const { return rt_; }
  // Paints the tree now when it is due (the paint window's WM_PAINT).
  void OnPaintWindowPaint();

  // ISwndContainer: the host's part.
  BOOL DeliverEvent(EventArgs* e) override { return OnHostEvent(e); }
  HWND GetHostHwnd() override { return GetHwnd(); }
  SStringW GetTrContext() const override { return attr_.GetTrCtx(); }
  BOOL IsTranslucent() const override { return attr_.Translucent(); }
  BOOL WheelGoesToHover() const override { return attr_.SendWheelToHover(); }
  RECT GetContainerRect() const override { return SwndContainerImpl::GetWindowRect(); }
  IRenderTarget* AcquireRenderTarget(const RECT& rc, DWORD flags) override;
  void ReleaseRenderTarget(IRenderTarget* rt, const RECT& rc, DWORD flags) override;
  void InvalidateHostRect(const RECT& rc) override;
  BOOL ReleaseMouseCapture() override;
  SWND SetSwndCapture(SWND window) override;
  BOOL CreateCaret(SWND window, HBITMAP bitmap, int width, int height) override;
  BOOL ShowCaret(BOOL show) override;
  BOOL SetCaretPos(int x, int y) override;
  BOOL UpdateNow() override;
  void RefreshToolTip() override;
  BOOL AddTimelineHandler(ITimelineHandler* handler) override;
  BOOL RemoveTimelineHandler(ITimelineHandler* handler) override;
  SMessageLoop* GetMessageLoop() override;
  void* GetScriptModule() override { return script_.get(); }
  int GetScale() const override { return scale_; }

  // The root window's host forms.
  RECT ClientRect() const override;
  void MarkRelayout(SWND source, bool resizable) override;
  void ApplyLayout() override;
  void UpdateScale(int scale) override;
  BOOL RefreshTranslation() override;

 protected:
  // The host's own message map (after the save of the handled flag).
  BOOL ProcessHostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  BOOL IsMsgHandled() const { return msgHandled_; }
  void SetMsgHandled(BOOL handled) { msgHandled_ = handled; }

 private:
  int OnHostCreate();
  void OnHostDestroy();
  void OnHostPaint();
  LRESULT OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursor(HWND hwnd, LPARAM lParam);
  void OnHostTimer(UINT_PTR id);
  LRESULT OnNcCalcSize(BOOL calcValid, LPARAM lParam);
  LRESULT OnNcHitTest(POINT screen);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  LRESULT OnQueueWindowUpdate(SWND window);
  void PaintQueuedWindows(RECT& r);
  // Paints what is dirty into the back buffer; the rectangle to present.
  RECT RenderDirty();
  void ToggleCaretPixels();
  void InvalidatePresenter(const RECT* rc);
  void LoadPools(pugi::xml_node root);
  void UnloadPools();
  void ApplyStyles(DWORD oldStyle, DWORD oldExStyle);
  void ApplyLayering();
  void ApplySize(int& cx, int& cy);
  bool WrapsContent() const;

  SDummyWnd dummy_;
  SHostWndAttr attr_;
  SStringW layoutName_;
  bool trackingLeave_ = false;
  SRefPtr<SCaret> caret_;
  bool caretShown_ = false;
  bool caretDrawn_ = false;
  POINT caretPos_{0, 0};
  bool needsPaint_ = false;
  bool fullRepaint_ = true;
  IToolTip* tooltip_ = nullptr;
  SRefPtr<IRegion> dirty_;
  SRefPtr<IRenderTarget> rt_;
  bool inSize_ = false;
  SRefPtr<SStylePool> stylePool_;
  SRefPtr<SSkinPool> skinPool_;
  SRefPtr<STemplatePool> templatePool_;
  bool poolsPushed_[3] = {false, false, false};
  std::vector<SWND> queued_;
  std::vector<RECT> deferred_;
  bool inPaint_ = false;
  UINT lastButtonMsg_ = 0;
  WPARAM lastButtonWParam_ = 0;
  LPARAM lastMousePos_ = 0;
  SRefPtr<IObjRef> script_;
  int scale_ = 100;
  HWND spy_ = nullptr;
  BOOL msgHandled_ = FALSE;
  bool resizeSubscribed_ = false;
};

}  // namespace ORIEL
