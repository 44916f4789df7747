// A split window in a real window: a separator dragged with the real mouse
// moves space between the panes on its two sides, keeping their total and
// their minima, and the panes are drawn where they went.
#include "control/SSplitWnd.h"
#include "slider_display_fixture.h"

namespace {

class SplitDisplayTest : public RangeControlDisplayTest {};

TEST_F(SplitDisplayTest, ADraggedSeparatorKeepsTheSumAndTheMinima) {
  skins->Add(L"d_sep", SIZE{5, 5}, {0xFF000000});
  Open(400, 100,
       L"<splitcol name='split' pos='0,0,400,100' sepSkin='d_sep'>"
       L"<pane name='a' idealSize='100' minSize='60' colorBkgnd='#ff0000'/>"
       L"<pane name='b' idealSize='100' minSize='80' colorBkgnd='#00ff00'/>"
       L"<pane name='c' idealSize='100' minSize='20' priority='-1' colorBkgnd='#0000ff'/></splitcol>");
  auto* split = host->FindChildByName2<SSplitWnd>(L"split");
  ASSERT_NE(split, nullptr);
  auto width = [&](int i) {
    const RECT rc = split->GetPane(i)->GetWindowRect();
    return static_cast<int>(rc.right - rc.left);
  };
  std::vector<RECT> moves;
  split->GetPane(1)->SubscribeEvent(EventSplitPaneMoved::EventID, [&](EventArgs* e) {
    moves.push_back(static_cast<EventSplitPaneMoved*>(e)->rcPane);
    return true;
  });
  ASSERT_TRUE(pumpUntil([&] { return At(50, 50) == 0xFF0000 && At(102, 50) == 0x000000 && At(150, 50) == 0x00FF00; }))
      << std::hex << At(50, 50) << " " << At(102, 50) << " " << At(150, 50);
  ASSERT_EQ(width(0), 100);
  ASSERT_EQ(width(2), 190);

  MoveTo(102, 50);  // the first separator
  Press();
  ASSERT_TRUE(pumpUntil([&] { return split->GetDraggedSeparator() == 0; }));
  MoveTo(182, 50);  // 80 px: the middle pane gives 20 down to its minimum, the last 60
  ASSERT_TRUE(pumpUntil([&] { return width(0) == 180; })) << width(0);
  Release();
  ASSERT_TRUE(pumpUntil([&] { return split->GetDraggedSeparator() == -1; }));
  EXPECT_EQ(width(1), 80);
  EXPECT_EQ(width(2), 130);
  EXPECT_EQ(width(0) + width(1) + width(2), 390);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().left, 185);
  EXPECT_EQ(moves.back().right, 265);
  ASSERT_TRUE(pumpUntil([&] { return At(170, 50) == 0xFF0000 && At(182, 50) == 0x000000 && At(200, 50) == 0x00FF00 &&
                                     At(267, 50) == 0x000000 && At(300, 50) == 0x0000FF; }))
      << std::hex << At(170, 50) << " " << At(182, 50) << " " << At(200, 50) << " " << At(300, 50);

  // Back past the first pane's minimum: it stops at 60.
  MoveTo(182, 50);
  Press();
  ASSERT_TRUE(pumpUntil([&] { return split->GetDraggedSeparator() == 0; }));
  MoveTo(20, 50);
  ASSERT_TRUE(pumpUntil([&] { return width(0) == 60; })) << width(0);
  Release();
  pumpFor(50);
  EXPECT_EQ(width(0) + width(1) + width(2), 390);
  EXPECT_EQ(width(1), 200);  // the separator's neighbour takes what the first gave
}

}  // namespace
