#include "controls/SWkeWebkit.h"

#include <cstdlib>
#include <map>

#include "base/AppFolders.h"
#include "core/SApplication.h"
#include "core/SwndContainer.h"
#include "win32/imm.h"
#include "gdi/gdi.h"
#include "win32/windows.h"

namespace ORIEL {

namespace {

// The live views and the controls showing them, for code that gets only a
// view or a notice. Used on the UI thread only.
std::map<wkeWebView, SWkeWebkit*>& ViewRegistry() {
  static std::map<wkeWebView, SWkeWebkit*> registry;
  return registry;
}

int ParseInt(const SStringW& value) { return static_cast<int>(std::wcstol(value.c_str(), nullptr, 0)); }

LPCWSTR SystemCursorOf(int engineType) {
  switch (engineType) {
    case 1: return IDC_CROSS;
    case 2: return IDC_HAND;
    case 3: return IDC_IBEAM;
    case 4: return IDC_WAIT;
    case 5: return IDC_HELP;
    case 6: case 13: case 15: case 19: return IDC_SIZEWE;
    case 7: case 10: case 14: case 18: return IDC_SIZENS;
    case 8: case 12: case 16: return IDC_SIZENESW;
    case 9: case 11: case 17: return IDC_SIZENWSE;
    case 29: return IDC_SIZEALL;
    default: return IDC_ARROW;
  }
}

}  // namespace

SWkeWebkit::~SWkeWebkit() {
  // A control freed without its destroy message still leaves no view behind.
  if (view_) OnDestroy();
}

float SWkeWebkit::EngineRatio() const {
  const int scale = GetScale();
  return static_cast<float>(WkeEngineScale()) / static_cast<float>(scale > 0 ? scale : 100);
}

SWkeWebkit* SWkeWebkit::FromView(wkeWebView view) {
  auto found = ViewRegistry().find(view);
  return found == ViewRegistry().end() ? nullptr : found->second;
}

SWkeWebkit* SWkeWebkit::FromNotice(LPARAM lParam) {
  for (const auto& [view, control] : ViewRegistry())
    if (reinterpret_cast<LPARAM>(control) == lParam) return control;
  return nullptr;
}

HRESULT SWkeWebkit::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (name == L"url") {
    // Without a view (while the layout loads) there is nothing to load into.
    if (!view_) return E_FAIL;
    if (reloadOnSameUrl_ == 1 && value == url_) return S_OK;
    url_ = value;
    LoadCurrentUrl();
    return S_OK;
  }
  if (name == L"url_changeLoad") {
    reloadOnSameUrl_ = ParseInt(value) != 0 ? 1 : 0;
    return S_OK;
  }
  if (name == L"corner") {
    corner_ = ParseInt(value);
    if (!loading) Invalidate();
    return S_OK;
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

SIZE SWkeWebkit::GetContentSize() const {
  if (!view_) return SIZE{0, 0};
  const float r = EngineRatio();
  return SIZE{static_cast<LONG>(WKE_API(wkeContentsWidth)(view_) / r),
              static_cast<LONG>(WKE_API(wkeContentsHeight)(view_) / r)};
}

void SWkeWebkit::PostNotice(WPARAM wParam) {
  ISwndContainer* container = GetContainer();
  HWND host = container ? container->GetHostHwnd() : nullptr;
  if (host) PostMessageW(host, UM_WKE_NOTICE, wParam, reinterpret_cast<LPARAM>(this));
}

void SWkeWebkit::LoadCurrentUrl() {
  const SStringW cookies = GetCookieFilePath();
  WKE_API(wkeSetCookieJarFullPath)(view_, cookies.c_str());
  WKE_API(wkeSetLocalStorageFullPath)(view_, cookies.c_str());
  // A view made before any address was set has nothing to load: an empty
  // address would only end in a failed load and its notices.
  if (!url_.IsEmpty()) WKE_API(wkeLoadURLW)(view_, url_.c_str());
}

int SWkeWebkit::OnCreate() {
  const int base = SWindow::OnCreate();
  if (base != 0) return base;
  // No engine (module missing or refused to start): the control stays in
  // the tree as an empty window, so that code looking it up by name still
  // finds it, and the rest of the program runs.
  if (!WKE_HAS(wkeCreateWebView)) return 0;
  view_ = WKE_API(wkeCreateWebView)();
  if (!view_) return 1;
  ViewRegistry()[view_] = this;
  ISwndContainer* container = GetContainer();
  WKE_API(wkeSetHandle)(view_, container ? container->GetHostHwnd() : nullptr);
  WKE_API(wkeSetNavigationToNewWindowEnable)(view_, false);
  WKE_API(wkeOnLoadUrlFail)(view_, &SWkeWebkit::OnLoadUrlFail, this);
  WKE_API(wkeOnLoadingFinish)(view_, &SWkeWebkit::OnLoadingFinish, this);
  WKE_API(wkeOnCreateView)(view_, &SWkeWebkit::OnCreateView, this);
  WKE_API(wkeOnPaintUpdated)(view_, &SWkeWebkit::OnPaintUpdated, this);
  WKE_API(wkeOnLoadUrlBegin)(view_, &SWkeWebkit::OnLoadUrlBegin, this);
  WKE_API(wkeOnLoadUrlEnd)(view_, &SWkeWebkit::OnLoadUrlEnd, this);
  WKE_API(wkeOnURLChanged)(view_, &SWkeWebkit::OnUrlChanged, this);
  LoadCurrentUrl();
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), FALSE);
  return 0;
}

