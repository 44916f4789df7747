// The framework-drawn menu on screen, driven through the X server: loading
// refuses a "menu" document, a click on an item returns its id and a click
// on the desktop 0, resting on "More" opens its level beside it (at the
// parent's left near the monitor's edge), Down wraps past the separator and
// the disabled item, a hot key clicks its item, and at the bottom-right
// corner the menu opens to the left and upwards. Without TPM_RETURNCMD the
// owner hears of a chosen item only.
#include <X11/keysym.h>

#include <thread>

#include "../platform-display/popup_levels.h"
#include "control/SMenuEx.h"
#include "menu_fixture.h"

using namespace menutest;

namespace {

constexpr const char* kMenuEx =
    "<menuRoot itemSkin='t_item' checkSkin='t_check' itemHeight='24' minWidth='120' iconBarWidth='24'>"
    "<menuItem id='1' hotKey='o'>Open</menuItem>"
    "<menuItem id='2' enable='0'>Disabled</menuItem>"
    "<menuItem id='3' text='More'><menuItem id='10'>Ten</menuItem><menuItem id='11'>Eleven</menuItem></menuItem>"
    "<sep/>"
    "<menuItem id='5' hotKey='F'>Five</menuItem>"
    "</menuRoot>";

class MenuExDisplayTest : public MenuAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    MenuAppTest::SetUp();
    AddMenus({{"menuex", kMenuEx}, {"plain", kTestMenu}});
    owner = CreateWindowExW(0, ownerClass.name(), L"owner", WS_POPUP | WS_VISIBLE, 20, 20, 100, 60, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_TRUE(waitViewable(owner));
    menu = new SMenuEx;
    ASSERT_TRUE(menu->LoadFromResource(L"XML:menuex", owner));
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &mi);
    screen = mi.rcMonitor;
    moveMouse(screen.right - 40, screen.bottom - 40);
    ownerClass.clear();
  }
  void TearDown() override {
    if (menu) {
      menu->DestroyHostWindow();
      menu->Release();
    }
    DestroyWindow(owner);
    MenuAppTest::TearDown();
  }
  // The menu levels on screen: the translucent hosts' own paint windows
  // and the owner are not levels.
  bool WaitLevels(size_t n) const {
    return waitPopupCount(n, {Win32XWindowOf(owner), Win32XWindowOf(menu->GetPaintWindow()),
                              Win32XWindowOf(menu->GetSubMenu(3)->GetPaintWindow())});
  }
  // The item's rectangle on screen while its level is shown.
  RECT ItemOnScreen(SMenuEx* level, int id) {
    RECT rc = level->GetMenuItem(id)->GetWindowRect();
    POINT tl{rc.left, rc.top}, br{rc.right, rc.bottom};
    ClientToScreen(level->GetHwnd(), &tl);
    ClientToScreen(level->GetHwnd(), &br);
    return RECT{tl.x, tl.y, br.x, br.y};
  }
  static void RestOn(int x, int y) {
    moveMouse(x, y);
    usleep(20000);
    moveMouse(x + 2, y + 1);
  }
  template <class F>
  int Show(UINT flags, int x, int y, F steps) {
    bool shown = true;
    std::thread driver([&] {
      shown = WaitLevels(1);
      usleep(80000);
      steps();
    });
    const int result = menu->ShowPopup(flags, x, y, owner);
    driver.join();
    EXPECT_TRUE(shown) << "the menu never showed";
    return result;
  }
  std::vector<WPARAM> Commands() {
    pumpFor(100);
    std::vector<WPARAM> commands;
    for (const Seen& s : ownerClass.take()) {
      if (s.message == WM_COMMAND) {
        EXPECT_EQ(s.lParam, 0);
        commands.push_back(s.wParam);
      }
    }
    return commands;
  }
  void ClickItem(int id) {
    const RECT r = ItemOnScreen(menu, id);
    moveMouse(r.left + 30, (r.top + r.bottom) / 2);
    usleep(30000);
    moveMouse(r.left + 32, (r.top + r.bottom) / 2 + 1);
    usleep(30000);
    clickButton(Button1);
  }

  SMenuEx* menu = nullptr;
  RecordingClass ownerClass{L"MenuExOwnerWindow"};
  HWND owner = nullptr;
  RECT screen{};
};

