#include "control/SPanel.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SwndContainer.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SSkinScrollbar.h"

namespace ORIEL {

namespace {

constexpr int kMinThumb = 18;
constexpr int kWheelDelta = 120;
const wchar_t kSystemScrollbar[] = L"_skin.sys.scrollbar";

POINT PointOfLParam(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

ISkinObj* ScrollbarSkin(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  ISkinObj* skin = skins ? skins->GetSkin(name, scale) : nullptr;
  return skin && skin->IsClass(L"scrollbar") ? skin : nullptr;
}

// Raise to the minimum, then hold inside the range the page leaves.
int ClampPosition(const SCROLLINFO& si, int position) {
  position = std::max(position, si.nMin);
  const int last = si.nPage == 0 ? si.nMax : si.nMax - static_cast<int>(si.nPage) + 1;
  return std::max(std::min(position, last), si.nMin);
}

}  // namespace

SPanel::SPanel() {
  skinName_ = kSystemScrollbar;
  skin_ = ScrollbarSkin(skinName_, 100);
}

// --- attributes ---------------------------------------------------------

HRESULT SPanel::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"sbSkin")) {
    ISkinObj* skin = ScrollbarSkin(value, GetScale());
    if (!skin) return E_FAIL;
    skin_ = skin;
    skinName_ = value;
    hr = S_OK;
  } else if (AttrNameIs(name, L"sbArrowSize")) {
    arrowSize_ = SLayoutSize::FromString(value);
  } else if (AttrNameIs(name, L"sbWid")) {
    barWidth_ = SLayoutSize::FromString(value);
    hr = S_OK;
  } else if (AttrNameIs(name, L"sbLeft") || AttrNameIs(name, L"sbRight") || AttrNameIs(name, L"sbTop") ||
             AttrNameIs(name, L"sbBottom")) {
    SLayoutSize& inset = AttrNameIs(name, L"sbLeft") ? left_ : AttrNameIs(name, L"sbRight") ? right_
                         : AttrNameIs(name, L"sbTop") ? top_ : bottom_;
    inset = SLayoutSize::FromString(value);
    hr = S_OK;
  } else if (AttrNameIs(name, L"sbEnable")) {
    enabledBars_ = ParseAttrInt(value);
    hr = S_OK;
  } else if (AttrNameIs(name, L"updateInterval")) {
    updateInterval_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"scrollSpeed")) {
    lineSize_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SPanel::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (ISkinObj* scaled = ScrollbarSkin(skinName_, scale)) skin_ = scaled;
  SendSwndMessage(SWM_NCCALCSIZE);
}

void SPanel::Colorize(COLORREF color) {
  SWindow::Colorize(color);
  if (skin_) skin_->ApplyColorize(color);
}

// --- bars ---------------------------------------------------------------

BOOL SPanel::ShowScrollBar(int bars, BOOL show) {
  shownBars_ = show ? (shownBars_ | bars) : (shownBars_ & ~bars);
  SendSwndMessage(SWM_NCCALCSIZE);
  Invalidate();
  return TRUE;
}

BOOL SPanel::EnableScrollBar(int bars, BOOL enable) {
  enabledBars_ = enable ? (enabledBars_ | bars) : (enabledBars_ & ~bars);
  if (bars & kBarVert) InvalidateRect(GetBarRect(true), false);
  if (bars & kBarHorz) InvalidateRect(GetBarRect(false), false);
  return TRUE;
}

BOOL SPanel::SetScrollPos(bool vertical, int position, BOOL redraw) {
  position = ClampPosition(Info(vertical), position);
  LockUpdate();
  const BOOL moved = HandleScrollCode(vertical, SB_THUMBPOSITION, position);
  UnlockUpdate();
  if (!moved) return FALSE;
  if (redraw) InvalidateRect(GetBarRect(vertical), false);
  Invalidate();
  return TRUE;
}