void SWkeWebkit::OnDestroy() {
  if (view_) {
    ViewRegistry().erase(view_);
    WKE_API(wkeSetHandle)(view_, nullptr);
    WKE_API(wkeDestroyWebView)(view_);
    view_ = nullptr;
  }
  SWindow::OnDestroy();
}

void SWkeWebkit::OnPaint(IRenderTarget* rt) {
  if (!view_) return;
  const RECT client = ClientRect();
  SApplication* app = SApplication::getSingletonPtr();
  IRenderFactory* factory = app ? app->GetRenderFactory() : nullptr;
  IRegion* clip = nullptr;
  if (factory && factory->CreateRegion(&clip)) {
    clip->CombineRect(&client, RGN_COPY);
    clip->CombineRoundRect(&client, POINT{corner_, corner_}, RGN_AND);
    rt->PushClipRegion(clip, RGN_AND);
  }
  RECT box{};
  rt->GetClipBox(&box);
  RECT visible{};
  if (IntersectRect(&visible, &box, &client)) {
    const float r = EngineRatio();
    HDC dc = rt->GetDC(0);
    HDC source = WKE_API(wkeGetViewDC)(view_);
    const int width = visible.right - visible.left, height = visible.bottom - visible.top;
    // The source rectangle is in engine pixels: origin and size both scaled.
    const int sx = static_cast<int>((visible.left - client.left) * r);
    const int sy = static_cast<int>((visible.top - client.top) * r);
    const int sw = static_cast<int>(width * r), sh = static_cast<int>(height * r);
    const BYTE alpha = GetStyle().GetAlpha();
    if (alpha != 255) {
      // A translucent window paints into its own layer, which the framework
      // blends with the window's alpha: the page goes in at full strength,
      // or it would show at alpha squared.
      BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      AlphaBlend(dc, visible.left, visible.top, width, height, source, sx, sy, sw, sh, blend);
    } else if (static_cast<int>(r * 100) == 100) {
      BitBlt(dc, visible.left, visible.top, width, height, source, sx, sy, SRCCOPY);
    } else {
      // The engine draws at its own scale: shrink or grow its picture
      // smoothly to the control's.
      StretchBlt(dc, visible.left, visible.top, width, height, source, sx, sy, sw, sh, SRCCOPY);
    }
    rt->ReleaseDC(dc);
  }
  if (clip) {
    rt->PopClip();
    clip->Release();
  }
}

BOOL SWkeWebkit::OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
    SetFocus();
    SetCapture();
  } else if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
    ReleaseCapture();
  }
  const RECT client = ClientRect();
  const float r = EngineRatio();
  const int x = static_cast<int>((static_cast<SHORT>(LOWORD(lParam)) - client.left) * r);
  const int y = static_cast<int>((static_cast<SHORT>(HIWORD(lParam)) - client.top) * r);
  return WKE_API(wkeFireMouseEvent)(view_, msg, x, y, static_cast<UINT>(wParam & 0x1F)) ? TRUE : FALSE;
}

BOOL SWkeWebkit::OnWheel(WPARAM wParam, LPARAM lParam) {
  const RECT rc = GetWindowRect();
  const float r = EngineRatio();
  const int x = static_cast<int>((static_cast<SHORT>(LOWORD(lParam)) - rc.left) * r);
  const int y = static_cast<int>((static_cast<SHORT>(HIWORD(lParam)) - rc.top) * r);
  const int delta = static_cast<SHORT>(HIWORD(wParam));
  return WKE_API(wkeFireMouseWheelEvent)(view_, x, y, delta, static_cast<UINT>(wParam & 0x1F)) ? TRUE : FALSE;
}

