#include "layout/SGridLayoutParam.h"

#include "LayoutParamText.h"

namespace ORIEL {

ORIEL_LAYOUT_PARAM_SIZES_IMPL(SGridLayoutParam, data.width, data.height)

BOOL SGridLayoutParam::IsWrapContent(ORIENTATION o) const {
  return TestAxes(o, data.width.IsWrapContent(), data.height.IsWrapContent());
}

void SGridLayoutParam::Clear() { data = SGridLayoutParamStruct(); }

ILayoutParam* SGridLayoutParam::Clone() const {
  auto* copy = new SGridLayoutParam;
  copy->data = data;
  return copy;
}

int ParseGridGravity(const SStringW& value) {
  if (value.CompareNoCase(L"left") == 0 || value.CompareNoCase(L"top") == 0) return kGridLeft;
  if (value.CompareNoCase(L"center") == 0) return kGridCenter;
  if (value.CompareNoCase(L"right") == 0 || value.CompareNoCase(L"bottom") == 0) return kGridRight;
  if (value.CompareNoCase(L"fill") == 0) return kGridFill;
  return kGridNone;
}

HRESULT SGridLayoutParam::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL) {
  if (AttrNameIs(name, L"columnSpan")) {
    data.iColumnSpan = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"rowSpan")) {
    data.iRowSpan = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"width")) {
    data.width = ReadLayoutSize(value, false);
  } else if (AttrNameIs(name, L"height")) {
    data.height = ReadLayoutSize(value, false);
  } else if (AttrNameIs(name, L"size")) {
    if (!ReadSizePair(value, false, data.width, data.height)) return E_FAIL;
  } else if (AttrNameIs(name, L"layout_xGravity")) {
    data.layoutGravityX = ParseGridGravity(value);
  } else if (AttrNameIs(name, L"layout_yGravity")) {
    data.layoutGravityY = ParseGridGravity(value);
  } else if (AttrNameIs(name, L"columnWeight")) {
    ParseAttrFloat(value, data.fColumnWeight);
  } else if (AttrNameIs(name, L"rowWeight")) {
    ParseAttrFloat(value, data.fRowWeight);
  } else {
    return E_NOTIMPL;
  }
  return S_OK;
}

}  // namespace ORIEL
