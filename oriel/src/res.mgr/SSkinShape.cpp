#include "res.mgr/SSkinShape.h"

#include <algorithm>

#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "res.mgr/SSkinDrawn.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {
namespace {

SLayoutSize Dim(const SStringW& value) { return SResProviderMgr::LookupNamedDimension(value); }

template <class Record>
void LoadRecord(pugi::xml_node parent, const wchar_t* name, SRefPtr<Record>& slot) {
  pugi::xml_node node = XmlChild(parent, name);
  if (!node) return;
  auto* record = new Record;
  record->LoadXmlNode(node);
  slot.Attach(record);
}

}  // namespace

HRESULT SSkinShape::SShapeSize::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"width"))
    width = Dim(value);
  else if (AttrNameIs(name, L"height"))
    height = Dim(value);
  else
    return SShapeRecordImpl::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_FALSE);
}

HRESULT SSkinShape::SCornerSize::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"radiusX")) {
    radiusX = Dim(value);
  } else if (AttrNameIs(name, L"radiusY")) {
    radiusY = Dim(value);
  } else if (AttrNameIs(name, L"radius")) {
    SStringWArray parts;
    SplitByChar(value, L',', parts);
    if (parts.GetCount() == 1) {
      radiusX = radiusY = Dim(parts[0]);
    } else if (parts.GetCount() == 2) {
      radiusX = Dim(parts[0]);
      radiusY = Dim(parts[1]);
    } else {
      hr = E_INVALIDARG;
    }
  } else {
    return SShapeRecordImpl::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

HRESULT SSkinShape::SStroke::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"width")) {
    width = Dim(value);
  } else if (AttrNameIs(name, L"color")) {
    hr = ReadSkinColor(value, color);
  } else if (AttrNameIs(name, L"style")) {
    static const struct {
      const wchar_t* name;
      int style;
    } kStyles[] = {{L"solid", 0}, {L"dash", 1}, {L"dashDot", 3}, {L"dashDotDot", 4}};
    hr = E_FAIL;
    for (const auto& s : kStyles) {
      if (value == s.name) {
        style = s.style;
        hr = S_FALSE;
      }
    }
  } else {
    return SShapeRecordImpl::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

HRESULT SSkinShape::SGradient::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"type")) {
    static const wchar_t* const kTypes[] = {L"linear", L"radial", L"sweep"};
    hr = E_FAIL;
    for (int i = 0; i < 3; ++i) {
      if (value == kTypes[i]) {
        type = i;
        hr = S_FALSE;
      }
    }
  } else if (AttrNameIs(name, L"angle")) {
    ParseAttrFloat(value, angle);
  } else if (AttrNameIs(name, L"centerX")) {
    ParseAttrFloat(value, centerX);
  } else if (AttrNameIs(name, L"centerY")) {
    ParseAttrFloat(value, centerY);
  } else if (AttrNameIs(name, L"startColor")) {
    hr = ReadSkinColor(value, start);
  } else if (AttrNameIs(name, L"centerColor")) {
    hr = ReadSkinColor(value, center);
  } else if (AttrNameIs(name, L"endColor")) {
    hr = ReadSkinColor(value, end);
  } else if (AttrNameIs(name, L"radius")) {
    radius = Dim(value);
  } else {
    return SShapeRecordImpl::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

HRESULT SSkinShape::SShapeRing::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"startAngle"))
    ParseAttrFloat(value, startAngle);
  else if (AttrNameIs(name, L"sweepAngle"))
    ParseAttrFloat(value, sweepAngle);
  else
    return SShapeRecordImpl::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, S_FALSE);
}

HRESULT SSkinShape::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (!AttrNameIs(name, L"shape")) return SSkinObjBase::ApplyAttribute(name, value, loading);
  static const wchar_t* const kKinds[] = {L"rectangle", L"oval", L"ring"};
  HRESULT hr = E_FAIL;
  for (int i = 0; i < 3; ++i) {
    if (value == kKinds[i]) {
      kind_ = i;
      hr = S_FALSE;
    }
  }
  return FinishAttribute(name, value, loading, hr);
}

void SSkinShape::OnXmlLoaded(pugi::xml_node element) {
  if (pugi::xml_node solid = XmlChild(element, L"solid")) ReadSkinColor(XmlValue(XmlAttr(solid, L"color")), fill_);
  LoadRecord(element, L"size", size_);
  LoadRecord(element, L"corners", corners_);
  LoadRecord(element, L"stroke", stroke_);
  LoadRecord(element, L"gradient", gradient_);
  LoadRecord(element, L"ring", ring_);
}

SIZE SSkinShape::NaturalSize() const {
  if (!size_) return SIZE{0, 0};
  return SIZE{size_->width.ToPixels(scale_), size_->height.ToPixels(scale_)};
}

