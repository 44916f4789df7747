#include "control/SProgress.h"

#include <algorithm>

#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {
constexpr int kSkinProgBkgnd = 15, kSkinProgBar = 16, kSkinVertProgBkgnd = 17, kSkinVertProgBar = 18;
}

SProgress::SProgress() { ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE); }

ISkinObj* SProgress::SkinNamed(const SStringW& name) const {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins ? skins->GetSkin(name, GetScale()) : nullptr;
}

HRESULT SProgress::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"bkgndSkin")) {
    bkgndSkin_ = SkinNamed(value);
    bkgndName_ = value;
    hr = S_OK;
  } else if (AttrNameIs(name, L"posSkin")) {
    posSkin_ = SkinNamed(value);
    posName_ = value;
    hr = S_OK;
  } else if (AttrNameIs(name, L"min")) {
    min_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"max")) {
    max_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"value")) {
    value_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"vertical")) {
    vertical_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"showPercent")) {
    showPercent_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

int SProgress::OnCreate() {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  if (skins) {
    if (!bkgndSkin_) bkgndSkin_ = skins->FindSystemSkin(vertical_ ? kSkinVertProgBkgnd : kSkinProgBkgnd, GetScale());
    if (!posSkin_) posSkin_ = skins->FindSystemSkin(vertical_ ? kSkinVertProgBar : kSkinProgBar, GetScale());
  }
  if (!bkgndSkin_ || !posSkin_) return -1;
  return SWindow::OnCreate();
}

BOOL SProgress::SetValue(int value) {
  value_ = std::max(min_, std::min(value, max_));
  Invalidate();
  return TRUE;
}

void SProgress::SetRange(int minimum, int maximum) {
  min_ = minimum;
  max_ = maximum;
  if (value_ > max_) value_ = max_;
  if (value_ < min_) value_ = min_;
  Invalidate();
}

void SProgress::GetRange(int* minimum, int* maximum) const {
  if (minimum) *minimum = min_;
  if (maximum) *maximum = max_;
}

// An empty range (minimum = maximum) has no progress to show: no bar,
// rather than a division by zero.
RECT SProgress::BarRect() const {
  RECT rc = ClientRect();
  const int64_t span = static_cast<int64_t>(max_) - min_;
  const int64_t done = static_cast<int64_t>(value_) - min_;
  if (span <= 0 || done <= 0) {
    if (vertical_) rc.bottom = rc.top;
    else rc.right = rc.left;
    return rc;
  }
  if (vertical_) rc.bottom = rc.top + static_cast<int>(done * (rc.bottom - rc.top) / span);
  else rc.right = rc.left + static_cast<int>(done * (rc.right - rc.left) / span);
  return rc;
}

SStringW SProgress::PercentText() const {
  const int64_t span = static_cast<int64_t>(max_) - min_;
  const int percent = span <= 0 ? 0 : static_cast<int>((static_cast<int64_t>(value_) - min_) * 100 / span);
  SStringW text;
  return text.Format(L"%d%%", percent);
}

void SProgress::OnPaint(IRenderTarget* rt) {
  const RECT client = ClientRect();
  if (bkgndSkin_) bkgndSkin_->DrawByIndex(rt, &client, 0);
  const RECT bar = BarRect();
  if (posSkin_ && !IsRectEmpty(&bar)) posSkin_->DrawByIndex(rt, &bar, 0);
  if (!showPercent_ || vertical_) return;
  IRenderObj* oldFont = nullptr;
  IFont* font = GetStyle().GetFontForState(StateIndex());
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF color = GetStyle().GetTextColorForState(StateIndex());
  const COLORREF oldColor = color != kRenderNoColor ? rt->SetTextColor(color) : kRenderNoColor;
  const SStringW text = PercentText();
  RECT rc = GetWindowRect();
  rt->DrawText(text.c_str(), text.GetLength(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (color != kRenderNoColor) rt->SetTextColor(oldColor);
  if (font) rt->SelectObject(oldFont, nullptr);
}

SIZE SProgress::MeasureContent(const RECT*) {
  const RECT m = GetStyle().GetScaledMargin();
  const SIZE skin = bkgndSkin_ ? bkgndSkin_->NaturalSize() : SIZE{0, 0};
  ILayoutParam* param = GetLayoutParam();
  if (!vertical_) {
    const int height = m.top + m.bottom + skin.cy;
    const int width = param->HasFixedSize(Horz) ? param->GetSpecifiedSize(Horz).ToPixels(GetScale())
                                                 : m.left + m.right + skin.cx;
    return SIZE{width, height};
  }
  const int width = m.left + m.right + skin.cx;
  const int height = param->HasFixedSize(Vert) ? param->GetSpecifiedSize(Vert).ToPixels(GetScale())
                                                : m.top + m.bottom + skin.cy;
  return SIZE{width, height};
}

void SProgress::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  if (!skins) return;
  ISkinObj* b = bkgndName_.IsEmpty() ? skins->FindSystemSkin(vertical_ ? kSkinVertProgBkgnd : kSkinProgBkgnd, scale)
                                     : skins->GetSkin(bkgndName_, scale);
  ISkinObj* p = posName_.IsEmpty() ? skins->FindSystemSkin(vertical_ ? kSkinVertProgBar : kSkinProgBar, scale)
                                   : skins->GetSkin(posName_, scale);
  if (b) bkgndSkin_ = b;
  if (p) posSkin_ = p;
}

void SProgress::Colorize(COLORREF color) {
  if (bkgndSkin_) bkgndSkin_->ApplyColorize(color);
  if (posSkin_) posSkin_->ApplyColorize(color);
  SWindow::Colorize(color);
}

}  // namespace ORIEL
