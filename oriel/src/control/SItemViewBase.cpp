#include "control/SItemViewBase.h"

#include "control/SMcListParts.h"

namespace ORIEL {

POINT ItemViewPointOf(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

bool IsMouseButtonDown(UINT msg) { return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN; }
bool IsMouseButtonUp(UINT msg) { return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP; }

HRESULT SItemViewBase::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (!AttrNameIs(name, L"wantTab")) return SPanel::ApplyAttribute(name, value, loading);
  wantTab_ = ParseAttrInt(value);
  return FinishAttribute(name, value, loading, S_FALSE);
}

// --- item container -----------------------------------------------------

void SItemViewBase::OnItemSetCapture(SItemPanel* item, bool capture) {
  if (capture) {
    SetCapture();
    capturePanel_ = item;
  } else {
    ReleaseCapture();
    capturePanel_ = nullptr;
  }
}

LPARAM SItemViewBase::RelativeTo(SItemPanel* panel, LPARAM lParam) const {
  const POINT pt = ItemViewPointOf(lParam);
  const RECT rc = panel->GetItemRect();
  return MAKELPARAM(pt.x - rc.left, pt.y - rc.top);
}

void SItemViewBase::RetirePanel(SItemPanel* panel) {
  ForgetCapture(panel);
  const bool hovered = panel == hoverPanel_;
  if (hovered) hoverPanel_ = nullptr;
  RetireRowPanel(panel, hovered);
}

void SItemViewBase::MoveCheck(SItemPanel* from, SItemPanel* to) {
  if (from) {
    from->GetFocusManager().ClearFocus();
    from->ModifyItemState(0, WndState_Check);
    from->Invalidate();
  }
  if (to) {
    to->ModifyItemState(WndState_Check, 0);
    to->Invalidate();
  }
}

// --- mouse --------------------------------------------------------------

void SItemViewBase::TrackHover(SItemPanel* hit, WPARAM wParam, LPARAM lParam) {
  if (hit == hoverPanel_) return;
  if (SItemPanel* old = hoverPanel_) {
    old->DispatchFrameMessage(WM_MOUSELEAVE, 0, 0);
    old->Invalidate();
  }
  hoverPanel_ = hit;
  if (hit) {
    hit->DispatchFrameMessage(WM_MOUSEHOVER, wParam, RelativeTo(hit, lParam));
    hit->Invalidate();
  }
}

// A press reaches the view (for its focus) before the item, a release
// after it, so that the item's click handlers see the view focused.
LRESULT SItemViewBase::DispatchMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  AddRef();  // a click's subscribers may change the view
  LRESULT ignored = 0;
  if (capturePanel_) {
    capturePanel_->DispatchFrameMessage(msg, wParam, RelativeTo(capturePanel_, lParam));
  } else {
    if (IsMouseButtonDown(msg)) SPanel::HandleSwndMessage(msg, wParam, lParam, ignored);
    TrackHover(PanelAt(ItemViewPointOf(lParam)), wParam, lParam);
    if (hoverPanel_) hoverPanel_->DispatchFrameMessage(msg, wParam, RelativeTo(hoverPanel_, lParam));
    else if (IsMouseButtonDown(msg)) OnPressOnNothing();
    if (IsMouseButtonUp(msg)) SPanel::HandleSwndMessage(msg, wParam, lParam, ignored);
  }
  Release();
  return 0;
}

void SItemViewBase::OnMouseLeaveView() {
  LRESULT ignored = 0;
  SPanel::HandleSwndMessage(WM_MOUSELEAVE, 0, 0, ignored);
  if (hoverPanel_) {
    hoverPanel_->DispatchFrameMessage(WM_MOUSELEAVE, 0, 0);
    hoverPanel_ = nullptr;
  }
}

LRESULT SItemViewBase::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  if (SItemPanel* panel = GetSelectedPanel()) {
    if (panel->DispatchFrameMessage(WM_MOUSEWHEEL, wParam, RelativeTo(panel, lParam)) != 0) return 1;
  }
  return SPanel::OnMouseWheel(wParam, lParam);
}

