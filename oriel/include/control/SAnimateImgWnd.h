// "animateimg": steps through a skin's frames on the host's timeline,
// forever or for a number of passes.
#pragma once

#include "core/SwndContainer.h"

namespace ORIEL {

class SAnimateImgWnd : public SWindow, public ITimelineHandler {
  SOBJ_CLASS(SAnimateImgWnd, SWindow, L"animateimg", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SAnimateImgWnd();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  void Start();
  // The handled count of the stop event; 0 when it was not playing.
  int Stop();
  BOOL IsPlaying() const { return playing_; }
  int GetCurrentFrame() const { return frame_; }
  void AdvanceFrame() override;
  void Colorize(COLORREF color) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;
  SIZE MeasureContent(const RECT* limit) override;

 private:
  ISkinObj* skin_ = nullptr;
  int speed_ = 50;
  int frame_ = 0;
  int autoStart_ = 1;
  BOOL playing_ = FALSE;
  int tick_ = 0;
  int repeat_ = -1;
  int loops_ = 0;
};

}  // namespace ORIEL
