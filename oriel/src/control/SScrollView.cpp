#include "control/SScrollView.h"

#include <algorithm>

#include "core/SStringSplit.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

SScrollView::SScrollView() {
  SWindow::ApplyAttribute(SStringW(L"clipClient"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventScrollViewOriginChanged::EventID, EventScrollViewOriginChanged::EventName());
  GetEventSet()->AddEvent(EventScrollViewSizeChanged::EventID, EventScrollViewSizeChanged::EventName());
  GetEventSet()->AddEvent(EventScroll::EventID, EventScroll::EventName());
}

HRESULT SScrollView::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (_wcsicmp(name.c_str(), L"origin-x") == 0) {
    origin_.x = ParseAttrInt(value);
  } else if (_wcsicmp(name.c_str(), L"origin-y") == 0) {
    origin_.y = ParseAttrInt(value);
  } else if (_wcsicmp(name.c_str(), L"viewSize") == 0) {
    SArray<SStringW> parts;
    if (SplitByChar(value, L',', parts) != 2) return E_INVALIDARG;
    viewWidth_ = SResProviderMgr::LookupNamedDimension(parts[0]);
    viewHeight_ = SResProviderMgr::LookupNamedDimension(parts[1]);
    if (!loading) UpdateViewSize();
  } else {
    return SPanel::ApplyAttribute(name, value, loading);
  }
  return S_FALSE;
}

BOOL SScrollView::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg != SWM_SIZE) return SPanel::HandleSwndMessage(msg, wParam, lParam, result);
  SPanel::HandleSwndMessage(msg, wParam, lParam, result);
  // A view without children is never arranged: its size follows here.
  UpdateViewSize();
  UpdateBars();
  return TRUE;
}

BOOL SScrollView::HandleScrollCode(bool vertical, int code, int position) {
  const BOOL moved = SPanel::HandleScrollCode(vertical, code, position);
  if (!moved) return FALSE;
  const int now = GetScrollPos(vertical);
  const POINT target = vertical ? POINT{origin_.x, now} : POINT{now, origin_.y};
  if (target.x != origin_.x || target.y != origin_.y) SetViewOrigin(target);
  if (code == SB_THUMBTRACK) ThrottledUpdate();
  EventScroll e(this);
  e.nSbCode = code;
  e.nPos = now;
  e.bVertical = vertical;
  RaiseEvent(&e);
  return moved;
}

// Both bars as the view needs them. A position beyond the last one that
// scrolling reaches is brought back to that last one (maximum - page + 1),
// so a resize at the bottom keeps the view's end in sight.
void SScrollView::UpdateBars() {
  const RECT area = SWindow::ClientRect();
  const int wc = area.right - area.left, hc = area.bottom - area.top;
  const int vw = viewSize_.cx, vh = viewSize_.cy;
  const int w = GetScrollBarWidth();
  const POINT old = origin_;
  SCROLLINFO v = GetBarInfo(true), h = GetBarInfo(false);
  v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  v.nMin = h.nMin = 0;
  int bars = 0;
  if (hc >= vh && (hc >= vh + w || wc >= vw)) {
    v.nPage = hc;
    v.nMax = hc - 1;
    v.nPos = origin_.y = 0;
    h.nPage = wc;
    if (wc >= vw) {
      h.nPos = origin_.x = 0;
      h.nMax = wc - 1;
    } else {
      bars |= kBarHorz;
      h.nMax = vw - 1;
      if (h.nMax < wc + h.nPos - 1) h.nPos = origin_.x = std::max(h.nMax - wc + 1, 0);
    }
  } else {
    bars |= kBarVert;
    v.nMax = vh - 1;
    v.nPage = hc;
    if (v.nMax < hc + v.nPos - 1) v.nPos = origin_.y = std::max(v.nMax - hc + 1, 0);
    if (wc < vw + w) {
      bars |= kBarHorz;
      v.nPage = std::max(hc - w, 0);
      if (v.nMax < static_cast<int>(v.nPage) + v.nPos - 1) v.nPos = origin_.y = std::max(v.nMax - static_cast<int>(v.nPage) + 1, 0);
      h.nMax = vw - 1;
      h.nPage = std::max(wc - w, 0);
      if (h.nMax < static_cast<int>(h.nPage) + h.nPos - 1) h.nPos = origin_.x = std::max(h.nMax - static_cast<int>(h.nPage) + 1, 0);
    } else {
      h.nPage = wc;
      h.nPos = origin_.x = 0;
      h.nMax = wc - 1;
    }
  }
  const int vpos = v.nPos, hpos = h.nPos;
  SetBarInfo(v, true);
  SetBarInfo(h, false);
  if (GetShownBars() != bars) {
    ShowScrollBar(kBarHorz | kBarVert, FALSE);
    if (bars) ShowScrollBar(bars, TRUE);
  }
  SetScrollPos(true, vpos, TRUE);
  SetScrollPos(false, hpos, TRUE);
  SendSwndMessage(SWM_NCCALCSIZE);
  if (old.x != origin_.x || old.y != origin_.y) ViewOriginMoved(old, origin_);
  Invalidate();
}

