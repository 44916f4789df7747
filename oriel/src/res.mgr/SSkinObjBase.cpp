#include "res.mgr/SSkinObjBase.h"

#include "core/SApplication.h"

namespace ORIEL {

HRESULT SSkinObjBase::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"alpha"))
    alpha_ = static_cast<BYTE>(ParseAttrInt(value));
  else if (AttrNameIs(name, L"enableColorize"))
    enableColorize_ = ParseAttrInt(value) != 0;
  else if (AttrNameIs(name, L"scale"))
    scale_ = ParseAttrInt(value);
  else if (AttrNameIs(name, L"name"))
    name_ = SResProviderMgr::LookupNamedString(value);
  else
    return SSkinObjImpl::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, hr);
}

ISkinObj* SSkinObjBase::Scale(int scale) {
  SApplication* app = SApplication::getSingletonPtr();
  ISkinObj* copy = app ? app->NewSkinByClass(GetObjectClass()) : nullptr;
  if (copy) CopyToScaled(copy, scale);
  return copy;
}

void SSkinObjBase::CopyToScaled(ISkinObj* copy, int scale) {
  auto* base = dynamic_cast<SSkinObjBase*>(copy);
  if (!base) return;
  base->scale_ = scale;
  base->alpha_ = alpha_;
  base->colorize_ = colorize_;
  base->enableColorize_ = enableColorize_;
  base->name_ = name_;
}

HRESULT ReadSkinColor(const SStringW& value, COLORREF& out) {
  if (value.IsEmpty()) return E_FAIL;
  out = SResProviderMgr::LookupNamedColor(value);
  return S_FALSE;
}

COLORREF AlphaWeighted(COLORREF color, BYTE alpha) {
  if (alpha == 255) return color;
  const uint32_t a = ((color >> 24) * alpha) / 256;
  return (color & 0x00FFFFFF) | (a << 24);
}

}  // namespace ORIEL
