#include "control/SCheckBox.h"

#include <algorithm>

#include "control/ControlCommand.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

int CheckFrameIndex(DWORD state) {
  int frame = 0;
  if (state & WndState_Disable) frame = 3;
  else if (state & WndState_PushDown) frame = 2;
  else if (state & WndState_Hover) frame = 1;
  return (state & WndState_Check) ? frame + 4 : frame;
}

namespace {
ISkinObj* SkinNamed(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins ? skins->GetSkin(name, scale) : nullptr;
}
}  // namespace

SCheckBox::SCheckBox() {
  skin_ = SkinNamed(skinName_, 100);
  focusSkin_ = SkinNamed(focusSkinName_, 100);
  ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE);
  ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
}

HRESULT SCheckBox::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"skin")) {
    skinName_ = value;
    skin_ = SkinNamed(value, GetScale());
  } else if (AttrNameIs(name, L"focusSkin")) {
    focusSkinName_ = value;
    focusSkin_ = SkinNamed(value, GetScale());
  } else if (AttrNameIs(name, L"checked")) {
    SetChecked(ParseAttrBool(value));
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

RECT SCheckBox::BoxRect() const {
  const RECT client = ClientRect();
  const SIZE size = skin_ ? skin_->NaturalSize() : SIZE{0, 0};
  const int top = client.top + (client.bottom - client.top - size.cy) / 2;
  return RECT{client.left, top, client.left + size.cx, top + size.cy};
}

int SCheckBox::FrameIndex() const { return CheckFrameIndex(GetState()); }

RECT SCheckBox::TextRectangle() const {
  RECT rc = SWindow::TextRectangle();
  if (skin_) rc.left += skin_->NaturalSize().cx + 4;
  return rc;
}

void SCheckBox::OnPaint(IRenderTarget* rt) {
  const RECT box = BoxRect();
  if (skin_) skin_->DrawByIndex(rt, &box, FrameIndex());
  SWindow::OnPaint(rt);
  if (focusSkin_ && IsFocused()) focusSkin_->DrawByIndex(rt, &box, 0);
}

SIZE SCheckBox::MeasureContent(const RECT* limit) {
  SIZE size = SWindow::MeasureContent(limit);
  if (!skin_) return size;
  const SIZE box = skin_->NaturalSize();
  if (GetLayoutParam()->IsWrapContent(Horz)) size.cx += box.cx + 4;
  if (GetLayoutParam()->IsWrapContent(Vert)) size.cy = std::max(size.cy, box.cy);
  return size;
}

void SCheckBox::OnLButtonUp(UINT keys, POINT pt) {
  const RECT rc = GetWindowRect();
  if ((GetState() & WndState_PushDown) && PtInRect(&rc, pt)) SetChecked(!IsChecked());
  SWindow::OnLButtonUp(keys, pt);
}

BOOL SCheckBox::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_KEYDOWN) {
    if (wParam == VK_SPACE) {
      SetChecked(!IsChecked());
      FireCommand(this);
    }
    result = 0;
    return TRUE;
  }
  if (msg == WM_LBUTTONDBLCLK) return SWindow::HandleSwndMessage(WM_LBUTTONDOWN, wParam, lParam, result);
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void SCheckBox::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (ISkinObj* s = SkinNamed(skinName_, scale)) skin_ = s;
  if (ISkinObj* s = SkinNamed(focusSkinName_, scale)) focusSkin_ = s;
}

void SCheckBox::Colorize(COLORREF color) {
  if (skin_) skin_->ApplyColorize(color);
  if (focusSkin_) focusSkin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

}  // namespace ORIEL