void SScrollView::UpdateViewSize() {
  if (!viewWidth_.IsSpecified() || !viewHeight_.IsSpecified()) return;
  const RECT own = SWindow::ClientRect();
  const int cw = own.right - own.left, ch = own.bottom - own.top;
  const int scale = GetScale();
  SIZE size{0, 0};
  const bool wrapW = viewWidth_.IsWrapContent(), wrapH = viewHeight_.IsWrapContent();
  SIZE measured{0, 0};
  if (wrapW || wrapH) {
    const RECT pad = GetStyle().GetScaledPadding();
    measured = GetLayout()->MeasureAll(this, wrapW ? -1 : cw, wrapH ? -1 : ch);
    measured.cx += pad.left + pad.right;
    measured.cy += pad.top + pad.bottom;
  }
  size.cx = viewWidth_.IsMatchParent() ? cw : wrapW ? measured.cx : viewWidth_.ToPixels(scale);
  size.cy = viewHeight_.IsMatchParent() ? ch : wrapH ? measured.cy : viewHeight_.ToPixels(scale);
  if (ch < size.cy && viewWidth_.IsMatchParent()) size.cx -= GetScrollBarWidth();
  else if (cw < size.cx && viewHeight_.IsMatchParent()) size.cy -= GetScrollBarWidth();
  SetViewSize(size);
}

void SScrollView::SetViewSize(SIZE size) {
  if (size.cx == viewSize_.cx && size.cy == viewSize_.cy) return;
  const SIZE old = viewSize_;
  viewSize_ = size;
  UpdateBars();
  ViewSizeAltered(old, size);
}

void SScrollView::ViewSizeAltered(SIZE oldSize, SIZE newSize) {
  EventScrollViewSizeChanged e(this);
  e.szOldViewSize = oldSize;
  e.szNewViewSize = newSize;
  RaiseEvent(&e);
}

void SScrollView::SetViewOrigin(POINT origin) {
  if (origin.x == origin_.x && origin.y == origin_.y) return;
  const POINT old = origin_;
  origin_ = origin;
  SetScrollPos(false, origin.x, TRUE);
  SetScrollPos(true, origin.y, TRUE);
  MarkRelayout(GetHandle(), false);
  ViewOriginMoved(old, origin_);
  Invalidate();
}

void SScrollView::ViewOriginMoved(POINT oldOrigin, POINT newOrigin) {
  ArrangeChildren();
  EventScrollViewOriginChanged e(this);
  e.ptOldOrigin = oldOrigin;
  e.ptNewOrigin = newOrigin;
  RaiseEvent(&e);
}

void SScrollView::GetLayoutArea(RECT* rc) {
  SPanel::GetLayoutArea(rc);
  const RECT pad = GetStyle().GetScaledPadding();
  OffsetRect(rc, -origin_.x, -origin_.y);
  rc->right = rc->left + viewSize_.cx - pad.left - pad.right;
  rc->bottom = rc->top + viewSize_.cy - pad.top - pad.bottom;
}

void SScrollView::ArrangeChildren() {
  UpdateViewSize();
  SPanel::ArrangeChildren();
}

}  // namespace ORIEL
