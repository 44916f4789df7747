// A window with its own scroll bars. The bars are neither child windows
// nor system scroll bars: they live in the window's non-client area and
// the panel hit-tests, tracks and paints them with a scroll-bar skin,
// keeping a range, page and position per axis. Every scrolling control
// derives from it.
#pragma once

#include "control/SScrollInfo.h"
#include "core/SWnd.h"

namespace ORIEL {

class SSkinScrollbar;

class SPanel : public SWindow {
  SOBJ_CLASS(SPanel, SWindow, L"div", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  // Bits of the shown and enabled bars.
  enum : int { kBarHorz = 1, kBarVert = 2 };
  // Bar parts: hit test, skin drawing and repeat.
  enum : int { kPartLineUp = 0, kPartLineDown = 1, kPartPageUp = 2, kPartPageDown = 3, kPartThumb = 5,
               kPartCorner = 10, kPartNone = 0xFFFF };
  // Part states of the skin.
  enum : int { kStateNormal = 0, kStateHover = 1, kStatePushed = 2, kStateDisabled = 3, kStateInactive = 4 };
  // The timers of arrow and rail repeat.
  enum : UINT { kTimerFirstRepeat = 1, kTimerRepeat = 2 };

  struct HitInfo {
    int part = kPartNone;
    bool vertical = false;
    bool operator==(const HitInfo& o) const { return part == o.part && vertical == o.vertical; }
  };

  SPanel();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  RECT ClientRect() const override { return client_; }
  BOOL IsNonClientPoint(POINT pt) const override;
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;

  virtual int GetScrollLineSize(bool) { return lineSize_; }
  // One scroll request on an axis; false when the position did not move.
  virtual BOOL HandleScrollCode(bool vertical, int code, int position);

  BOOL ShowScrollBar(int bars, BOOL show);
  BOOL EnableScrollBar(int bars, BOOL enable);
  BOOL IsScrollBarEnable(bool vertical) const { return (enabledBars_ & BarBit(vertical)) != 0; }
  BOOL HasScrollBar(bool vertical) const { return (shownBars_ & BarBit(vertical)) != 0; }
  BOOL SetScrollPos(bool vertical, int position, BOOL redraw);
  int GetScrollPos(bool vertical) const { return Info(vertical).nPos; }
  BOOL SetBarRange(bool vertical, int minimum, int maximum, BOOL redraw);
  BOOL GetScrollRange(bool vertical, int* minimum, int* maximum) const;
  void SetBarInfo(const SCROLLINFO& record, bool vertical);
  const SCROLLINFO& GetBarInfo(bool vertical) const { return Info(vertical); }
  int GetScrollBarWidth() const;
  int GetArrowSize() const;
  // Repaints the host now when the update interval has passed.
  void ThrottledUpdate();

  // Geometry, in host coordinates.
  RECT GetBarRect(bool vertical) const;
  RECT GetPartRect(bool vertical, int part) const;
  HitInfo HitTest(POINT pt) const;
  int GetDragMode() const { return dragMode_; }
  int GetWheelRemainder() const { return wheelRemainder_; }
  int GetShownBars() const { return shownBars_; }

 protected:
  static int BarBit(bool vertical) { return vertical ? kBarVert : kBarHorz; }
  SCROLLINFO& Info(bool vertical) { return vertical ? vert_ : horz_; }
  const SCROLLINFO& Info(bool vertical) const { return vertical ? vert_ : horz_; }
  void OnNcPaint(IRenderTarget* rt) override;
  virtual void OnNcCalcSize();
  virtual LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
  void OnShowWindow(BOOL show, UINT status) override;
  // Default wheel handling: up to the parent.
  LRESULT ForwardWheel(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  RECT PartRectFor(bool vertical, int part, int position) const;
  int ThumbLength(int railLength, int page, int range) const;
  int SlideLength(bool vertical) const;
  void DrawPart(IRenderTarget* rt, bool vertical, int part, int state);
  // Repaints parts of a bar at once: (part, state) pairs in order.
  void RepaintParts(bool vertical, std::initializer_list<std::pair<int, int>> parts);
  int BaseState(bool vertical) const;
  void OnNcLButtonDown(POINT pt);
  void OnNcLButtonUp(POINT pt);
  void OnNcMouseMove(POINT pt);
  void OnNcMouseLeave();
  void OnTimer(UINT id);
  void DragThumbTo(POINT pt);

  ISkinObj* skin_ = nullptr;  // belongs to its pool
  SStringW skinName_;
  SLayoutSize arrowSize_{SLayoutSize::kUnspecified, SLayoutSize::px};
  SLayoutSize barWidth_{SLayoutSize::kUnspecified, SLayoutSize::px};
  SLayoutSize left_, right_, top_, bottom_;
  POINT dragStart_{0, 0};
  int dragMode_ = 0;  // 1 vertical thumb, 2 horizontal thumb
  bool repeating_ = false;  // an arrow or the rail is held down
  HitInfo hit_;
  int dragStartPos_ = 0;
  RECT client_{0, 0, 0, 0};
  int shownBars_ = 0;
  int enabledBars_ = kBarHorz | kBarVert;
  DWORD lastUpdate_ = 0;
  int updateInterval_ = 0;
  short wheelRemainder_ = 0;
  int lineSize_ = 10;
  SCROLLINFO vert_, horz_;

 protected:
  void SetUpdateInterval(int ms) { updateInterval_ = ms; }
};

}  // namespace ORIEL
