// A scrolling panel with a virtual view: a view size that may exceed the
// window and a view origin. Children are laid out inside the view, moved
// by the origin; the bars follow the view size and scrolling moves the
// origin.
#pragma once

#include "control/SPanel.h"

namespace ORIEL {

class EventScrollViewOriginChanged : public TplEventArgs<EventScrollViewOriginChanged> {
  ORIEL_EVENT(EventScrollViewOriginChanged, 10002, L"on_scrollview_origin_changed")
  POINT ptOldOrigin{0, 0};
  POINT ptNewOrigin{0, 0};
};
class EventScrollViewSizeChanged : public TplEventArgs<EventScrollViewSizeChanged> {
  ORIEL_EVENT(EventScrollViewSizeChanged, 10003, L"on_scrollview_size_changed")
  SIZE szOldViewSize{0, 0};
  SIZE szNewViewSize{0, 0};
};

class SScrollView : public SPanel {
  SOBJ_CLASS(SScrollView, SPanel, L"scrollview", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  SScrollView();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SPanel::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void ArrangeChildren() override;
  void GetLayoutArea(RECT* rc) override;
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  void SetViewOrigin(POINT origin);
  POINT GetViewOrigin() const { return origin_; }
  void SetViewSize(SIZE size);
  SIZE GetViewSize() const { return viewSize_; }
  void UpdateViewSize();

 protected:
  virtual void ViewSizeAltered(SIZE oldSize, SIZE newSize);
  virtual void ViewOriginMoved(POINT oldOrigin, POINT newOrigin);
  virtual void UpdateBars();

 private:
  SLayoutSize viewWidth_{SLayoutSize::kUnspecified, SLayoutSize::px};
  SLayoutSize viewHeight_{SLayoutSize::kUnspecified, SLayoutSize::px};
  POINT origin_{0, 0};
  SIZE viewSize_{0, 0};
};

}  // namespace ORIEL
