// The host window's structure and life: creation, loading from the root
// element, relayout, destruction and the quit rule.
#include "core/SHostWnd.h"

#include "core/IToolTip.h"
#include "core/SApplication.h"
#include "core/SLog.h"
#include "core/SMessageLoop.h"
#include "core/SScriptTimer.h"
#include "core/SStringSplit.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/STemplatePool.h"

namespace ORIEL {

SHostWnd::SHostWnd(LPCWSTR layoutName) : CSimpleWnd(nullptr), dummy_(this), layoutName_(layoutName ? layoutName : L"") {
  stylePool_.Attach(new SStylePool);
  skinPool_.Attach(new SSkinPool);
  templatePool_.Attach(new STemplatePool);
  SetContainer(this);
  GetEventSet()->AddEvent(EventInit::EventID, EventInit::EventName());
  GetEventSet()->AddEvent(EventExit::EventID, EventExit::EventName());
}

SHostWnd::~SHostWnd() {
  UnloadPools();
  script_.reset();
  queued_.clear();
  deferred_.clear();
  rt_.reset();
  dirty_.reset();
  caret_.reset();
}

HWND SHostWnd::Create(HWND parent, DWORD style, DWORD exStyle, int x, int y, int cx, int cy) {
  if (GetHwnd()) return GetHwnd();
  HWND hwnd = CSimpleWnd::Create(L"HOSTWND", style, exStyle, x, y, cx, cy, parent, nullptr);
  if (hwnd && (cx == 0 || cy == 0)) CenterOnOwner(parent);
  return hwnd;
}

HWND SHostWnd::CreateDefault(HWND parent, int x, int y, int cx, int cy) {
  return Create(parent, WS_CLIPCHILDREN | WS_MAXIMIZEBOX, 0, x, y, cx, cy);
}

void SHostWnd::DestroyHostWindow() {
  if (GetHwnd()) DestroyWindow(GetHwnd());
}

BOOL SHostWnd::GetWindowRect(LPRECT rc) const { return ::GetWindowRect(GetHwnd(), rc); }

UINT_PTR SHostWnd::StartHostTimer(UINT_PTR id, UINT period) { return ::SetTimer(GetHwnd(), id, period, nullptr); }

UINT_PTR SHostWnd::StartScriptTimer(const SStringW& function, UINT period) {
  SScriptTimer* timers = SScriptTimer::getSingletonPtr();
  return timers && GetHwnd() ? timers->StartTimer(GetHwnd(), function, period, true) : 0;
}

UINT_PTR SHostWnd::StartScriptTimeout(const SStringW& function, UINT delay) {
  SScriptTimer* timers = SScriptTimer::getSingletonPtr();
  return timers && GetHwnd() ? timers->StartTimer(GetHwnd(), function, delay, false) : 0;
}

void SHostWnd::StopScriptTimer(UINT_PTR id) {
  if (SScriptTimer* timers = SScriptTimer::getSingletonPtr()) timers->StopTimer(id);
}

BOOL SHostWnd::OnHostEvent(EventArgs*) { return FALSE; }

RECT SHostWnd::ClientRect() const {
  RECT rc{0, 0, 0, 0};
  if (GetHwnd()) ::GetClientRect(GetHwnd(), &rc);
  return rc;
}

// --- creation -------------------------------------------------------------

int SHostWnd::OnHostCreate() {
  SApplication* app = SApplication::getSingletonPtr();
  if (app) {
    IRenderTarget* rt = nullptr;
    if (app->GetRenderFactory()->CreateRenderTarget(&rt, 0, 0)) rt_.Attach(rt);
    IRegion* rgn = nullptr;
    if (app->GetRenderFactory()->CreateRegion(&rgn)) dirty_.Attach(rgn);
    if (IToolTipFactory* tips = app->GetToolTipFactory()) {
      tooltip_ = tips->CreateToolTip(GetHwnd());
      if (tooltip_ && GetMessageLoop()) GetMessageLoop()->AddMessageFilter(tooltip_);
    }
  }
  SetContainer(this);
  if (layoutName_.IsEmpty() || !app) return 0;
  SStringWArray parts;
  ParseResName(layoutName_, parts);
  const SStringW type = parts.GetCount() == 2 ? parts[0] : SStringW(L"LAYOUT");
  const SStringW name = parts.GetCount() == 2 ? parts[1] : parts[0];
  SXmlDoc doc;
  pugi::xml_node root;
  if (app->LoadXmlDocument(doc, name, type)) root = XmlChild(doc, L"ORIEL");
  if (!root) {
    // The window still opens, empty; the log says which layout is missing.
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SHostWnd::OnCreate", L"layout [%s] could not be loaded; the window stays empty",
          layoutName_.c_str());
    return 0;
  }
  const CSimpleWnd::CurrentMessage* current = GetCurrentMessage();
  const auto* cs = current ? reinterpret_cast<const CREATESTRUCTW*>(current->lParam) : nullptr;
  LoadHostXml(root, cs ? cs->cx : 0, cs ? cs->cy : 0);
  return 0;
}

