#include "res.mgr/SSkinDrawn.h"

#include <algorithm>

#include "res.mgr/SBitmapTint.h"

namespace ORIEL {
namespace {

// Colour words of the defaults are RGB meant opaque: stored with alpha 255,
// except the "no colour" word, which stays unset.
constexpr COLORREF Opaque(COLORREF rgb) { return rgb == kRenderNoColor ? rgb : (rgb | 0xFF000000u); }

const wchar_t* const kButtonColorNames[12] = {
    L"colorBorder", L"colorBorderHover", L"colorBorderPush", L"colorBorderDisable",
    L"colorUp",     L"colorUpHover",     L"colorUpPush",     L"colorUpDisable",
    L"colorDown",   L"colorDownHover",   L"colorDownPush",   L"colorDownDisable",
};
constexpr COLORREF kButtonDefaults[12] = {
    Opaque(0x00707070), Opaque(0x00FFFFFF), Opaque(0x00FFFFFF), Opaque(0x00FFFFFF),
    Opaque(0x00EEEEEE), Opaque(0x00EEEEEE), Opaque(0x00CECECE), Opaque(0x008E8E8E),
    Opaque(0x00D6D6D6), Opaque(0x00E0E0E0), Opaque(0x00C0C0C0), Opaque(0x00808080),
};

int Radius(const RECT& rc, int radius, float percent) {
  if (percent > 0.0f)
    return static_cast<int>(static_cast<float>(std::min(rc.right - rc.left, rc.bottom - rc.top)) * percent);
  return radius;
}

void FillColor(IRenderTarget* rt, const RECT& rc, int r, COLORREF color) {
  if (r < 1)
    rt->FillSolidRect(&rc, color);
  else
    rt->FillSolidRoundRect(&rc, POINT{r, r}, color);
}

}  // namespace

void DrawOutline(IRenderTarget* rt, const RECT& rc, int radius, COLORREF color, int width) {
  IPen* pen = nullptr;
  if (FAILED(rt->CreatePen(PS_SOLID, color, width, &pen)) || !pen) return;
  IRenderObj* old = nullptr;
  rt->SelectObject(pen, &old);
  if (radius < 1)
    rt->DrawRectangle(&rc);
  else
    rt->DrawRoundRect(&rc, POINT{radius, radius});
  rt->SelectObject(old, nullptr);
  pen->Release();
}

// ---- SSkinButton

SSkinButton::SSkinButton() {
  std::copy(std::begin(kButtonDefaults), std::end(kButtonDefaults), colors_);
  std::copy(std::begin(kButtonDefaults), std::end(kButtonDefaults), backup_);
}

HRESULT SSkinButton::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  for (int i = 0; i < 12; ++i) {
    if (AttrNameIs(name, kButtonColorNames[i])) return FinishAttribute(name, value, loading, ReadSkinColor(value, colors_[i]));
  }
  if (AttrNameIs(name, L"cornerRadius")) {
    cornerRadius_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"cornerPercent")) {
    ParseAttrFloat(value, cornerPercent_);
  } else {
    return SSkinObjBase::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

int SSkinButton::RadiusFor(const RECT& rc) const { return Radius(rc, cornerRadius_, cornerPercent_); }

void SSkinButton::DrawCell(IRenderTarget* rt, const RECT& rc, int state, BYTE alpha) {
  if (state < 0 || state > 3) return;
  const int r = RadiusFor(rc);
  const COLORREF up = Color(kUp, state), down = Color(kDown, state);
  if (up == down) {
    FillColor(rt, rc, r, AlphaWeighted(up, alpha));
  } else {
    bool clipped = false;
    if (r > 2) {
      HRGN hrgn = CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, r * 2, r * 2);
      IRegion* rgn = nullptr;
      if (hrgn && rt->GetRenderFactory()->CreateRegion(&rgn) && rgn) {
        rgn->CombineRgn(hrgn, kCombineCopy);
        clipped = SUCCEEDED(rt->PushClipRegion(rgn, kCombineAnd));
        rgn->Release();
      }
      if (hrgn) DeleteObject(hrgn);
    }
    RECT inner = rc;
    InflateRect(&inner, -1, -1);
    rt->GradientFill(&inner, TRUE, up, down, alpha);
    if (clipped) rt->PopClip();
  }
  COLORREF border = Color(kBorder, state);
  if (border == kRenderNoColor) border = Color(kBorder, 0);
  DrawOutline(rt, rc, r, border, 1);
}

