// The base of every visible element: a rectangle in the host's client area
// with a style, a layout for its children, a layout parameter for its own
// place, texts that follow the language, an event set and a place in a
// tree of windows built from XML.
#pragma once

#include "core/SLayoutSize.h"
#include "core/SObject.h"
#include "core/SWindowMgr.h"
#include "core/SwndStyle.h"
#include "core/SXml.h"
#include "event/SEventSet.h"
#include "event/SWndEvents.h"
#include "layout/ILayout.h"
#include "layout/IWindow.h"
#include "render/IRender.h"
#include "res.mgr/ISkinObj.h"

namespace ORIEL {

class SWindow;
struct ISwndContainer;
struct IScriptModule;
using SWindowBase = SObjectImpl<TObjRefImpl2<IWindow, SWindow>>;

// A text kept as written and as translated in its owner's context.
class SLocalizedText {
 public:
  explicit SLocalizedText(SWindow* owner) : owner_(owner) {}
  void SetText(const SStringW& source);
  SStringW GetText(bool raw = false) const { return raw ? source_ : translated_; }
  void Translate();

 private:
  SWindow* owner_;
  SStringW source_;
  SStringW translated_;
};

// Effective state bits.
enum SwndState : DWORD {
  WndState_Hover = 0x01,
  WndState_PushDown = 0x02,
  WndState_Check = 0x04,
  WndState_Invisible = 0x08,
  WndState_Disable = 0x10,
};

// Codes of GetRelative.
enum { GSW_FIRSTCHILD = 0, GSW_LASTCHILD = 1, GSW_PREVSIBLING = 2, GSW_NEXTSIBLING = 3, GSW_PARENT = 4, GSW_OWNER = 5 };

// AttachChild's `after` for "first".
#define ICWND_FIRST reinterpret_cast<SWindow*>(-1)

// The host-window timer id of a framework window's timer (id 0-127): the
// id with the sign bit in the top byte, the window's handle in the low 24
// bits. Hosts recognise such timers by the sign bit.
constexpr UINT_PTR SwndTimerId(UINT id, SWND swnd) {
  return (static_cast<UINT_PTR>((id | 0x80) & 0xFF) << 24) | (static_cast<UINT_PTR>(swnd) & 0xFFFFFF);
}
// Whether a host timer id belongs to a framework window, and its parts.
constexpr bool IsSwndTimerId(UINT_PTR id) { return (id & 0x80000000u) != 0 && id <= 0xFFFFFFFFu; }
constexpr UINT SwndTimerWindowId(UINT_PTR id) { return static_cast<UINT>((id >> 24) & 0x7F); }
constexpr SWND SwndTimerHandle(UINT_PTR id) { return static_cast<SWND>(id & 0xFFFFFF); }

class SWindow : public SWindowBase {
  SOBJ_CLASS(SWindow, SWindowBase, L"window", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"object"; }

  // The window's own settings, apart from what its ancestors impose.
  enum : DWORD {
    kFlagVisible = 0x001,
    kFlagDisabled = 0x002,
    kFlagDisplay = 0x004,
    kFlagClipClient = 0x008,
    kFlagMsgTransparent = 0x010,
    kFlagFocusable = 0x020,
    kFlagDrawFocusRect = 0x040,
    kFlagCache = 0x080,
    kFlagCacheDirty = 0x100,
    kFlagLayered = 0x200,
  };

  SWindow();
  ~SWindow() override;
  SWindow(const SWindow&) = delete;
  SWindow& operator=(const SWindow&) = delete;

  // IObject
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindowBase::ApplyAttribute;
  HRESULT FinishAttribute(const SStringW& name, const SStringW& value, BOOL loading, HRESULT hr) override;
  int GetId() const override { return id_; }
  SStringW GetName() const override { return name_; }
  BOOL LoadXmlNode(pugi::xml_node element) override;
  HRESULT HandleUnknownAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;

