#include "control/SAnimateImgWnd.h"

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

SAnimateImgWnd::SAnimateImgWnd() {
  ApplyAttribute(SStringW(L"msgTransparent"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventAnimateStart::EventID, EventAnimateStart::EventName());
  GetEventSet()->AddEvent(EventAnimateStop::EventID, EventAnimateStop::EventName());
}

HRESULT SAnimateImgWnd::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"skin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    skin_ = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    hr = S_OK;
  } else if (AttrNameIs(name, L"speed")) {
    speed_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"autoStart")) {
    autoStart_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"repeat")) {
    repeat_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SAnimateImgWnd::Start() {
  if (playing_) return;
  if (IsVisible(TRUE) && GetContainer()) GetContainer()->AddTimelineHandler(this);
  loops_ = 0;
  playing_ = TRUE;
  EventAnimateStart e(this);
  RaiseEvent(&e);
}

int SAnimateImgWnd::Stop() {
  if (!playing_) return 0;
  if (IsVisible(TRUE) && GetContainer()) GetContainer()->RemoveTimelineHandler(this);
  playing_ = FALSE;
  EventAnimateStop e(this);
  RaiseEvent(&e);
  return e.handled;
}

void SAnimateImgWnd::AdvanceFrame() {
  if (!skin_) {
    if (GetContainer()) GetContainer()->RemoveTimelineHandler(this);
    return;
  }
  if (tick_ > speed_ / 10) tick_ = 0;
  if (tick_ == 0) {
    ++frame_;
    Invalidate();
    if (frame_ >= skin_->StateCount()) {
      frame_ = 0;
      if (repeat_ != -1 && ++loops_ >= repeat_) {
        Stop();
        return;
      }
    }
  }
  ++tick_;
}

void SAnimateImgWnd::OnShowWindow(BOOL show, UINT status) {
  SWindow::OnShowWindow(show, status);
  ISwndContainer* container = GetContainer();
  if (!container) return;
  if (IsVisible(TRUE)) {
    if (playing_) container->AddTimelineHandler(this);
    else if (autoStart_) Start();
  } else {
    // Hidden, it keeps its playing state and picks up again when shown.
    container->RemoveTimelineHandler(this);
  }
}

void SAnimateImgWnd::OnDestroy() {
  Stop();
  if (GetContainer()) GetContainer()->RemoveTimelineHandler(this);
  SWindow::OnDestroy();
}

void SAnimateImgWnd::Colorize(COLORREF color) {
  if (skin_) skin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

void SAnimateImgWnd::OnPaint(IRenderTarget* rt) {
  if (!skin_) return;
  const RECT rc = GetWindowRect();
  skin_->DrawByIndex(rt, &rc, frame_);
}

SIZE SAnimateImgWnd::MeasureContent(const RECT*) { return skin_ ? skin_->NaturalSize() : SIZE{0, 0}; }

}  // namespace ORIEL
