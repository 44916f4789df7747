// The split window's distribution of space, its separators and drags, on a
// headless host fed the container's mouse messages.
#include <numeric>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SSplitWnd.h"

namespace {

class SplitWndTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(400, 100);
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SSplitWnd* Make(const wchar_t* xml) {
    auto* split = static_cast<SSplitWnd*>(host->CreateChildrenFromString(xml));
    host->Paint();
    return split;
  }
  std::vector<int> Widths(SSplitWnd* split) {
    std::vector<int> out;
    for (int i = 0; i < split->GetPaneCount(); ++i) {
      const RECT rc = split->GetPane(i)->GetWindowRect();
      out.push_back(split->IsVertical() ? rc.right - rc.left : rc.bottom - rc.top);
    }
    return out;
  }
  void Mouse(UINT msg, int x, int y) { host->DispatchFrameMessage(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y)); }
  SwndTestHost* host = nullptr;
};

constexpr const wchar_t* kThreeColumns =
    L"<splitcol pos='0,0,400,100'>"
    L"<pane name='a' idealSize='100' priority='2'/><pane name='b' idealSize='100' priority='1'/>"
    L"<pane name='c' idealSize='100' priority='0'/><window name='ignored'/></splitcol>";

TEST_F(SplitWndTest, TheLowestPriorityTakesWhatIsLeftOverTheIdeals) {
  std::vector<RECT> moved;
  SSplitWnd* split = Make(kThreeColumns);
  ASSERT_EQ(split->GetPaneCount(), 3);
  EXPECT_EQ(split->FindDescendantByName(L"ignored"), nullptr);
  EXPECT_EQ(Widths(split), (std::vector<int>{100, 100, 190}));
  EXPECT_EQ(split->GetPane(1)->GetWindowRect().left, 105);
  EXPECT_EQ(split->GetPane(2)->GetWindowRect().left, 210);
  EXPECT_EQ(split->GetPane(2)->GetWindowRect().bottom, 100);

  // Each placement tells the pane's subscribers where it went.
  split->GetPane(2)->SubscribeEvent(EventSplitPaneMoved::EventID, [&](EventArgs* e) {
    moved.push_back(static_cast<EventSplitPaneMoved*>(e)->rcPane);
    return true;
  });
  const RECT wider{0, 0, 500, 100};
  split->RelayoutTo(&wider);
  ASSERT_FALSE(moved.empty());
  EXPECT_EQ(moved.back().left, 210);
  EXPECT_EQ(moved.back().right, 500);
}

TEST_F(SplitWndTest, EqualPrioritiesKeepTheirLayoutOrder) {
  SSplitWnd* split = Make(
      L"<splitcol pos='0,0,400,100'><pane idealSize='100'/><pane idealSize='100'/><pane idealSize='100'/>"
      L"<pane idealSize='30' priority='5'/></splitcol>");
  // 400 - 3 × 5 = 385: ideals take 330, the last of the lowest gets 55 more.
  EXPECT_EQ(Widths(split), (std::vector<int>{100, 100, 155, 30}));
}

TEST_F(SplitWndTest, DistributionPassesAsATable) {
  using PS = SSplitWnd::PaneSize;
  struct Case {
    std::vector<PS> sizes;  // in priority order
    int delta;
    std::vector<int> expected;
    int left;
  };
  const Case cases[] = {
      {{{50, 100, 0, 200}, {50, 100, 0, 200}}, 80, {100, 80}, 0},       // ideals first, by priority
      {{{50, 100, 0, 200}, {50, 100, 0, 200}}, 200, {100, 200}, 0},     // then the lowest to its maximum
      {{{50, 100, 0, 120}, {50, 100, 0, 110}}, 200, {120, 110}, 70},    // what is left is answered
      {{{150, 100, 0, 200}, {150, 100, 0, 200}}, -80, {100, 120}, 0},   // shrinking down to the ideals
      {{{150, 100, 40, 200}, {150, 100, 60, 200}}, -250, {40, 60}, -50},
      {{{80, 100, 0, 200}, {150, 100, 0, 200}}, -30, {80, 120}, 0},     // a pane below its ideal is skipped
  };
  for (size_t n = 0; n < std::size(cases); ++n) {
    std::vector<PS> sizes = cases[n].sizes;
    std::vector<PS*> order;
    for (PS& s : sizes) order.push_back(&s);
    EXPECT_EQ(SSplitWnd::AdjustPaneSizes(order, cases[n].delta), cases[n].left) << n;
    std::vector<int> got;
    for (PS& s : sizes) got.push_back(s.current);
    EXPECT_EQ(got, cases[n].expected) << n;
  }
}