  // IWindow
  ILayoutParam* GetLayoutParam() const override { return param_; }
  // The container's scale, 100 outside a container.
  int GetScale() const override;
  void GetLayoutArea(RECT* rc) override;
  IWindow* GetNextLayoutChild(const IWindow* previous) const override;
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;
  BOOL RelayoutTo(const RECT* rc) override;

  // Texts.
  virtual SStringW GetText(bool raw = false) const { return text_.GetText(raw); }
  virtual void SetText(const SStringW& text);
  // Refreshes the host's tool tip when the mouse is over the window.
  virtual void SetTipText(const SStringW& text);
  virtual SStringW GetToolTipText() const { return tip_.GetText(); }
  // The context the window's texts are translated in.
  SStringW GetTrCtx() const { return trCtx_; }
  virtual SStringW TranslateInContext(const SStringW& text) const;

  // Rectangles.
  virtual RECT ClientRect() const;
  void GetClientArea(RECT* rc) const { *rc = ClientRect(); }
  RECT GetWindowRect() const { return rect_; }
  virtual RECT TextRectangle() const;

  // Creation.
  virtual BOOL CreateChildren(pugi::xml_node element);
  SWindow* CreateChildrenFromString(const SStringW& xml);

  // Tree.
  void AttachChild(SWindow* child, SWindow* after = nullptr);
  bool DetachChild(SWindow* child);
  bool DeleteChild(SWindow* child);
  bool Destroy();
  void BringToFront();
  SWindow* GetRelative(int code) const;
  bool SetLayoutParam(ILayoutParam* param);
  ILayout* GetLayout() const { return layout_; }
  SWND GetHandle() const { return handle_; }
  SWindow* GetParent() const { return parent_; }
  SWindow* GetOwner() const { return owner_; }
  void SetOwner(SWindow* owner) { owner_ = owner; }
  SWindow* GetRoot();
  int GetChildrenCount() const { return childCount_; }

  // Search: depth 1 looks at the children only, a negative depth at every
  // level; children are compared before any deeper window.
  SWindow* FindDescendantById(int id, int depth = -1);
  SWindow* FindDescendantByName(const SStringW& name, int depth = -1);
  // The same, when the window found is of class T (a warning otherwise).
  template <class T>
  T* FindChildByName2(const SStringW& name, int depth = -1) {
    return static_cast<T*>(CheckClass(FindDescendantByName(name, depth), T::GetClassName(), name, 0, depth));
  }
  template <class T>
  T* FindChildByID2(int id, int depth = -1) {
    return static_cast<T*>(CheckClass(FindDescendantById(id, depth), T::GetClassName(), SStringW(), id, depth));
  }
  // Whether `descendant` lies under this window within `depth` levels.
  bool IsDescendantWithin(const SWindow* descendant, int depth) const;

  // State.
  DWORD GetState() const { return state_; }
  BOOL IsChecked() const { return (state_ & WndState_Check) != 0; }
  void SetChecked(BOOL checked) {
    checked ? ChangeState(WndState_Check, 0, TRUE) : ChangeState(0, WndState_Check, TRUE);
  }
  BOOL IsVisible(BOOL checkAncestors = FALSE) const {
    return checkAncestors ? !(state_ & WndState_Invisible) : (flags_ & kFlagVisible) != 0;
  }
  BOOL IsDisabled(BOOL checkAncestors = FALSE) const {
    return checkAncestors ? (state_ & WndState_Disable) != 0 : (flags_ & kFlagDisabled) != 0;
  }
  void SetVisible(BOOL visible, BOOL redraw = FALSE);
  void SetEnabled(BOOL enabled, BOOL redraw = FALSE);
  DWORD GetFlags() const { return flags_; }
  BOOL IsFloat() const { return float_; }
  ULONG_PTR GetUserData() const { return userData_; }
  ULONG_PTR SetUserData(ULONG_PTR data) {
    const ULONG_PTR old = userData_;
    userData_ = data;
    return old;
  }
  SwndStyle& GetStyle() { return *style_; }
  ISkinObj* GetBkgndSkin() const { return bkgndSkin_; }
  ISkinObj* GetNcSkin() const { return ncSkin_; }
  const SLayoutSize& GetMaxWidth() const { return maxWidth_; }
  virtual BOOL TakesFocus() const { return (flags_ & kFlagFocusable) != 0; }
  // The keys the window wants for itself (kDlgWantTab: Tab).
  enum { kDlgWantTab = 2 };
  virtual UINT GetDlgCode() const { return 0; }
  // Members of an automatic group (radio buttons) answer true.
  virtual BOOL IsGroupMember() const { return FALSE; }
  virtual SWindow* GetGroupSelection() { return nullptr; }

