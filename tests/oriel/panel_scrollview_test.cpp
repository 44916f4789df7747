// The scroll view headless: view sizes from "viewSize", bars and origin,
// scrolling events, and the position kept reachable on a resize.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SScrollView.h"

namespace {

constexpr int kBar = 16;

class ScrollViewTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(400, 400);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  SScrollView* Make(const wchar_t* xml) {
    host->CreateChildrenFromString(xml);
    host->ApplyLayout();
    return static_cast<SScrollView*>(host->GetRelative(GSW_LASTCHILD));
  }
  SwndTestHost* host = nullptr;
};

TEST_F(ScrollViewTest, AFullWidthViewTallerThanTheWindowLosesTheBarWidth) {
  SScrollView* view = Make(L"<scrollview pos='0,0,200,100' viewSize='-2,500'/>");
  EXPECT_EQ(view->GetViewSize().cx, 200 - kBar);
  EXPECT_EQ(view->GetViewSize().cy, 500);
  EXPECT_TRUE(view->HasScrollBar(true));
  EXPECT_FALSE(view->HasScrollBar(false));
  EXPECT_EQ(view->ApplyAttribute(SStringW(L"viewSize"), SStringW(L"100"), FALSE), E_INVALIDARG);
  EXPECT_EQ(view->GetViewSize().cy, 500);
}

TEST_F(ScrollViewTest, ALineOfScrollingMovesTheOriginThenReportsTheScroll) {
  SScrollView* view = Make(L"<scrollview pos='0,0,200,100' viewSize='-2,500'><window pos='0,0,50,20'/></scrollview>");
  std::vector<int> seen;
  for (int id : {EventScrollViewOriginChanged::EventID, EventScroll::EventID})
    view->SubscribeEvent(id, [&seen, id](EventArgs*) { return seen.push_back(id), true; });
  SWindow* child = view->GetRelative(GSW_FIRSTCHILD);
  EXPECT_EQ(child->GetWindowRect().top, 0);
  EXPECT_TRUE(view->HandleScrollCode(true, SB_LINEDOWN, 0));
  EXPECT_EQ(view->GetViewOrigin().y, 10);
  EXPECT_EQ(seen, (std::vector<int>{10002, 10004}));
  EXPECT_EQ(child->GetWindowRect().top, -10);
  seen.clear();
  view->HandleScrollCode(true, SB_TOP, 0);
  EXPECT_FALSE(view->HandleScrollCode(true, SB_TOP, 0));  // nothing changed: no event
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ScrollViewTest, ASmallViewShowsNoBarsAndSitsAtTheOrigin) {
  SScrollView* view = Make(L"<scrollview pos='0,0,200,100' origin-y='30' viewSize='50,50'/>");
  EXPECT_EQ(view->GetShownBars(), 0);
  EXPECT_EQ(view->GetViewOrigin().x, 0);
  EXPECT_EQ(view->GetViewOrigin().y, 0);
}

TEST_F(ScrollViewTest, GrowingAtTheBottomKeepsTheEndOfTheViewInSight) {
  SScrollView* view = Make(L"<scrollview pos='0,0,200,100' viewSize='-2,500'/>");
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  ASSERT_EQ(view->GetViewOrigin().y, 400);
  view->Move(new RECT{0, 0, 200, 150});
  EXPECT_EQ(view->GetScrollPos(true), 350);
  EXPECT_EQ(view->GetViewOrigin().y, 350);  // the view's last line at the bottom
  // Both bars: each page leaves room for the other bar.
  view = Make(L"<scrollview pos='0,0,200,150'/>");
  view->SetViewSize(SIZE{600, 500});
  EXPECT_EQ(view->GetShownBars(), SPanel::kBarHorz | SPanel::kBarVert);
  EXPECT_EQ(static_cast<int>(view->GetBarInfo(true).nPage), 150 - kBar);
  EXPECT_EQ(static_cast<int>(view->GetBarInfo(false).nPage), 200 - kBar);
  view->HandleScrollCode(false, SB_BOTTOM, 0);
  EXPECT_EQ(view->GetViewOrigin().x, 600 - (200 - kBar));
}

}  // namespace
