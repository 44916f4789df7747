// The tile locator as a table of places and moves, and the tile view
// headless: tiles per row follow the width, the last pixel row can be
// scrolled to, keyboard selection is silent while a click raises both
// events, and a view without a template takes no adapter.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/STileView.h"

namespace {

class Tiles : public SAdapterBase {
 public:
  explicit Tiles(int n) : n(n) {}
  int GetCount() override { return n; }
  void BindItemView(int position, SWindow*, pugi::xml_node) override { bound.push_back(position); }
  int n;
  std::vector<int> bound;
};

struct EventLog {
  bool OnEvent(EventArgs* e) {
    ids.push_back(e->GetId());
    return true;
  }
  std::vector<int> ids;
};

TEST(TileLocatorTest, PlacesAndMovesTable) {
  struct Case {
    int viewWidth, count;
    int perRow;
    int index;
    RECT rect;
    int up, down;
  };
  // 100 x 80 tiles with a margin of 10: a column is 110 px, a line 90 px.
  const Case cases[] = {
      {330, 20, 3, 5, {230, 100, 330, 180}, 2, 8},
      {330, 20, 3, 0, {10, 10, 110, 90}, 0, 3},       // up from the first row keeps it
      {330, 20, 3, 18, {10, 550, 110, 630}, 15, 18},  // the last row keeps it
      {330, 20, 3, 17, {230, 460, 330, 540}, 14, 19}, // above a shorter last row: the last tile
      {330, 20, 3, 16, {120, 460, 220, 540}, 13, 19},
      {90, 5, 1, 2, {10, 190, 110, 270}, 1, 3},       // narrower than a tile: one per row
      {0, 5, 1, 4, {10, 370, 110, 450}, 3, 4},
      {660, 7, 6, 6, {10, 100, 110, 180}, 0, 6},
  };
  for (const Case& c : cases) {
    auto* adapter = new Tiles(c.count);
    STileViewItemLocator locator(80, 100, 10);
    locator.SetAdapter(adapter);
    locator.SetTileViewWidth(c.viewWidth);
    SCOPED_TRACE(testing::Message() << "width " << c.viewWidth << " index " << c.index);
    EXPECT_EQ(locator.GetCountInRow(), c.perRow);
    const RECT rc = locator.GetItemRect(c.index);
    EXPECT_EQ(rc.left, c.rect.left);
    EXPECT_EQ(rc.top, c.rect.top);
    EXPECT_EQ(rc.right, c.rect.right);
    EXPECT_EQ(rc.bottom, c.rect.bottom);
    EXPECT_EQ(locator.GetUpItem(c.index), c.up);
    EXPECT_EQ(locator.GetDownItem(c.index), c.down);
    EXPECT_EQ(locator.ItemToPosition(c.index), 90 * (c.index / c.perRow));
    EXPECT_EQ(locator.GetTotalHeight(), 10 + ((c.count - 1) / c.perRow + 1) * 90);
    adapter->Release();
  }
  STileViewItemLocator empty(80, 100, 10);
  EXPECT_EQ(empty.PositionToItem(500), -1) << "no adapter";
  EXPECT_EQ(empty.GetTotalHeight(), 0);
  auto* adapter = new Tiles(20);
  empty.SetAdapter(adapter);
  empty.SetTileViewWidth(330);
  EXPECT_EQ(empty.PositionToItem(185), 6);
  EXPECT_EQ(empty.PositionToItem(100000), 20) << "at most the count";
  EXPECT_TRUE(empty.IsLastInRow(5));
  EXPECT_FALSE(empty.IsLastInRow(4));
  adapter->Release();
}

class TileViewTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(600, 400);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  // 350 px: with the bar's width taken the rows still hold three tiles.
  STileView* Make(const wchar_t* inner, int width = 350, int height = 200) {
    SStringW xml;
    xml.Format(L"<tileview pos='0,0,%d,%d' marginSize='10'>%ls</tileview>", width, height, inner);
    host->CreateChildrenFromString(xml);
    host->ApplyLayout();
    return static_cast<STileView*>(host->GetRelative(GSW_LASTCHILD));
  }
  Tiles* Attach(STileView* view, int n) {
    auto* adapter = new Tiles(n);
    EXPECT_TRUE(view->SetAdapter(adapter));
    adapter->Release();
    return adapter;
  }
  SwndTestHost* host = nullptr;
};

TEST_F(TileViewTest, WithoutATemplateThereIsNoLocatorAndASizeChangeIsHarmless) {
  STileView* view = Make(L"");
  EXPECT_EQ(view->GetItemLocator(), nullptr);
  auto* adapter = new Tiles(3);
  EXPECT_FALSE(view->SetAdapter(adapter));
  EXPECT_EQ(adapter->GetObserverCount(), 0u);
  adapter->Release();
  const RECT wider{0, 0, 500, 300};
  view->Move(&wider);
  EXPECT_FALSE(view->HasScrollBar(true));
}

