// A web page inside a framework window: the control owns one engine view,
// hands it its size and input, copies the view's pixels when it paints, and
// tells its host window about finished (0) and failed (-9999) loads with
// the notice message, whose lParam is the control.
#pragma once

#include "controls/WkeApi.h"
#include "core/SWnd.h"

namespace ORIEL {

// Posted to the host window: wParam 0 a load ended, -9999 a URL failed
// (compare as int: it arrives as 0xFFFFD8F1); lParam the control.
constexpr UINT UM_WKE_NOTICE = 0x486;
constexpr int kWkeNoticeLoaded = 0;
constexpr int kWkeNoticeFailed = -9999;

class SWkeWebkit : public SWindow {
  SOBJ_CLASS(SWkeWebkit, SWindow, L"wkeWebkit", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SWkeWebkit() = default;
  ~SWkeWebkit() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  UINT GetDlgCode() const override { return 0xFFFF; }
  BOOL ApplyStyleCursor(POINT pt) override;

  wkeWebView GetWebView() const { return view_; }
  const SStringW& GetUrl() const { return url_; }
  // The page's content size in control pixels.
  SIZE GetContentSize() const;
  // Posts the notice with `wParam` and this control to the host window.
  void PostNotice(WPARAM wParam);
  // The live control a notice's lParam names, or null when that control
  // (or its view) is gone by the time the notice is handled.
  static SWkeWebkit* FromNotice(LPARAM lParam);
  // The control showing `view`, or null.
  static SWkeWebkit* FromView(wkeWebView view);
  // The ratio of the engine's pixels to this control's.
  float EngineRatio() const;

 protected:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  int OnCreate() override;
  void OnDestroy() override;
  void OnPaint(IRenderTarget* rt) override;

 private:
  void LoadCurrentUrl();
  void PlaceImeWindows();
  BOOL OnMouse(UINT msg, WPARAM wParam, LPARAM lParam);
  BOOL OnWheel(WPARAM wParam, LPARAM lParam);

  static void OnLoadUrlFail(wkeWebView, void* param, const char*, wkeNetJob);
  static void OnLoadingFinish(wkeWebView, void* param, const wkeString, wkeLoadingResult, const wkeString);
  static wkeWebView OnCreateView(wkeWebView view, void*, wkeNavigationType, const wkeString, const void*);
  static void OnPaintUpdated(wkeWebView, void* param, const HDC, int, int, int, int);
  static bool OnLoadUrlBegin(wkeWebView, void*, const char*, wkeNetJob);
  static void OnLoadUrlEnd(wkeWebView, void*, const char*, wkeNetJob, void*, int);
  static void OnUrlChanged(wkeWebView, void* param, const wkeString url);

  wkeWebView view_ = nullptr;
  SStringW url_;
  int reloadOnSameUrl_ = 0;  // "url_changeLoad": 1 skips a "url" equal to the current one
  int corner_ = 0;
};

}  // namespace ORIEL
