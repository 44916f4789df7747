#include "layout/OrielLayout.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "layout/IWindow.h"
#include "layout/OrielLayoutParam.h"
#include "win32/user32.h"

namespace ORIEL {

namespace {

struct Node {
  IWindow* wnd;
  const OrielLayoutParamStruct* param;
  int scale;
  int edge[4];  // left, top, right, bottom
  bool pendingOffset[2];
};

enum { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

OrielPosItem DefaultItem(int kind) {
  OrielPosItem item;
  item.pit = kind;
  item.nPos = SLayoutSize(0.0f, SLayoutSize::px);
  return item;
}

class Solver {
 public:
  explicit Solver(IWindow* window) {
    for (IWindow* c = window->GetNextLayoutChild(nullptr); c; c = window->GetNextLayoutChild(c)) {
      auto* param = static_cast<OrielLayoutParam*>(c->GetLayoutParam());
      if (!param || !param->IsClass(OrielLayoutParam::GetClassName())) continue;
      Node n{c, &param->data, c->GetScale(), {}, {}};
      std::fill(n.edge, n.edge + 4, OrielLayout::kNotComputed);
      n.pendingOffset[0] = std::abs(n.param->fOffsetX) > 1e-8f;
      n.pendingOffset[1] = std::abs(n.param->fOffsetY) > 1e-8f;
      nodes.push_back(n);
    }
  }

  void Solve(int width, int height) {
    extent_[0] = width;
    extent_[1] = height;
    for (;;) {
      const bool placed = PositionPass();
      const bool sized = placed && SizePass();
      if (!placed && !sized) break;
    }
  }

  // Measuring in an extent that is itself unknown: give the nodes that
  // have a corner but no far edge their wanted size.
  void CompleteUnknown(bool horz, bool vert) {
    for (Node& n : nodes) {
      if (!Resolved(n.edge[kLeft]) || !Resolved(n.edge[kTop])) continue;
      const bool needW = horz && !Resolved(n.edge[kRight]);
      const bool needH = vert && !Resolved(n.edge[kBottom]);
      if (!needW && !needH) continue;
      const SIZE sz = n.wnd->MeasureDesiredSize(needW ? extent_[0] : n.edge[kRight] - n.edge[kLeft],
                                                needH ? extent_[1] : n.edge[kBottom] - n.edge[kTop]);
      if (needW) n.edge[kRight] = n.edge[kLeft] + sz.cx;
      if (needH) n.edge[kBottom] = n.edge[kTop] + sz.cy;
    }
  }

  std::vector<Node> nodes;

 private:
  static bool Resolved(int e) { return OrielLayout::IsResolved(e); }

  const OrielPosItem& Item(const Node& n, int which) const {
    static const OrielPosItem kDefLeft = DefaultItem(PosPrevFar);
    static const OrielPosItem kDefTop = DefaultItem(PosPrevNear);
    const OrielLayoutParamStruct& p = *n.param;
    switch (which) {
      case kLeft: return p.nCount >= 2 ? p.posLeft : kDefLeft;
      case kTop: return p.nCount >= 2 ? p.posTop : kDefTop;
      case kRight: return p.posRight;
      default: return p.posBottom;
    }
  }

  // Another node's edge on an axis, or waiting while it (or its shift)
  // is not known.
  int EdgeOf(const Node& other, int axis, bool farEdge) const {
    const int e = other.edge[axis + (farEdge ? 2 : 0)];
    if (!Resolved(e) || other.pendingOffset[axis]) return OrielLayout::kWaiting;
    return e;
  }

  int Evaluate(size_t index, const OrielPosItem& item, int axis) const {
    const int extent = extent_[axis];
    const int length = item.nPos.ToPixels(nodes[index].scale);
    const int signedLength = length * item.cMinus;
    const bool unknown = extent == -1;
    const Node* prev = index > 0 ? &nodes[index - 1] : nullptr;
    const Node* next = index + 1 < nodes.size() ? &nodes[index + 1] : nullptr;
    auto fromEdge = [&](int ref) { return ref == OrielLayout::kWaiting ? ref : ref + signedLength; };
    switch (item.pit) {
      case PosAbsolute:
        if (item.cMinus > 0) return length;
        return unknown ? OrielLayout::kWaiting : extent - length;
      case PosCenter:
        return unknown ? OrielLayout::kWaiting : extent / 2 + signedLength;
      case PosPercent: {
        if (unknown) return OrielLayout::kWaiting;
        const float p = std::clamp(item.nPos.fSize, 0.0f, 100.0f);
        const float share = item.cMinus > 0 ? p : 100.0f - p;
        return static_cast<int>(static_cast<float>(extent) * share / 100.0f);
      }
      case PosPrevFar: return fromEdge(prev ? EdgeOf(*prev, axis, true) : 0);
      case PosPrevNear: return fromEdge(prev ? EdgeOf(*prev, axis, false) : 0);
      case PosNextNear:
        if (!next && unknown) return OrielLayout::kWaiting;
        return fromEdge(next ? EdgeOf(*next, axis, false) : extent);
      case PosNextFar:
        if (!next && unknown) return OrielLayout::kWaiting;
        return fromEdge(next ? EdgeOf(*next, axis, true) : extent);
      case PosSiblingNear:
      case PosSiblingFar: {
        const bool farEdge = item.pit == PosSiblingFar;
        for (const Node& n : nodes)
          if (n.wnd->GetId() == item.nRefID) return fromEdge(EdgeOf(n, axis, farEdge));
        // No such sibling: the layout area itself.
        if (farEdge && unknown) return OrielLayout::kWaiting;
        return fromEdge(farEdge ? extent : 0);
      }
      default:  // PosSize never gives a position
        return OrielLayout::kWaiting;
    }
  }