void SSkinButton::ApplyColorize(COLORREF color) {
  if (!enableColorize_ || color == colorize_) return;
  if (!hasBackup_) {
    std::copy(colors_, colors_ + 12, backup_);
    hasBackup_ = true;
  } else {
    std::copy(backup_, backup_ + 12, colors_);
  }
  colorize_ = color;
  if (color == 0) return;
  for (COLORREF& c : colors_) {
    if (c != kRenderNoColor) SBitmapTint::ColorizeColor(c, color);
  }
}

// ---- SSkinColorRect

HRESULT SSkinColorRect::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  static const wchar_t* const kFill[4] = {L"normal", L"hover", L"pushdown", L"disable"};
  static const wchar_t* const kBorder[4] = {L"normalBorder", L"hoverBorder", L"pushdownBorder", L"disableBorder"};
  for (int i = 0; i < 4; ++i) {
    if (AttrNameIs(name, kFill[i])) return FinishAttribute(name, value, loading, ReadSkinColor(value, fill_[i]));
    if (AttrNameIs(name, kBorder[i])) return FinishAttribute(name, value, loading, ReadSkinColor(value, border_[i]));
  }
  if (AttrNameIs(name, L"cornerRadius"))
    cornerRadius_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"cornerPercent"))
    ParseAttrFloat(value, cornerPercent_);
  else if (AttrNameIs(name, L"borderWidth"))
    borderWidth_ = ParseAttrInt(value);
  else
    return SSkinObjBase::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_FALSE);
}

int SSkinColorRect::StateCount() const {
  for (int i = 3; i >= 0; --i) {
    if (fill_[i] != kRenderNoColor) return i + 1;
  }
  return 0;
}

void SSkinColorRect::DrawCell(IRenderTarget* rt, const RECT& rc, int state, BYTE alpha) {
  if (state < 0 || state > 3) return;
  if (fill_[state] == kRenderNoColor) state = 0;
  const int r = Radius(rc, cornerRadius_, cornerPercent_);
  FillColor(rt, rc, r, AlphaWeighted(fill_[state], alpha));
  if (border_[state] != kRenderNoColor && borderWidth_ > 0) DrawOutline(rt, rc, r, border_[state], borderWidth_);
}

// ---- SSkinGradation

HRESULT SSkinGradation::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"colorFrom"))
    hr = ReadSkinColor(value, from_);
  else if (AttrNameIs(name, L"colorTo"))
    hr = ReadSkinColor(value, to_);
  else if (AttrNameIs(name, L"vertical"))
    vertical_ = ParseAttrInt(value) != 0;
  else
    return SSkinObjBase::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, hr);
}

void SSkinGradation::DrawCell(IRenderTarget* rt, const RECT& rc, int, BYTE alpha) {
  rt->GradientFill(&rc, vertical_, from_, to_, alpha);
}

void SSkinGradation::ApplyColorize(COLORREF color) {
  if (!enableColorize_ || color == colorize_) return;
  if (!hasBackup_) {
    backup_[0] = from_;
    backup_[1] = to_;
    hasBackup_ = true;
  } else {
    from_ = backup_[0];
    to_ = backup_[1];
  }
  colorize_ = color;
  if (color == 0) return;
  if (from_ != kRenderNoColor) SBitmapTint::ColorizeColor(from_, color);
  if (to_ != kRenderNoColor) SBitmapTint::ColorizeColor(to_, color);
}

}  // namespace ORIEL