BOOL SPanel::SetBarRange(bool vertical, int minimum, int maximum, BOOL redraw) {
  SCROLLINFO& si = Info(vertical);
  si.nMin = minimum;
  si.nMax = maximum;
  si.nPos = ClampPosition(si, si.nPos);
  if (redraw) InvalidateRect(GetBarRect(vertical), false);
  return TRUE;
}

BOOL SPanel::GetScrollRange(bool vertical, int* minimum, int* maximum) const {
  if (minimum) *minimum = Info(vertical).nMin;
  if (maximum) *maximum = Info(vertical).nMax;
  return TRUE;
}

void SPanel::SetBarInfo(const SCROLLINFO& record, bool vertical) {
  SCROLLINFO& si = Info(vertical);
  if (record.fMask & SIF_RANGE) {
    si.nMin = record.nMin;
    si.nMax = record.nMax;
  }
  if (record.fMask & SIF_PAGE) si.nPage = record.nPage;
  if (record.fMask & SIF_POS) si.nPos = record.nPos;
  if (record.fMask & SIF_TRACKPOS) si.nTrackPos = record.nTrackPos;
  si.nPos = ClampPosition(si, si.nPos);
}

int SPanel::GetScrollBarWidth() const {
  if (barWidth_.IsValid()) return barWidth_.ToPixels(GetScale());
  const auto* sb = dynamic_cast<const SSkinScrollbar*>(skin_);
  return sb ? sb->GetIdealSize() : 0;
}

int SPanel::GetArrowSize() const {
  if (arrowSize_.IsValid()) return arrowSize_.ToPixels(GetScale());
  const auto* sb = dynamic_cast<const SSkinScrollbar*>(skin_);
  return sb && sb->HasIdealSize() ? sb->GetIdealSize() : 0;
}

void SPanel::ThrottledUpdate() {
  const DWORD now = GetTickCount();
  if (now - lastUpdate_ < static_cast<DWORD>(updateInterval_)) return;
  if (ISwndContainer* c = GetContainer()) c->UpdateNow();
  lastUpdate_ = now;
}

// --- geometry -----------------------------------------------------------

RECT SPanel::GetBarRect(bool vertical) const {
  RECT rc{0, 0, 0, 0};
  if (!(shownBars_ & BarBit(vertical))) return rc;
  rc = SWindow::ClientRect();
  const int w = GetScrollBarWidth();
  const int scale = GetScale();
  if (vertical) {
    rc.left = rc.right - w;
    if (shownBars_ & kBarHorz) rc.bottom -= w;
    rc.top += top_.ToPixels(scale);
    rc.bottom -= bottom_.ToPixels(scale);
  } else {
    rc.top = rc.bottom - w;
    if (shownBars_ & kBarVert) rc.right -= w;
    rc.left += left_.ToPixels(scale);
    rc.right -= right_.ToPixels(scale);
  }
  return rc;
}

int SPanel::ThumbLength(int railLength, int page, int range) const {
  long long t = range > 0 ? static_cast<long long>(railLength) * page / range : railLength;
  if (railLength < kMinThumb) return 0;
  return static_cast<int>(std::clamp<long long>(t, kMinThumb, railLength));
}

