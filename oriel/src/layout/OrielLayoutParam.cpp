#include "layout/OrielLayoutParam.h"

#include <cwchar>

#include "LayoutParamText.h"

namespace ORIEL {

ORIEL_LAYOUT_PARAM_SIZES_IMPL(OrielLayoutParam, data.width, data.height)

BOOL OrielLayoutParam::IsWrapContent(ORIENTATION o) const {
  const bool noPos = data.nCount == 0;
  const bool horz = data.width.IsWrapContent() || (noPos && !data.width.IsSpecified());
  const bool vert = data.height.IsWrapContent() || (noPos && !data.height.IsSpecified());
  return TestAxes(o, horz, vert);
}

void OrielLayoutParam::Clear() {
  // The items keep their contents; with a count of 0 they are not used.
  data.nCount = 0;
  data.fOffsetX = data.fOffsetY = 0.0f;
  data.width.SetWrapContent();
  data.height.SetWrapContent();
}

ILayoutParam* OrielLayoutParam::Clone() const {
  auto* copy = new OrielLayoutParam;
  copy->data = data;
  return copy;
}

namespace {

// A length that may carry its own "-": the sign goes to the item.
void ReadSignedLength(SStringW text, OrielPosItem& item) {
  text.Trim();
  item.cMinus = 1;
  if (!text.IsEmpty() && text[0] == L'-') {
    item.cMinus = -1;
    text = text.Mid(1);
  }
  item.nPos = SResProviderMgr::LookupNamedDimension(text);
}

bool ParseSiblingItem(const SStringW& text, OrielPosItem& item) {
  static const struct {
    const wchar_t* edge;
    int kind;
  } kEdges[] = {{L"left@", PosSiblingNear}, {L"top@", PosSiblingNear},
                {L"right@", PosSiblingFar}, {L"bottom@", PosSiblingFar}};
  const SStringW rest = text.Mid(4);
  for (const auto& e : kEdges) {
    const int len = static_cast<int>(wcslen(e.edge));
    if (!(rest.Left(len) == e.edge)) continue;
    SArray<SStringW> parts;
    if (SplitByChar(rest.Mid(len), L':', parts) != 2) return false;
    const int id = static_cast<int>(wcstol(parts[0].c_str(), nullptr, 10));
    if (id == 0) return false;
    item.pit = e.kind;
    item.nRefID = id;
    ReadSignedLength(parts[1], item);
    return true;
  }
  return false;
}

}  // namespace

bool OrielLayoutParam::ParsePosItem(const SStringW& raw, OrielPosItem& item) {
  SStringW text = raw;
  text.Trim();
  if (text.IsEmpty()) return false;
  if (text.Left(4) == L"sib.") return ParseSiblingItem(text, item);
  static const struct {
    wchar_t prefix;
    int kind;
  } kPrefixes[] = {{L'%', PosPercent},  {L'@', PosSize},     {L'[', PosPrevFar}, {L']', PosNextNear},
                   {L'{', PosPrevNear}, {L'}', PosNextFar}, {L'|', PosCenter}};
  item.pit = PosAbsolute;
  item.nRefID = -1;
  for (const auto& p : kPrefixes) {
    if (text[0] != p.prefix) continue;
    item.pit = p.kind;
    text = text.Mid(1);
    break;
  }
  item.cMinus = 1;
  if (!text.IsEmpty() && text[0] == L'-') {
    item.cMinus = -1;
    text = text.Mid(1);
  }
  item.nPos = SResProviderMgr::LookupNamedDimension(text);
  return true;
}

SLayoutSize OrielLayoutParam::SizeFromItems(const OrielPosItem& nearItem, const OrielPosItem& farItem) {
  SLayoutSize size;
  if (nearItem.pit == PosAbsolute && nearItem.nPos.IsZero() && nearItem.cMinus == 1 && farItem.pit == PosAbsolute &&
      farItem.nPos.IsZero() && farItem.cMinus == -1) {
    size.SetMatchParent();
  } else if (farItem.pit == PosSize) {
    if (farItem.cMinus == -1)
      size.SetWrapContent();
    else
      size = farItem.nPos;
  } else {
    size.SetUnspecified();
  }
  return size;
}

HRESULT OrielLayoutParam::ApplyPos(const SStringW& value) {
  SArray<SStringW> items;
  const int count = SplitByChar(value, L',', items);
  if (count != 2 && count != 4) return E_INVALIDARG;

  OrielPosItem first, second;
  bool lastAccepted = ParsePosItem(items[0], first) && ParsePosItem(items[1], second) && first.pit != PosSize &&
                      second.pit != PosSize;
  if (lastAccepted) {
    data.posLeft = first;
    data.posTop = second;
    data.nCount = 2;
  }
  if (count == 4) {
    OrielPosItem third, fourth;
    lastAccepted = ParsePosItem(items[2], third) && ParsePosItem(items[3], fourth);
    if (lastAccepted) {
      data.posRight = third;
      data.posBottom = fourth;
      data.nCount = 4;
    }
  }
  if (lastAccepted && data.nCount == 4) {
    data.width = SizeFromItems(data.posLeft, data.posRight);
    data.height = SizeFromItems(data.posTop, data.posBottom);
    return S_OK;
  }
  if (!data.width.IsSpecified()) data.width.SetWrapContent();
  if (!data.height.IsSpecified()) data.height.SetWrapContent();
  return S_OK;
}

HRESULT OrielLayoutParam::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"width")) {
    data.width = ReadLayoutSize(value, true);
    return S_OK;
  }
  if (AttrNameIs(name, L"height")) {
    data.height = ReadLayoutSize(value, true);
    return S_OK;
  }
  if (AttrNameIs(name, L"size")) return ReadSizePair(value, true, data.width, data.height) ? S_OK : E_FAIL;
  if (AttrNameIs(name, L"pos")) return ApplyPos(value);
  if (AttrNameIs(name, L"offset")) {
    float x = 0, y = 0;
    if (swscanf(value.c_str(), L"%f,%f", &x, &y) != 2) return E_FAIL;
    data.fOffsetX = x;
    data.fOffsetY = y;
    return S_OK;
  }
  (void)loading;
  return E_NOTIMPL;
}

}  // namespace ORIEL
