#include "control/SRealWnd.h"

#include "core/SwndContainer.h"
#include "res.mgr/SResProviderMgr.h"
#include "win32/backend.h"

namespace ORIEL {

SRealWnd::SRealWnd() = default;
SRealWnd::~SRealWnd() = default;

IRealWindowFactory* SRealWnd::Factory() const {
  SApplication* app = SApplication::getSingletonPtr();
  return app ? app->GetRealWndHandler() : nullptr;
}

// None of these redraws anything: the control shows nothing of its own.
HRESULT SRealWnd::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"wndclass")) {
    param_.className = SResProviderMgr::LookupNamedString(value);
  } else if (AttrNameIs(name, L"wndname")) {
    param_.windowName = SResProviderMgr::LookupNamedString(value);
  } else if (AttrNameIs(name, L"style")) {
    param_.style = static_cast<DWORD>(ParseAttrInt(value));
  } else if (AttrNameIs(name, L"exstyle")) {
    param_.exStyle = static_cast<DWORD>(ParseAttrInt(value));
  } else if (AttrNameIs(name, L"init")) {
    init_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

// The params are copied first: a visible control makes its window at the
// show message inside the window's own loading, and the factory reads them
// then. With "init" the window is made now even when hidden, before the
// first layout places the control; the first relayout places it.
BOOL SRealWnd::LoadXmlNode(pugi::xml_node element) {
  param_.xmlParams.reset();
  if (pugi::xml_node params = XmlChild(element, L"params")) param_.xmlParams.append_copy(params);
  if (!SWindow::LoadXmlNode(element)) return FALSE;
  if (init_ && !IsWindow(hwnd_)) InitRealWnd();
  return TRUE;
}

BOOL SRealWnd::InitRealWnd() {
  IRealWindowFactory* factory = Factory();
  if (!factory) return FALSE;
  param_.style |= WS_CHILD;
  HWND made = factory->CreateRealWindow(this);
  if (!made || !IsWindow(made)) return FALSE;
  hwnd_ = made;
  if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) Win32SetNativeChild(hwnd_);
  if (!init_ && !factory->PlaceRealWindow(this)) {
    const RECT rc = ClientRect();
    SetWindowPos(hwnd_, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  factory->InitRealWindow(this);
  return TRUE;
}

HWND SRealWnd::GetRealHwnd(BOOL create) {
  if (create && !init_ && !IsWindow(hwnd_)) InitRealWnd();
  return hwnd_;
}

// A child window takes the host's client coordinates as they are; a
// pop-up needs the screen's.
BOOL SRealWnd::RelayoutTo(const RECT* rc) {
  const BOOL changed = SWindow::RelayoutTo(rc);
  IRealWindowFactory* factory = Factory();
  if (!factory || !IsWindow(hwnd_)) return changed;
  RECT place = GetWindowRect();
  if (factory->ResizeRealWindow(this, &place)) return changed;
  POINT topLeft{place.left, place.top};
  if (static_cast<LONG>(GetWindowLongW(hwnd_, GWL_STYLE)) < 0 && GetContainer())
    ClientToScreen(GetContainer()->GetHostHwnd(), &topLeft);
  SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return changed;
}

void SRealWnd::OnShowWindow(BOOL show, UINT status) {
  SWindow::OnShowWindow(show, status);
  const BOOL visible = IsVisible(TRUE);
  if (visible && !IsWindow(hwnd_)) InitRealWnd();
  if (IsWindow(hwnd_)) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void SRealWnd::OnDestroy() {
  if (IsWindow(hwnd_)) {
    if (IRealWindowFactory* factory = Factory()) factory->DestroyRealWindow(this);
  }
  hwnd_ = nullptr;
  SWindow::OnDestroy();
}

}  // namespace ORIEL
