#include "core/SwndStyle.h"

#include "core/SStringSplit.h"
#include "render/IRender.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

namespace {

// Draw-text flags the format is made of.
constexpr UINT kDtCenter = 0x1;
constexpr UINT kDtRight = 0x2;
constexpr UINT kDtVCenterSingle = 0x24;
constexpr UINT kDtBottomSingle = 0x28;
constexpr UINT kDtEndEllipsis = 0x8000;

// An empty colour is refused and changes nothing.
HRESULT ReadColor(const SStringW& value, COLORREF& out) {
  if (value.IsEmpty()) return E_FAIL;
  out = SResProviderMgr::LookupNamedColor(value);
  return S_OK;
}

// One part sets all four sides; two set left/right and top/bottom; four
// set left, top, right, bottom; any other count changes nothing.
void ReadFourWay(const SStringW& value, SLayoutSize (&sides)[4]) {
  SArray<SStringW> parts;
  const int n = SplitByChar(value, L',', parts);
  SLayoutSize v[4];
  for (int i = 0; i < n && i < 4; ++i) v[i] = SResProviderMgr::LookupNamedDimension(parts[i]);
  if (n == 1) {
    sides[0] = sides[1] = sides[2] = sides[3] = v[0];
  } else if (n == 2) {
    sides[0] = sides[2] = v[0];
    sides[1] = sides[3] = v[1];
  } else if (n == 4) {
    for (int i = 0; i < 4; ++i) sides[i] = v[i];
  }
}

}  // namespace

SwndStyle::SwndStyle() : crBg_(kRenderNoColor), crBorder_(kRenderNoColor), cursor_(L"arrow") {
  for (COLORREF& c : crText_) c = kRenderNoColor;
}

HRESULT SwndStyle::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  const HRESULT sized = loading ? S_FALSE : S_OK;
  if (AttrNameIs(name, L"textMode")) return textMode_ = ParseAttrInt(value), S_OK;
  if (AttrNameIs(name, L"align")) {
    if (value == L"left") return align_ = kAlignLeft, S_OK;
    if (value == L"center") return align_ = kAlignCenter, S_OK;
    if (value == L"right") return align_ = kAlignRight, S_OK;
    return E_FAIL;
  }
  if (AttrNameIs(name, L"valign")) {
    if (value == L"top") return valign_ = kVAlignTop, S_OK;
    if (value == L"middle") return valign_ = kVAlignMiddle, S_OK;
    if (value == L"bottom") return valign_ = kVAlignBottom, S_OK;
    return E_FAIL;
  }
  if (AttrNameIs(name, L"colorBkgnd")) return ReadColor(value, crBg_);
  if (AttrNameIs(name, L"colorBorder")) return ReadColor(value, crBorder_);
  static const wchar_t* const kFonts[kStateCount] = {L"font", L"fontHover", L"fontPush", L"fontDisable"};
  static const wchar_t* const kColors[kStateCount] = {L"colorText", L"colorTextHover", L"colorTextPush",
                                                      L"colorTextDisable"};
  for (int i = 0; i < kStateCount; ++i) {
    if (AttrNameIs(name, kFonts[i])) return fonts_[i].SetDescription(value, scale_), S_OK;
    if (AttrNameIs(name, kColors[i])) return ReadColor(value, crText_[i]);
  }
  if (AttrNameIs(name, L"margin-x")) {
    margin_[0] = margin_[2] = SResProviderMgr::LookupNamedDimension(value);
    return sized;
  }
  if (AttrNameIs(name, L"margin-y")) {
    margin_[1] = margin_[3] = SResProviderMgr::LookupNamedDimension(value);
    return sized;
  }
  if (AttrNameIs(name, L"margin")) return ReadFourWay(value, margin_), sized;
  if (AttrNameIs(name, L"inset") || AttrNameIs(name, L"padding")) return ReadFourWay(value, padding_), sized;
  static const wchar_t* const kPaddings[4] = {L"padding_left", L"padding_top", L"padding_right", L"padding_bottom"};
  for (int i = 0; i < 4; ++i)
    if (AttrNameIs(name, kPaddings[i])) return padding_[i] = SResProviderMgr::LookupNamedDimension(value), S_OK;
  if (AttrNameIs(name, L"cursor")) return cursor_ = SResProviderMgr::LookupNamedString(value), S_FALSE;
  if (AttrNameIs(name, L"dotted")) return dotted_ = ParseAttrInt(value) & 1, S_FALSE;
  if (AttrNameIs(name, L"trackMouseEvent")) return trackMouse_ = ParseAttrInt(value) & 1, S_FALSE;
  if (AttrNameIs(name, L"alpha")) return alpha_ = static_cast<BYTE>(ParseAttrInt(value) & 0xFF), S_OK;
  if (AttrNameIs(name, L"bkgndBlend")) return bkgndBlend_ = ParseAttrInt(value) & 1, S_OK;
  if (AttrNameIs(name, L"sepSpace")) return sepSpace_ = static_cast<BYTE>(ParseAttrInt(value) & 0xFF), S_OK;
  return E_NOTIMPL;
}

RECT SwndStyle::Scaled(const SLayoutSize (&sides)[4], int scale) {
  return RECT{sides[0].ToPixels(scale), sides[1].ToPixels(scale), sides[2].ToPixels(scale),
              sides[3].ToPixels(scale)};
}

RECT SwndStyle::GetScaledMargin() const { return Scaled(margin_, scale_); }
RECT SwndStyle::GetScaledPadding() const { return Scaled(padding_, scale_); }

UINT SwndStyle::GetDrawTextFormat() const {
  if (textMode_ != 0) return static_cast<UINT>(textMode_);
  UINT format = 0;
  if (align_ == kAlignCenter) format |= kDtCenter;
  if (align_ == kAlignRight) format |= kDtRight;
  if (valign_ == kVAlignMiddle) format |= kDtVCenterSingle;
  if (valign_ == kVAlignBottom) format |= kDtBottomSingle;
  if (dotted_) format |= kDtEndEllipsis;
  return format;
}

COLORREF SwndStyle::GetTextColorForState(int state) const {
  if (state < 0 || state >= kStateCount || crText_[state] == kRenderNoColor) return crText_[kStateNormal];
  return crText_[state];
}

IFont* SwndStyle::GetFontForState(int state) const {
  if (state < 0 || state >= kStateCount || !fonts_[state].GetFont()) return fonts_[kStateNormal].GetFont();
  return fonts_[state].GetFont();
}

int SwndStyle::GetStateCount() const {
  int colors = 1, fonts = 1;
  for (int i = kStateHover; i < kStateCount; ++i) {
    if (crText_[i] != kRenderNoColor) ++colors;
    if (fonts_[i].GetFont()) ++fonts;
  }
  return std::max(colors, fonts);
}

void SwndStyle::SetScale(int scale) {
  scale_ = scale;
  for (SScaledFont& f : fonts_) f.Rescale(scale);
}

}  // namespace ORIEL
