// The menu bar in a real window: its buttons sit in a row (a button whose
// menu cannot load is left out), a click drops the button's menu below it,
// a choice is raised as 22150 and Esc raises nothing, and sliding to the
// next button while a menu is open switches to that button's menu.
#include <X11/keysym.h>

#include <atomic>
#include <thread>

#include "../platform-display/popup_levels.h"
#include "SwndWindowHost.h"
#include "control/SMenuBar.h"
#include "menu_fixture.h"

using namespace menutest;

namespace {

constexpr int kX = 100, kY = 100;

class MenuBarDisplayTest : public MenuAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    MenuAppTest::SetUp();
    AddMenus({{"file", "<menu itemHeight='24'><item id='101'>Open</item><item id='102'>Close</item></menu>"},
              {"edit", "<menu itemHeight='24'><item id='201'>Copy</item></menu>"}});
    host = new SwndWindowHost(kX, kY, 300, 120);
    bar = dynamic_cast<SMenuBar*>(host->CreateChildrenFromString(
        L"<menubar pos='0,0,-0,30'><btnStyle colorText='#000000'/><menus>"
        L"<menuItem menuName='XML:file'>File</menuItem>"
        L"<menuItem menuName='XML:nowhere'>Lost</menuItem>"
        L"<menuItem menuName='XML:edit'>Edit</menuItem>"
        L"</menus></menubar>"));
    ASSERT_NE(bar, nullptr);
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_TRUE(bar->SubscribeEvent(EventSelectMenu::EventID, [this](EventArgs* e) {
      auto* sel = static_cast<EventSelectMenu*>(e);
      chosen.push_back(sel->nMenuId);
      menus.push_back(sel->pMenu);
      return true;
    }));
    moveMouse(600, 500);
    pumpFor(50);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    MenuAppTest::TearDown();
  }
  std::vector<RECT> Levels() const { return viewablePopups({Win32XWindowOf(host->Hwnd())}); }
  bool WaitLevels(size_t n) const { return waitPopupCount(n, {Win32XWindowOf(host->Hwnd())}); }
  // Pumps while `steps` run on another thread.
  template <class F>
  void Drive(F steps) {
    std::atomic<bool> done{false};
    std::thread driver([&] {
      steps();
      done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }, 15000));
    driver.join();
  }
  void ClickAt(int x, int y) {
    moveMouse(x, y);
    usleep(30000);
    clickButton(Button1);
  }

  SwndWindowHost* host = nullptr;
  SMenuBar* bar = nullptr;
  std::vector<UINT> chosen;
  std::vector<SWin32Menu*> menus;
};

TEST_F(MenuBarDisplayTest, ButtonsSitInARowWithoutTheOneWhoseMenuCannotLoad) {
  ASSERT_EQ(bar->GetItemCount(), 2);
  const RECT file = bar->GetItem(0)->GetWindowRect();
  const RECT edit = bar->GetItem(1)->GetWindowRect();
  EXPECT_EQ(file.left, 1);
  EXPECT_EQ(file.top, 0);
  EXPECT_EQ(file.right - file.left, SMenuBar::kItemWidth);
  EXPECT_EQ(file.bottom - file.top, SMenuBar::kItemHeight);
  EXPECT_EQ(edit.left, file.right + 1);
  EXPECT_EQ(bar->GetItem(1)->GetText(), SStringW(L"Edit"));
  EXPECT_FALSE(bar->InsertItem(L"None", L"", -1));
  EXPECT_FALSE(bar->InsertItem(L"Lost", L"XML:nowhere", -1));
  EXPECT_FALSE(bar->Attach(nullptr));
}

TEST_F(MenuBarDisplayTest, AClickDropsTheMenuBelowItsButtonAndAChoiceIsRaised) {
  ASSERT_TRUE(bar->Attach(host->Hwnd()));
  RECT popup{};
  Drive([&] {
    ClickAt(kX + 10, kY + 10);
    if (!WaitLevels(1)) return;
    popup = Levels()[0];
    moveMouse(popup.left + 10, popup.top + 30);  // the second item
    usleep(30000);
    moveMouse(popup.left + 12, popup.top + 32);
    usleep(30000);
    clickButton(Button1);
    WaitLevels(0);
  });
  EXPECT_EQ(popup.left, kX + 1);
  EXPECT_EQ(popup.top, kY + SMenuBar::kItemHeight + 2);
  ASSERT_TRUE(pumpUntil([&] { return !chosen.empty(); }));
  EXPECT_EQ(chosen, std::vector<UINT>{102});
  EXPECT_EQ(menus[0], &bar->GetItem(0)->GetMenu());
  EXPECT_FALSE(bar->IsMenuShowing());
  EXPECT_FALSE(bar->GetItem(0)->IsChecked());
}

TEST_F(MenuBarDisplayTest, EscapeClosesTheMenuWithoutAnEvent) {
  ASSERT_TRUE(bar->Attach(host->Hwnd()));
  bool opened = false, closed = false;
  Drive([&] {
    ClickAt(kX + 10, kY + 10);
    opened = WaitLevels(1);
    tapKey(XK_Escape);
    closed = WaitLevels(0);
  });
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
  pumpFor(150);
  EXPECT_TRUE(chosen.empty());
  EXPECT_FALSE(bar->IsMenuShowing());
}

TEST_F(MenuBarDisplayTest, SlidingToTheNextButtonSwitchesMenus) {
  ASSERT_TRUE(bar->Attach(host->Hwnd()));
  RECT first{}, second{};
  Drive([&] {
    ClickAt(kX + 10, kY + 10);
    if (!WaitLevels(1)) return;
    first = Levels()[0];
    moveMouse(kX + 60, kY + 10);  // over "Edit"
    usleep(20000);
    moveMouse(kX + 62, kY + 11);
    for (int i = 0; i < 500; ++i) {
      const std::vector<RECT> now = Levels();
      if (now.size() == 1 && now[0].left != first.left) {
        second = now[0];
        break;
      }
      usleep(10000);
    }
    tapKey(XK_Escape);
    WaitLevels(0);
  });
  EXPECT_EQ(first.left, kX + 1);
  EXPECT_EQ(second.left, kX + 1 + SMenuBar::kItemWidth + 1);
  EXPECT_EQ(second.top, kY + SMenuBar::kItemHeight + 2);
  pumpFor(150);
  EXPECT_TRUE(chosen.empty());
}

}  // namespace
