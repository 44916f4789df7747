#include "control/SSliderBar.h"

#include <algorithm>
#include <cwchar>

#include "ControlSkins.h"

namespace ORIEL {

namespace {

// Narrows the span [lo, hi) to `size`, centred; never widens it.
void NarrowCentred(LONG& lo, LONG& hi, int size) {
  const int spare = static_cast<int>(hi - lo) - size;
  if (spare <= 0) return;
  lo += spare / 2;
  hi -= spare / 2;
}

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

}  // namespace

SSliderBar::SSliderBar() { GetEventSet()->AddEvent(EventSliderPos::EventID, EventSliderPos::EventName()); }

BOOL SSliderBar::IsClass(LPCWSTR cls) const {
  if (cls && (wcscmp(cls, L"sliderbar") == 0 || wcscmp(cls, L"progress") == 0)) return TRUE;
  return SWindow::IsClass(cls);
}

HRESULT SSliderBar::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = 0;
  if (AttrNameIs(name, L"thumbSkin")) {
    thumbName_ = value;
    thumb_ = LookupControlSkin(value, GetScale());
  } else if (AttrNameIs(name, L"thumbInRail")) {
    thumbInRail_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"min")) {
    min_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"max")) {
    max_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"value")) {
    value_ = ParseAttrInt(value);  // stored as given: only SetValue and the mouse clamp
  } else if (AttrNameIs(name, L"vertical")) {
    vertical_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"showPercent")) {
    showPercent_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"bkgndSkin")) {
    bkgndName_ = value;
    bkgnd_ = LookupControlSkin(value, GetScale());
  } else if (AttrNameIs(name, L"posSkin")) {
    posName_ = value;
    pos_ = LookupControlSkin(value, GetScale());
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

int SSliderBar::OnCreate() {
  if (bkgndName_.IsEmpty()) bkgndName_ = vertical_ ? L"_skin.sys.vert.prog.bkgnd" : L"_skin.sys.prog.bkgnd";
  if (posName_.IsEmpty()) posName_ = vertical_ ? L"_skin.sys.vert.prog.bar" : L"_skin.sys.prog.bar";
  FetchSkins(GetScale());
  return SWindow::OnCreate();
}

void SSliderBar::FetchSkins(int scale) {
  if (ISkinObj* s = LookupControlSkin(bkgndName_, scale)) bkgnd_ = s;
  if (ISkinObj* s = LookupControlSkin(posName_, scale)) pos_ = s;
  if (ISkinObj* s = LookupControlSkin(thumbName_, scale)) thumb_ = s;
}

void SSliderBar::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  FetchSkins(scale);
}

void SSliderBar::Colorize(COLORREF color) {
  if (bkgnd_) bkgnd_->ApplyColorize(color);
  if (pos_) pos_->ApplyColorize(color);
  if (thumb_) thumb_->ApplyColorize(color);
  SWindow::Colorize(color);
}

SIZE SSliderBar::MeasureContent(const RECT* limit) {
  SIZE size = SWindow::MeasureContent(limit);
  SIZE want;
  if (vertical_) want = SIZE{std::max(SkinWidth(bkgnd_), SkinWidth(thumb_)), 100};
  else want = SIZE{100, std::max(SkinHeight(bkgnd_), SkinHeight(thumb_))};
  if (GetLayoutParam()->IsWrapContent(Horz)) size.cx = want.cx;
  if (GetLayoutParam()->IsWrapContent(Vert)) size.cy = want.cy;
  return size;
}

BOOL SSliderBar::SetValue(int value) {
  value_ = Clamp(value, min_, std::max(min_, max_));
  Invalidate();
  return TRUE;
}

// --- geometry -----------------------------------------------------------

void SSliderBar::PartRange(int part, int& start, int& end) const {
  const RECT client = ClientRect();
  const int length = vertical_ ? client.bottom - client.top : client.right - client.left;
  const int thumb = vertical_ ? SkinHeight(thumb_) : SkinWidth(thumb_);
  const int half = thumb / 2;
  // An empty range has no position in it: the thumb rests at the start.
  const int p = HasRange() ? static_cast<int>(static_cast<long long>(length - thumb) * (value_ - min_) / (max_ - min_))
                           : 0;
  switch (part) {
    case kPartRail: start = half, end = length - half; break;
    case kPartPos: start = thumbInRail_ ? 0 : half, end = half + p; break;
    case kPartThumb: start = p, end = p + thumb; break;
    default:
      if (thumbInRail_) start = 0, end = length;
      else start = half, end = length - half;
      break;
  }
}

