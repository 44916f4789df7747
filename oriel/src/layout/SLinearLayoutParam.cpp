#include "layout/SLinearLayoutParam.h"

#include "LayoutParamText.h"

namespace ORIEL {

ORIEL_LAYOUT_PARAM_SIZES_IMPL(SLinearLayoutParam, data.width, data.height)

BOOL SLinearLayoutParam::IsWrapContent(ORIENTATION o) const {
  return TestAxes(o, data.width.IsWrapContent(), data.height.IsWrapContent());
}

void SLinearLayoutParam::Clear() {
  data = SLinearLayoutParamStruct();
}

ILayoutParam* SLinearLayoutParam::Clone() const {
  auto* copy = new SLinearLayoutParam;
  copy->data = data;
  return copy;
}

int ParseLinearGravity(const SStringW& value) {
  if (value == L"left" || value == L"top") return kGravityLeft;
  if (value == L"center") return kGravityCenter;
  if (value == L"right" || value == L"bottom") return kGravityRight;
  return kGravityNone;
}

HRESULT SLinearLayoutParam::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL) {
  if (AttrNameIs(name, L"width")) {
    data.width = ReadLayoutSize(value, false);
    return S_OK;
  }
  if (AttrNameIs(name, L"height")) {
    data.height = ReadLayoutSize(value, false);
    return S_OK;
  }
  if (AttrNameIs(name, L"size")) return ReadSizePair(value, false, data.width, data.height) ? S_OK : E_FAIL;
  if (AttrNameIs(name, L"weight")) {
    float w = 0;
    if (ParseAttrFloat(value, w)) data.weight = w;
    return S_FALSE;
  }
  if (AttrNameIs(name, L"layout_gravity")) {
    const int g = ParseLinearGravity(value);
    if (g == kGravityNone) return E_FAIL;
    data.gravity = g;
    return S_FALSE;
  }
  if (AttrNameIs(name, L"extend")) {
    SArray<SStringW> parts;
    const int n = SplitByChar(value, L',', parts);
    if (n == 1) {
      data.extend_left = data.extend_top = data.extend_right = data.extend_bottom =
          SResProviderMgr::LookupNamedDimension(parts[0]);
      return S_OK;
    }
    if (n != 4) return E_INVALIDARG;
    data.extend_left = SResProviderMgr::LookupNamedDimension(parts[0]);
    data.extend_top = SResProviderMgr::LookupNamedDimension(parts[1]);
    data.extend_right = SResProviderMgr::LookupNamedDimension(parts[2]);
    data.extend_bottom = SResProviderMgr::LookupNamedDimension(parts[3]);
    return S_OK;
  }
  static const struct {
    const wchar_t* name;
    SLayoutSize SLinearLayoutParamStruct::*field;
  } kExtends[] = {{L"extend_left", &SLinearLayoutParamStruct::extend_left},
                  {L"extend_top", &SLinearLayoutParamStruct::extend_top},
                  {L"extend_right", &SLinearLayoutParamStruct::extend_right},
                  {L"extend_bottom", &SLinearLayoutParamStruct::extend_bottom}};
  for (const auto& e : kExtends) {
    if (!AttrNameIs(name, e.name)) continue;
    data.*e.field = SResProviderMgr::LookupNamedDimension(value);
    return S_FALSE;
  }
  return E_NOTIMPL;
}

}  // namespace ORIEL