TEST_F(SplitWndTest, DraggingKeepsTheTotalAndStopsAtTheMinima) {
  SSplitWnd* split = Make(
      L"<splitcol pos='0,0,400,100'><pane idealSize='100' minSize='60'/><pane idealSize='100' minSize='80'/>"
      L"<pane idealSize='100' minSize='20' priority='-1'/></splitcol>");
  ASSERT_EQ(Widths(split), (std::vector<int>{100, 100, 190}));
  const int total = 390;
  Mouse(WM_LBUTTONDOWN, 102, 50);  // on the first separator
  EXPECT_EQ(split->GetDraggedSeparator(), 0);
  Mouse(WM_MOUSEMOVE, 122, 50);
  EXPECT_EQ(Widths(split), (std::vector<int>{120, 80, 190}));
  // Further on: the middle pane is at its minimum, the last gives the rest.
  Mouse(WM_MOUSEMOVE, 222, 50);
  EXPECT_EQ(Widths(split), (std::vector<int>{220, 80, 90}));
  Mouse(WM_MOUSEMOVE, 400, 50);  // only 70 more can be given
  EXPECT_EQ(Widths(split), (std::vector<int>{290, 80, 20}));
  Mouse(WM_MOUSEMOVE, -200, 50);  // back: the first pane stops at 60, its neighbour takes it all
  EXPECT_EQ(Widths(split), (std::vector<int>{60, 310, 20}));
  std::vector<int> w = Widths(split);
  EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), total);
  EXPECT_EQ(split->GetPane(1)->GetWindowRect().left, 65);
  Mouse(WM_LBUTTONUP, -200, 50);
  EXPECT_EQ(split->GetDraggedSeparator(), -1);
  Mouse(WM_MOUSEMOVE, 300, 50);
  EXPECT_EQ(Widths(split), (std::vector<int>{60, 310, 20}));
}

TEST_F(SplitWndTest, HiddenPanesTakeNoSpaceAndStartNoDrag) {
  SSplitWnd* split = Make(kThreeColumns);
  ASSERT_TRUE(split->HidePane(1));
  EXPECT_EQ(Widths(split)[0], 100);
  EXPECT_EQ(split->GetPane(2)->GetWindowRect().left, 105);
  EXPECT_EQ(Widths(split)[2], 295);
  // The separator after the first pane moves the first and the third.
  Mouse(WM_LBUTTONDOWN, 102, 50);
  EXPECT_EQ(split->GetDraggedSeparator(), 0);
  Mouse(WM_MOUSEMOVE, 92, 50);
  Mouse(WM_LBUTTONUP, 92, 50);
  EXPECT_EQ(Widths(split)[0], 90);
  EXPECT_EQ(split->GetPane(2)->GetWindowRect().left, 95);
  EXPECT_EQ(Widths(split)[2], 305);
  ASSERT_TRUE(split->ShowPane(1));
  EXPECT_TRUE(split->GetPane(1)->IsVisible());
  const std::vector<int> w = Widths(split);
  EXPECT_EQ(w[0] + w[1] + w[2], 390);
  EXPECT_FALSE(split->ShowPane(3));
  EXPECT_FALSE(split->HidePane(-1));
}

TEST_F(SplitWndTest, PanesByIndexAndNameAndInsertion) {
  SSplitWnd* split = Make(kThreeColumns);
  EXPECT_EQ(split->FindPaneByName(L"b"), 1);
  EXPECT_EQ(split->FindPaneByName(L"z"), -1);
  EXPECT_EQ(split->GetPane(3), nullptr);
  EXPECT_EQ(split->InsertPane(split->GetPane(0), 2), -1);
  EXPECT_EQ(split->GetPaneCount(), 3);
  auto* extra = new SSplitPane;
  extra->idealSize = SLayoutSize(40.0f, SLayoutSize::px);
  split->AttachChild(extra);
  // The tree keeps the creation reference, the split window one of its own.
  EXPECT_EQ(split->InsertPane(extra, 1), 1);
  EXPECT_EQ(split->FindPaneByName(L"b"), 2);
  const std::vector<int> w = Widths(split);
  EXPECT_EQ(w[1], 40);
  EXPECT_EQ(w[0] + w[1] + w[2] + w[3], 400 - 15);
  EXPECT_TRUE(split->RemovePane(extra));
  EXPECT_FALSE(split->RemovePane(extra));
  EXPECT_EQ(Widths(split), (std::vector<int>{100, 100, 190}));
}

TEST_F(SplitWndTest, RowsStackAndShowTheNorthSouthCursor) {
  SSplitWnd* rows = Make(
      L"<splitrow pos='0,0,400,100'><pane idealSize='30'/><pane idealSize='30' priority='1'/></splitrow>");
  EXPECT_TRUE(rows->IsClass(L"splitwnd"));
  EXPECT_FALSE(rows->IsVertical());
  EXPECT_EQ(Widths(rows), (std::vector<int>{65, 30}));
  EXPECT_EQ(rows->GetPane(1)->GetWindowRect().top, 70);
  EXPECT_EQ(rows->GetPane(1)->GetWindowRect().right, 400);
  EXPECT_TRUE(rows->ApplyStyleCursor(POINT{200, 67}));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));
  host->DeleteChild(rows);
  SSplitWnd* cols = Make(L"<splitcol pos='0,0,400,100'><pane/><pane/></splitcol>");
  EXPECT_TRUE(cols->ApplyStyleCursor(POINT{200, 50}));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

}  // namespace