BOOL SItemViewBase::ApplyStyleCursor(POINT pt) {
  SItemPanel* panel = capturePanel_ ? capturePanel_ : hoverPanel_;
  if (panel && panel->DispatchFrameMessage(WM_SETCURSOR, 0, RelativeTo(panel, MAKELPARAM(pt.x, pt.y))) != 0)
    return TRUE;
  return SPanel::ApplyStyleCursor(pt);
}

BOOL SItemViewBase::QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) {
  if (hoverPanel_) {
    const RECT rc = hoverPanel_->GetItemRect();
    return hoverPanel_->QueryToolTipInfo(POINT{pt.x - rc.left, pt.y - rc.top}, info);
  }
  return SPanel::QueryToolTipInfo(pt, info);
}

// --- keys ---------------------------------------------------------------

bool SItemViewBase::SelectedItemTakesKey(UINT key, LPARAM lParam) {
  if (!wantTab_) return false;
  SItemPanel* panel = GetSelectedPanel();
  if (!panel) return false;
  panel->DispatchFrameMessage(WM_KEYDOWN, key, lParam);
  return panel->WasHandled() != 0;
}

bool SItemViewBase::ForwardToSelectedItem(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  SItemPanel* panel = GetSelectedPanel();
  if (!panel) return false;
  result = panel->DispatchFrameMessage(msg, wParam, lParam);
  return panel->WasHandled() != 0;
}

// --- scale, language and colour -----------------------------------------

void SItemViewBase::BroadcastToPanels(UINT msg, WPARAM wParam) {
  ForEachPanel([msg, wParam](SItemPanel* panel) { panel->BroadcastMessage(msg, wParam); });
}

BOOL SItemViewBase::RefreshTranslation() {
  const BOOL result = SPanel::RefreshTranslation();
  BroadcastToPanels(SWM_LANGUAGECHANGED);
  return result;
}

void SItemViewBase::Colorize(COLORREF color) {
  SPanel::Colorize(color);
  BroadcastToPanels(SWM_COLORIZE, color);
}

// --- messages -----------------------------------------------------------

BOOL SItemViewBase::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (msg == SWM_SIZE) {
    SPanel::HandleSwndMessage(msg, wParam, lParam, result);
    OnViewSize();
    return TRUE;
  }
  // The selected item's panel keeps its focused child while the view is
  // away and gets it back when the view returns.
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) {
    SPanel::HandleSwndMessage(msg, wParam, lParam, result);
    if (msg == WM_KILLFOCUS) OnFocusLeaving();
    if (SItemPanel* panel = GetSelectedPanel()) {
      if (msg == WM_SETFOCUS) panel->GetFocusManager().RestoreSavedFocus();
      else panel->GetFocusManager().StoreFocusedView();
    }
    return TRUE;
  }
  if (msg == WM_MOUSEWHEEL) return SPanel::HandleSwndMessage(msg, wParam, lParam, result);
  if (msg == WM_MOUSELEAVE) {
    OnMouseLeaveView();
    return TRUE;
  }
  if (HasItems()) {
    if (msg == WM_KEYDOWN) {
      if (OnViewKeyDown(static_cast<UINT>(wParam), lParam)) return TRUE;
      return ForwardToSelectedItem(msg, wParam, lParam, result);
    }
    if ((msg > WM_KEYDOWN && msg <= 0x109) || (msg >= WM_IME_STARTCOMPOSITION && msg <= WM_IME_COMPOSITION))
      return ForwardToSelectedItem(msg, wParam, lParam, result);
    if (msg >= WM_MOUSEFIRST && msg <= 0x20E) {
      result = DispatchMouse(msg, wParam, lParam);
      return TRUE;
    }
  }
  return SPanel::HandleSwndMessage(msg, wParam, lParam, result);
}

}  // namespace ORIEL