void SSkinShape::DrawCell(IRenderTarget* rt, const RECT& rc, int, BYTE alpha) {
  const int rx = corners_ ? corners_->radiusX.ToPixels(scale_) : 0;
  const int ry = corners_ ? corners_->radiusY.ToPixels(scale_) : 0;
  if (fill_ != kRenderNoColor) {
    if (kind_ == kRectangle) {
      if (corners_)
        rt->FillSolidRoundRect(&rc, POINT{rx, ry}, fill_);
      else
        rt->FillSolidRect(&rc, fill_);
    } else if (kind_ == kOval) {
      IBrush* brush = nullptr;
      if (SUCCEEDED(rt->CreateSolidColorBrush(fill_, &brush)) && brush) {
        IRenderObj* old = nullptr;
        rt->SelectObject(brush, &old);
        rt->FillEllipse(&rc);
        rt->SelectObject(old, nullptr);
        brush->Release();
      }
    }
  }
  if (gradient_) {
    bool clipped = false;
    IPath* path = nullptr;
    if (rt->GetRenderFactory()->CreatePath(&path) && path) {
      if (kind_ == kRectangle && corners_)
        path->AddRoundRect(&rc, static_cast<float>(rx), static_cast<float>(ry), 5);
      else if (kind_ == kOval)
        path->AddOval(&rc, 5);
      if (!path->IsEmpty()) clipped = SUCCEEDED(rt->PushClipPath(path, kCombineAnd));
      path->Release();
    }
    const SGradient& g = *gradient_;
    rt->DrawGradient(&rc, g.type, g.start, g.center, g.end, g.angle, g.centerX, g.centerY, g.radius.ToPixels(scale_),
                     alpha);
    if (clipped) rt->PopClip();
  }
  if (stroke_) {
    const int w = stroke_->width.ToPixels(scale_);
    IPen* pen = nullptr;
    if (FAILED(rt->CreatePen(stroke_->style, stroke_->color, w, &pen)) || !pen) return;
    IRenderObj* old = nullptr;
    rt->SelectObject(pen, &old);
    RECT r = rc;
    InflateRect(&r, -(w / 2), -(w / 2));
    if (kind_ == kRectangle) {
      if (corners_)
        rt->DrawRoundRect(&r, POINT{rx, ry});
      else
        rt->DrawRectangle(&r);
    } else if (kind_ == kOval) {
      rt->DrawEllipse(&r);
    } else if (ring_) {
      const int side = std::min(r.right - r.left, r.bottom - r.top);
      RECT sq;
      sq.left = r.left + (r.right - r.left - side) / 2;
      sq.top = r.top + (r.bottom - r.top - side) / 2;
      sq.right = sq.left + side;
      sq.bottom = sq.top + side;
      rt->DrawArc(&sq, ring_->startAngle, ring_->sweepAngle, FALSE);
    }
    rt->SelectObject(old, nullptr);
    pen->Release();
  }
}

void SSkinShape::CopyToScaled(ISkinObj* copyObj, int scale) {
  SSkinObjBase::CopyToScaled(copyObj, scale);
  auto* copy = dynamic_cast<SSkinShape*>(copyObj);
  if (!copy) return;
  copy->kind_ = kind_;
  copy->fill_ = fill_;
  copy->size_ = size_;
  copy->corners_ = corners_;
  copy->stroke_ = stroke_;
  copy->gradient_ = gradient_;
  copy->ring_ = ring_;
}

// ---- SSKinGroup

HRESULT SSKinGroup::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  static const wchar_t* const kStates[4] = {L"normal", L"hover", L"pushDown", L"disable"};
  for (int i = 0; i < 4; ++i) {
    if (!AttrNameIs(name, kStates[i])) continue;
    SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
    states_[i] = pools ? pools->GetSkin(value, scale_) : nullptr;
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SSkinObjBase::ApplyAttribute(name, value, loading);
}

SIZE SSKinGroup::NaturalSize() const {
  for (const auto& s : states_) {
    if (s) return s->NaturalSize();
  }
  return SIZE{0, 0};
}

void SSKinGroup::DrawCell(IRenderTarget* rt, const RECT& rc, int state, BYTE alpha) {
  if (state < 0 || state > 3 || !states_[state]) return;
  states_[state]->DrawByIndexAlpha(rt, &rc, 0, alpha);
}

void SSKinGroup::CopyToScaled(ISkinObj* copyObj, int scale) {
  SSkinObjBase::CopyToScaled(copyObj, scale);
  auto* copy = dynamic_cast<SSKinGroup*>(copyObj);
  if (!copy) return;
  for (int i = 0; i < 4; ++i) {
    if (states_[i]) copy->states_[i].Attach(states_[i]->Scale(scale));
  }
}

}  // namespace ORIEL