BOOL SHostWnd::LoadXmlNode(pugi::xml_node element) {
  const RECT rc = SwndContainerImpl::GetWindowRect();
  return LoadHostXml(element, rc.right - rc.left, rc.bottom - rc.top);
}

void SHostWnd::UnloadPools() {
  if (poolsPushed_[0] && SStylePoolMgr::getSingletonPtr()) SStylePoolMgr::getSingleton().PopStylePool(stylePool_);
  if (poolsPushed_[1] && SSkinPoolMgr::getSingletonPtr()) SSkinPoolMgr::getSingleton().PopPool(skinPool_);
  if (poolsPushed_[2] && STemplatePoolMgr::getSingletonPtr())
    STemplatePoolMgr::getSingleton().PopTemplatePool(templatePool_);
  poolsPushed_[0] = poolsPushed_[1] = poolsPushed_[2] = false;
}

// Each pool starts empty for the new layout; one that the layout fills is
// put on its stack so the layout's own names win over the global ones.
void SHostWnd::LoadPools(pugi::xml_node root) {
  UnloadPools();
  stylePool_.Attach(new SStylePool);
  skinPool_.Attach(new SSkinPool);
  templatePool_.Attach(new STemplatePool);
  if (pugi::xml_node n = XmlChild(root, L"style"); n && stylePool_->Init(n) > 0) {
    SStylePoolMgr::getSingleton().PushStylePool(stylePool_);
    poolsPushed_[0] = true;
  }
  if (pugi::xml_node n = XmlChild(root, L"skin"); n && skinPool_->AddSkinsFromXml(n) > 0) {
    SSkinPoolMgr::getSingleton().PushSkinPool(skinPool_);
    poolsPushed_[1] = true;
  }
  if (pugi::xml_node n = XmlChild(root, L"template"); n && templatePool_->Init(n) > 0) {
    STemplatePoolMgr::getSingleton().PushTemplatePool(templatePool_);
    poolsPushed_[2] = true;
  }
}

void SHostWnd::ApplyStyles(DWORD oldStyle, DWORD oldExStyle) {
  DWORD style = oldStyle | (attr_.Resizable() ? (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX) : WS_MINIMIZEBOX);
  DWORD exStyle = oldExStyle;
  if (attr_.AppWnd()) {
    style |= WS_SYSMENU;
    exStyle |= WS_EX_APPWINDOW;
  } else if (attr_.ToolWindow()) {
    exStyle |= WS_EX_TOOLWINDOW;
  }
  if (attr_.Translucent()) exStyle |= WS_EX_LAYERED;
  if (attr_.WndStyle()) style = attr_.WndStyle() & ~WS_VISIBLE;
  if (attr_.WndStyleEx()) exStyle = attr_.WndStyleEx();
  ChangeStyle(0, style, 0);
  ChangeExStyle(0, exStyle, 0);
}

void SHostWnd::ApplyLayering() {
  HWND hwnd = GetHwnd();
  if (attr_.Translucent()) {
    ChangeExStyle(0, WS_EX_LAYERED, 0);
    if (!dummy_.GetHwnd()) dummy_.CreatePaintWindow();
    return;
  }
  if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) {
    SetLayeredWindowAttributes(hwnd, 0, attr_.Alpha(), LWA_ALPHA);
  } else if (attr_.Alpha() != 255) {
    ChangeExStyle(0, WS_EX_LAYERED, 0);
    SetLayeredWindowAttributes(hwnd, 0, attr_.Alpha(), LWA_ALPHA);
  }
}

bool SHostWnd::WrapsContent() const { return attr_.Width().IsWrapContent() || attr_.Height().IsWrapContent(); }

// The window's size from the attributes, or measured from the content
// where a dimension wraps it.
void SHostWnd::ApplySize(int& cx, int& cy) {
  if (cx == 0) {
    cx = attr_.Width().ToPixels(scale_);
    if (cx <= 0) cx = -1;
  } else {
    attr_.Width() = SLayoutSize(static_cast<float>(cx), SLayoutSize::px);
  }
  if (cy == 0) {
    cy = attr_.Height().ToPixels(scale_);
    if (cy <= 0) cy = -1;
  } else {
    attr_.Height() = SLayoutSize(static_cast<float>(cy), SLayoutSize::px);
  }
  if (cx > 0 && cy > 0) return;
  const SIZE measured = MeasureDesiredSize(cx, cy);
  if (cx <= 0) cx = measured.cx;
  if (cy <= 0) cy = measured.cy;
  if (!resizeSubscribed_) {
    SubscribeEvent(EventSwndSize::EventID, [this](EventArgs* e) { return ResizeToRoot(e) != FALSE; });
    resizeSubscribed_ = true;
  }
  if (attr_.Width().IsWrapContent()) attr_.ClearHorizontalMargins();
  if (attr_.Height().IsWrapContent()) attr_.ClearVerticalMargins();
}