  // Container, z-order, focus and capture.
  ISwndContainer* GetContainer() const { return container_; }
  // Sets the container of the window and of all its descendants.
  void SetContainer(ISwndContainer* container);
  int GetZOrder() const { return zorder_; }
  void SetZOrder(int z) { zorder_ = z; }
  void SetFocus();
  void ReleaseFocus();
  BOOL IsFocused() const;
  SWND SetCapture();
  BOOL ReleaseCapture();

  // Hit-testing: points in host client coordinates.
  virtual BOOL ContainsPoint(POINT pt, BOOL clientOnly) const;
  virtual BOOL IsNonClientPoint(POINT pt) const;
  // Makes the style's cursor the current one; true when it did.
  virtual BOOL ApplyStyleCursor(POINT pt);
  // The topmost window at the point: this window, a descendant, or 0.
  virtual SWND HitTestChild(POINT pt, BOOL flag);

  // Layout: 0 clean, 1 the window itself is laid out again, 2 only some
  // of its children are.
  int GetLayoutDirty() const { return layoutDirty_; }
  virtual void MarkRelayout(SWND source, bool resizable);
  void MarkRelayoutSelf() { MarkRelayout(handle_, true); }
  virtual void ApplyLayout();
  virtual void ArrangeChildren();
  virtual void OnUpdateFloatPosition(const RECT&) {}
  // Places the window by hand (floating); null returns it to the layout.
  void Move(const RECT* rc);
  virtual SIZE MeasureContent(const RECT* limit);
  virtual void NotifyContentChange();

  // Events.
  SEventSet* GetEventSet() { return &events_; }
  bool SubscribeEvent(int id, const StdFunctionSlot::Function& fn) { return events_.SubscribeEvent(id, fn); }
  virtual BOOL RaiseEvent(EventArgs* e);
  // The container's script module, or null (the usual case).
  IScriptModule* GetScriptModule() const;

  // What the tool tip shows for the window.
  struct SwndToolTipInfo {
    SWND swnd = 0;
    DWORD cookie = 0;
    RECT rcTarget{0, 0, 0, 0};
    SStringW strTip;
  };
  // False when there is no text; subscribers of EventSwndUpdateTooltip may
  // supply one.
  virtual BOOL QueryToolTipInfo(POINT pt, SwndToolTipInfo* info);

