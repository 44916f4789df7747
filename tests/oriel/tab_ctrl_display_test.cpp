// The tab control in a real window: real clicks and keys switch pages
// (with the change events in order and a veto honoured), the slide moves
// the boundary between the two pages frame by frame over the timeline, and
// a strip of height 0 has no tabs. Pixels are read back from the screen.
#include <X11/keysym.h>

#include "../platform-display/display_helper.h"
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "control/STabCtrl.h"
#include "res.mgr/SSkinPool.h"

namespace {

constexpr int kX = 180, kY = 140, kW = 300, kH = 230;
constexpr int kTabW = 60, kTabH = 30;
// Page colours on screen (RGB) and the tab skin's pushed (selected) colour.
constexpr unsigned long kPage[3] = {0xFF0000, 0x00FF00, 0x0000FF};
constexpr unsigned long kTabNormal = 0xFFFFFF, kTabSelected = 0x000080;

class TabCtrlDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    skins = new SSkinPool;
    ASSERT_TRUE(skinDoc.load_string(
        "<skins><colorrect name='t_tab' normal='#FFFFFF' hover='#C0C0C0' pushdown='#000080'/></skins>"));
    skins->AddSkinsFromXml(skinDoc.child("skins"));
    SSkinPoolMgr::getSingleton().PushSkinPool(skins);
    host = new SwndWindowHost(kX, kY, kW, kH);
    moveMouse(10, 10);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    SSkinPoolMgr::getSingleton().PopPool(skins);
    skins->Release();
    OrielAppTest::TearDown();
  }
  // Three coloured pages under a strip of 60 x 30 tabs (or the attributes given).
  STabCtrl* Make(const std::wstring& extra = L"tabSize='60,30'") {
    const std::wstring xml = L"<tabctrl pos='0,0,-0,-0' tabSkin='t_tab' " + extra +
                             L"><page title='A' colorBkgnd='#FF0000'/><page title='B' colorBkgnd='#00FF00'/>"
                             L"<page title='C' colorBkgnd='#0000FF'/></tabctrl>";
    auto* tab = dynamic_cast<STabCtrl*>(host->CreateChildrenFromString(SStringW(xml.c_str())));
    if (!tab) return nullptr;
    tab->SubscribeEvent(EventTabSelChanging::EventID, [this](EventArgs* e) {
      auto* c = static_cast<EventTabSelChanging*>(e);
      log.push_back({11000, c->uOldSel, c->uNewSel});
      if (c->uNewSel == veto) c->bCancel = TRUE;
      return true;
    });
    tab->SubscribeEvent(EventTabSelChanged::EventID, [this](EventArgs* e) {
      auto* c = static_cast<EventTabSelChanged*>(e);
      log.push_back({11001, c->uOldSel, c->uNewSel});
      return true;
    });
    return tab;
  }
  void Show() {
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == host->Hwnd(); }));
  }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  // The page area's colour and the selected tab's, as shown.
  bool Shows(int page) {
    return At(150, 150) == kPage[page] && At(page * kTabW + 5, 5) == kTabSelected;
  }
  struct Ev {
    int id, oldSel, newSel;
    bool operator==(const Ev& o) const { return id == o.id && oldSel == o.oldSel && newSel == o.newSel; }
  };
  SwndWindowHost* host = nullptr;
  SSkinPool* skins = nullptr;
  SXmlDoc skinDoc;
  std::vector<Ev> log;
  int veto = -2;
};

std::ostream& operator<<(std::ostream& os, const std::vector<int>& v) {
  for (int i : v) os << i << ' ';
  return os;
}

