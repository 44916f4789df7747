#include "layout/SLinearLayout.h"

#include <algorithm>

#include "layout/IWindow.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

struct SLinearLayout::Child {
  IWindow* wnd;
  SLinearLayoutParam* param;
  int ext[4];  // extends in pixels: left, top, right, bottom
  int size[2];  // outer width and height
  int Ext(int axis) const { return ext[axis] + ext[axis + 2]; }
};

HRESULT SLinearLayout::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL) {
  if (AttrNameIs(name, L"orientation")) {
    if (value == L"horizontal")
      orientation = Horz;
    else if (value == L"vertical")
      orientation = Vert;
    else
      return E_FAIL;
    return S_FALSE;
  }
  if (AttrNameIs(name, L"gravity")) {
    const int g = ParseLinearGravity(value);
    if (g == kGravityNone) return E_FAIL;
    gravity = g;
    return S_FALSE;
  }
  if (AttrNameIs(name, L"interval")) {
    interval = SResProviderMgr::LookupNamedDimension(value);
    return S_FALSE;
  }
  return E_NOTIMPL;
}

BOOL SLinearLayout::IsParamAcceptable(const ILayoutParam* param) const {
  return param && param->IsClass(SLinearLayoutParam::GetClassName());
}

ILayoutParam* SLinearLayout::CreateLayoutParam() const { return new SLinearLayoutParam; }

std::vector<SLinearLayout::Child> SLinearLayout::Collect(IWindow* window) const {
  std::vector<Child> children;
  for (IWindow* c = window->GetNextLayoutChild(nullptr); c; c = window->GetNextLayoutChild(c)) {
    auto* p = static_cast<SLinearLayoutParam*>(c->GetLayoutParam());
    if (!IsParamAcceptable(p)) continue;
    const int scale = c->GetScale();
    const SLinearLayoutParamStruct& d = p->data;
    children.push_back(Child{c,
                             p,
                             {d.extend_left.ToPixels(scale), d.extend_top.ToPixels(scale),
                              d.extend_right.ToPixels(scale), d.extend_bottom.ToPixels(scale)},
                             {0, 0}});
  }
  return children;
}

void SLinearLayout::Reserve(Child& c, int width, int height) const {
  const int scale = c.wnd->GetScale();
  const SLayoutSize* sizes[2] = {&c.param->data.width, &c.param->data.height};
  const int matchParent[2] = {width, height};
  for (int axis = 0; axis < 2; ++axis) {
    const SLayoutSize& s = *sizes[axis];
    if (s.IsMatchParent())
      c.size[axis] = matchParent[axis];
    else if (s.IsValid())
      c.size[axis] = s.ToPixels(scale) + c.Ext(axis);
    else
      c.size[axis] = -1;
  }
  if (c.size[0] != -1 && c.size[1] != -1) return;
  const SIZE desired = c.wnd->MeasureDesiredSize(c.size[0], c.size[1]);
  if (c.size[0] == -1) c.size[0] = desired.cx + c.Ext(0);
  if (c.size[1] == -1) c.size[1] = desired.cy + c.Ext(1);
}

void SLinearLayout::Distribute(std::vector<Child>& children, int rest, float weightSum, bool measuring) const {
  const int main = orientation == Vert ? 1 : 0;
  const int cross = 1 - main;
  for (Child& c : children) {
    if (weightSum == 0.0f) break;
    const float g = c.param->data.weight;
    if (g <= 0.0f) continue;
    const int share = static_cast<int>(static_cast<float>(rest) * g / weightSum + 0.5f);
    rest -= share;
    weightSum -= g;
    c.size[main] += share;
    const bool remeasure = measuring ? !c.param->HasFixedSize(static_cast<ORIENTATION>(cross))
                                     : c.param->IsWrapContent(static_cast<ORIENTATION>(cross));
    if (!remeasure) continue;
    // Measure across again at the new length: the child's own size is set
    // to it for the question, then put back. The length handed over is the
    // inner one, in pixels, as the child will really get it.
    const SLinearLayoutParamStruct saved = c.param->data;
    const int inner = std::max(0, c.size[main] - c.Ext(main));
    c.param->SetSpecifiedSize(static_cast<ORIENTATION>(main), SLayoutSize(static_cast<float>(inner), SLayoutSize::px));
    if (measuring) c.param->SetWrapContent(static_cast<ORIENTATION>(cross));
    const SIZE desired = main == 0 ? c.wnd->MeasureDesiredSize(inner, -1) : c.wnd->MeasureDesiredSize(-1, inner);
    c.param->data = saved;
    c.size[cross] = (cross == 0 ? desired.cx : desired.cy) + c.Ext(cross);
  }
}