RECT SPanel::PartRectFor(bool vertical, int part, int position) const {
  const RECT bar = GetBarRect(vertical);
  const SCROLLINFO& si = Info(vertical);
  RECT rc{0, 0, 0, 0};
  if (IsRectEmpty(&bar) || si.nMax < si.nMin) return rc;
  const int page = static_cast<int>(si.nPage);
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int a = GetArrowSize();
  const int effMax = std::max(si.nMax, si.nMin + page - 1);
  const int rail = std::max(length - 2 * a, 0);
  int thumb = si.nMin + page == effMax + 1 ? rail : ThumbLength(rail, page, effMax - si.nMin + 1);
  if (rail < kMinThumb) thumb = 0;
  else thumb = std::clamp(thumb, kMinThumb, rail);
  const int arrow = length - 2 * a <= 0 ? length / 2 : a;
  const int free = rail - thumb;
  const long long divisor = static_cast<long long>(si.nMax) - page - si.nMin + 1;
  long long offset = divisor > 0 ? free * (static_cast<long long>(position) - si.nMin) / divisor : free / 2;
  offset = std::clamp<long long>(offset, 0, std::max(free, 0));
  int from = 0, to = 0;
  switch (part) {
    case kPartLineUp: from = 0; to = arrow; break;
    case kPartThumb: from = arrow + static_cast<int>(offset); to = from + thumb; break;
    case kPartPageUp: from = arrow; to = arrow + static_cast<int>(offset); break;
    case kPartPageDown: from = arrow + static_cast<int>(offset) + thumb; to = length - arrow; break;
    case kPartLineDown: from = length - arrow; to = length; break;
    default: return rc;
  }
  if (vertical) rc = RECT{bar.left, bar.top + from, bar.right, bar.top + to};
  else rc = RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
  return rc;
}

RECT SPanel::GetPartRect(bool vertical, int part) const {
  const SCROLLINFO& si = Info(vertical);
  return PartRectFor(vertical, part, si.nTrackPos != -1 ? si.nTrackPos : si.nPos);
}

SPanel::HitInfo SPanel::HitTest(POINT pt) const {
  for (bool vertical : {false, true}) {
    const RECT bar = GetBarRect(vertical);
    if (!PtInRect(&bar, pt)) continue;
    for (int part : {kPartLineUp, kPartLineDown, kPartThumb, kPartPageUp, kPartPageDown}) {
      const RECT rc = GetPartRect(vertical, part);
      if (PtInRect(&rc, pt)) return HitInfo{part, vertical};
    }
    return HitInfo{kPartNone, vertical};
  }
  return HitInfo{};
}

int SPanel::SlideLength(bool vertical) const {
  const RECT bar = GetBarRect(vertical);
  const SCROLLINFO& si = Info(vertical);
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int rail = std::max(length - 2 * GetArrowSize(), 0);
  return ThumbLength(rail, static_cast<int>(si.nPage), si.nMax - si.nMin + 1);
}

BOOL SPanel::IsNonClientPoint(POINT pt) const { return dragMode_ != 0 || !PtInRect(&client_, pt); }

// --- scrolling ----------------------------------------------------------

BOOL SPanel::HandleScrollCode(bool vertical, int code, int position) {
  SCROLLINFO& si = Info(vertical);
  const int page = static_cast<int>(si.nPage);
  int target = si.nPos;
  switch (code) {
    case SB_LINEUP: target -= GetScrollLineSize(vertical); break;
    case SB_LINEDOWN: target += GetScrollLineSize(vertical); break;
    case SB_PAGEUP: target -= page; break;
    case SB_PAGEDOWN: target += page; break;
    case SB_TOP: target = si.nMin; break;
    case SB_BOTTOM: target = si.nMax - page + 1; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: target = position; break;
    default: break;
  }
  target = ClampPosition(si, target);
  if (target == si.nPos) return FALSE;
  si.nPos = target;
  if (code != SB_THUMBTRACK && IsVisible(TRUE) && IsScrollBarEnable(vertical)) {
    si.nTrackPos = -1;
    RepaintParts(vertical, {{kPartPageDown, kStateNormal}, {kPartThumb, kStateNormal}});
  }
  Invalidate();
  return TRUE;
}

LRESULT SPanel::ForwardWheel(UINT msg, WPARAM wParam, LPARAM lParam) {
  SWindow* parent = GetParent();
  return parent ? parent->SendSwndMessage(msg, wParam, lParam) : 0;
}

