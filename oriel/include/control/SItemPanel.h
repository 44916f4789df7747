// One visible item of a list view: the root of the item's own window tree
// and, at the same time, a virtual host for that tree living inside a
// rectangle of its view. It passes capture, focus, caret, render targets,
// redraws and animation frames on to the view's host with its coordinates
// moved by the item's origin, turns mouse messages into item events and
// wraps every event raised inside the item into one event of the view.
#pragma once

#include "core/SwndContainer.h"

namespace ORIEL {

class SItemPanel;

// What a view offers its item panels.
struct IItemContainer {
  virtual void OnItemSetCapture(SItemPanel* item, bool capture) = 0;
  // The item's rectangle in the view's host coordinates; false for none.
  virtual bool OnItemQueryRect(SItemPanel* item, RECT& rc) const = 0;
  virtual bool IsItemRedrawDelay() const = 0;
  virtual void OnItemRequestRelayout(SItemPanel* item) = 0;

 protected:
  ~IItemContainer() = default;
};

class EventItemPanelClick : public TplEventArgs<EventItemPanelClick> {
  ORIEL_EVENT(EventItemPanelClick, 10007, L"on_itempanel_click")
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
class EventItemPanelDbclick : public TplEventArgs<EventItemPanelDbclick> {
  ORIEL_EVENT(EventItemPanelDbclick, 10008, L"on_itempanel_dbclick")
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
// The name keeps the spelling that layouts and scripts already use.
class EventItemPanelRclick : public TplEventArgs<EventItemPanelRclick> {
  ORIEL_EVENT(EventItemPanelRclick, 10009, L"on_itemparem_rclick")
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
class EventItemPanelHover : public TplEventArgs<EventItemPanelHover> {
  ORIEL_EVENT(EventItemPanelHover, 10010, L"on_itempanel_hover")
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
class EventItemPanelLeave : public TplEventArgs<EventItemPanelLeave> {
  ORIEL_EVENT(EventItemPanelLeave, 10011, L"on_itempanel_leave")
};
// Any event raised inside an item, as its view raises it.
class EventOfPanel : public TplEventArgs<EventOfPanel> {
  ORIEL_EVENT(EventOfPanel, 10006, L"on_event_of_panel")
  SItemPanel* pPanel = nullptr;
  EventArgs* pOrgEvt = nullptr;
};

class SItemPanel : public SwndContainerImpl {
  SOBJ_CLASS(SItemPanel, SwndContainerImpl, L"itemPanel", kObjWindow)

 public:
  static SItemPanel* Create(SWindow* frameHost, pugi::xml_node xmlTemplate, IItemContainer* container);

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SwndContainerImpl::ApplyAttribute;
  SWND HitTestChild(POINT pt, BOOL flag) override;
  void MarkRelayout(SWND source, bool resizable) override;
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }
  BOOL QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) override;

  // ISwndContainer: the host's part, passed on to the view's host.
  BOOL DeliverEvent(EventArgs* e) override;
  HWND GetHostHwnd() override;
  SStringW GetTrContext() const override;
  BOOL IsTranslucent() const override;
  BOOL WheelGoesToHover() const override;
  RECT GetContainerRect() const override { return GetItemRect(); }
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
  SMessageLoop* GetMessageLoop() override;
  void* GetScriptModule() override;
  int GetScale() const override;

  // Mouse and key messages from the view, points relative to the item.
  LRESULT DispatchFrameMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void ModifyItemState(DWORD add, DWORD remove) { ChangeState(add, remove, FALSE); }
  // Paints the item's tree at `rc` of the view's render target.
  void PaintItem(IRenderTarget* rt, const RECT& rc);
  void SetSkin(ISkinObj* skin);
  void SetColor(COLORREF normal, COLORREF selected) {
    normal_ = normal;
    selected_ = selected;
  }
  // The item's rectangle in the view's host coordinates; empty for none.
  RECT GetItemRect() const;
  int GetItemIndex() const { return index_; }
  void SetItemIndex(int index) { index_ = index; }
  LPARAM GetItemData() const { return data_; }
  void SetItemData(LPARAM data) { data_ = data; }
  SWindow* GetFrameHost() const { return frameHost_; }
  // The colour the background gets for the current state.
  COLORREF BackgroundColor() const;

 protected:
  SItemPanel(SWindow* frameHost, IItemContainer* container);
  void OnEraseBkgnd(IRenderTarget* rt) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;

 private:
  ISwndContainer* HostContainer() const { return frameHost_->GetContainer(); }
  POINT Origin() const;

  SWindow* frameHost_;
  IItemContainer* itemContainer_;
  COLORREF normal_ = 0x00FFFFFF;
  COLORREF selected_ = 0xFF800000;
  COLORREF hover_ = 0x00FFFFFF;
  LPARAM data_ = 0;
  int index_ = -1;
  bool pressed_ = false;  // the left button went down in this item
};

}  // namespace ORIEL