RECT SSliderBar::GetPartRect(int part) const {
  RECT rc = ClientRect();
  int start = 0, end = 0;
  PartRange(part, start, end);
  LONG& lo = vertical_ ? rc.top : rc.left;
  LONG& hi = vertical_ ? rc.bottom : rc.right;
  const LONG origin = lo;
  lo = origin + start;
  hi = origin + end;
  LONG& crossLo = vertical_ ? rc.left : rc.top;
  LONG& crossHi = vertical_ ? rc.right : rc.bottom;
  const int bkgndCross = vertical_ ? SkinWidth(bkgnd_) : SkinHeight(bkgnd_);
  const int thumbCross = vertical_ ? SkinWidth(thumb_) : SkinHeight(thumb_);
  NarrowCentred(crossLo, crossHi, std::max(bkgndCross, thumbCross));
  if (part != kPartThumb) NarrowCentred(crossLo, crossHi, bkgndCross);
  return rc;
}

int SSliderBar::HitTest(POINT pt) const {
  for (int part : {kPartThumb, kPartPos, kPartRail}) {
    const RECT rc = GetPartRect(part);
    if (PtInRect(&rc, pt)) return part;
  }
  return kPartNone;
}

// --- painting -----------------------------------------------------------

void SSliderBar::OnPaint(IRenderTarget* rt) {
  auto draw = [rt](ISkinObj* skin, const RECT& rc, int state) {
    if (!skin) return;
    skin->DrawByIndex(rt, &rc, std::min(state, std::max(skin->StateCount() - 1, 0)));
  };
  draw(bkgnd_, GetPartRect(kPartBkgnd), 0);
  if (HasRange() && value_ != min_) draw(pos_, GetPartRect(kPartPos), 0);
  const int thumbState = dragging_ ? 2 : hover_ == kPartThumb ? 1 : 0;
  draw(thumb_, GetPartRect(kPartThumb), thumbState);
}

// --- mouse --------------------------------------------------------------

BOOL SSliderBar::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_MOUSEMOVE) {
    OnMouseMove(PointOf(lParam));
    result = 0;
    return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void SSliderBar::RaisePos() {
  EventSliderPos e(this);
  e.nPos = value_;
  RaiseEvent(&e);
}

void SSliderBar::OnLButtonDown(UINT, POINT pt) {
  const RECT rail = GetPartRect(kPartRail);
  const int railStart = vertical_ ? rail.top : rail.left;
  const int railLength = vertical_ ? rail.bottom - rail.top : rail.right - rail.left;
  // Without a range or a rail there is no value a point could stand for.
  if (!HasRange() || railLength <= 0) return;
  SetCapture();
  if (HitTest(pt) == kPartThumb) {
    dragPoint_ = pt;
    dragValue_ = value_;
    dragging_ = true;
    Invalidate();
    return;
  }
  const long long span = static_cast<long long>(max_) - min_ + 1;
  SetValue(min_ + static_cast<int>(span * (Along(pt) - railStart) / railLength));
  dragPoint_ = pt;
  dragValue_ = value_;
  dragging_ = true;
  RaisePos();
}

void SSliderBar::OnMouseMove(POINT pt) {
  if (!dragging_) {
    const int part = HitTest(pt);
    if (part != hover_ && (part == kPartThumb || hover_ == kPartThumb)) {
      const RECT before = GetPartRect(kPartThumb);
      hover_ = part;
      InvalidateRect(before);
    }
    return;
  }
  const RECT rail = GetPartRect(kPartRail);
  const int railLength = vertical_ ? rail.bottom - rail.top : rail.right - rail.left;
  if (!HasRange() || railLength <= 0) return;
  const long long span = static_cast<long long>(max_) - min_ + 1;
  const long long offset = span * (Along(pt) - Along(dragPoint_)) / railLength;
  const int next = static_cast<int>(std::clamp<long long>(dragValue_ + offset, min_, max_));
  if (next == value_) return;
  value_ = next;
  Invalidate();
  RaisePos();
}

void SSliderBar::OnLButtonUp(UINT, POINT pt) {
  ReleaseCapture();
  if (dragging_) {
    dragging_ = false;
    InvalidateRect(GetPartRect(kPartThumb));
  }
  OnMouseMove(pt);
}

void SSliderBar::OnMouseLeave() {
  SWindow::OnMouseLeave();
  if (dragging_ || hover_ != kPartThumb) return;
  InvalidateRect(GetPartRect(kPartThumb));
  Invalidate();
  hover_ = kPartNone;
}

}  // namespace ORIEL