TEST_F(TabCtrlDisplayTest, ClicksAndKeysSwitchPagesWrappingAtTheEnds) {
  STabCtrl* tab = Make();
  ASSERT_NE(tab, nullptr);
  Show();
  ASSERT_TRUE(pumpUntil([&] { return Shows(0); })) << std::hex << At(150, 150) << " " << At(5, 5);
  EXPECT_EQ(At(kTabW + 5, 5), kTabNormal);

  // A click on the third tab, then keys with the focus on the control.
  moveMouse(kX + 2 * kTabW + 20, kY + 15);
  pumpFor(30);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return Shows(2); })) << std::hex << At(150, 150);
  EXPECT_EQ(log, (std::vector<Ev>{{11000, 0, 2}, {11001, 0, 2}}));
  ASSERT_TRUE(tab->IsFocused());

  struct Step {
    KeySym key;
    int from, to;
  };
  const Step steps[] = {
      {XK_Right, 2, 0},  // the last page wraps to the first
      {XK_Left, 0, 2},   // and the first to the last
      {XK_Left, 2, 1},   {XK_Home, 1, 0}, {XK_End, 0, 2}, {XK_Up, 2, 1}, {XK_Down, 1, 2},
  };
  for (const Step& s : steps) {
    log.clear();
    tapKey(s.key);
    ASSERT_TRUE(pumpUntil([&] { return Shows(s.to); })) << "key " << s.key << " from " << s.from;
    EXPECT_EQ(log, (std::vector<Ev>{{11000, s.from, s.to}, {11001, s.from, s.to}})) << "key " << s.key;
    EXPECT_EQ(tab->GetCurSel(), s.to);
  }
}

TEST_F(TabCtrlDisplayTest, AVetoKeepsThePageAndEndsTheKeyPress) {
  STabCtrl* tab = Make();
  ASSERT_NE(tab, nullptr);
  Show();
  ASSERT_TRUE(tab->SetCurSel(1));
  ASSERT_TRUE(pumpUntil([&] { return Shows(1); }));
  tab->SetFocus();
  log.clear();
  // Left from the middle page, refused: the press ends there instead of
  // going on round to the last page.
  veto = 0;
  tapKey(XK_Left);
  ASSERT_TRUE(pumpUntil([&] { return !log.empty(); }));
  pumpFor(100);
  EXPECT_EQ(log, (std::vector<Ev>{{11000, 1, 0}}));
  EXPECT_EQ(tab->GetCurSel(), 1);
  log.clear();
  moveMouse(kX + 20, kY + 15);
  pumpFor(30);
  clickButton(Button1);
  ASSERT_TRUE(pumpUntil([&] { return !log.empty(); }));
  pumpFor(100);
  EXPECT_EQ(log, (std::vector<Ev>{{11000, 1, 0}}));
  EXPECT_TRUE(Shows(1));
  // The pointer over the vetoed tab only hovers it.
  EXPECT_EQ(At(5, 5), 0xC0C0C0u);
}

TEST_F(TabCtrlDisplayTest, TheSlideMovesThePageBoundaryFrameByFrame) {
  STabCtrl* tab = Make(L"tabSize='60,30' animateSteps='10'");
  ASSERT_NE(tab, nullptr);
  Show();
  ASSERT_TRUE(pumpUntil([&] { return Shows(0); }));
  ASSERT_TRUE(tab->SetCurSel(1));
  ASSERT_NE(tab->GetSlider(), nullptr);
  EXPECT_EQ(log, (std::vector<Ev>{{11000, 0, 1}, {11001, 0, 1}}));
  // Towards a higher page the old one leaves to the left: after frame k
  // (linear) the boundary stands at W - trunc(W * k / 10).
  for (int k = 1; k <= 9; ++k) {
    host->AdvanceFrame();
    const int boundary = kW - kW * k / 10;
    ASSERT_TRUE(pumpUntil([&] { return At(boundary - 2, 150) == kPage[0] && At(boundary + 1, 150) == kPage[1]; }))
        << "frame " << k << ": " << std::hex << At(boundary - 2, 150) << " " << At(boundary + 1, 150);
    EXPECT_EQ(At(2, 150), kPage[0]) << "frame " << k;
    EXPECT_EQ(At(kW - 2, 150), kPage[1]) << "frame " << k;
  }
  host->AdvanceFrame();  // frame 10: all of the new page
  ASSERT_TRUE(pumpUntil([&] { return At(2, 150) == kPage[1]; }));
  host->AdvanceFrame();  // past the last frame the slider goes
  EXPECT_EQ(tab->GetSlider(), nullptr);
  EXPECT_TRUE(tab->GetPage(1)->IsVisible());
  EXPECT_FALSE(tab->GetPage(0)->IsVisible());
  ASSERT_TRUE(pumpUntil([&] { return At(2, 150) == kPage[1] && At(kW - 2, 150) == kPage[1]; }));
  EXPECT_EQ(host->TimelineHandlerCount(), 0u);

  // Back to a lower page the old one leaves to the right.
  ASSERT_TRUE(tab->SetCurSel(0));
  for (int k = 1; k <= 3; ++k) host->AdvanceFrame();
  const int boundary = kW * 3 / 10;
  ASSERT_TRUE(pumpUntil([&] { return At(boundary - 2, 150) == kPage[0] && At(boundary + 1, 150) == kPage[1]; }))
      << std::hex << At(boundary - 2, 150) << " " << At(boundary + 1, 150);
}

