// TrackPopupMenu with owner-drawn items: the owner measures and draws each
// item, arrow keys move the selection and Enter returns the chosen command;
// a click outside the menu dismisses it with 0; keys that reached another
// of the thread's windows (typed before the menu's keyboard grab) drive it.
#include "display_helper.h"

#include <X11/keysym.h>

#include <atomic>
#include <thread>

namespace {

constexpr int kItemHeight = 24;

class PopupMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    cls_.handler = [this](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      if (message == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mis->itemWidth = 120;
        mis->itemHeight = mis->itemID == 0 ? 6 : kItemHeight;
        ++measured_;
        return TRUE;
      }
      if (message == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        drawn_.push_back(*dis);
        return TRUE;
      }
      return std::nullopt;
    };
    owner_ = CreateWindowExW(0, cls_.name(), L"owner", WS_POPUP | WS_VISIBLE, 50, 50, 200, 150,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(waitViewable(owner_));
    menu_ = CreatePopupMenu();
    static const wchar_t* labels[] = {L"打开", L"保存", L"退出"};
    AppendMenuW(menu_, MF_OWNERDRAW, 42, reinterpret_cast<LPCWSTR>(labels[0]));
    AppendMenuW(menu_, MF_OWNERDRAW | MF_GRAYED, 43, reinterpret_cast<LPCWSTR>(labels[1]));
    AppendMenuW(menu_, MF_OWNERDRAW | MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_OWNERDRAW, 44, reinterpret_cast<LPCWSTR>(labels[2]));
  }
  void TearDown() override {
    DestroyMenu(menu_);
    DestroyWindow(owner_);
  }

  // Drives the menu from another thread once it is on screen.
  template <class F>
  std::thread drive(F steps) {
    return std::thread([steps] {
      Display* d = userDisplay();
      // Wait for the menu's pop-up (an override-redirect window) to map.
      for (int i = 0; i < 200; ++i) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        bool found = false;
        XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
        for (unsigned c = 0; c < count; ++c) {
          XWindowAttributes a{};
          if (XGetWindowAttributes(d, children[c], &a) && a.override_redirect &&
              a.map_state == IsViewable && a.width == 120)
            found = true;
        }
        if (children) XFree(children);
        if (found) break;
        usleep(10000);
      }
      usleep(50000);
      steps();
    });
  }

  RecordingClass cls_{L"MenuOwner"};
  HWND owner_ = nullptr;
  HMENU menu_ = nullptr;
  int measured_ = 0;
  std::vector<DRAWITEMSTRUCT> drawn_;
};

TEST_F(PopupMenu, ArrowKeysMoveOverGreyedItemsAndEnterReturnsTheCommand) {
  // Down selects the first item, Down again skips the greyed one and the
  // separator, Enter chooses.
  auto driver = drive([] {
    tapKey(XK_Down);
    usleep(30000);
    tapKey(XK_Down);
    usleep(30000);
    tapKey(XK_Return);
  });
  const BOOL chosen = TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_LEFTALIGN, 300, 200, 0, owner_, nullptr);
  driver.join();
  EXPECT_EQ(chosen, 44);
  EXPECT_EQ(measured_, 4);
  ASSERT_FALSE(drawn_.empty());
  // Every item was drawn by the owner with its data, rectangle and state.
  bool sawGreyed = false, sawSelectedExit = false;
  for (const DRAWITEMSTRUCT& dis : drawn_) {
    EXPECT_EQ(dis.CtlType, static_cast<UINT>(ODT_MENU));
    EXPECT_NE(dis.hDC, nullptr);
    if (dis.itemID == 43) sawGreyed = (dis.itemState & ODS_GRAYED) != 0;
    if (dis.itemID == 44 && (dis.itemState & ODS_SELECTED)) {
      sawSelectedExit = true;
      EXPECT_EQ(dis.rcItem.top, 2 * kItemHeight + 6);
      EXPECT_EQ(dis.rcItem.right - dis.rcItem.left, 120);
    }
  }
  EXPECT_TRUE(sawGreyed);
  EXPECT_TRUE(sawSelectedExit);
  // With TPM_RETURNCMD nothing is posted to the owner.
  pumpFor(100);
  EXPECT_TRUE(cls_.messagesOf({WM_COMMAND}).empty());
}

TEST_F(PopupMenu, ClickOutsideDismissesWithZero) {
  auto driver = drive([] {
    moveMouse(700, 700);
    clickButton(Button1);
  });
  const BOOL chosen = TrackPopupMenu(menu_, TPM_RETURNCMD, 300, 200, 0, owner_, nullptr);
  driver.join();
  EXPECT_EQ(chosen, 0);
}

TEST_F(PopupMenu, ClickOnItemPostsWmCommandWithoutReturnCmd) {
  auto driver = drive([] {
    moveMouse(310, 205);  // over the first item
    usleep(30000);
    moveMouse(312, 207);
    usleep(30000);
    clickButton(Button1);
  });
  const BOOL chosen = TrackPopupMenu(menu_, TPM_LEFTALIGN, 300, 200, 0, owner_, nullptr);
  driver.join();
  EXPECT_TRUE(chosen);
  std::vector<WPARAM> commands;
  pumpUntil([&] {
    for (const Seen& s : cls_.take()) {
      if (s.message == WM_COMMAND) commands.push_back(s.wParam);
    }
    return !commands.empty();
  });
  EXPECT_EQ(commands, std::vector<WPARAM>{42});
}

TEST_F(PopupMenu, EscapeDismissesAndTheOwnerHearsTheMenuLoop) {
  auto driver = drive([] { tapKey(XK_Escape); });
  cls_.clear();
  const BOOL chosen = TrackPopupMenu(menu_, TPM_RETURNCMD, 300, 200, 0, owner_, nullptr);
  driver.join();
  EXPECT_EQ(chosen, 0);
  const auto seen = cls_.messagesOf({WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP});
  EXPECT_EQ(seen, (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP}));
}

// A key that went to the window with the focus before the menu grabbed the
// keyboard is the menu's, as the thread's keys are while a menu is open.
TEST_F(PopupMenu, KeysThatReachedTheOwnerDriveTheMenu) {
  std::atomic<bool> returned{false};
  auto driver = drive([this, &returned] {
    PostMessageW(owner_, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(owner_, WM_KEYUP, VK_DOWN, 0xC0000001);
    PostMessageW(owner_, WM_KEYDOWN, VK_RETURN, 1);
    // Keys the menu ignores would leave it open: a click outside ends it.
    for (int i = 0; i < 300 && !returned; ++i) usleep(10000);
    if (!returned) {
      moveMouse(700, 700);
      clickButton(Button1);
    }
  });
  const BOOL chosen = TrackPopupMenu(menu_, TPM_RETURNCMD, 300, 200, 0, owner_, nullptr);
  returned = true;
  driver.join();
  EXPECT_EQ(chosen, 42);
  pumpFor(50);
  EXPECT_TRUE(cls_.messagesOf({WM_KEYDOWN, WM_KEYUP}).empty());
}

}  // namespace