  bool Assign(int& edge, int value) {
    if (value == OrielLayout::kWaiting) return false;
    edge = value;
    return true;
  }

  bool ResolveFar(size_t i, int axis) {
    Node& n = nodes[i];
    int& farEdge = n.edge[axis + 2];
    const SLayoutSize& size = axis == 0 ? n.param->width : n.param->height;
    if (size.IsMatchParent()) {
      farEdge = extent_[axis];  // known, but it resolves nothing by itself
      return false;
    }
    if (size.IsValid() && Resolved(n.edge[axis])) {
      farEdge = n.edge[axis] + size.ToPixels(n.scale);
      return true;
    }
    if (!size.IsWrapContent() && n.param->nCount == 4)
      return Assign(farEdge, Evaluate(i, Item(n, axis + 2), axis));
    return false;
  }

  bool PositionPass() {
    bool any = false;
    for (bool sweep = true; sweep;) {
      sweep = false;
      for (size_t i = 0; i < nodes.size(); ++i) {
        Node& n = nodes[i];
        for (int axis = 0; axis < 2; ++axis)
          if (!Resolved(n.edge[axis])) sweep |= Assign(n.edge[axis], Evaluate(i, Item(n, axis), axis));
        for (int axis = 0; axis < 2; ++axis)
          if (!Resolved(n.edge[axis + 2])) sweep |= ResolveFar(i, axis);
      }
      any |= sweep;
    }
    return any;
  }

  bool SizePass() {
    bool any = false;
    for (bool sweep = true; sweep;) {
      sweep = false;
      for (Node& n : nodes) {
        if (!Resolved(n.edge[kLeft]) || !Resolved(n.edge[kTop])) continue;
        const bool wrapW = n.param->width.IsWrapContent() || (n.param->nCount == 0 && !n.param->width.IsSpecified());
        const bool wrapH =
            n.param->height.IsWrapContent() || (n.param->nCount == 0 && !n.param->height.IsSpecified());
        const bool openW = !Resolved(n.edge[kRight]);
        const bool openH = !Resolved(n.edge[kBottom]);
        if ((openW && wrapW) || (openH && wrapH)) {
          const SIZE sz = n.wnd->MeasureDesiredSize(openW ? extent_[0] : n.edge[kRight] - n.edge[kLeft],
                                                    openH ? extent_[1] : n.edge[kBottom] - n.edge[kTop]);
          if (wrapW && openW) n.edge[kRight] = n.edge[kLeft] + sz.cx, sweep = true;
          if (wrapH && openH) n.edge[kBottom] = n.edge[kTop] + sz.cy, sweep = true;
        }
        const float offset[2] = {n.param->fOffsetX, n.param->fOffsetY};
        for (int axis = 0; axis < 2; ++axis) {
          if (!n.pendingOffset[axis] || !Resolved(n.edge[axis + 2])) continue;
          const int shift = static_cast<int>(static_cast<float>(n.edge[axis + 2] - n.edge[axis]) * offset[axis]);
          n.edge[axis] += shift;
          n.edge[axis + 2] += shift;
          n.pendingOffset[axis] = false;
          sweep = true;
        }
      }
      any |= sweep;
    }
    return any;
  }

  int extent_[2] = {0, 0};
};

}  // namespace

BOOL OrielLayout::IsParamAcceptable(const ILayoutParam* param) const {
  return param && param->IsClass(OrielLayoutParam::GetClassName());
}

ILayoutParam* OrielLayout::CreateLayoutParam() const { return new OrielLayoutParam; }

void OrielLayout::PlaceAll(IWindow* window) {
  Solver solver(window);
  if (solver.nodes.empty()) return;
  RECT area{};
  window->GetLayoutArea(&area);
  solver.Solve(area.right - area.left, area.bottom - area.top);
  for (const Node& n : solver.nodes) {
    RECT rc{n.edge[kLeft], n.edge[kTop], n.edge[kRight], n.edge[kBottom]};
    OffsetRect(&rc, area.left, area.top);
    n.wnd->RelayoutTo(&rc);
  }
}

SIZE OrielLayout::MeasureAll(IWindow* window, int width, int height) {
  Solver solver(window);
  solver.Solve(width, height);
  const bool unknownW = !IsResolved(width);
  const bool unknownH = !IsResolved(height);
  if (unknownW || unknownH) solver.CompleteUnknown(unknownW, unknownH);
  SIZE content{0, 0};
  for (const Node& n : solver.nodes) {
    const OrielLayoutParamStruct& p = *n.param;
    // A child anchored some distance from the far edge keeps that distance.
    if (IsResolved(n.edge[kRight])) {
      int right = n.edge[kRight];
      if (p.nCount == 4 && p.posRight.cMinus == -1) right += p.posRight.nPos.ToPixels(n.scale);
      content.cx = std::max<LONG>(content.cx, right);
    }
    if (IsResolved(n.edge[kBottom])) {
      int bottom = n.edge[kBottom];
      if (p.nCount == 4 && p.posBottom.cMinus == -1) bottom += p.posBottom.nPos.ToPixels(n.scale);
      content.cy = std::max<LONG>(content.cy, bottom);
    }
  }
  return SIZE{unknownW ? width : content.cx, unknownH ? height : content.cy};
}

}  // namespace ORIEL