TEST_F(TileViewTest, DefaultTileIsTenDpEachWay) {
  STileView* view = Make(L"<template/>");
  ASSERT_NE(view->GetItemLocator(), nullptr);
  EXPECT_EQ(view->GetItemLocator()->GetTileWidth(), 10);
  EXPECT_EQ(view->GetItemLocator()->GetTileHeight(), 10);
}

TEST_F(TileViewTest, TilesFlowByTheWidthAndTheLastPixelRowIsReachable) {
  STileView* view = Make(L"<template itemWidth='100' itemHeight='80'/>");
  Attach(view, 20);
  STileViewItemLocator* locator = view->GetItemLocator();
  EXPECT_EQ(locator->GetCountInRow(), 3);
  EXPECT_EQ(view->GetFirstVisible(), 0);
  EXPECT_EQ(view->GetVisibleCount(), 9) << "three rows meet 200 px";
  const RECT tile5 = view->CalcItemDrawRect(5);
  EXPECT_EQ(tile5.left, 230);
  EXPECT_EQ(tile5.top, 100);

  // 7 rows: 10 + 7 * 90 = 640 px in all; the page is 200.
  ASSERT_TRUE(view->HasScrollBar(true));
  EXPECT_EQ(locator->GetTotalHeight(), 640);
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  EXPECT_EQ(view->GetScrollPos(true), 440) << "total - page shows the last pixel row";
  EXPECT_EQ(view->CalcItemDrawRect(19).bottom, 190) << "the last tile ends a margin above the bottom";
  EXPECT_NE(view->GetItemPanel(19), nullptr);

  // Wider: four per row, the rows re-flow and the position stays in range.
  const RECT wide{0, 0, 470, 200};
  view->Move(&wide);
  EXPECT_EQ(locator->GetCountInRow(), 4);
  EXPECT_EQ(locator->GetTotalHeight(), 10 + 5 * 90);
  EXPECT_LE(view->GetScrollPos(true), 460 - 200);
  EXPECT_EQ(view->CalcItemDrawRect(5).left, 120);
}

TEST_F(TileViewTest, KeysSelectSilentlyAndAClickRaisesBothEvents) {
  STileView* view = Make(L"<template itemWidth='100' itemHeight='80'/>");
  Attach(view, 8);  // rows 0-2, 3-5, 6-7
  EventLog log;
  view->GetEventSet()->SubscribeEvent(EventLVSelChanging::EventID, Subscriber(&EventLog::OnEvent, &log));
  view->GetEventSet()->SubscribeEvent(EventLVSelChanged::EventID, Subscriber(&EventLog::OnEvent, &log));
  view->SetSel(0);
  struct Step {
    UINT key;
    int expect;
  };
  const Step steps[] = {
      {VK_UP, 0}, {VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_DOWN, 5}, {VK_DOWN, 7},
      {VK_DOWN, 7}, {VK_LEFT, 6}, {VK_UP, 3}, {VK_END, 7}, {VK_HOME, 0},
  };
  for (const Step& s : steps) {
    view->SendSwndMessage(WM_KEYDOWN, s.key, 0);
    EXPECT_EQ(view->GetSel(), s.expect) << "key " << s.key;
  }
  EXPECT_TRUE(log.ids.empty()) << "keyboard selection raises no events";

  // A click on tile 4 (second row, middle).
  const RECT rc = view->CalcItemDrawRect(4);
  const LPARAM at = MAKELPARAM(rc.left + 10, rc.top + 10);
  view->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  view->SendSwndMessage(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(view->GetSel(), 4);
  EXPECT_EQ(log.ids, (std::vector<int>{EventLVSelChanging::EventID, EventLVSelChanged::EventID}));
  log.ids.clear();
  view->SetSel(4, TRUE);
  EXPECT_EQ(log.ids, (std::vector<int>{EventLVSelChanging::EventID})) << "re-selecting raises changing only";
}

TEST_F(TileViewTest, PanelsStayFewAcrossAJumpToTheEnd) {
  STileView* view = Make(L"<template itemWidth='100' itemHeight='80'/>");
  Tiles* adapter = Attach(view, 10000);
  const int first = view->GetPanelCount();
  EXPECT_LE(first, 12);
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  EXPECT_EQ(view->GetFirstVisible() + view->GetVisibleCount(), 10000);
  view->HandleScrollCode(true, SB_THUMBPOSITION, 150000);
  EXPECT_EQ(view->GetFirstVisible(), 150000 / 90 * 3);
  EXPECT_LE(view->GetPanelCount(), first + 3) << "panels are recycled, not made per tile";
  EXPECT_EQ(adapter->bound.back(), view->GetFirstVisible() + view->GetVisibleCount() - 1);
}

}  // namespace
