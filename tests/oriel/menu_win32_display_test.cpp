// An owner-drawn Win32 menu on screen, driven through the X server:
// resting on "More" opens its sub-menu and another item closes it, Right
// and Left open and close it, a sub-menu item's click reaches the owner
// once, Esc and a click outside send nothing, "o" chooses "&Open", and the
// radio item shows the check skin's second frame.
#include <X11/keysym.h>

#include <thread>

#include "../platform-display/popup_levels.h"
#include "control/SWin32Menu.h"
#include "menu_fixture.h"

using namespace menutest;

namespace {

constexpr int kX = 300, kY = 200, kItem = 24;

class Win32MenuDisplayTest : public MenuAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    MenuAppTest::SetUp();
    AddMenus({{"test", kTestMenu}});
    ASSERT_TRUE(menu.LoadFromXml(L"test", L"XML"));
    owner = CreateWindowExW(0, ownerClass.name(), L"owner", WS_POPUP | WS_VISIBLE, 20, 20, 100, 60, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_TRUE(waitViewable(owner));
    moveMouse(600, 500);
  }
  void TearDown() override {
    DestroyWindow(owner);
    menu.Destroy();
    MenuAppTest::TearDown();
  }
  std::vector<RECT> Levels() const { return viewablePopups({Win32XWindowOf(owner)}); }
  bool WaitLevels(size_t n) const { return waitPopupCount(n, {Win32XWindowOf(owner)}); }
  // The level that does not start at the menu's own corner.
  RECT SubLevel() const {
    for (const RECT& r : Levels()) {
      if (r.left != kX || r.top != kY) return r;
    }
    return RECT{};
  }
  static int ItemY(int index) { return kY + index * kItem + kItem / 2; }
  void RestOn(int x, int y) {
    moveMouse(x, y);
    usleep(20000);
    moveMouse(x + 2, y + 1);
  }
  template <class F>
  UINT Show(UINT flags, F steps) {
    bool shown = true;
    std::thread driver([&] {
      shown = WaitLevels(1);
      usleep(50000);
      steps();
    });
    const UINT chosen = menu.ShowPopup(flags, kX, kY, owner);
    driver.join();
    EXPECT_TRUE(shown) << "the menu never showed";
    return chosen;
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

  SWin32Menu menu;
  RecordingClass ownerClass{L"MenuOwnerWindow"};
  HWND owner = nullptr;
};

TEST_F(Win32MenuDisplayTest, RestingOpensTheSubMenuAndItsItemsClickReachesTheOwnerOnce) {
  RECT sub{};
  const UINT chosen = Show(0, [&] {
    RestOn(kX + 10, ItemY(2));
    if (!WaitLevels(2)) return tapKey(XK_Escape);
    sub = SubLevel();
    moveMouse(sub.left + 20, sub.top + kItem / 2);
    usleep(30000);
    moveMouse(sub.left + 22, sub.top + kItem / 2 + 1);
    usleep(30000);
    clickButton(Button1);
  });
  EXPECT_EQ(chosen, 10u);
  EXPECT_EQ(sub.top, kY + 2 * kItem);  // beside its item
  EXPECT_GT(sub.left, kX);
  EXPECT_EQ(Commands(), std::vector<WPARAM>{10});
}

TEST_F(Win32MenuDisplayTest, RestingOnAnotherItemClosesTheSubMenuAndAClickOutsideSendsNothing) {
  bool closed = false;
  const UINT chosen = Show(0, [&] {
    RestOn(kX + 10, ItemY(2));
    if (!WaitLevels(2)) return tapKey(XK_Escape);
    RestOn(kX + 10, ItemY(0));
    closed = WaitLevels(1);
    moveMouse(700, 600);
    clickButton(Button1);
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(chosen, 0u);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(Win32MenuDisplayTest, RightAndLeftOpenAndCloseTheSubMenuWhoseRadioItemShowsCheckFrameOne) {
  bool opened = false, closed = false;
  unsigned long radioIcon = 0, plainIcon = 0, selectedRow = 0;
  const UINT chosen = Show(0, [&] {
    tapKey(XK_Down);  // "&Open"
    usleep(30000);
    tapKey(XK_Down);  // past the disabled item to "More"
    usleep(30000);
    tapKey(XK_Right);
    opened = WaitLevels(2);
    if (opened) {
      usleep(100000);
      const RECT sub = SubLevel();
      plainIcon = screenPixel(sub.left + 2 + 8, sub.top + kItem / 2);
      radioIcon = screenPixel(sub.left + 2 + 8, sub.top + kItem + kItem / 2);
      selectedRow = screenPixel(sub.right - 3, sub.top + 3);  // Right selected its first item
    }
    tapKey(XK_Left);
    closed = WaitLevels(1);
    tapKey(XK_Escape);
  });
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
  EXPECT_EQ(radioIcon, kCheckFrame1Rgb) << std::hex << radioIcon;
  EXPECT_EQ(plainIcon, kItemSelectedRgb) << std::hex << plainIcon;
  EXPECT_EQ(selectedRow, kItemSelectedRgb) << std::hex << selectedRow;
  EXPECT_EQ(chosen, 0u);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(Win32MenuDisplayTest, TypingItsMnemonicChoosesOpen) {
  const UINT chosen = Show(TPM_RETURNCMD, [] { tapKey(XK_o); });
  EXPECT_EQ(chosen, 1u);
  EXPECT_TRUE(Commands().empty());  // returned, not sent
}

}  // namespace
