#include "core/SHostWndAttr.h"

#include "core/SApplication.h"
#include "core/SStringSplit.h"

namespace ORIEL {

namespace {

// "a,b,c,d": each part a size or a named dimension; false unless exactly
// `count` parts.
bool ParseSizes(const SStringW& value, SLayoutSize* out, int count) {
  SArray<SStringW> parts;
  if (SplitByChar(value, L',', parts) != count) return false;
  for (int i = 0; i < count; ++i) out[i] = SResProviderMgr::LookupNamedDimension(parts[i]);
  return true;
}

}  // namespace

SHostWndAttr::SHostWndAttr() { ResetDefaults(); }

SHostWndAttr::~SHostWndAttr() { DestroyIcons(); }

void SHostWndAttr::DestroyIcons() {
  if (smallIcon_) DestroyIcon(smallIcon_);
  if (bigIcon_) DestroyIcon(bigIcon_);
  smallIcon_ = bigIcon_ = nullptr;
}

void SHostWndAttr::ResetDefaults() {
  flags_ = 255 | kAllowSpy;
  wndStyle_ = wndStyleEx_ = 0;
  DestroyIcons();
}

void SHostWndAttr::SetBit(DWORD bit, const SStringW& value) {
  flags_ = (ParseAttrInt(value) & 1) ? (flags_ | bit) : (flags_ & ~bit);
}

RECT SHostWndAttr::MarginPixels(int scale) const {
  return RECT{margin_[0].ToPixels(scale), margin_[1].ToPixels(scale), margin_[2].ToPixels(scale),
              margin_[3].ToPixels(scale)};
}

SIZE SHostWndAttr::MinSizePixels(int scale) const {
  return SIZE{minSize_[0].ToPixels(scale), minSize_[1].ToPixels(scale)};
}

RECT SHostWndAttr::MaxInsetPixels(int scale) const {
  return RECT{maxInset_[0].ToPixels(scale), maxInset_[1].ToPixels(scale), maxInset_[2].ToPixels(scale),
              maxInset_[3].ToPixels(scale)};
}

HRESULT SHostWndAttr::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"trCtx")) {
    trCtx_ = SResProviderMgr::LookupNamedString(value);
  } else if (AttrNameIs(name, L"title")) {
    title_ = SResProviderMgr::LookupNamedString(value);
  } else if (AttrNameIs(name, L"width")) {
    width_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"height")) {
    height_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"margin")) {
    SLayoutSize parts[4];
    if (!ParseSizes(value, parts, 4)) return E_INVALIDARG;
    for (int i = 0; i < 4; ++i) margin_[i] = parts[i];
  } else if (AttrNameIs(name, L"minsize")) {
    SLayoutSize parts[2];
    if (!ParseSizes(value, parts, 2)) return E_INVALIDARG;
    minSize_[0] = parts[0];
    minSize_[1] = parts[1];
  } else if (AttrNameIs(name, L"maxInset")) {
    SLayoutSize parts[4];
    if (!ParseSizes(value, parts, 4)) return E_INVALIDARG;
    for (int i = 0; i < 4; ++i) maxInset_[i] = parts[i];
  } else if (AttrNameIs(name, L"wndStyle")) {
    wndStyle_ = static_cast<DWORD>(ParseAttrInt(value));
  } else if (AttrNameIs(name, L"wndStyleEx")) {
    wndStyleEx_ = static_cast<DWORD>(ParseAttrInt(value));
  } else if (AttrNameIs(name, L"resizable")) {
    SetBit(kResizable, value);
  } else if (AttrNameIs(name, L"translucent")) {
    SetBit(kTranslucent, value);
  } else if (AttrNameIs(name, L"sendWheel2Hover")) {
    SetBit(kSendWheel2Hover, value);
  } else if (AttrNameIs(name, L"appWnd")) {
    SetBit(kAppWnd, value);
  } else if (AttrNameIs(name, L"toolWindow")) {
    SetBit(kToolWindow, value);
  } else if (AttrNameIs(name, L"allowSpy")) {
    SetBit(kAllowSpy, value);
  } else if (AttrNameIs(name, L"alpha")) {
    flags_ = (flags_ & ~0xFFu) | (static_cast<DWORD>(ParseAttrInt(value)) & 0xFF);
  } else if (AttrNameIs(name, L"wndType")) {
    DWORD type;
    if (value == L"undefine") type = kUndefine;
    else if (value == L"appMain") type = kAppMain;
    else if (value == L"normal") type = kNormal;
    else return E_FAIL;
    flags_ = (flags_ & ~0xFF00u) | (type << 8);
  } else if (AttrNameIs(name, L"smallIcon") || AttrNameIs(name, L"bigIcon")) {
    HICON& slot = AttrNameIs(name, L"smallIcon") ? smallIcon_ : bigIcon_;
    if (slot) DestroyIcon(slot);
    slot = nullptr;
    if (SApplication* app = SApplication::getSingletonPtr()) slot = app->LoadIconById(value);
  } else {
    return HandleUnknownAttribute(name, value, loading);
  }
  return S_OK;
}

}  // namespace ORIEL