void SWkeWebkit::PlaceImeWindows() {
  ISwndContainer* container = GetContainer();
  HWND host = container ? container->GetHostHwnd() : nullptr;
  if (!host || !WKE_HAS(wkeGetCaret)) return;
  const wkeRect caret = WKE_API(wkeGetCaret)(view_);
  // The caret comes in engine pixels; the input method works in ours.
  const float r = EngineRatio();
  const int x = static_cast<int>(caret.x / r), y = static_cast<int>(caret.y / r);
  const int w = static_cast<int>(caret.w / r), h = static_cast<int>(caret.h / r);
  const RECT client = ClientRect();
  const RECT area{client.left + x, client.top + y, client.left + x + w, client.top + y + h};
  const POINT spot{client.left + x, client.top + y + h};
  HIMC imc = ImmGetContext(host);
  if (!imc) return;
  CANDIDATEFORM candidate{0, CFS_EXCLUDE, spot, area};
  ImmSetCandidateWindow(imc, &candidate);
  COMPOSITIONFORM composition{CFS_POINT, spot, area};
  ImmSetCompositionWindow(imc, &composition);
  ImmReleaseContext(host, imc);
}

BOOL SWkeWebkit::ApplyStyleCursor(POINT) {
  const int type = view_ && WKE_HAS(wkeGetCursorInfoType) ? WKE_API(wkeGetCursorInfoType)(view_) : 0;
  ::SetCursor(LoadCursorW(nullptr, SystemCursorOf(type)));
  return TRUE;
}

BOOL SWkeWebkit::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!view_) return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  const UINT keyFlags = HIWORD(lParam) & 0x4100;
  switch (msg) {
    case SWM_SIZE: {
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      const float r = EngineRatio();
      WKE_API(wkeResize)(view_, static_cast<int>(static_cast<SHORT>(LOWORD(lParam)) * r),
                         static_cast<int>(static_cast<SHORT>(HIWORD(lParam)) * r));
      return TRUE;
    }
    case WM_MOUSELEAVE:
      WKE_API(wkeMouseEvent)(view_, WM_MOUSELEAVE, 0, 0, 0);
      result = 0;
      return TRUE;
    case WM_MOUSEWHEEL:
      result = 0;
      if (OnWheel(wParam, lParam)) return TRUE;
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    case WM_KEYDOWN:
      result = 0;
      return WKE_API(wkeFireKeyDownEvent)(view_, static_cast<UINT>(wParam), keyFlags, false) ? TRUE : FALSE;
    case WM_KEYUP:
      result = 0;
      return WKE_API(wkeFireKeyUpEvent)(view_, static_cast<UINT>(wParam), keyFlags, false) ? TRUE : FALSE;
    case WM_CHAR:
      result = 0;
      return WKE_API(wkeFireKeyPressEvent)(view_, static_cast<UINT>(wParam), keyFlags, false) ? TRUE : FALSE;
    case WM_SETFOCUS:
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      WKE_API(wkeSetFocus)(view_);
      return TRUE;
    case WM_KILLFOCUS:
      WKE_API(wkeKillFocus)(view_);
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    case WM_IME_STARTCOMPOSITION:
      PlaceImeWindows();
      result = 0;
      return TRUE;
    default: break;
  }
  if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) {
    result = 0;
    if (OnMouse(msg, wParam, lParam)) return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void SWkeWebkit::OnLoadUrlFail(wkeWebView, void* param, const char*, wkeNetJob) {
  static_cast<SWkeWebkit*>(param)->PostNotice(static_cast<WPARAM>(kWkeNoticeFailed));
}

void SWkeWebkit::OnLoadingFinish(wkeWebView, void* param, const wkeString, wkeLoadingResult, const wkeString) {
  static_cast<SWkeWebkit*>(param)->PostNotice(kWkeNoticeLoaded);
}

wkeWebView SWkeWebkit::OnCreateView(wkeWebView view, void*, wkeNavigationType, const wkeString, const void*) {
  return view;  // a page asking for a new window navigates in place
}

void SWkeWebkit::OnPaintUpdated(wkeWebView, void* param, const HDC, int, int, int, int) {
  auto* self = static_cast<SWkeWebkit*>(param);
  self->GetContentSize();
  self->Invalidate();
  // The layer sends no composition start of its own: follow the caret.
  if (self->IsFocused()) self->PlaceImeWindows();
}

bool SWkeWebkit::OnLoadUrlBegin(wkeWebView, void*, const char*, wkeNetJob) { return true; }

void SWkeWebkit::OnLoadUrlEnd(wkeWebView, void*, const char*, wkeNetJob, void*, int) {}

// Read as a hook for later use; nothing depends on the address yet.
void SWkeWebkit::OnUrlChanged(wkeWebView, void* param, const wkeString url) {
  const SStringW address = WKE_API(wkeToStringW)(url);
  static_cast<SWkeWebkit*>(param)->GetContentSize();
}

}  // namespace ORIEL