TEST_F(TabCtrlDisplayTest, ASelectionDuringASlideEndsItFirst) {
  STabCtrl* tab = Make(L"tabSize='60,30' animateSteps='10'");
  ASSERT_NE(tab, nullptr);
  Show();
  ASSERT_TRUE(pumpUntil([&] { return Shows(0); }));
  ASSERT_TRUE(tab->SetCurSel(1));
  STabSlider* first = tab->GetSlider();
  for (int k = 0; k < 3; ++k) host->AdvanceFrame();
  ASSERT_TRUE(tab->SetCurSel(2));
  // A new slide from the finished page 1 to page 2: no trace of page 0.
  ASSERT_NE(tab->GetSlider(), nullptr);
  EXPECT_EQ(tab->GetSlider()->GetFrame(), 0);
  EXPECT_EQ(host->TimelineHandlerCount(), 1u);
  (void)first;
  host->AdvanceFrame();
  const int boundary = kW - kW / 10;
  ASSERT_TRUE(pumpUntil([&] { return At(boundary - 2, 150) == kPage[1] && At(boundary + 1, 150) == kPage[2]; }))
      << std::hex << At(boundary - 2, 150) << " " << At(boundary + 1, 150);
  EXPECT_EQ(At(2, 150), kPage[1]);
  for (int k = 0; k < 11; ++k) host->AdvanceFrame();
  EXPECT_EQ(tab->GetSlider(), nullptr);
  ASSERT_TRUE(pumpUntil([&] { return Shows(2); }));
  EXPECT_FALSE(tab->GetPage(0)->IsVisible());
  EXPECT_FALSE(tab->GetPage(1)->IsVisible());
}

TEST_F(TabCtrlDisplayTest, AStripOfHeightZeroPaintsAndHitsNoTab) {
  STabCtrl* tab = Make(L"tabWidth='60' tabHeight='0'");
  ASSERT_NE(tab, nullptr);
  Show();
  // The page fills the whole control, the top row included.
  ASSERT_TRUE(pumpUntil([&] { return At(5, 0) == kPage[0] && At(150, 150) == kPage[0]; })) << std::hex << At(5, 0);
  for (int x : {5, 65, 125}) EXPECT_EQ(tab->HitTest(POINT{x, 0}), -1) << x;
  moveMouse(kX + 65, kY + 1);
  pumpFor(30);
  clickButton(Button1);
  pumpFor(150);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(tab->GetCurSel(), 0);
  EXPECT_EQ(At(65, 0), kPage[0]);
  // Selection from code still switches pages.
  ASSERT_TRUE(tab->SetCurSel(2));
  ASSERT_TRUE(pumpUntil([&] { return At(5, 0) == kPage[2]; }));
}

}  // namespace
