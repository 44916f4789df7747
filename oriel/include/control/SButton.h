// "button" and "imgbtn": a skin face chosen by state, a hover fade on the
// host's timeline, Space and Enter, and an Alt accelerator taken from a
// trailing "(&X)" in the text or from "accel".
#pragma once

#include "core/SAccelerator.h"
#include "core/SwndContainer.h"

namespace ORIEL {

class SButton : public SWindow, public IAcceleratorTarget, public ITimelineHandler {
  SOBJ_CLASS(SButton, SWindow, L"button", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SButton();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL LoadXmlNode(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  UINT GetDlgCode() const override { return 8; }
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }

  bool FireAccelerator(DWORD accel) override;
  void AdvanceFrame() override;

  DWORD GetAccelerator() const { return accel_; }
  // 255 when no fade runs.
  int GetFadeAlpha() const { return fadeAlpha_; }

 protected:
  void OnEraseBkgnd(IRenderTarget*) override {}
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

 private:
  void SetAccelerator(DWORD accel);
  void StopFade();
  void OnStateChanged(DWORD oldState, DWORD newState);

  DWORD accel_ = 0;
  int animate_ = 0;
  WORD fadeAlpha_ = 255;
  BYTE animateStep_ = 25;
  BOOL disableAccelIfInvisible_ = FALSE;
  bool fading_ = false;
};

// An image button: no dotted focus frame; wrap-content takes the skin's size.
class SImageButton : public SButton {
  SOBJ_CLASS(SImageButton, SButton, L"imgbtn", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"button"; }
  SImageButton();
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;
};

}  // namespace ORIEL