BOOL SHostWnd::LoadHostXml(pugi::xml_node root, int cx, int cy) {
  HWND hwnd = GetHwnd();
  if (!root || !hwnd || !IsWindow(hwnd)) return FALSE;
  SApplication* app = SApplication::getSingletonPtr();
  if (script_) {
    EventExit exit(this);
    RaiseEvent(&exit);
    script_.reset();
  }
  SendSwndMessage(SWM_DESTROY);
  if (app) {
    IObjRef* module = nullptr;
    if (SUCCEEDED(app->CreateScriptModule(&module)) && module) script_.Attach(module);
  }
  LoadPools(root);
  // No script engine is installed in this program: a script element only
  // runs when a module exists, and none does.

  const DWORD oldStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  const DWORD oldExStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
  attr_.ResetDefaults();
  LoadXmlAttributes(&attr_, root);
  ApplyStyles(oldStyle, oldExStyle);
  SetWindowTextW(hwnd, TranslateInContext(attr_.Title()).c_str());
  ApplyLayering();
  if (attr_.SmallIcon()) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(attr_.SmallIcon()));
  if (attr_.BigIcon()) SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(attr_.BigIcon()));

  SWindow::LoadXmlNode(XmlChild(root, L"root"));
  BuildZOrder();
  ApplySize(cx, cy);
  inSize_ = true;  // the WM_SIZE below sizes the root; "on_size" must not resize back
  SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  inSize_ = false;
  const RECT client = ClientRect();
  RelayoutTo(&client);
  needsPaint_ = fullRepaint_ = true;
  if (dirty_) dirty_->Clear();
  EventInit init(this);
  RaiseEvent(&init);
  return TRUE;
}

// The root's own rectangle gives the size: the size event reports the
// root's client area, which is the window's (not yet resized) client area.
BOOL SHostWnd::ResizeToRoot(EventArgs*) {
  if (inSize_ || !GetHwnd()) return TRUE;
  const RECT root = SwndContainerImpl::GetWindowRect();
  const SIZE size{root.right - root.left, root.bottom - root.top};
  RECT now{};
  ::GetClientRect(GetHwnd(), &now);
  if (now.right == size.cx && now.bottom == size.cy) return TRUE;
  SetWindowPos(GetHwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
  return TRUE;
}

// --- relayout -------------------------------------------------------------

void SHostWnd::MarkRelayout(SWND source, bool resizable) {
  SwndContainerImpl::MarkRelayout(source, resizable);
  SWindow* w = source ? SWindowMgr::getSingleton().LookupWindow(source) : nullptr;
  while (w) {
    const RECT rc = w->GetWindowRect();
    if (!IsRectEmpty(&rc)) {
      InvalidateHostRect(rc);
      return;
    }
    w = w->GetParent();
  }
  InvalidateHostRect(SwndContainerImpl::GetWindowRect());
}

void SHostWnd::ApplyLayout() {
  if (GetLayoutDirty() == 0) return;
  if (!WrapsContent()) {
    SwndContainerImpl::ApplyLayout();
    return;
  }
  const int w = attr_.Width().ToPixels(scale_), h = attr_.Height().ToPixels(scale_);
  const SIZE measured = MeasureDesiredSize(attr_.Width().IsValid() ? w : -1, attr_.Height().IsValid() ? h : -1);
  const RECT rc{0, 0, attr_.Width().IsValid() ? w : measured.cx, attr_.Height().IsValid() ? h : measured.cy};
  RelayoutTo(&rc);
}

void SHostWnd::UpdateScale(int scale) {
  scale_ = scale;
  SwndContainerImpl::UpdateScale(scale);
  SwndContainerImpl::MarkRelayout(GetHandle(), true);
  InvalidateHostRect(SwndContainerImpl::GetWindowRect());
}

BOOL SHostWnd::RefreshTranslation() {
  if (GetHwnd()) SetWindowTextW(GetHwnd(), TranslateInContext(attr_.Title()).c_str());
  return 3;
}

// --- destruction ----------------------------------------------------------

void SHostWnd::OnHostDestroy() {
  EventExit exit(this);
  RaiseEvent(&exit);
  SendSwndMessage(SWM_DESTROY);
  if (tooltip_) {
    if (GetMessageLoop()) GetMessageLoop()->RemoveMessageFilter(tooltip_);
    if (SApplication* app = SApplication::getSingletonPtr()) app->GetToolTipFactory()->DestroyToolTip(tooltip_);
    tooltip_ = nullptr;
  }
  if (dummy_.GetHwnd()) DestroyWindow(dummy_.GetHwnd());
  rt_.reset();
  dirty_.reset();
  const DWORD style = static_cast<DWORD>(GetWindowLongW(GetHwnd(), GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(GetHwnd(), GWL_EXSTYLE));
  switch (attr_.Type()) {
    case SHostWndAttr::kAppMain: PostQuitMessage(1); break;
    case SHostWndAttr::kUndefine:
      if (!(style & (WS_CHILD | WS_POPUP)) && !(exStyle & WS_EX_TOOLWINDOW)) PostQuitMessage(1);
      break;
    case SHostWndAttr::kNormal: break;
  }
}

SMessageLoop* SHostWnd::GetMessageLoop() {
  SApplication* app = SApplication::getSingletonPtr();
  return app ? app->GetMsgLoop() : nullptr;
}

}  // namespace ORIEL