LRESULT SPanel::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  const int sum = static_cast<short>(wheelRemainder_ + static_cast<short>(HIWORD(wParam)));
  const int steps = sum / kWheelDelta;
  wheelRemainder_ = static_cast<short>(sum - steps * kWheelDelta);
  int left = std::abs(steps);
  while (left > 0) {
    if (!HandleScrollCode(true, steps <= 0 ? SB_LINEDOWN : SB_LINEUP, 0)) break;
    ThrottledUpdate();
    --left;
  }
  if (left > 0) {
    const short rest = static_cast<short>((steps < 0 ? -left : left) * kWheelDelta);
    ForwardWheel(WM_MOUSEWHEEL, MAKEWPARAM(LOWORD(wParam), rest), lParam);
  }
  if (steps != 0) {
    // The content moved under the mouse: hover and cursor follow it.
    if (HWND host = GetContainer() ? GetContainer()->GetHostHwnd() : nullptr) {
      SendMessageW(host, WM_MOUSEMOVE, LOWORD(wParam), lParam);
      SendMessageW(host, WM_SETCURSOR, reinterpret_cast<WPARAM>(host), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
  }
  return 0;
}

// --- painting -----------------------------------------------------------

void SPanel::DrawPart(IRenderTarget* rt, bool vertical, int part, int state) {
  if (!skin_) return;
  const RECT rc = part == kPartPageUp || part == kPartPageDown
                      ? [&] {
                          RECT r = GetBarRect(vertical);
                          const int a = GetArrowSize();
                          if (vertical) r.top += a, r.bottom -= a;
                          else r.left += a, r.right -= a;
                          return r;
                        }()
                      : GetPartRect(vertical, part);
  if (IsRectEmpty(&rc)) return;
  skin_->DrawByIndex(rt, &rc, static_cast<int>((vertical ? 1u : 0u) << 24 | static_cast<unsigned>(state) << 16 |
                                               static_cast<unsigned>(part)));
}

void SPanel::RepaintParts(bool vertical, std::initializer_list<std::pair<int, int>> parts) {
  PaintAtOnce(this, GetBarRect(vertical), false, [&](IRenderTarget* rt) {
    for (const auto& [part, state] : parts) DrawPart(rt, vertical, part, state);
  });
}

int SPanel::BaseState(bool vertical) const {
  return IsDisabled(TRUE) || !IsScrollBarEnable(vertical) ? kStateDisabled : kStateInactive;
}

void SPanel::OnNcPaint(IRenderTarget* rt) {
  SWindow::OnNcPaint(rt);
  for (bool vertical : {true, false}) {
    if (!HasScrollBar(vertical)) continue;
    const int base = BaseState(vertical);
    const bool dragged = dragMode_ == (vertical ? 1 : 2);
    DrawPart(rt, vertical, kPartLineUp, base);
    DrawPart(rt, vertical, kPartLineDown, base);
    DrawPart(rt, vertical, kPartPageDown, dragged ? kStateHover : base);
    const bool hovered = hit_.part == kPartThumb && hit_.vertical == vertical;
    DrawPart(rt, vertical, kPartThumb, dragged ? kStatePushed : hovered ? kStateHover : base);
  }
  if (HasScrollBar(true) && HasScrollBar(false) && skin_) {
    const RECT area = SWindow::ClientRect();
    const int w = GetScrollBarWidth();
    const RECT corner{area.right - w, area.bottom - w, area.right, area.bottom};
    skin_->DrawByIndex(rt, &corner, kPartCorner);
  }
}

void SPanel::OnNcCalcSize() {
  client_ = SWindow::ClientRect();
  const int w = GetScrollBarWidth();
  if (shownBars_ & kBarVert) client_.right -= w;
  if (shownBars_ & kBarHorz) client_.bottom -= w;
  client_.right = std::max(client_.right, client_.left);
  client_.bottom = std::max(client_.bottom, client_.top);
  Invalidate();
}

// --- mouse --------------------------------------------------------------

void SPanel::OnNcLButtonDown(POINT pt) {
  hit_ = HitTest(pt);
  if (hit_.part == kPartNone || !IsScrollBarEnable(hit_.vertical)) return;
  SetCapture();
  const bool vertical = hit_.vertical;
  if (hit_.part == kPartLineUp || hit_.part == kPartLineDown) RepaintParts(vertical, {{hit_.part, kStatePushed}});
  if (hit_.part == kPartThumb) {
    dragMode_ = vertical ? 1 : 2;
    dragStart_ = pt;
    dragStartPos_ = Info(vertical).nPos;
    lastUpdate_ = GetTickCount() - static_cast<DWORD>(updateInterval_);
    RepaintParts(vertical, {{kPartPageDown, kStateHover}, {kPartThumb, kStatePushed}});
    return;
  }
  HandleScrollCode(vertical, hit_.part, Info(vertical).nPos);
  repeating_ = true;
  SetTimer(kTimerFirstRepeat, 500);
}

// A tick that was already queued when the button came up scrolls nothing.
void SPanel::OnTimer(UINT id) {
  if (!repeating_) return;
  if (id == kTimerFirstRepeat) {
    KillTimer(kTimerFirstRepeat);
    SetTimer(kTimerRepeat, 50);
  }
  if (hit_.part < 4) HandleScrollCode(hit_.vertical, hit_.part, 0);
}

void SPanel::OnNcLButtonUp(POINT pt) {
  ReleaseCapture();
  if (dragMode_ != 0) {
    const bool vertical = dragMode_ == 1;
    dragMode_ = 0;
    SCROLLINFO& si = Info(vertical);
    if (si.nTrackPos != -1) HandleScrollCode(vertical, SB_THUMBPOSITION, si.nTrackPos);
    si.nTrackPos = -1;
    RepaintParts(vertical, {{kPartPageDown, kStateNormal}, {kPartThumb, kStateNormal}});
  } else if ((hit_.part == kPartLineUp || hit_.part == kPartLineDown) && IsScrollBarEnable(hit_.vertical)) {
    RepaintParts(hit_.vertical, {{hit_.part, kStateNormal}});
  }
  repeating_ = false;
  KillTimer(kTimerFirstRepeat);
  KillTimer(kTimerRepeat);
  hit_.part = kPartNone;
  OnNcMouseMove(pt);
}

void SPanel::DragThumbTo(POINT pt) {
  const bool vertical = dragMode_ == 1;
  SCROLLINFO& si = Info(vertical);
  const int delta = vertical ? pt.y - dragStart_.y : pt.x - dragStart_.x;
  const RECT bar = GetBarRect(vertical);
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int rail = std::max(length - 2 * GetArrowSize(), 0);
  const int slide = SlideLength(vertical);
  const long long span = static_cast<long long>(si.nMax) - si.nPage - si.nMin + 1;
  const long long offset = rail == slide ? 0 : span * delta / (rail - slide);
  const int track = ClampPosition(si, static_cast<int>(std::clamp<long long>(dragStartPos_ + offset, INT_MIN, INT_MAX)));

  // The thumb follows the mouse from where the drag began, inside the rail.
  RECT thumb = PartRectFor(vertical, kPartThumb, dragStartPos_);
  const int a = length - 2 * GetArrowSize() <= 0 ? length / 2 : GetArrowSize();
  const int railStart = (vertical ? bar.top : bar.left) + a;
  const int railEnd = (vertical ? bar.bottom : bar.right) - a;
  int& lo = vertical ? thumb.top : thumb.left;
  int& hi = vertical ? thumb.bottom : thumb.right;
  const int moved = std::clamp(delta, railStart - lo, railEnd - hi);
  lo += moved;
  hi += moved;
  PaintAtOnce(this, bar, false, [&](IRenderTarget* rt) {
    DrawPart(rt, vertical, kPartPageDown, kStateHover);
    if (skin_ && !IsRectEmpty(&thumb))
      skin_->DrawByIndex(rt, &thumb, static_cast<int>((vertical ? 1u : 0u) << 24 | kStatePushed << 16 | kPartThumb));
  });
  if (track != si.nTrackPos) {
    si.nTrackPos = track;
    HandleScrollCode(vertical, SB_THUMBTRACK, track);
  }
}

void SPanel::OnNcMouseMove(POINT pt) {
  if (dragMode_ != 0) {
    DragThumbTo(pt);
    return;
  }
  const HitInfo hit = HitTest(pt);
  if (hit.part == kPartNone) {
    OnNcMouseLeave();
    return;
  }
  if (hit == hit_) return;
  const bool vertical = hit.vertical;
  const bool enabled = IsScrollBarEnable(vertical);
  const bool arrow = hit.part == kPartLineUp || hit.part == kPartLineDown;
  if (hit_.part != kPartNone && hit_.vertical == vertical) {
    if (hit_.part == kPartLineUp || hit_.part == kPartLineDown) RepaintParts(vertical, {{hit_.part, kStateNormal}});
    else if (hit_.part == kPartThumb) RepaintParts(vertical, {{kPartPageDown, kStateHover}, {kPartThumb, kStateNormal}});
    if (enabled) {
      if (arrow) RepaintParts(vertical, {{hit.part, kStateHover}});
      else if (hit.part == kPartThumb) RepaintParts(vertical, {{kPartPageDown, kStateNormal}, {kPartThumb, kStateHover}});
    }
  } else {
    if (hit_.part != kPartNone) OnNcMouseLeave();
    if (enabled) {
      auto stateOf = [&](int part, int otherwise) { return part == hit.part ? kStateHover : otherwise; };
      RepaintParts(vertical, {{kPartLineUp, stateOf(kPartLineUp, kStateNormal)},
                              {kPartPageDown, kStateHover},
                              {kPartLineDown, stateOf(kPartLineDown, kStateNormal)},
                              {kPartThumb, stateOf(kPartThumb, kStateNormal)}});
    }
  }
  hit_ = hit;
}

void SPanel::OnNcMouseLeave() {
  if (dragMode_ != 0 || hit_.part == kPartNone || !IsVisible(TRUE)) return;
  if (IsScrollBarEnable(hit_.vertical))
    RepaintParts(hit_.vertical, {{kPartLineUp, kStateInactive},
                                 {kPartPageDown, kStateInactive},
                                 {kPartThumb, kStateInactive},
                                 {kPartLineDown, kStateInactive}});
  hit_ = HitInfo{};
}

void SPanel::OnShowWindow(BOOL show, UINT status) {
  if (!show && dragMode_ != 0) OnNcLButtonUp(POINT{0, 0});
  SWindow::OnShowWindow(show, status);
}

// --- messages -----------------------------------------------------------

BOOL SPanel::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case SWM_NCCALCSIZE: OnNcCalcSize(); return TRUE;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: OnNcLButtonDown(PointOfLParam(lParam)); return TRUE;
    case WM_NCLBUTTONUP: OnNcLButtonUp(PointOfLParam(lParam)); return TRUE;
    case WM_NCMOUSEMOVE: OnNcMouseMove(PointOfLParam(lParam)); return TRUE;
    case WM_NCMOUSELEAVE: OnNcMouseLeave(); return TRUE;
    case WM_TIMER:
      if (wParam != kTimerFirstRepeat && wParam != kTimerRepeat) break;
      OnTimer(static_cast<UINT>(wParam));
      return TRUE;
    case WM_VSCROLL:
    case WM_HSCROLL:
      HandleScrollCode(msg == WM_VSCROLL, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
      return TRUE;
    case WM_MOUSEWHEEL: result = OnMouseWheel(wParam, lParam); return TRUE;
    default: break;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
