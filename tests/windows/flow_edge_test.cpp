// The floating window's docking, tick by tick, without a display: where it
// starts, how it slides out of sight and back at either edge, and what the
// monitors make of its bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "windows/FlowEdge.h"

namespace {

constexpr int kWidth = 240, kHeight = 92;

RECT At(int left, int top = 60) { return {left, top, left + kWidth, top + kHeight}; }
POINT Away() { return {900, 700}; }

// Ticks until the window stops moving; the lefts it passed on the way.
std::vector<int> Slide(int left, FlowBounds b, bool mouseOver, int* ticks = nullptr) {
  std::vector<int> path{left};
  for (int i = 0; i < 1000; ++i) {
    const RECT r = At(path.back());
    POINT cursor = mouseOver ? POINT{std::max<int>(r.left, b.left) + 1, r.top + 10} : Away();
    const int next = FlowEdgeStep(r, b, cursor, false);
    if (next == path.back()) break;
    path.push_back(next);
  }
  if (ticks) *ticks = static_cast<int>(path.size()) - 1;
  return path;
}

TEST(FlowEdge, OneScreenStartsAt1720AndHidesAtTheRightWithTenPixelsShowing) {
  const std::vector<RECT> one{{0, 0, 1920, 1080}};
  const FlowBounds b = FlowBoundsOfMonitors(one, 1920);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.right, 1920);
  const POINT start = FlowStartPosition(one, b);
  EXPECT_EQ(start.x, 1720);
  EXPECT_EQ(start.y, 60);
  int ticks = 0;
  const std::vector<int> out = Slide(1720, b, false, &ticks);
  EXPECT_EQ(out.back(), 1910);
  // Five pixels a tick: 1725, 1730, ... 1910.
  EXPECT_EQ(out[1], 1725);
  EXPECT_EQ(ticks, 38);
  // The pointer over the sliver brings it back flush with the edge.
  const std::vector<int> back = Slide(1910, b, true);
  EXPECT_EQ(back[1], 1905);
  EXPECT_EQ(back.back(), 1680);
}

TEST(FlowEdge, LeftEdgeSnapsUnderThePointerAndHidesWithFivePixelsShowing) {
  const FlowBounds b{0, 1920};
  EXPECT_EQ(FlowEdgeStep(At(10), b, POINT{15, 70}, false), 0);
  const std::vector<int> away = Slide(10, b, false);
  EXPECT_EQ(away[1], 7);
  EXPECT_EQ(away.back(), -235);
  // Back under the pointer, 3 a tick, landing on the edge rather than 1 or 2 past it.
  const std::vector<int> back = Slide(-235, b, true);
  EXPECT_EQ(back[1], -232);
  EXPECT_EQ(back.back(), 0);
  for (int left : back) EXPECT_LE(left, 0);
  // Outside both zones nothing moves.
  EXPECT_EQ(FlowEdgeStep(At(20), b, Away(), false), 20);
  EXPECT_EQ(FlowEdgeStep(At(1670), b, Away(), false), 1670);
  EXPECT_EQ(FlowEdgeStep(At(1671), b, Away(), false), 1676);
}

TEST(FlowEdge, AHeldButtonKeepsTheWindowWhereTheUserDragsIt) {
  const FlowBounds b{0, 1920};
  for (int left : {-235, -100, 0, 10, 1700, 1850, 1910})
    EXPECT_EQ(FlowEdgeStep(At(left), b, Away(), true), left) << left;
}

TEST(FlowEdge, MonitorsGiveTheOutermostEdgesAndTheInnerEdgesDoNotDock) {
  const std::vector<RECT> two{{0, 0, 1920, 1080}, {-1920, 0, 0, 1080}};
  const FlowBounds b2 = FlowBoundsOfMonitors(two, 1920);
  EXPECT_EQ(b2.left, -1920);
  EXPECT_EQ(b2.right, 1920);
  EXPECT_EQ(FlowEdgeStep(At(-120), b2, Away(), false), -120);
  EXPECT_EQ(FlowEdgeStep(At(-1900), b2, Away(), false), -1900);
  EXPECT_EQ(FlowEdgeStep(At(-1905), b2, Away(), false), -1908);
  EXPECT_EQ(Slide(-1910, b2, false).back(), -1920 - kWidth + 5);
  EXPECT_EQ(Slide(-1910, b2, true).back(), -1920);

  const std::vector<RECT> three{{0, 200, 1280, 1224}, {1280, 0, 3200, 1080}, {-1600, 100, 0, 1300}};
  const FlowBounds b3 = FlowBoundsOfMonitors(three, 1280);
  EXPECT_EQ(b3.left, -1600);
  EXPECT_EQ(b3.right, 3200);
  // The start lies on the rightmost monitor, at its own top + 60, even
  // though the first monitor starts lower.
  const POINT start = FlowStartPosition(three, b3);
  EXPECT_EQ(start.x, 3000);
  EXPECT_EQ(start.y, 60);
  EXPECT_FALSE(FlowOutsideEveryMonitor(At(start.x, start.y), three));
  EXPECT_TRUE(FlowOutsideEveryMonitor(At(3300, 60), three));
  EXPECT_TRUE(FlowOutsideEveryMonitor(At(100, 1400), three));
  EXPECT_FALSE(FlowOutsideEveryMonitor(At(-235, 200), three));
}

}  // namespace
