// A progress bar with a draggable thumb: a range, a value and the skins of
// the rail, the filled part and the thumb. A press on the thumb drags it; a
// press on the rail jumps there and drags from that point.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

class EventSliderPos : public TplEventArgs<EventSliderPos> {
  ORIEL_EVENT(EventSliderPos, 17000, L"on_slider_pos")
  int nPos = 0;
};

class SSliderBar : public SWindow {
  // Written out rather than SOBJ_CLASS: the slider also answers to the
  // progress bar's name.
 public:
  static LPCWSTR GetClassName() { return L"sliderbar"; }
  static int GetClassType() { return kObjWindow; }
  LPCWSTR GetObjectClass() const override { return L"sliderbar"; }
  int GetObjectType() const override { return kObjWindow; }
  static LPCWSTR BaseClassName() { return L"progress"; }
  // The parts along the bar.
  enum Part { kPartNone = -1, kPartRail = 0, kPartPos = 1, kPartThumb = 2, kPartBkgnd = 3 };

  SSliderBar();

  BOOL IsClass(LPCWSTR cls) const override;
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  SIZE MeasureContent(const RECT* limit) override;
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

  // Clamps to the range; invalidates; raises no event.
  BOOL SetValue(int value);
  int GetValue() const { return value_; }
  int GetMin() const { return min_; }
  int GetMax() const { return max_; }
  BOOL IsVertical() const { return vertical_; }
  bool IsDragging() const { return dragging_; }
  int GetHoverPart() const { return hover_; }

  // A part's rectangle in host coordinates, and the part under a point.
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
  // The start and end of a part along the axis, from the client start.
  void PartRange(int part, int& start, int& end) const;
  int Along(POINT pt) const { return vertical_ ? pt.y : pt.x; }
  bool HasRange() const { return max_ > min_; }
  void FetchSkins(int scale);
  void RaisePos();

  // The progress bar's part.
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  BOOL vertical_ = FALSE;
  BOOL showPercent_ = FALSE;
  ISkinObj* bkgnd_ = nullptr;  // skins belong to their pools
  ISkinObj* pos_ = nullptr;
  SStringW bkgndName_, posName_;

  // The thumb.
  ISkinObj* thumb_ = nullptr;
  SStringW thumbName_{L"_skin.sys.slider.thumb"};
  int thumbInRail_ = 0;
  bool dragging_ = false;
  POINT dragPoint_{0, 0};
  int dragValue_ = 0;
  int hover_ = kPartNone;
};

}  // namespace ORIEL
