// A stand-alone scroll bar: a range, a page and a position drawn with a
// scroll-bar skin. It reports what the user does as scroll codes and lets
// its owner move it; arrows and page areas repeat while held.
#pragma once

#include <initializer_list>

#include "control/SScrollInfo.h"
#include "core/SWnd.h"

// The scroll-bar messages; the record and codes are the framework's own.
#ifndef SBM_SETSCROLLINFO
#define SBM_SETSCROLLINFO 0x00E9
#define SBM_GETSCROLLINFO 0x00EA
#endif

namespace ORIEL {

class SScrollBar : public SWindow {
  SOBJ_CLASS(SScrollBar, SWindow, L"scrollbar", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  // Timer ids of the auto-repeat: the first delay, then the steady repeat.
  enum { kTimerRepeat = 1, kTimerDelay = 2 };
  static constexpr UINT kRepeatDelayMs = 500;
  static constexpr UINT kRepeatEveryMs = 50;

  SScrollBar();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void UpdateScale(int scale) override;

  // Clamps to [minimum, maximum - page + 1]; raises no event.
  int SetPos(int pos);
  int GetPos() const { return pos_; }
  int GetMin() const { return min_; }
  int GetMax() const { return max_; }
  int GetPage() const { return page_; }
  int GetTrackPos() const { return trackPos_; }
  BOOL IsVertical() const { return vertical_; }
  int GetArrowSize() const { return arrowSize_; }

  // A part's rectangle (the part numbers are the scroll codes) and the
  // part under a point, -1 for none.
  RECT GetPartRect(int part) const;
  int HitTest(POINT pt) const;

 protected:
  int OnCreate() override;
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonDown(UINT keys, POINT pt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;
  void OnMouseLeave() override;

 private:
  void OnMouseMove(POINT pt);
  void OnTimer(UINT id);
  LRESULT OnSetScrollInfo(BOOL redraw, const SCROLLINFO* info);
  LRESULT OnGetScrollInfo(SCROLLINFO* info) const;
  // The largest position: one page before the end, never below the minimum.
  int MaxPos() const;
  int ClampPos(int pos) const { return pos < min_ ? min_ : pos > MaxPos() ? MaxPos() : pos; }
  // The effective maximum: a page past the maximum stretches the range.
  int EffectiveMax() const;
  int Length() const;
  int Along(POINT pt) const { return vertical_ ? pt.y : pt.x; }
  int ThumbLength(int available) const;
  void DrawPart(IRenderTarget* rt, int part, int state);
  // Asks the host to repaint the parts (each drawn in its present state)
  // and `also`, where a part was before it moved.
  void RepaintParts(std::initializer_list<int> parts, const RECT* also = nullptr);
  void RaiseScroll(int code, int pos);
  void UpdateHover(POINT pt);
  // The held part's next repeat: false when its end is reached.
  bool RepeatContinues() const;

  ISkinObj* skin_ = nullptr;  // skins belong to their pools
  SStringW skinName_{L"_skin.sys.scrollbar"};
  int arrowSize_ = -1;
  int min_ = 0;
  int max_ = 0;
  int page_ = 0;
  int pos_ = 0;
  int trackPos_ = -1;
  bool dragging_ = false;
  POINT dragPoint_{0, 0};
  int dragPos_ = 0;
  int clicked_ = -1;
  bool repeating_ = false;  // timer 1 runs (else the delay, timer 2)
  int hover_ = -1;
  POINT lastPoint_{-1, -1};
  BOOL vertical_ = TRUE;
};

}  // namespace ORIEL
