// TrackPopupMenu with a sub-menu: resting on its item opens it, resting on
// another item closes it, presses on the parent level act there, the keys
// open and close it, and at the monitor's right edge it opens on the left.
#include <X11/keysym.h>

#include <thread>

#include "display_helper.h"
#include "popup_levels.h"

namespace {

constexpr int kItemHeight = 24;
constexpr int kTopWidth = 120;
constexpr int kSubWidth = 100;
constexpr int kX = 300, kY = 200;

class PopupSubmenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    cls_.handler = [this](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      if (message == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mis->itemWidth = mis->itemData == kSubItemData ? kSubWidth : kTopWidth;
        mis->itemHeight = kItemHeight;
        return TRUE;
      }
      if (message == WM_DRAWITEM) return TRUE;
      return std::nullopt;
    };
    owner_ = CreateWindowExW(0, cls_.name(), L"owner", WS_POPUP | WS_VISIBLE, 20, 20, 100, 60, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(waitViewable(owner_));
    sub_ = CreatePopupMenu();
    AppendMenuW(sub_, MF_OWNERDRAW, 50, reinterpret_cast<LPCWSTR>(kSubItemData));
    AppendMenuW(sub_, MF_OWNERDRAW, 51, reinterpret_cast<LPCWSTR>(kSubItemData));
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_OWNERDRAW, 42, nullptr);
    AppendMenuW(menu_, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(sub_), nullptr);
    AppendMenuW(menu_, MF_OWNERDRAW, 44, nullptr);
  }
  void TearDown() override {
    DestroyMenu(menu_);
    DestroyWindow(owner_);
  }

  // The open levels other than the owner.
  std::vector<RECT> levels() const { return viewablePopups({Win32XWindowOf(owner_)}); }
  bool waitLevels(size_t n) const { return waitPopupCount(n, {Win32XWindowOf(owner_)}); }
  // The sub-level's rectangle, once there is one.
  RECT subLevel() const {
    for (const RECT& r : levels()) {
      if (r.right - r.left == kSubWidth) return r;
    }
    return RECT{};
  }
  // Runs the menu while `steps` drive it from another thread.
  template <class F>
  UINT track(int x, int y, F steps) {
    bool ok = true;
    std::thread driver([&] {
      ok = waitLevels(1);
      usleep(50000);
      steps();
    });
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu_, TPM_RETURNCMD, x, y, 0, owner_, nullptr));
    driver.join();
    EXPECT_TRUE(ok) << "the menu never showed";
    return chosen;
  }

  static constexpr ULONG_PTR kSubItemData = 7;
  RecordingClass cls_{L"SubmenuOwner"};
  HWND owner_ = nullptr;
  HMENU menu_ = nullptr, sub_ = nullptr;
  int itemY(int index) const { return kY + index * kItemHeight + kItemHeight / 2; }
};

TEST_F(PopupSubmenu, RestingOpensTheSubMenuBesideItsItemAndRestingOnAnotherItemClosesIt) {
  RECT opened{};
  bool closed = false;
  const UINT chosen = track(kX, kY, [&] {
    moveMouse(kX + 10, itemY(1));
    usleep(20000);
    moveMouse(kX + 12, itemY(1));
    if (waitLevels(2)) opened = subLevel();
    moveMouse(kX + 10, itemY(0));
    closed = waitLevels(1);
    tapKey(XK_Escape);
  });
  EXPECT_EQ(chosen, 0u);
  EXPECT_EQ(opened.left, kX + kTopWidth);
  EXPECT_EQ(opened.top, kY + kItemHeight);
  EXPECT_TRUE(closed);
}

TEST_F(PopupSubmenu, AClickOnASubMenuItemReturnsItsId) {
  const UINT chosen = track(kX, kY, [&] {
    moveMouse(kX + 10, itemY(1));
    usleep(20000);
    moveMouse(kX + 12, itemY(1));
    if (!waitLevels(2)) return tapKey(XK_Escape);
    const RECT sub = subLevel();
    moveMouse(sub.left + 10, sub.top + kItemHeight + 5);  // along the sub-menu to its second item
    usleep(30000);
    moveMouse(sub.left + 12, sub.top + kItemHeight + 8);
    usleep(30000);
    clickButton(Button1);
  });
  EXPECT_EQ(chosen, 51u);
}

TEST_F(PopupSubmenu, APressOnTheParentLevelActsThereInsteadOfDismissing) {
  const UINT chosen = track(kX, kY, [&] {
    moveMouse(kX + 10, itemY(1));
    usleep(20000);
    moveMouse(kX + 12, itemY(1));
    if (!waitLevels(2)) return tapKey(XK_Escape);
    moveMouse(kX + 10, itemY(2));
    clickButton(Button1);
  });
  EXPECT_EQ(chosen, 44u);
}

TEST_F(PopupSubmenu, RightOpensAndLeftClosesTheSubMenu) {
  bool openedByRight = false, closedByLeft = false;
  const UINT chosen = track(kX, kY, [&] {
    tapKey(XK_Down);  // the first item
    usleep(30000);
    tapKey(XK_Down);  // the sub-menu's item
    usleep(30000);
    tapKey(XK_Right);
    openedByRight = waitLevels(2);
    tapKey(XK_Left);
    closedByLeft = waitLevels(1);
    tapKey(XK_Right);
    waitLevels(2);
    tapKey(XK_Down);  // Right selected the sub-menu's first item; Down the second
    usleep(30000);
    tapKey(XK_Return);
  });
  EXPECT_TRUE(openedByRight);
  EXPECT_TRUE(closedByLeft);
  EXPECT_EQ(chosen, 51u);
}

TEST_F(PopupSubmenu, AtTheMonitorsRightEdgeTheSubMenuOpensOnTheParentsLeft) {
  const int screenRight = GetSystemMetrics(SM_CXSCREEN);
  const int x = screenRight - kTopWidth - 10;
  RECT sub{};
  track(x, kY, [&] {
    tapKey(XK_Down);
    usleep(30000);
    tapKey(XK_Down);
    usleep(30000);
    tapKey(XK_Right);
    if (waitLevels(2)) sub = subLevel();
    tapKey(XK_Escape);
    waitLevels(1);
    tapKey(XK_Escape);
  });
  EXPECT_EQ(sub.left, x - kSubWidth);
  EXPECT_EQ(sub.top, kY + kItemHeight);
}

}  // namespace
