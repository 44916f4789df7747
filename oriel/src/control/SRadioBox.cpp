#include "control/SRadioBox.h"

#include <algorithm>

#include "control/SCheckBox.h"
#include "core/SFocusManager.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {

constexpr WORD kCenter = 0x100, kRight = 0x200, kTop = 0, kMiddle = 0x1000, kBottom = 0x2000;

ISkinObj* SkinNamed(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins ? skins->GetSkin(name, scale) : nullptr;
}

bool IsRadio(SWindow* w) { return w && w->IsClass(SRadioBox::GetClassName()); }

}  // namespace

SRadioBox::SRadioBox() {
  skin_ = SkinNamed(skinName_, 100);
  focusSkin_ = SkinNamed(focusSkinName_, 100);
  ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE);
  ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  // Checked from anywhere (SetChecked too), the box still clears its group.
  SubscribeEvent(EventSwndStateChanged::EventID, [this](EventArgs* e) {
    auto* change = static_cast<EventSwndStateChanged*>(e);
    if ((change->dwNewState & WndState_Check) && !(change->dwOldState & WndState_Check)) UncheckGroup();
    return false;
  });
}

HRESULT SRadioBox::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"skin")) {
    skinName_ = value;
    skin_ = SkinNamed(value, GetScale());
  } else if (AttrNameIs(name, L"focusSkin")) {
    focusSkinName_ = value;
    focusSkin_ = SkinNamed(value, GetScale());
  } else if (AttrNameIs(name, L"checked")) {
    // Layouts rely on this reading: only "0" leaves a radio box unchecked.
    const bool on = value != L"0";
    if (loading) {
      if (on) UncheckGroup();
      GetEventSet()->muted++;
      SetChecked(on);
      GetEventSet()->muted--;
    } else {
      SetChecked(on);
    }
  } else if (AttrNameIs(name, L"iconAlign")) {
    if (value == L"left") align_ = 0;
    else if (value == L"center") align_ = kCenter;
    else if (value == L"right") align_ = kRight;
    else return E_FAIL;
    hr = S_OK;
  } else if (AttrNameIs(name, L"iconValign")) {
    if (value == L"top") valign_ = kTop;
    else if (value == L"middle") valign_ = kMiddle;
    else if (value == L"bottom") valign_ = kBottom;
    else return E_FAIL;
    hr = S_OK;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

SWindow* SRadioBox::GetGroupSelection() {
  SWindow* parent = GetParent();
  if (!parent) return IsChecked() ? this : nullptr;
  for (SWindow* w = parent->GetRelative(GSW_FIRSTCHILD); w; w = w->GetRelative(GSW_NEXTSIBLING))
    if (IsRadio(w) && w->IsChecked()) return w;
  return nullptr;
}

void SRadioBox::UncheckGroup() {
  SWindow* parent = GetParent();
  if (!parent) return;
  for (SWindow* w = parent->GetRelative(GSW_FIRSTCHILD); w; w = w->GetRelative(GSW_NEXTSIBLING)) {
    if (w == this || !IsRadio(w) || !w->IsChecked()) continue;
    w->GetEventSet()->muted++;
    w->SetChecked(FALSE);
    w->GetEventSet()->muted--;
  }
}

void SRadioBox::Check() {
  if (IsChecked()) return;
  UncheckGroup();
  SetChecked(TRUE);
}

RECT SRadioBox::BoxRect() const {
  const RECT c = ClientRect();
  const SIZE s = skin_ ? skin_->NaturalSize() : SIZE{0, 0};
  int x = c.left, y = c.top;
  if (align_ == kCenter) x = c.left + (c.right - c.left - s.cx) / 2;
  else if (align_ == kRight) x = c.right - s.cx;
  if (valign_ == kMiddle) y = c.top + (c.bottom - c.top - s.cy) / 2;
  else if (valign_ == kBottom) y = c.bottom - s.cy;
  return RECT{x, y, x + s.cx, y + s.cy};
}

RECT SRadioBox::TextRectangle() const {
  RECT rc = SWindow::TextRectangle();
  if (!skin_) return rc;
  const SIZE s = skin_->NaturalSize();
  if (align_ == 0) rc.left += s.cx + 4;
  else if (align_ == kRight) rc.right -= s.cx + 4;
  if (valign_ == kTop) rc.top += s.cy + 4;
  else if (valign_ == kBottom) rc.bottom -= s.cy + 4;
  return rc;
}

void SRadioBox::OnPaint(IRenderTarget* rt) {
  const RECT box = BoxRect();
  if (skin_) skin_->DrawByIndex(rt, &box, CheckFrameIndex(GetState()));
  SWindow::OnPaint(rt);
  if (focusSkin_ && IsFocused() && (GetFlags() & kFlagDrawFocusRect) && TakesFocus())
    focusSkin_->DrawByIndex(rt, &box, 0);
}

SIZE SRadioBox::MeasureContent(const RECT* limit) {
  SIZE size = SWindow::MeasureContent(limit);
  if (!skin_) return size;
  const SIZE box = skin_->NaturalSize();
  if (GetLayoutParam()->IsWrapContent(Horz)) size.cx += box.cx + 4;
  if (GetLayoutParam()->IsWrapContent(Vert)) size.cy = std::max(size.cy, box.cy);
  return size;
}

void SRadioBox::OnLButtonUp(UINT keys, POINT pt) {
  AddRef();
  SWindow::OnLButtonUp(keys, pt);
  Check();
  Release();
}

BOOL SRadioBox::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_SETFOCUS) {
    // Focus given back on reactivation leaves the choice as it was.
    if (static_cast<int>(lParam) != CFocusManager::kReasonRestore) Check();
    Invalidate();
  }
  if (msg == WM_LBUTTONDBLCLK) return SWindow::HandleSwndMessage(WM_LBUTTONDOWN, wParam, lParam, result);
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void SRadioBox::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (ISkinObj* s = SkinNamed(skinName_, scale)) skin_ = s;
  if (ISkinObj* s = SkinNamed(focusSkinName_, scale)) focusSkin_ = s;
}

void SRadioBox::Colorize(COLORREF color) {
  if (skin_) skin_->ApplyColorize(color);
  if (focusSkin_) focusSkin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

}  // namespace ORIEL