  // Scale, language and colour changes, also as messages 2024-2026.
  virtual void UpdateScale(int scale);
  // True when a repaint is enough, false when the size may have changed.
  virtual BOOL RefreshTranslation();
  virtual void Colorize(COLORREF color);
  COLORREF GetColorizeColor() const { return colorize_; }
  // Sends the message to the window, then to each child's subtree.
  void BroadcastMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Framework messages: each runs with the window held alive.
  LRESULT SendSwndMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, BOOL* handled = nullptr);
  // The window's message map; false when it did not handle the message.
  virtual BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  virtual BOOL HandleDefaultMessage(UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

  // Window timers. SetTimer/KillTimer run on the host window under an id
  // that carries the window (SwndTimerId); the host hands the tick back as
  // WM_TIMER with the window's own id. SetTimer2 needs no host: it runs on
  // a thread timer and arrives as UM_STIMER.
  void SetTimer(UINT id, UINT elapse);
  void KillTimer(UINT id);
  bool SetTimer2(UINT id, UINT elapse);
  void KillTimer2(UINT id);

  // Repaint requests travel up to the host as rectangles; `markCache`
  // marks the window's own cache out of date.
  void InvalidateRect(const RECT& rc, bool markCache = true);
  void Invalidate() { InvalidateRect(rect_); }
  // Invalidations that reached past the window's own checks.
  int GetInvalidateCount() const { return invalidated_; }
  void LockUpdate() { ++updateLock_; }
  void UnlockUpdate() { --updateLock_; }
  BOOL IsUpdateLocked() const { return updateLock_ > 0; }
  // Sets and clears state bits, repainting when asked and the look
  // depends on the state; returns the old state.
  DWORD ChangeState(DWORD add, DWORD remove, BOOL redraw);
  virtual BOOL NeedRedrawOnStateChange() const;
  // The skin and text state: 3 disabled, 2 pushed or checked, 1 hover, 0.
  int StateIndex() const;

  // Painting: the window and its subtree with z-orders in [low, high),
  // inside `box` or the region (null or empty: everywhere).
  void PaintZRange(IRenderTarget* rt, const RECT* box, int low, int high);
  void PaintZRange(IRenderTarget* rt, const IRegion* rgn, int low, int high);
  void PaintInRegion(IRenderTarget* rt, const RECT* box) { PaintZRange(rt, box, 0, 0x7FFFFFFF); }
  void PaintInRegion(IRenderTarget* rt, const IRegion* rgn) { PaintZRange(rt, rgn, 0, 0x7FFFFFFF); }
  // The ancestors' font and text colour, root first, then the window's own:
  // what the window would inherit in a full paint.
  void PrepareInheritedPaint(IRenderTarget* rt);
  // The tree beneath the window (cleared first) and the windows above it,
  // inside the window rectangle clipped to `rc`; the overlay paints the
  // windows above from the parent's subtree only.
  void PaintUnderlay(IRenderTarget* rt, const RECT& rc);
  void PaintForeground(IRenderTarget* rt, const RECT& rc);
  void PaintOverlay(IRenderTarget* rt, const RECT& rc);
  // Drawing outside the normal paint. Modes: 2 shows what lies beneath the
  // window and paints the windows above over it on release; 4 plain; 1 a
  // layered window's own image only. One target at a time per window.
  enum : DWORD { kAcquireLayerOnly = 1, kAcquireUnderlay = 2, kAcquirePlain = 4 };
  IRenderTarget* AcquireRenderTarget(const RECT* rc, DWORD mode, BOOL clientOnly);
  void ReleaseRenderTarget(IRenderTarget* rt);
  // Repaints the margin band at once.
  void RedrawNonClient();
  // The host's update of a window that repaints alone (no background blend).
  void PaintPendingRegion();
  // Asks the host to paint what is due now.
  void UpdateHostNow();
  // A layered window's own image, made on first use.
  IRenderTarget* GetLayeredRenderTarget();
  BOOL IsLayeredWindow() const { return (flags_ & kFlagLayered) != 0; }
  // The window's shape, relative to its top-left corner: painting is
  // clipped to it and a point outside it is not in the window. Null: the
  // whole rectangle.
  void SetWindowRgn(IRegion* rgn, BOOL redraw = TRUE);
  IRegion* GetWindowRgn() const { return windowRgn_.get(); }
  virtual BOOL IsCacheMode() const;
  // Drawn after the window's own paint while it has the focus: a dotted
  // rectangle inside the text rectangle, when the window takes the focus
  // and draws a focus rectangle ("drawFocusRect", on by default).
  virtual void PaintFocusIndicator(IRenderTarget* rt);
  // The rectangle shrunk by 2 pixels, outlined with a 1-pixel dotted grey
  // pen; the target keeps the pen it had.
  static void DrawDottedFocusRect(IRenderTarget* rt, const RECT& rc);
  // Client paints done for this window (cache fills included).
  int GetPaintCount() const { return painted_; }

 protected:
  static POINT PointOf(LPARAM lParam);
  SIZE MeasureText(int knownWidth, int knownHeight, const RECT& padding) const;
  virtual int OnCreate();
  virtual void OnDestroy();
  virtual void OnShowWindow(BOOL show, UINT status);
  virtual void OnEnable(BOOL enable, UINT status);
  virtual void OnLButtonDown(UINT keys, POINT pt);
  virtual void OnLButtonUp(UINT keys, POINT pt);
  virtual void OnMouseHover();
  virtual void OnMouseLeave();
  virtual void OnEraseBkgnd(IRenderTarget* rt);
  virtual void OnPaint(IRenderTarget* rt);
  virtual void OnNcPaint(IRenderTarget* rt);
  void PaintClient(IRenderTarget* rt);
  void PaintNonClient(IRenderTarget* rt);
  void UpdateCacheMode();

 private:
  static IObject* CheckClass(SWindow* found, LPCWSTR cls, const SStringW& name, int id, int depth);
  SWindow* SearchById(int id, int depth);
  SWindow* SearchByName(const SStringW& name, int depth);
  void CreateFromInclude(pugi::xml_node include);
  void CreateFromTemplate(pugi::xml_node instance);
  SWindow* CreateChildFromElement(pugi::xml_node element);
  HRESULT ApplyStyleClass(const SStringW& name, BOOL loading);
  bool AppliesToSelf(const SStringW& name, const SStringW& value, BOOL loading, HRESULT& hr);

  RECT rect_{0, 0, 0, 0};
  SWND handle_ = 0;
  BOOL float_ = FALSE;
  ISwndContainer* container_ = nullptr;
  int zorder_ = 0;
  SEventSet events_;
  SRefPtr<ILayout> layout_;
  SRefPtr<ILayoutParam> param_;
  SWindow* owner_ = nullptr;
  SWindow* parent_ = nullptr;
  SWindow* firstChild_ = nullptr;
  SWindow* lastChild_ = nullptr;
  SWindow* nextSibling_ = nullptr;
  SWindow* prevSibling_ = nullptr;
  int childCount_ = 0;
  SRefPtr<SwndStyle> style_;
  SLocalizedText text_{this};
  SLocalizedText tip_{this};
  SStringW name_;
  SStringW trCtx_;
  int id_ = 0;
  DWORD state_ = 0;
  DWORD flags_ = kFlagVisible | kFlagDisplay | kFlagDrawFocusRect | kFlagCacheDirty;
  int layoutDirty_ = 1;
  ULONG_PTR userData_ = 0;
  ISkinObj* bkgndSkin_ = nullptr;  // skins belong to their pools
  ISkinObj* ncSkin_ = nullptr;
  SStringW bkgndSkinName_, ncSkinName_;  // to fetch them again at another scale
  SLayoutSize maxWidth_{-1.0f, SLayoutSize::px};
  int invalidated_ = 0;
  int painted_ = 0;
  int updateLock_ = 0;
  COLORREF colorize_ = 0;
  SRefPtr<IRenderTarget> cache_;
  // Painting outside the normal cycle: the target borrowed, its box, mode
  // and region; the invalid region of a window that repaints alone; the
  // layered window's own image.
  struct PaintRecord {
    RECT box{0, 0, 0, 0};
    DWORD mode = 0;
    SRefPtr<IRegion> rgn;
    bool locked = false;
  };
  IRenderTarget* AcquireRegionTarget(IRegion* rgn, DWORD mode);
  SWindow* LayeredAncestor();
  PaintRecord paint_;
  SRefPtr<IRegion> invalidRgn_;
  SRefPtr<IRenderTarget> layered_;
  // The window region, and a copy of it placed at the window's position.
  SRefPtr<IRegion> windowRgn_;
  SRefPtr<IRegion> PlacedWindowRgn() const;
};

// Framework messages a window handles itself.
enum : UINT {
  SWM_CREATE = 1,
  SWM_DESTROY = 2,
  SWM_SIZE = 5,
  SWM_ENABLE = 10,
  SWM_SHOWWINDOW = 24,
  SWM_NCCALCSIZE = 131,
  SWM_PAINT = 15,
  SWM_ERASEBKGND = 20,
  SWM_NCPAINT = 133,
  SWM_UPDATESCALE = 2024,
  SWM_LANGUAGECHANGED = 2025,
  SWM_COLORIZE = 2026,
};

}  // namespace ORIEL
