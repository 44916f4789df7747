#include "windows/FlowEdge.h"

#include <algorithm>

namespace {
constexpr int kLeftZone = 20;
constexpr int kRightZone = 10;
constexpr int kLeftStep = 3;
constexpr int kRightStep = 5;
constexpr int kLeftVisible = 5;
constexpr int kRightVisible = 10;
constexpr int kStartFromRight = 200;
constexpr int kStartFromTop = 60;

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
}  // namespace

FlowBounds FlowBoundsOfMonitors(const std::vector<RECT>& monitors, int screenWidth) {
  if (monitors.size() < 2) return {0, screenWidth};
  FlowBounds b{monitors.front().left, monitors.front().right};
  for (const RECT& m : monitors) {
    b.left = std::min<int>(b.left, m.left);
    b.right = std::max<int>(b.right, m.right);
  }
  return b;
}

POINT FlowStartPosition(const std::vector<RECT>& monitors, FlowBounds bounds) {
  int top = 0;
  int rightmost = 0;
  bool found = false;
  for (const RECT& m : monitors) {
    if (!found || m.right > rightmost) {
      rightmost = m.right;
      top = m.top;
      found = true;
    }
  }
  return {bounds.right - kStartFromRight, top + kStartFromTop};
}

bool FlowOutsideEveryMonitor(const RECT& rect, const std::vector<RECT>& monitors) {
  if (monitors.empty()) return false;
  for (const RECT& m : monitors) {
    if (rect.left < m.right && rect.right > m.left && rect.top < m.bottom && rect.bottom > m.top) return false;
  }
  return true;
}

int FlowEdgeStep(const RECT& rect, FlowBounds bounds, POINT cursor, bool buttonDown) {
  if (buttonDown) return rect.left;
  const int width = rect.right - rect.left;
  const bool over = Contains(rect, cursor);
  if (rect.left < bounds.left + kLeftZone) {
    if (over) {
      if (rect.left >= bounds.left) return bounds.left;
      const int next = rect.left + kLeftStep;
      // A step that would pass the edge by a pixel or two lands on it.
      return next > bounds.left && next - bounds.left <= 2 ? bounds.left : next;
    }
    const int hidden = bounds.left - width + kLeftVisible;
    return rect.left <= hidden ? hidden : rect.left - kLeftStep;
  }
  if (bounds.right - rect.right < kRightZone) {
    if (over) {
      const int shown = bounds.right - width;
      return rect.left <= shown ? shown : rect.left - kRightStep;
    }
    const int hidden = bounds.right - kRightVisible;
    return rect.left >= hidden ? hidden : rect.left + kRightStep;
  }
  return rect.left;
}