void SLinearLayout::PlaceAll(IWindow* window) {
  std::vector<Child> children = Collect(window);
  if (children.empty()) return;
  RECT area{};
  window->GetLayoutArea(&area);
  const int extent[2] = {area.right - area.left, area.bottom - area.top};
  const int main = orientation == Vert ? 1 : 0;
  const int gap = interval.ToPixels(window->GetScale());

  float weightSum = 0.0f;
  int used = 0;
  for (Child& c : children) {
    Reserve(c, extent[0], extent[1]);
    if (c.param->data.weight > 0.0f) weightSum += c.param->data.weight;
    used += c.size[main];
  }
  used += gap * (static_cast<int>(children.size()) - 1);
  if (weightSum > 0.0f && used < extent[main]) Distribute(children, extent[main] - used, weightSum, false);

  int offset = 0;
  for (Child& c : children) {
    int align = c.param->data.gravity != kGravityNone ? c.param->data.gravity : gravity;
    const int w = c.size[0];
    const int h = c.size[1];
    RECT rc;
    if (main == 1) {
      rc = RECT{area.left, area.top + offset, area.left + w, area.top + offset + h};
      const int shift = align == kGravityCenter ? (extent[0] - w) / 2 : (align == kGravityRight ? extent[0] - w : 0);
      rc.left += shift;
      rc.right += shift;
    } else {
      rc = RECT{area.left + offset, area.top, area.left + offset + w, area.top + h};
      const int shift = align == kGravityCenter ? (extent[1] - h) / 2 : (align == kGravityRight ? extent[1] - h : 0);
      rc.top += shift;
      rc.bottom += shift;
    }
    rc.left += c.ext[0];
    rc.top += c.ext[1];
    rc.right -= c.ext[2];
    rc.bottom -= c.ext[3];
    c.wnd->RelayoutTo(&rc);
    offset += c.size[main] + gap;
  }
}

SIZE SLinearLayout::MeasureAll(IWindow* window, int width, int height) {
  std::vector<Child> children = Collect(window);
  if (children.empty()) return SIZE{0, 0};
  const int main = orientation == Vert ? 1 : 0;
  const int gap = interval.ToPixels(window->GetScale());
  const ILayoutParam* own = window->GetLayoutParam();
  const int matchW = own && own->IsWrapContent(Horz) ? -1 : width;
  const int matchH = own && own->IsWrapContent(Vert) ? -1 : height;
  const int given[2] = {width, height};

  float weightSum = 0.0f;
  for (Child& c : children) {
    Reserve(c, matchW, matchH);
    weightSum += c.param->data.weight;
  }
  auto usedLength = [&] {
    int used = gap * (static_cast<int>(children.size()) - 1);
    for (const Child& c : children) used += c.size[main];
    return used;
  };
  if (weightSum != 0.0f && given[main] != -1) {
    const int used = usedLength();
    if (used < given[main]) Distribute(children, given[main] - used, weightSum, true);
  }
  int largestCross = 0;
  for (const Child& c : children) largestCross = std::max(largestCross, c.size[1 - main]);
  return main == 0 ? SIZE{usedLength(), largestCross} : SIZE{largestCross, usedLength()};
}

}  // namespace ORIEL
