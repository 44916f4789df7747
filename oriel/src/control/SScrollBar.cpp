#include "control/SScrollBar.h"

#include <algorithm>

#include "ControlSkins.h"
#include "res.mgr/SSkinScrollbar.h"

namespace ORIEL {

namespace {

// A thumb shorter than this is not worth drawing; a drawn one is never
// shorter.
constexpr int kMinThumb = 18;

bool IsArrow(int part) { return part == SB_LINEUP || part == SB_LINEDOWN; }

}  // namespace

SScrollBar::SScrollBar() { GetEventSet()->AddEvent(EventScroll::EventID, EventScroll::EventName()); }

HRESULT SScrollBar::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"skin")) {
    skinName_ = value;
    skin_ = LookupControlSkin(value, GetScale());
  } else if (AttrNameIs(name, L"arrowSize")) {
    arrowSize_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"min")) {
    min_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"max")) {
    max_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"value")) {
    pos_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"page")) {
    page_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"vertical")) {
    vertical_ = ParseAttrInt(value) != 0;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, 1);  // none of these repaints by itself
}

int SScrollBar::OnCreate() {
  if (!skin_) skin_ = LookupControlSkin(skinName_, GetScale());
  if (arrowSize_ == -1) arrowSize_ = SkinWidth(skin_) / 9;
  return SWindow::OnCreate();
}

void SScrollBar::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (ISkinObj* s = LookupControlSkin(skinName_, scale)) skin_ = s;
}

// --- geometry -----------------------------------------------------------

int SScrollBar::EffectiveMax() const { return std::max(max_, min_ + page_ - 1); }

int SScrollBar::MaxPos() const { return std::max(min_, EffectiveMax() - page_ + 1); }

int SScrollBar::Length() const {
  const RECT rc = GetWindowRect();
  return vertical_ ? rc.bottom - rc.top : rc.right - rc.left;
}

int SScrollBar::ThumbLength(int available) const {
  const int m = EffectiveMax();
  int thumb = min_ + page_ == m + 1 ? available
                                    : static_cast<int>(static_cast<long long>(available) * page_ / (m - min_ + 1));
  if (available < kMinThumb) return 0;
  return std::max(thumb, kMinThumb);
}

RECT SScrollBar::GetPartRect(int part) const {
  const int length = Length();
  const int arrow = std::max(arrowSize_, 0);
  const int available = std::max(0, length - 2 * arrow);
  const int thumb = ThumbLength(available);
  const int free = available - thumb;
  const int ends = length - 2 * arrow <= 0 ? length / 2 : arrow;
  const int p = trackPos_ != -1 ? trackPos_ : pos_;
  const int divisor = EffectiveMax() - min_ - page_ + 1;
  const int offset = divisor > 0 ? static_cast<int>(static_cast<long long>(free) * (p - min_) / divisor) : free / 2;
  int start = 0, end = 0;
  switch (part) {
    case SB_LINEUP: start = 0, end = ends; break;
    case SB_PAGEUP: start = ends, end = ends + offset; break;
    case SB_THUMBTRACK: start = ends + offset, end = ends + offset + thumb; break;
    case SB_PAGEDOWN: start = ends + offset + thumb, end = length - ends; break;
    case SB_LINEDOWN: start = length - ends, end = length; break;
    default: return RECT{0, 0, 0, 0};
  }
  RECT rc = GetWindowRect();
  LONG& lo = vertical_ ? rc.top : rc.left;
  LONG& hi = vertical_ ? rc.bottom : rc.right;
  const LONG origin = lo;
  lo = origin + start;
  hi = origin + end;
  return rc;
}

int SScrollBar::HitTest(POINT pt) const {
  for (int part : {SB_LINEUP, SB_LINEDOWN, SB_THUMBTRACK, SB_PAGEUP, SB_PAGEDOWN}) {
    const RECT rc = GetPartRect(part);
    if (PtInRect(&rc, pt)) return part;
  }
  return -1;
}

// --- painting -----------------------------------------------------------

void SScrollBar::DrawPart(IRenderTarget* rt, int part, int state) {
  const RECT rc = GetPartRect(part);
  if (IsRectEmpty(&rc)) return;
  skin_->DrawByIndex(rt, &rc, MakeScrollbarIndex(part, state, vertical_ != 0));
}

void SScrollBar::OnPaint(IRenderTarget* rt) {
  if (!skin_) return;
  const bool disabled = IsDisabled(TRUE) != 0;
  for (int part : {SB_LINEUP, SB_PAGEUP, SB_THUMBTRACK, SB_PAGEDOWN, SB_LINEDOWN}) {
    // A held arrow shows pressed, a dragged thumb and the hovered part hot.
    int state = 0;
    if (disabled) state = 3;
    else if (IsArrow(part) && clicked_ == part) state = 2;
    else if (part == hover_ || (part == SB_THUMBTRACK && dragging_)) state = 1;
    DrawPart(rt, part, state);
  }
}

void SScrollBar::RepaintParts(std::initializer_list<int> parts, const RECT* also) {
  RECT box{0, 0, 0, 0};
  if (also) box = *also;
  for (int part : parts) {
    const RECT rc = GetPartRect(part);
    UnionRect(&box, &box, &rc);
  }
  InvalidateRect(box);
}

// --- messages -----------------------------------------------------------

