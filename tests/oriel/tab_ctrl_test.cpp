// The tab control headless: the strip's geometry for each side, the
// attributes it refuses, selections it refuses without events, a page
// inserted before the current one, and a change on a hidden control that
// does not slide.
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/STabCtrl.h"

namespace {

class TabCtrlTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(400, 300);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  STabCtrl* Make(const wchar_t* attrs) {
    SStringW xml = SStringW(L"<tabctrl pos='0,0,300,200' ") + attrs +
                   L"><page title='a'/><page title='b'/><page title='c'/></tabctrl>";
    auto* tab = dynamic_cast<STabCtrl*>(host->CreateChildrenFromString(xml));
    if (!tab) return nullptr;
    host->Paint();
    tab->SubscribeEvent(EventTabSelChanging::EventID, [this](EventArgs* e) {
      events.push_back(static_cast<EventTabSelChanging*>(e)->uNewSel + 100);
      return true;
    });
    tab->SubscribeEvent(EventTabSelChanged::EventID, [this](EventArgs* e) {
      events.push_back(static_cast<EventTabSelChanged*>(e)->uNewSel + 200);
      return true;
    });
    return tab;
  }
  SwndTestHost* host = nullptr;
  std::vector<int> events;
};

TEST_F(TabCtrlTest, TheStripItsTabsAndThePageAreaForEachSide) {
  struct Case {
    const wchar_t* attrs;
    RECT strip, tab1, area;
  };
  const Case cases[] = {
      {L"tabSize='60,30' tabInterSize='4' tabPos='10'", {0, 0, 300, 30}, {74, 0, 134, 30}, {0, 30, 300, 200}},
      {L"tabSize='60,30' tabAlign='left'", {0, 0, 60, 200}, {0, 30, 60, 60}, {60, 0, 300, 200}},
      {L"tabSize='60,30' tabAlign='bottom'", {0, 170, 300, 200}, {60, 170, 120, 200}, {0, 0, 300, 170}},
      {L"tabSize='60,30' tabAlign='right'", {240, 0, 300, 200}, {240, 30, 300, 60}, {0, 0, 240, 200}},
  };
  for (const Case& c : cases) {
    STabCtrl* tab = Make(c.attrs);
    ASSERT_NE(tab, nullptr);
    const RECT strip = tab->TabTitleRect();
    RECT tab1{}, area{};
    ASSERT_TRUE(tab->GetItemRect(1, tab1));
    EXPECT_FALSE(tab->GetItemRect(3, tab1 = tab1));
    tab->GetLayoutArea(&area);
    EXPECT_TRUE(EqualRect(&strip, &c.strip)) << strip.left << "," << strip.top << "," << strip.right << "," << strip.bottom;
    EXPECT_TRUE(EqualRect(&tab1, &c.tab1)) << tab1.left << "," << tab1.top << "," << tab1.right << "," << tab1.bottom;
    EXPECT_TRUE(EqualRect(&area, &c.area)) << area.left << "," << area.top << "," << area.right << "," << area.bottom;
    // Every page fills the area, shown or not.
    const RECT page2 = tab->GetPage(2)->GetWindowRect();
    EXPECT_TRUE(EqualRect(&page2, &c.area));
    EXPECT_EQ(tab->HitTest(POINT{(c.tab1.left + c.tab1.right) / 2, (c.tab1.top + c.tab1.bottom) / 2}), 1);
    tab->Destroy();
  }
}

TEST_F(TabCtrlTest, RefusedAttributesChangeNothing) {
  STabCtrl* tab = Make(L"tabSize='60,30'");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->ApplyAttribute(SStringW(L"tabSize"), SStringW(L"0"), FALSE), E_INVALIDARG);
  EXPECT_EQ(tab->ApplyAttribute(SStringW(L"tabAlign"), SStringW(L"Left"), FALSE), E_FAIL);
  EXPECT_EQ(tab->ApplyAttribute(SStringW(L"textDir"), SStringW(L"diagonal"), FALSE), E_FAIL);
  const RECT strip = tab->TabTitleRect();
  const RECT expected{0, 0, 300, 30};
  EXPECT_TRUE(EqualRect(&strip, &expected));
  // An interpolator's own setting reaches the interpolator.
  EXPECT_TRUE(SUCCEEDED(tab->ApplyAttribute(SStringW(L"interpolator"), SStringW(L"Accelerate"), FALSE)));
  EXPECT_TRUE(SUCCEEDED(tab->ApplyAttribute(SStringW(L"factor"), SStringW(L"2"), FALSE)));
}

TEST_F(TabCtrlTest, RefusedSelectionsRaiseNothingAndAnInsertedPageKeepsTheShownOne) {
  STabCtrl* tab = Make(L"tabSize='60,30' curSel='1'");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->GetCurSel(), 1);
  for (int refused : {1, -1, 3}) EXPECT_FALSE(tab->SetCurSel(refused)) << refused;
  EXPECT_TRUE(events.empty());
  STabPage* shown = tab->GetPage(1);
  EXPECT_EQ(tab->InsertItemXml(SStringW(L"<page title='new'/>"), 0), 0);
  EXPECT_EQ(tab->GetCurSel(), 2);
  EXPECT_EQ(tab->GetPage(2), shown);
  EXPECT_TRUE(shown->IsVisible());
  EXPECT_FALSE(tab->GetPage(0)->IsVisible());
  EXPECT_EQ(tab->InsertItemXml(SStringW(L"<button/>"), 0), -1);
  EXPECT_EQ(tab->InsertItemXml(SStringW(L"<page"), 0), -1);
  EXPECT_TRUE(events.empty());
}

TEST_F(TabCtrlTest, AHiddenControlChangesPagesAtOnceEvenWithASlide) {
  STabCtrl* tab = Make(L"tabSize='60,30' animateSteps='10' visible='0'");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(tab->SetCurSel(2));
  EXPECT_EQ(tab->GetSlider(), nullptr);
  EXPECT_TRUE(tab->GetPage(2)->IsVisible());
  EXPECT_FALSE(tab->GetPage(0)->IsVisible());
  EXPECT_EQ(events, (std::vector<int>{102, 202}));
}

}  // namespace