TEST_F(MenuExDisplayTest, LoadingTakesMenuRootOrMenuItemDocumentsOnlyAndOnce) {
  SMenuEx other;
  EXPECT_FALSE(other.LoadFromResource(L"XML:plain"));  // a "menu" document
  EXPECT_EQ(other.ShowPopup(TPM_RETURNCMD, 10, 10, owner), -1);
  EXPECT_FALSE(other.LoadFromResource(L"XML:missing"));
  EXPECT_FALSE(menu->LoadFromResource(L"XML:menuex"));  // already made
  // Sub-menus are built from nested items, and items found at any depth.
  ASSERT_NE(menu->GetSubMenu(3), nullptr);
  EXPECT_NE(menu->GetSubMenu(3)->GetMenuItem(11), nullptr);
  EXPECT_EQ(menu->GetMenuItem(11), nullptr);  // another level's tree
  EXPECT_EQ(menu->GetMenuItem(99), nullptr);
  EXPECT_EQ(menu->GetSubMenu(3)->GetRoot()->GetChildrenCount(), 2);

  // Items added at run time: before an id, by position, or at the end.
  SMenuExItem* first = menu->AddItem(1, 0, 20, SStringW(L"Before open"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(menu->GetRoot()->GetRelative(GSW_FIRSTCHILD), first);
  SMenuExItem* sub = menu->AddItem(-1, MF_POPUP | MF_CHECKED, 21, SStringW(L"Added"));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(menu->GetRoot()->GetRelative(GSW_LASTCHILD), sub);
  EXPECT_EQ(menu->GetMenuItem(21), sub);
  ASSERT_NE(menu->GetSubMenu(21), nullptr);
  EXPECT_EQ(menu->GetSubMenu(21)->GetRoot()->itemSkin, menu->GetRoot()->itemSkin);
  EXPECT_NE(menu->AddItem(1, MF_BYPOSITION | MF_SEPARATOR, 0, SStringW()), nullptr);
  EXPECT_TRUE(menu->CheckItem(20, MF_CHECKED));
  EXPECT_FALSE(menu->CheckItem(99, MF_CHECKED));
  EXPECT_TRUE(menu->DeleteItem(20, 0));
  EXPECT_FALSE(menu->DeleteItem(20, 0));
  EXPECT_EQ(menu->GetRoot()->GetChildrenCount(), 7);
}

TEST_F(MenuExDisplayTest, AClickOnAnItemReturnsItsIdAndOnTheDesktopZero) {
  EXPECT_EQ(Show(TPM_RETURNCMD, 200, 150, [&] { ClickItem(5); }), 5);
  EXPECT_EQ(Show(TPM_RETURNCMD, 200, 150, [&] {
              moveMouse(screen.right - 30, screen.bottom - 30);
              usleep(30000);
              clickButton(Button1);
            }),
            0);
  EXPECT_TRUE(Commands().empty());  // returned, not sent
}

TEST_F(MenuExDisplayTest, WithoutReturnCmdOnlyAChosenItemReachesTheOwner) {
  EXPECT_EQ(Show(0, 200, 150, [&] { ClickItem(5); }), 1);
  EXPECT_EQ(Commands(), std::vector<WPARAM>{5});
  // Dismissed by a click outside and by Escape: nothing at all, not 0.
  EXPECT_EQ(Show(0, 200, 150, [&] {
              moveMouse(screen.right - 30, screen.bottom - 30);
              usleep(30000);
              clickButton(Button1);
            }),
            1);
  EXPECT_EQ(Show(0, 200, 150, [&] { tapKey(XK_Escape); }), 1);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(MenuExDisplayTest, RestingOpensTheSubMenuBesideItsItemAndAnotherItemClosesIt) {
  RECT more{}, sub{}, top{};
  bool opened = false, closed = false;
  unsigned long moreRgb = 0, tenRgb = 0;
  const int chosen = Show(TPM_RETURNCMD, 200, 150, [&] {
    more = ItemOnScreen(menu, 3);
    RestOn(more.left + 30, (more.top + more.bottom) / 2);
    opened = WaitLevels(2);
    ::GetWindowRect(menu->GetSubMenu(3)->GetHwnd(), &sub);
    ::GetWindowRect(menu->GetHwnd(), &top);
    // The open level's item stays highlighted; the level's first item is plain.
    moveMouse(sub.left + 40, sub.bottom - 3);
    usleep(100000);
    moreRgb = screenPixel(top.right - 4, more.top + 3);
    tenRgb = screenPixel(sub.right - 4, sub.top + 3);
    const RECT open = ItemOnScreen(menu, 1);
    RestOn(open.left + 30, (open.top + open.bottom) / 2);
    closed = WaitLevels(1);
    tapKey(XK_Escape);
  });
  EXPECT_EQ(chosen, 0);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
  EXPECT_EQ(sub.left, top.right);  // at the item's right
  EXPECT_EQ(sub.top, more.top);
  EXPECT_EQ(moreRgb, kItemSelectedRgb) << std::hex << moreRgb;
  EXPECT_EQ(tenRgb, kItemRgb) << std::hex << tenRgb;
  // Each level told the owner once before it first showed: the top menu
  // with position 0, the sub-menu with its item's position.
  pumpFor(50);
  std::vector<std::pair<WPARAM, LPARAM>> inits;
  for (const Seen& s : ownerClass.take())
    if (s.message == WM_INITMENUPOPUP) inits.emplace_back(s.wParam, s.lParam);
  const std::vector<std::pair<WPARAM, LPARAM>> expected{{reinterpret_cast<WPARAM>(menu), 0},
                                                        {reinterpret_cast<WPARAM>(menu->GetSubMenu(3)), 2}};
  EXPECT_EQ(inits, expected);
}

TEST_F(MenuExDisplayTest, NearTheMonitorsRightEdgeTheSubMenuOpensAtTheParentsLeft) {
  RECT sub{}, top{};
  int chosen = Show(TPM_RETURNCMD, screen.right - 150, 150, [&] {
    const RECT more = ItemOnScreen(menu, 3);
    RestOn(more.left + 30, (more.top + more.bottom) / 2);
    if (WaitLevels(2)) {
      ::GetWindowRect(menu->GetSubMenu(3)->GetHwnd(), &sub);
      ::GetWindowRect(menu->GetHwnd(), &top);
      // A click in the sub-level chooses its item.
      moveMouse(sub.left + 30, sub.top + 12);
      usleep(30000);
      moveMouse(sub.left + 32, sub.top + 13);
      usleep(30000);
      clickButton(Button1);
    } else {
      tapKey(XK_Escape);
    }
  });
  EXPECT_EQ(chosen, 10);
  EXPECT_EQ(sub.right, top.left);
  EXPECT_GE(sub.left, screen.left);
}

TEST_F(MenuExDisplayTest, DownWrapsPastSeparatorsAndDisabledItemsAndAHotKeyClicksItsItem) {
  struct Case {
    std::vector<KeySym> keys;
    int chosen;
  };
  const Case cases[] = {
      {{XK_Down, XK_Return}, 1},
      {{XK_Down, XK_Down, XK_Return}, 0},  // "More" opens its level, no choice
      {{XK_Down, XK_Down, XK_Down, XK_Return}, 5},          // past the separator
      {{XK_Down, XK_Down, XK_Down, XK_Down, XK_Return}, 1},  // wraps to the first
      {{XK_Down, XK_Up, XK_Return}, 5},                      // and backwards to the last
      {{XK_f}, 5},                                           // hot keys ignore case
      {{XK_o}, 1},
  };
  for (const Case& c : cases) {
    const int chosen = Show(TPM_RETURNCMD, 200, 150, [&] {
      for (KeySym k : c.keys) {
        tapKey(k);
        usleep(30000);
      }
      if (c.chosen == 0) {
        WaitLevels(2);
        tapKey(XK_Escape);  // the sub-level
        usleep(30000);
        tapKey(XK_Escape);
      }
    });
    EXPECT_EQ(chosen, c.chosen) << "keys " << c.keys.size();
  }
}

TEST_F(MenuExDisplayTest, AtTheBottomRightCornerItOpensLeftAndUp) {
  RECT top{};
  const int x = screen.right - 1, y = screen.bottom - 1;
  Show(TPM_RETURNCMD, x, y, [&] {
    ::GetWindowRect(menu->GetHwnd(), &top);
    tapKey(XK_Escape);
  });
  EXPECT_EQ(top.right, x);
  EXPECT_EQ(top.bottom, y);
  EXPECT_GT(top.right - top.left, 100);
}

}  // namespace