BOOL SScrollBar::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE: OnMouseMove(PointOf(lParam)); result = 0; return TRUE;
    case WM_TIMER: OnTimer(static_cast<UINT>(wParam)); result = 0; return TRUE;
    case SBM_SETSCROLLINFO:
      result = OnSetScrollInfo(static_cast<BOOL>(wParam), reinterpret_cast<const SCROLLINFO*>(lParam));
      return TRUE;
    case SBM_GETSCROLLINFO: result = OnGetScrollInfo(reinterpret_cast<SCROLLINFO*>(lParam)); return TRUE;
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

LRESULT SScrollBar::OnSetScrollInfo(BOOL redraw, const SCROLLINFO* info) {
  if (!info) return 0;
  if (info->fMask & SIF_PAGE) page_ = static_cast<int>(info->nPage);
  if (info->fMask & SIF_POS) pos_ = info->nPos;
  if (info->fMask & SIF_RANGE) {
    min_ = info->nMin;
    max_ = info->nMax;
  }
  pos_ = ClampPos(pos_);
  if (redraw) Invalidate();
  return 1;
}

LRESULT SScrollBar::OnGetScrollInfo(SCROLLINFO* info) const {
  if (!info) return 0;
  if (info->fMask & SIF_PAGE) info->nPage = static_cast<UINT>(page_);
  if (info->fMask & SIF_POS) info->nPos = pos_;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = trackPos_;
  if (info->fMask & SIF_RANGE) {
    info->nMin = min_;
    info->nMax = max_;
  }
  return 1;
}

int SScrollBar::SetPos(int pos) {
  pos = ClampPos(pos);
  if (pos == pos_) return pos;
  if (!dragging_ && IsVisible(TRUE)) {
    const RECT before = GetPartRect(SB_THUMBTRACK);
    pos_ = pos;
    RepaintParts({SB_THUMBTRACK, SB_PAGEDOWN, SB_PAGEUP}, &before);
  }
  pos_ = pos;
  return pos_;
}

void SScrollBar::RaiseScroll(int code, int pos) {
  EventScroll e(this);
  e.nSbCode = code;
  e.nPos = pos;
  e.bVertical = vertical_;
  RaiseEvent(&e);
}

// --- mouse --------------------------------------------------------------

void SScrollBar::OnLButtonDown(UINT, POINT pt) {
  SetCapture();
  lastPoint_ = pt;
  const int part = HitTest(pt);
  if (part == SB_THUMBTRACK) {
    dragPoint_ = pt;
    dragPos_ = pos_;
    trackPos_ = pos_;
    dragging_ = true;
    return;
  }
  if (part < 0) return;
  clicked_ = part;
  if (IsArrow(part)) RepaintParts({part});
  // Held, the part repeats: first after a delay, then steadily.
  repeating_ = false;
  SetTimer(kTimerDelay, kRepeatDelayMs);
  RaiseScroll(part, pos_);
}

void SScrollBar::OnMouseMove(POINT pt) {
  lastPoint_ = pt;
  if (!dragging_) {
    UpdateHover(pt);
    return;
  }
  const int available = std::max(0, Length() - 2 * std::max(arrowSize_, 0));
  const int free = available - ThumbLength(available);
  const long long span = static_cast<long long>(EffectiveMax()) - page_ - min_ + 1;
  const long long moved = free > 0 ? span * (Along(pt) - Along(dragPoint_)) / free : 0;
  const int next = ClampPos(static_cast<int>(std::clamp<long long>(moved + dragPos_, min_, MaxPos())));
  if (next == trackPos_) return;
  const RECT before = GetPartRect(SB_THUMBTRACK);
  trackPos_ = next;
  RepaintParts({SB_THUMBTRACK}, &before);
  RaiseScroll(SB_THUMBTRACK, trackPos_);
}

void SScrollBar::UpdateHover(POINT pt) {
  const int part = HitTest(pt);
  if (part == hover_) return;
  const int old = hover_;
  hover_ = part;
  RepaintParts({old, part});
}

void SScrollBar::OnLButtonUp(UINT, POINT pt) {
  ReleaseCapture();
  if (dragging_) {
    pos_ = trackPos_;
    trackPos_ = -1;
    dragging_ = false;
    UpdateHover(pt);
    Invalidate();
    RaiseScroll(SB_THUMBPOSITION, pos_);
    return;
  }
  if (clicked_ < 0) return;
  KillTimer(repeating_ ? kTimerRepeat : kTimerDelay);
  repeating_ = false;
  const int released = clicked_;
  clicked_ = -1;
  if (IsArrow(released)) RepaintParts({released});
}

void SScrollBar::OnMouseLeave() {
  SWindow::OnMouseLeave();
  if (!dragging_ && hover_ != -1) UpdateHover(POINT{-1, -1});
}

bool SScrollBar::RepeatContinues() const {
  switch (clicked_) {
    case SB_LINEUP: return pos_ != min_;
    case SB_LINEDOWN: return pos_ != MaxPos();
    case SB_PAGEUP:
    case SB_PAGEDOWN: {
      const RECT thumb = GetPartRect(SB_THUMBTRACK);
      return !PtInRect(&thumb, lastPoint_);
    }
    default: return false;
  }
}

void SScrollBar::OnTimer(UINT id) {
  if (clicked_ < 0) return;
  if (id == kTimerDelay) {
    KillTimer(kTimerDelay);
    repeating_ = true;
    SetTimer(kTimerRepeat, kRepeatEveryMs);
    return;
  }
  // A tick of the steady timer queued from an earlier press is stale.
  if (id != kTimerRepeat || !repeating_) return;
  if (!RepeatContinues()) {
    KillTimer(kTimerRepeat);
    return;
  }
  RaiseScroll(clicked_, pos_);
}

}  // namespace ORIEL
